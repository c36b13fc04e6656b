// The downloaded reports: an even first byte reads the rest as an XML order
// report, an odd one as a tab-separated shipment report; every entry then
// goes through the order rules as the import would take it.
#include "FuzzSupport.h"
#include "shops/amazon/AmazonOrderBuilder.h"
#include "shops/amazon/FbaData.h"
#include "shops/amazon/ReportFiles.h"

using namespace kanvio;

namespace {

net::MwsOrder Order(const std::string& id) {
  net::MwsOrder order;
  order.AmazonOrderId = id;
  order.OrderTotal = net::MwsMoney{"EUR", "1.00"};
  return order;
}

// The report's own values stand in for the service's order lines.
std::vector<net::MwsOrderItem> Items(const FbaData& row) {
  net::MwsOrderItem item;
  item.QuantityOrdered = row._quantity_shipped;
  item.ItemPrice = net::MwsMoney{row._currency, row._item_price};
  item.ShippingPrice = net::MwsMoney{row._currency, row._shipping_price};
  item.PromotionDiscount = net::MwsMoney{row._currency, row._item_promotion_discount};
  return {item};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view report = fuzz::AsText(data + 1, size - 1);
  try {
    if (data[0] % 2 == 0) {
      for (const auto& entry : ParseOrderReport(report)) {
        try {
          (void)amazon_orders::ReportOrder(entry, Order(entry.AmazonOrderID), {});
        } catch (const Error&) {
        }
      }
    } else {
      const auto table = FlatFileTable::Parse(report);
      const FbaData::Layout layout(table.columns);
      for (const auto& row : table.rows) {
        const FbaData data_row = FbaData::FromRow(layout, row.values);
        try {
          (void)amazon_orders::ShipmentOrder(data_row, Order(data_row._amazon_order_id), Items(data_row));
        } catch (const Error&) {
        }
      }
    }
  } catch (const ReportFormatError&) {
  }
  return 0;
}
