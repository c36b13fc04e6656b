#pragma once

#include <cstddef>
#include <string_view>

#include "ShopState.h"

namespace kanvio::shopsim {

enum class UploadKind { kArticles, kArticlePrices, kStockValues };

struct UploadOutcome {
  bool rolled_back = false;
  std::size_t received = 0;  // records in the package
  std::size_t stored = 0;    // records the shop took
};

// Stores an uploaded package the way a shop script would: articles are
// created or changed, prices and stock change known articles only. A record
// without an article number is not stored; a package that holds the shop's
// rollback article, or that is not the expected document, is rolled back as
// a whole.
class UploadApplier {
 public:
  static UploadOutcome Apply(UploadKind kind, std::string_view body, ShopState& shop);
};

}  // namespace kanvio::shopsim
