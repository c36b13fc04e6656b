#pragma once
// The shop factory: a table from lower-case shop names to the connector
// families. Each family registers its names from its own source file (a
// Registrar at namespace scope), so a family that is not built yields no
// connector for its names.

#include <functional>
#include <memory>
#include <string>

#include "shops/IShop.h"
#include "shops/IWorker.h"

namespace kanvio {

class ShopCaller {
 public:
  // Makes a connector that reports to the given worker.
  using Factory = std::function<std::unique_ptr<IShop>(IWorker&)>;

  // Lower-cases shopSystem and creates its connector, if a family registered that name.
  ShopCaller(const std::string& shopSystem, IWorker& worker);

  // Hands the connector over (once); nullptr when the name is unknown.
  std::unique_ptr<IShop> GetShop() { return std::move(shop_); }

  // key is compared exactly with the lower-cased name. Registering a key again
  // replaces its factory; the replaced one (or an empty one) is returned. Not
  // thread-safe: registration happens while the library loads, or in tests
  // before a connection is made.
  static Factory Register(const std::string& key, Factory factory);
  static void Unregister(const std::string& key);

  struct Registrar {
    Registrar(const std::string& key, Factory factory) { Register(key, std::move(factory)); }
  };

 private:
  std::unique_ptr<IShop> shop_;
};

}  // namespace kanvio
