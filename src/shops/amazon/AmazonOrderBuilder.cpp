#include "shops/amazon/AmazonOrderBuilder.h"

#include <charconv>
#include <cstdlib>

#include "support/DateFormat.h"
#include "support/Error.h"
#include "support/InvariantNumber.h"
#include "support/Text.h"

namespace kanvio::amazon_orders {
namespace {

constexpr int kMaxDigits = 18;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::int64_t PowerOfTen(int exponent) {
  std::int64_t value = 1;
  for (int i = 0; i < exponent; ++i) value *= 10;
  return value;
}

// Reads exactly `count` digits at text[pos], moving pos on.
std::optional<int> Digits(std::string_view text, std::size_t& pos, std::size_t count) {
  if (pos + count > text.size()) return std::nullopt;
  int value = 0;
  for (std::size_t i = 0; i < count; ++i) {
    if (!IsDigit(text[pos + i])) return std::nullopt;
    value = value * 10 + (text[pos + i] - '0');
  }
  pos += count;
  return value;
}

bool Expect(std::string_view text, std::size_t& pos, char c) {
  if (pos >= text.size() || text[pos] != c) return false;
  ++pos;
  return true;
}

std::optional<Decimal> Amount(const std::optional<net::MwsMoney>& money) {
  if (!money || text::TrimView(money->Amount).empty()) return std::nullopt;
  return Decimal::Parse(money->Amount);
}

Decimal Sum(const std::vector<net::MwsOrderItem>& items,
            std::optional<net::MwsMoney> net::MwsOrderItem::*field) {
  Decimal sum;
  for (const auto& item : items) {
    if (auto amount = Amount(item.*field)) sum = sum + *amount;
  }
  return sum;
}

template <class Address>
void FillAddress(Address& block, const PersonName& name, const CompanyAndStreet& lines,
                 const std::string& postal_code, const std::string& city, const std::string& country,
                 const std::string& phone, const std::string& mail) {
  block.Name = name.last;
  block.FirstName = name.first;
  block.CompanyName = lines.company;
  block.Street = lines.street;
  block.PostalCode = postal_code;
  block.Location = city;
  block.CountryCode = country;
  block.Phone = phone;
  block.Mail = mail;
}

// `Kunde`: as an address block, except that a Packstation moves the first
// line from the company to `Amazon-Packstation`.
void FillCustomer(orders::ShopCustomer& customer, const std::string& name, const std::string& line1,
                  const std::string& line2, const std::string& postal_code, const std::string& city,
                  const std::string& country, const std::string& phone, const std::string& mail) {
  const PersonName person = SplitName(name);
  const CompanyAndStreet lines = SplitAddressLines(line1, line2);
  FillAddress(customer, person, lines, postal_code, city, country, phone, mail);
  if (lines.packstation) {
    customer.CompanyName = "";
    customer.AmazonPackstation = text::Trim(line1);
  }
}

template <class Address>
void FillFromReport(Address& block, const ReportAddress& address, const std::string& mail) {
  FillAddress(block, SplitName(address.Name),
              SplitAddressLines(address.AddressFieldOne, address.AddressFieldTwo), address.PostalCode,
              address.City, address.CountryCode, address.PhoneNumber, mail);
}

// Fills the line `make` gives for each item with a quantity: made where it
// stays, since an order's lines are records of many texts.
template <class Make>
void MakeLines(const std::vector<net::MwsOrderItem>& items, Source source, Make make) {
  for (const auto& item : items) {
    const Decimal quantity = Decimal::Parse(item.QuantityOrdered);
    if (quantity.IsZero()) continue;
    Decimal price = Amount(item.ItemPrice).value_or(Decimal());
    if (source == Source::kShipmentReport) price = price + Amount(item.ItemTax).value_or(Decimal());
    std::string unit_price = invariant::XmlSchemaDouble(price.ToDouble() / quantity.ToDouble());
    orders::Article& line = make();
    line.ArticleNumberShop = item.SellerSKU;
    line.AmazonAsin = item.ASIN;
    line.Amount = quantity.ToText();
    line.ArticleText = item.Title;
    line.ArticleDiffPriceGross = std::move(unit_price);
  }
}

// What both sources share: the order's number, total, costs and lines.
orders::ShopOrder Frame(const std::string& number, const net::MwsOrder& order,
                        const std::vector<net::MwsOrderItem>& items, Source source) {
  orders::ShopOrder shop_order;
  shop_order.OrderNumber = number;
  shop_order.OrderTotalGross = order.OrderTotal ? order.OrderTotal->Amount : std::string();
  shop_order.FulfilledByAmazon = source == Source::kShipmentReport ? "1" : "0";
  OrderCosts costs = SumCosts(items);
  shop_order.CustomerData.FrieghtCost.FreightCostGross = std::move(costs.freight);
  shop_order.AdditionalCost.AdditionalCostGross1 = std::move(costs.gift_wrap);
  shop_order.AdditionalCost.AdditionalCostGross2 = std::move(costs.cash_on_delivery);
  shop_order.AdditionalCost.AdditionalCostGross3 = std::move(costs.promotion);
  shop_order.Article.reserve(items.size());
  MakeLines(items, source,
            [&shop_order]() -> orders::Article& { return *shop_order.Article.emplace_back(); });
  return shop_order;
}

}  // namespace

Decimal Decimal::Parse(std::string_view text) {
  // A view: amounts are parsed by the hundred thousand, and only the
  // failures need the text as a string.
  const std::string_view trimmed = text::TrimView(text);
  std::string_view s = trimmed;
  bool negative = false;
  if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }
  std::int64_t units = 0;
  int digits = 0, scale = 0;
  bool point = false;
  for (char c : s) {
    if (c == '.' && !point) {
      point = true;
    } else if (IsDigit(c)) {
      if (digits == 0 && c == '0' && !point) continue;  // leading zeros do not count
      if (++digits > kMaxDigits)
        throw Error("Der Betrag \"" + std::string(trimmed) + "\" hat zu viele Stellen.");
      units = units * 10 + (c - '0');
      if (point) ++scale;
    } else {
      throw Error("\"" + std::string(trimmed) + "\" ist kein Betrag.");
    }
  }
  const bool any_digit = s.find_first_of("0123456789") != std::string_view::npos;
  if (!any_digit) throw Error("\"" + std::string(trimmed) + "\" ist kein Betrag.");
  return Decimal(negative ? -units : units, scale);
}

