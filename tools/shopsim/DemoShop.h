#pragma once

#include "ShopState.h"

namespace kanvio::shopsim {

// The demo shop's starting stock: three orders (the first already fetched)
// and five articles with prices and stock.
class DemoShop {
 public:
  static void Fill(ShopState& shop);
};

}  // namespace kanvio::shopsim
