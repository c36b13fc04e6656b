#include "shops/rest/magento2.h"

#include "shops/ShopCaller.h"

namespace kanvio {
namespace {

const ShopCaller::Registrar kRegistration("magento2", [](IWorker& worker) {
  return std::make_unique<magento2>(&worker);
});

}  // namespace

std::string magento2::BasePath(const std::string& erp) const {
  if (erp == "ledgrox") return "/marlix/ledgrox/";
  if (erp == "vd") return "/marlix/vardemo/";
  return "";
}

}  // namespace kanvio
