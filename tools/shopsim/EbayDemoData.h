#pragma once

#include <chrono>
#include <cstddef>

#include "EbayMarket.h"

namespace kanvio::shopsim {

// The demo seller's sold list, relative to `now`: a paid single order with
// two addresses, one in a variation to a buyer whose email eBay withholds, a
// combined order of two lines with an invoice address, an unpaid one that is
// not imported, one whose checkout is complete but not yet paid, and one
// older than the longest import window.
class EbayDemoData {
 public:
  static void Fill(EbayMarket& market, std::chrono::sys_seconds now);
  // `count` paid single orders of the last 50 days, for load and benchmarks.
  static void Generate(EbayMarket& market, std::size_t count, std::chrono::sys_seconds now);
};

}  // namespace kanvio::shopsim