void Decimal::Align(Decimal& a, Decimal& b) {
  Decimal& coarse = a.scale_ < b.scale_ ? a : b;
  const int target = std::max(a.scale_, b.scale_);
  if (__builtin_mul_overflow(coarse.units_, PowerOfTen(target - coarse.scale_), &coarse.units_))
    throw Error("Die Summe der Beträge ist zu groß.");
  coarse.scale_ = target;
}

Decimal Decimal::operator+(const Decimal& other) const {
  Decimal a = *this, b = other;
  Align(a, b);
  std::int64_t units;
  if (__builtin_add_overflow(a.units_, b.units_, &units)) throw Error("Die Summe der Beträge ist zu groß.");
  return Decimal(units, a.scale_);
}

Decimal Decimal::operator-() const { return Decimal(-units_, scale_); }

Decimal Decimal::operator-(const Decimal& other) const { return *this + -other; }

std::string Decimal::ToText() const {
  std::int64_t units = units_;
  int scale = scale_;
  while (scale > 0 && units % 10 == 0) {
    units /= 10;
    --scale;
  }
  if (units == 0) return "0";
  std::string digits =
      std::to_string(units < 0 ? -static_cast<std::uint64_t>(units) : static_cast<std::uint64_t>(units));
  if (scale > 0) {
    if (digits.size() <= static_cast<std::size_t>(scale))
      digits.insert(0, static_cast<std::size_t>(scale) + 1 - digits.size(), '0');
    digits.insert(digits.size() - static_cast<std::size_t>(scale), ".");
  }
  return units < 0 ? "-" + digits : digits;
}

