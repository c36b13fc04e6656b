#pragma once
// The host's eBay options (ebay_parameter, stored in lower case): which paid
// statuses are imported, which address fills which block, and how many days
// back the sold list reaches.

#include <cstdint>
#include <set>
#include <string_view>

#include "net/EbayTradingTypes.h"
#include "orders/OrderRecords.h"
#include "support/DateTime.h"

namespace kanvio {

class EbayParameter {
 public:
  // The statuses whose switch ("/paid=1", "/notpaid=1", ...) the text holds;
  // Paid, MarkedAsPaid and PaidWithPayPal when it holds none.
  static std::set<net::PaidStatus> AcceptedPaidStatuses(std::string_view parameter);
  // "/adressfomartting=1": ShippingAsPaymentAdress (it wins);
  // "/adressfomartting=2": ShippingOnly; otherwise Default.
  static orders::CustomerFormatting Formatting(std::string_view parameter);
  // Days from the date of `from` to the date of `today`, both counted:
  // 1 to 60. A `from` that was never set (the smallest date) gives 31.
  static std::int32_t CalculateDuration(const LocalDateTime& from, const LocalDateTime& today);
};

}  // namespace kanvio
