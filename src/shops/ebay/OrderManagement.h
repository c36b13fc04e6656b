#pragma once
// The second stage of the eBay order import: each fetched order becomes a
// record of the orders file.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "net/EbayTradingTypes.h"
#include "orders/OrderRecords.h"
#include "shops/IWorker.h"
#include "shops/ebay/EbayOrderRecord.h"
#include "support/DateTime.h"

namespace kanvio {

class OrderManagement {
 public:
  using Sink = std::function<void(const orders::EbayOrder&)>;

  // Converts the orders in turn and hands each record to `sink`, with the
  // progress shown on the worker (which may be absent). An order that cannot
  // be converted is logged and left out. Returns how many reached the sink;
  // a failure of the sink itself passes on.
  static std::int32_t ConvertOrders(IWorker* worker, const std::vector<service::EbayOrder>& orders,
                                    orders::CustomerFormatting formatting, const Sink& sink);

  // One order of ConvertOrders, without the progress: true when its record
  // reached the sink.
  static bool ConvertOrderTo(const service::EbayOrder& order, orders::CustomerFormatting formatting,
                             const Sink& sink);
  // The same, filling `record`, the record of the previous order or none:
  // its storage is reused, nothing of its contents. Keep it for the next order.
  static bool ConvertOrderTo(const service::EbayOrder& order, orders::CustomerFormatting formatting,
                             const Sink& sink, std::optional<orders::EbayOrder>& record);

  // nullopt for an order without item results, without transaction, or whose
  // buyer has neither a registration nor a shipping address. Throws Error for
  // an order that cannot be converted (a line's item result is missing).
  static std::optional<orders::EbayOrder> ConvertOrder(const service::EbayOrder& order,
                                                       orders::CustomerFormatting formatting);

  // An amount as the orders file writes it: General15.
  static std::string AmountText(double value);
  // The text of the host for a payment method name; empty for names it has none for.
  static std::string PaymentText(std::string_view method);
  // title, or title[value,value] with the first value of each variation name.
  static std::string ArticleName(const std::string& title,
                                 const std::vector<net::VariationSpecific>& variation);
  // The item id, "_" and the time as yyyyMMddhhmmss with the hour on the
  // 12-hour clock (01 to 12), as hosts have stored these keys.
  static std::string EbayKey(const std::string& item_id, const LocalDateTime& created);
  // The first street line, and a different second line after ", ".
  static std::string Street(const net::Address& address);
};

}  // namespace kanvio