double Decimal::ToDouble() const {
  const std::string text = ToText();
  double value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

PersonName SplitName(std::string_view name) {
  PersonName person;
  std::size_t end = name.size();
  while (end > 0 && IsBlank(name[end - 1])) --end;
  std::size_t last = end;
  while (last > 0 && !IsBlank(name[last - 1])) --last;
  person.last.assign(name.substr(last, end - last));
  for (std::size_t pos = 0; pos < last;) {
    while (pos < last && IsBlank(name[pos])) ++pos;
    const std::size_t start = pos;
    while (pos < last && !IsBlank(name[pos])) ++pos;
    if (pos == start) continue;
    if (!person.first.empty()) person.first.push_back(' ');
    person.first.append(name.substr(start, pos - start));
  }
  return person;
}

CompanyAndStreet SplitAddressLines(std::string_view first, std::string_view second) {
  CompanyAndStreet lines;
  const std::string_view line1 = text::TrimView(first), line2 = text::TrimView(second);
  if (line2.empty()) {
    lines.street = line1;
  } else {
    lines.company = line1;
    lines.street = line2;
    lines.packstation = text::Contains(text::ToLower(line2), "packstation");
  }
  return lines;
}

std::optional<platform::UtcTime> ParseInstant(std::string_view raw) {
  const std::string_view s = text::TrimView(raw);
  std::size_t pos = 0;
  LocalDateTime t;
  const auto year = Digits(s, pos, 4);
  if (!year || !Expect(s, pos, '-')) return std::nullopt;
  const auto month = Digits(s, pos, 2);
  if (!month || !Expect(s, pos, '-')) return std::nullopt;
  const auto day = Digits(s, pos, 2);
  if (!day || pos >= s.size() || (s[pos] != 'T' && s[pos] != ' ')) return std::nullopt;
  ++pos;
  const auto hour = Digits(s, pos, 2);
  if (!hour || !Expect(s, pos, ':')) return std::nullopt;
  const auto minute = Digits(s, pos, 2);
  if (!minute) return std::nullopt;
  int second = 0;
  if (Expect(s, pos, ':')) {
    const auto seconds = Digits(s, pos, 2);
    if (!seconds) return std::nullopt;
    second = *seconds;
    if (Expect(s, pos, '.')) {
      const std::size_t start = pos;
      while (pos < s.size() && IsDigit(s[pos])) ++pos;
      if (pos == start) return std::nullopt;
    }
  }
  int offset_minutes = 0;
  if (pos < s.size() && (s[pos] == 'Z' || s[pos] == 'z')) {
    ++pos;
  } else if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) {
    const int sign = s[pos++] == '-' ? -1 : 1;
    const auto hours = Digits(s, pos, 2);
    if (!hours) return std::nullopt;
    Expect(s, pos, ':');
    const auto minutes = pos < s.size() ? Digits(s, pos, 2) : std::optional<int>(0);
    if (!minutes || *hours > 23 || *minutes > 59) return std::nullopt;
    offset_minutes = sign * (*hours * 60 + *minutes);
  }
  if (pos != s.size()) return std::nullopt;
  t = {*year, *month, *day, *hour, *minute, second};
  const std::chrono::year_month_day date{std::chrono::year(t.year),
                                         std::chrono::month(static_cast<unsigned>(t.month)),
                                         std::chrono::day(static_cast<unsigned>(t.day))};
  if (!date.ok() || t.hour > 23 || t.minute > 59 || t.second > 59) return std::nullopt;
  return platform::FromUtcCalendar(t) - std::chrono::minutes(offset_minutes);
}

std::string LocalOrderDate(std::string_view text) {
  if (text::TrimView(text).empty()) return "";
  const auto instant = ParseInstant(text);
  if (!instant) throw Error("\"" + std::string(text) + "\" ist kein Bestelldatum.");
  return date_format::German(platform::CurrentClock().ToLocal(*instant));
}

