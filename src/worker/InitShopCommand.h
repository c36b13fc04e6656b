#pragma once

#include <memory>
#include <string>

#include "shops/IShop.h"
#include "shops/IWorker.h"

namespace kanvio {

// Creates the connector for a shop name through the shop factory.
class InitShopCommand {
 public:
  InitShopCommand(std::string shopSystem, IWorker& worker)
      : shopSystem_(std::move(shopSystem)), worker_(worker) {}

  void Execute();
  // Hands over the connector that Execute created; nullptr when the name is unknown.
  std::unique_ptr<IShop> GetShop() { return std::move(shop_); }

 private:
  std::string shopSystem_;
  IWorker& worker_;
  std::unique_ptr<IShop> shop_;
};

}  // namespace kanvio
