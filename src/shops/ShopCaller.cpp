#include "shops/ShopCaller.h"

#include <map>
#include <utility>

#include "support/Text.h"

namespace kanvio {
namespace {

// A function-local table: registrars of other files may run before any
// namespace-scope object of this file is initialised.
std::map<std::string, ShopCaller::Factory>& Families() {
  static std::map<std::string, ShopCaller::Factory> families;
  return families;
}

}  // namespace

ShopCaller::ShopCaller(const std::string& shopSystem, IWorker& worker) {
  const auto& families = Families();
  auto family = families.find(text::ToLower(shopSystem));
  if (family != families.end()) shop_ = family->second(worker);
}

ShopCaller::Factory ShopCaller::Register(const std::string& key, Factory factory) {
  return std::exchange(Families()[key], std::move(factory));
}

void ShopCaller::Unregister(const std::string& key) { Families().erase(key); }

}  // namespace kanvio