OrderCosts SumCosts(const std::vector<net::MwsOrderItem>& items) {
  using Item = net::MwsOrderItem;
  OrderCosts costs;
  costs.freight = (Sum(items, &Item::ShippingPrice) - Sum(items, &Item::ShippingDiscount)).ToText();
  Decimal gift_wrap;
  for (const auto& item : items) {
    const auto price = Amount(item.GiftWrapPrice);
    if (!price) continue;
    gift_wrap = gift_wrap + *price;
    if (const auto tax = Amount(item.GiftWrapTax)) gift_wrap = gift_wrap + *tax;
  }
  costs.gift_wrap = gift_wrap.ToText();
  costs.cash_on_delivery = (Sum(items, &Item::CODFee) - Sum(items, &Item::CODFeeDiscount)).ToText();
  const Decimal promotion = Sum(items, &Item::PromotionDiscount);
  costs.promotion = (promotion.IsPositive() ? -promotion : promotion).ToText();
  return costs;
}

std::vector<orders::Article> Lines(const std::vector<net::MwsOrderItem>& items, Source source) {
  std::vector<orders::Article> lines;
  lines.reserve(items.size());
  MakeLines(items, source, [&lines]() -> orders::Article& { return lines.emplace_back(); });
  return lines;
}

orders::ShopOrder ShipmentOrder(const FbaData& row, const net::MwsOrder& order,
                                const std::vector<net::MwsOrderItem>& items) {
  orders::ShopOrder shop_order = Frame(row._amazon_order_id, order, items, Source::kShipmentReport);
  shop_order.OrderDate = LocalOrderDate(row._purchase_date);
  shop_order.DeliveryKind = row._ship_service_level;
  auto& data = shop_order.CustomerData;
  FillCustomer(*data.Customer, row._buyer_name, row._bill_address_1, row._bill_address_2,
               row._ship_postal_code, row._ship_city, row._ship_country, row._buyer_phone_number,
               row._buyer_email);
  FillAddress(*data.DeliveryData, SplitName(row._recipient_name),
              SplitAddressLines(row._ship_address_1, row._ship_address_2), row._ship_postal_code,
              row._ship_city, row._ship_country, row._ship_phone_number, row._buyer_email);
  FillAddress(*data.PaymentData, SplitName(row._buyer_name),
              SplitAddressLines(row._bill_address_1, row._bill_address_2), row._bill_postal_code,
              row._bill_city, row._bill_country, row._buyer_phone_number, row._buyer_email);
  return shop_order;
}

orders::ShopOrder ReportOrder(const OrderReportEntry& entry, const net::MwsOrder& order,
                              const std::vector<net::MwsOrderItem>& items) {
  orders::ShopOrder shop_order = Frame(entry.AmazonOrderID, order, items, Source::kOrderReport);
  shop_order.OrderDate = LocalOrderDate(entry.OrderDate);
  shop_order.DeliveryKind = entry.service_level;
  const std::string& mail = order.BuyerEmail;
  auto& data = shop_order.CustomerData;

  // The customer is the buyer of the billing address; reports without one
  // (the US marketplace) name only the recipient.
  const bool billing_named = entry.billing && !text::TrimView(entry.billing->Name).empty();
  static const ReportAddress kNoAddress;
  const ReportAddress& customer = billing_named    ? *entry.billing
                                  : entry.shipping ? *entry.shipping
                                                   : kNoAddress;
  FillCustomer(*data.Customer, customer.Name, customer.AddressFieldOne, customer.AddressFieldTwo,
               customer.PostalCode, customer.City, customer.CountryCode, customer.PhoneNumber, mail);

  if (!entry.has_fulfillment_data) {
    data.DeliveryData.reset();
  } else if (entry.shipping) {
    FillFromReport(*data.DeliveryData, *entry.shipping, mail);
  } else {
    data.DeliveryData->Mail = mail;
  }
  if (!entry.has_billing_data) {
    data.PaymentData.reset();
  } else if (entry.billing) {
    FillFromReport(*data.PaymentData, *entry.billing, mail);
  } else {
    data.PaymentData->Mail = mail;
  }
  return shop_order;
}

}  // namespace kanvio::amazon_orders
