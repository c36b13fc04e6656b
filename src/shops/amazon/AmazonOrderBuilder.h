#pragma once
// How an Amazon order becomes a `Bestellvorgang`: the rules for names,
// streets and Packstations, dates, the sums of the order lines' costs, and
// the two sources (a shipment report row, an XML order report entry), each
// completed by the order and its lines from the Orders API.
//
// Every function either returns a whole order or throws Error (an amount or
// a date that does not read): an order is written whole or not at all.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "net/MwsAnswers.h"
#include "orders/OrderRecords.h"
#include "platform/Clock.h"
#include "shops/amazon/FbaData.h"
#include "shops/amazon/ReportFiles.h"

namespace kanvio::amazon_orders {

// A decimal amount as the service writes it ("12.50", "-3.85"), kept exact.
class Decimal {
 public:
  Decimal() = default;
  // Throws Error for a text that is no plain decimal number or has more than 18 digits.
  static Decimal Parse(std::string_view text);
  Decimal operator+(const Decimal& other) const;
  Decimal operator-(const Decimal& other) const;
  Decimal operator-() const;
  bool IsZero() const { return units_ == 0; }
  bool IsPositive() const { return units_ > 0; }
  double ToDouble() const;
  // Without trailing zeros: "12.5", "-5", "0".
  std::string ToText() const;

 private:
  Decimal(std::int64_t units, int scale) : units_(units), scale_(scale) {}
  static void Align(Decimal& a, Decimal& b);
  std::int64_t units_ = 0;
  int scale_ = 0;  // digits after the point
};

struct PersonName {
  std::string first, last;
};
// Runs of blanks separate the words: the last is the last name, those
// before it, joined by one blank, the first name.
PersonName SplitName(std::string_view name);

struct CompanyAndStreet {
  std::string company, street;
  bool packstation = false;  // the second line names a Packstation
};
// With a second line the first is the company and the second the street;
// without one the first is the street.
CompanyAndStreet SplitAddressLines(std::string_view first, std::string_view second);

// An instant of the reports and the service: "2015-03-24T13:59:43+00:00",
// "...Z", "...-07:00", fractions of a second allowed; without zone UTC.
std::optional<platform::UtcTime> ParseInstant(std::string_view text);
// The instant as local "dd.MM.yyyy HH:mm:ss"; empty for an empty text.
// Throws Error for a text that is no instant.
std::string LocalOrderDate(std::string_view text);

// The order's costs, summed over its lines (money values that are set only).
struct OrderCosts {
  std::string freight;           // Σ ShippingPrice − Σ ShippingDiscount
  std::string gift_wrap;         // Σ GiftWrapPrice + Σ GiftWrapTax where a price is set
  std::string cash_on_delivery;  // Σ CODFee − Σ CODFeeDiscount
  std::string promotion;         // −Σ PromotionDiscount (a sum that is not positive as it is)
};
OrderCosts SumCosts(const std::vector<net::MwsOrderItem>& items);

// The order lines; lines with quantity 0 are left out. The unit price is
// (ItemPrice + ItemTax) ÷ quantity for shipments, ItemPrice ÷ quantity for
// order reports.
enum class Source { kShipmentReport, kOrderReport };
std::vector<orders::Article> Lines(const std::vector<net::MwsOrderItem>& items, Source source);

orders::ShopOrder ShipmentOrder(const FbaData& row, const net::MwsOrder& order,
                                const std::vector<net::MwsOrderItem>& items);
orders::ShopOrder ReportOrder(const OrderReportEntry& entry, const net::MwsOrder& order,
                              const std::vector<net::MwsOrderItem>& items);

}  // namespace kanvio::amazon_orders
