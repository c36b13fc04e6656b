#include "shops/ebay/OrderManagement.h"

#include <fmt/format.h>

#include <array>
#include <cmath>
#include <initializer_list>
#include <utility>

#include "config/Logger.h"
#include "platform/Clock.h"
#include "support/Error.h"
#include "support/InvariantNumber.h"

namespace kanvio {
namespace {

using orders::CustomerFormatting;
using Candidate = const std::optional<net::Address>*;

// eBay writes this in place of data it keeps from the seller.
constexpr std::string_view kWithheld = "Invalid Request";

constexpr std::array<std::pair<std::string_view, std::string_view>, 18> kPaymentTexts{{
    {"MOCC", "Scheck/Vorkasse"},
    {"AmEx", "American Express"},
    {"CCAccepted", "Kreditkarte"},
    {"COD", "Nachnahme"},
    {"VisaMC", "Kreditkarte International"},
    {"PaisaPayAccepted", "PaisaPay"},
    {"PayPal", "PayPal"},
    {"Discover", "Kreditkarte International"},
    {"CashOnPickup", "Barzahlung"},
    {"MoneyXferAccepted", "Vorkasse"},
    {"MoneyXferAcceptedInCheckout", "Vorkasse"},
    {"ELV", "Bankeinzug/Lastschrift"},
    {"IntegratedMerchantCreditCard", "Kreditkarte"},
    {"Moneybookers", "Moneybookers.com"},
    {"Paymate", "PayMate"},
    {"ProPay", "ProPay"},
    {"PayOnPickup", "Barzahlung"},
    {"Diners", "Diners"},
}};

std::string_view Withheld(const std::string& value) {
  return value == kWithheld ? std::string_view() : value;
}

// Records are filled over the previous order's record: a text is written
// into the storage its member already has.
void Set(orders::NullableText& field, std::string_view value) {
  if (field) {
    field->assign(value);
  } else {
    field.emplace(value);
  }
}

std::string& Cleared(orders::NullableText& field) {
  if (!field) field.emplace();
  field->clear();
  return *field;
}

std::string_view PaymentTextOf(std::string_view method) {
  for (const auto& [name, text] : kPaymentTexts)
    if (name == method) return text;
  return {};
}

void SetStreet(orders::NullableText& field, const net::Address& address) {
  const std::string& first = address.street1;
  const std::string& second = address.street2;
  if (second.empty() || second == first) return Set(field, first);
  if (first.empty()) return Set(field, second);
  Cleared(field).append(first).append(", ").append(second);
}

const net::Address* FirstOf(std::initializer_list<Candidate> candidates) {
  for (Candidate candidate : candidates)
    if (candidate->has_value()) return &**candidate;
  return nullptr;
}

// What fmt's {:0<width>} gives, without parsing a format for each of the
// twelve numbers every order's date and key take.
void AppendPadded(std::string& out, int value, int width) {
  long long number = value;
  if (number < 0) {
    out.push_back('-');
    number = -number;
    --width;
  }
  char digits[24];
  int count = 0;
  do {
    digits[count++] = static_cast<char>('0' + number % 10);
    number /= 10;
  } while (number > 0);
  for (int i = count; i < width; ++i) out.push_back('0');
  while (count > 0) out.push_back(digits[--count]);
}

std::string Amount(const std::optional<net::Amount>& amount) {
  return amount ? OrderManagement::AmountText(amount->value) : std::string();
}

// Invariant, 24-hour clock.
void AppendOrderDate(std::string& date, const LocalDateTime& t) {
  AppendPadded(date, t.year, 4);
  date.push_back('-');
  AppendPadded(date, t.month, 2);
  date.push_back('-');
  AppendPadded(date, t.day, 2);
  date.push_back(' ');
  AppendPadded(date, t.hour, 2);
  date.push_back(':');
  AppendPadded(date, t.minute, 2);
  date.push_back(':');
  AppendPadded(date, t.second, 2);
}

void AppendEbayKey(std::string& key, std::string_view item_id, const LocalDateTime& t) {
  const int hour12 = t.hour % 12 == 0 ? 12 : t.hour % 12;
  key.append(item_id).push_back('_');
  AppendPadded(key, t.year, 4);
  AppendPadded(key, t.month, 2);
  AppendPadded(key, t.day, 2);
  AppendPadded(key, hour12, 2);
  AppendPadded(key, t.minute, 2);
  AppendPadded(key, t.second, 2);
}

struct Buyer {
  const std::optional<net::Address>& registration;
  const std::optional<net::Address>& shipping;
  const std::optional<net::Address>& payment;
  std::string_view email;  // views into the order, which outlives the conversion
  std::string_view user_id;
};

// Every member written here is written for each order, empty where a fresh
// record has it empty, so nothing of a previous order stays. The customer and
// the address blocks are records of different kinds with the same fields.
template <class Record>
void FillAddress(Record& record, const net::Address* address, std::string_view email, bool phone) {
  if (address == nullptr) {
    for (orders::NullableText* field : {&record.Name, &record.Street, &record.PostalCode, &record.Location,
                                        &record.CountryCode, &record.Country, &record.Mail, &record.Phone})
      Cleared(*field);
    return;
  }
  Set(record.Name, address->name);
  SetStreet(record.Street, *address);
  Set(record.PostalCode, address->postal_code);
  Set(record.Location, address->city_name);
  Set(record.CountryCode, address->country);
  Set(record.Country, address->country_name);
  Set(record.Mail, email);
  Set(record.Phone, phone ? Withheld(address->phone) : std::string_view());
}

void FillCustomer(orders::EbayCustomer& customer, const Buyer& buyer, CustomerFormatting formatting) {
  const net::Address* address = formatting == CustomerFormatting::Default
                                    ? FirstOf({&buyer.registration, &buyer.shipping, &buyer.payment})
                                    : FirstOf({&buyer.shipping, &buyer.registration, &buyer.payment});
  FillAddress(customer, address, buyer.email, true);
  if (address == nullptr)
    Cleared(customer.EbayMemberName);
  else
    Set(customer.EbayMemberName, buyer.user_id);
}

orders::EbayCustomer& CustomerOf(orders::EbayOrder& record) {
  auto* held = dynamic_cast<orders::EbayCustomer*>(record.CustomerData.Customer.get());
  return held != nullptr ? *held : record.CustomerData.Customer.Emplace<orders::EbayCustomer>();
}

void FillAddresses(orders::EbayOrder& record, const Buyer& buyer, CustomerFormatting formatting) {
  FillCustomer(CustomerOf(record), buyer, formatting);
  const auto& [registration, shipping, payment, email, user_id] = buyer;
  switch (formatting) {
    case CustomerFormatting::Default:
      FillAddress(*record.CustomerData.DeliveryData, FirstOf({&shipping, &registration, &payment}), email,
                  true);
      FillAddress(*record.CustomerData.PaymentData, FirstOf({&payment, &registration, &shipping}), email,
                  false);
      break;
    case CustomerFormatting::ShippingOnly:
      FillAddress(*record.CustomerData.DeliveryData, nullptr, email, true);
      FillAddress(*record.CustomerData.PaymentData, nullptr, email, false);
      break;
    case CustomerFormatting::ShippingAsPaymentAdress:
      FillAddress(*record.CustomerData.DeliveryData, FirstOf({&shipping, &registration, &payment}), email,
                  true);
      FillAddress(*record.CustomerData.PaymentData, FirstOf({&shipping, &payment, &registration}), email,
                  false);
      break;
  }
}

void FillArticle(const net::ItemTransactions& item, orders::EbayArticle& article) {
  if (item.transactions.empty())
    throw Error("eBay lieferte zu Artikel " + item.item.item_id + " keine Transaktion.");
  const net::Transaction& sale = item.transactions.front();
  std::string& amount = Cleared(article.Amount);
  if (sale.quantity_purchased) AppendPadded(amount, *sale.quantity_purchased, 1);
  Set(article.ArticleDiffPriceGross, Amount(sale.transaction_price));
  if (sale.variation.empty()) {
    Set(article.ArticleText, item.item.title);
  } else {
    Set(article.ArticleText, OrderManagement::ArticleName(item.item.title, sale.variation));
  }
  Set(article.EbayTitle, *article.ArticleText);
}

// The article lines of the previous record are filled over, the rest dropped.
void FillArticles(const service::EbayOrder& order, orders::EbayOrder& record) {
  std::size_t line = 0;
  for (const auto& item : order.Item) {
    if (line == record.Article.size()) record.Article.emplace_back(orders::EbayArticle());
    auto* article = dynamic_cast<orders::EbayArticle*>(record.Article[line].get());
    if (article == nullptr) article = &record.Article[line].Emplace<orders::EbayArticle>();
    FillArticle(*item, *article);
    ++line;
  }
  record.Article.erase(record.Article.begin() + std::ptrdiff_t(line), record.Article.end());
}

}  // namespace

std::string OrderManagement::AmountText(double value) {
  // Whole cents below a billion have at most eleven digits: General15 writes
  // them exactly, and this is the same text without its digit generation.
  if (std::fabs(value) < 1e9) {
    const long long cents = std::llround(value * 100);
    if (cents != 0 && double(cents) / 100 == value) {
      const long long whole = cents < 0 ? -cents : cents;
      std::string text;
      if (cents < 0) text.push_back('-');
      AppendPadded(text, int(whole / 100), 1);
      if (const int fraction = int(whole % 100); fraction != 0) {
        text.push_back('.');
        text.push_back(char('0' + fraction / 10));
        if (fraction % 10 != 0) text.push_back(char('0' + fraction % 10));
      }
      return text;
    }
  }
  return invariant::General15(value);
}

std::string OrderManagement::PaymentText(std::string_view method) {
  return std::string(PaymentTextOf(method));
}

std::string OrderManagement::ArticleName(const std::string& title,
                                         const std::vector<net::VariationSpecific>& variation) {
  std::string values;
  for (std::size_t i = 0; i < variation.size(); ++i) {
    if (i > 0) values += ",";
    if (!variation[i].second.empty()) values += variation[i].second.front();
  }
  // Names without values join to commas only: nothing worth showing.
  if (values.find_first_not_of(',') == std::string::npos) return title;
  return title + "[" + values + "]";
}

std::string OrderManagement::EbayKey(const std::string& item_id, const LocalDateTime& t) {
  std::string key;
  key.reserve(item_id.size() + 15);
  AppendEbayKey(key, item_id, t);
  return key;
}

std::string OrderManagement::Street(const net::Address& address) {
  const std::string& first = address.street1;
  const std::string& second = address.street2;
  if (second.empty() || second == first) return first;
  return first.empty() ? second : first + ", " + second;
}

namespace {

// Fills a record made by the caller, or the caller's record of the previous
// order: the record has some hundred members, and making it anew for each
// order costs about as much as filling it.
bool ConvertOrderInto(const service::EbayOrder& order, CustomerFormatting formatting,
                      orders::EbayOrder& record) {
  if (order.Item.empty() || order.Transaction.empty()) return false;
  const net::Transaction& first = order.Transaction.front();
  const net::User& user = first.buyer;
  if (!user.registration_address && !user.shipping_address) return false;
  for (const auto& item : order.Item)
    if (!item) throw Error("Zu einer Position der Bestellung fehlen die Artikeldaten von eBay.");
  if (!first.created_date) throw Error("eBay lieferte kein Bestelldatum.");

  const LocalDateTime created = platform::CurrentClock().ToLocal(*first.created_date);
  const net::Listing& listing = order.Item.front()->item;
  AppendOrderDate(Cleared(record.OrderDate), created);
  Set(record.DeliveryKind,
      first.shipping_service_selected ? std::string_view(first.shipping_service_selected->service) : "");
  Set(record.PaymentKind, PaymentTextOf(first.payment_method_used));
  Set(record.OrderMessage,
      first.buyer_checkout_message ? std::string_view(*first.buyer_checkout_message) : "");
  AppendEbayKey(Cleared(record.EbayKey), listing.item_id, created);
  Set(record.Weblink, listing.view_item_url_for_natural_search.empty()
                          ? listing.view_item_url
                          : listing.view_item_url_for_natural_search);
  Set(record.EbayOrderLineItem, first.order_line_item_id);
  FillAddresses(record,
                Buyer{user.registration_address, user.shipping_address, order.PaymentAddress,
                      Withheld(user.email), user.user_id},
                formatting);
  FillArticles(order, record);
  Set(record.CustomerData.FrieghtCost.FreightCostGross,
      first.shipping_service_selected ? Amount(first.shipping_service_selected->cost) : std::string());
  return true;
}

}  // namespace

std::optional<orders::EbayOrder> OrderManagement::ConvertOrder(const service::EbayOrder& order,
                                                               CustomerFormatting formatting) {
  std::optional<orders::EbayOrder> record;
  if (!ConvertOrderInto(order, formatting, record.emplace())) record.reset();
  return record;
}

bool OrderManagement::ConvertOrderTo(const service::EbayOrder& order, CustomerFormatting formatting,
                                     const Sink& sink) {
  std::optional<orders::EbayOrder> record;
  return ConvertOrderTo(order, formatting, sink, record);
}

bool OrderManagement::ConvertOrderTo(const service::EbayOrder& order, CustomerFormatting formatting,
                                     const Sink& sink, std::optional<orders::EbayOrder>& record) {
  try {
    // A record left half filled by a failure is not filled over.
    if (!ConvertOrderInto(order, formatting, record ? *record : record.emplace())) {
      record.reset();
      Logger::LogInfo("eBay: Eine Bestellung ohne Artikel oder Käuferadresse wurde ausgelassen.");
    }
  } catch (const std::exception& e) {
    record.reset();
    try {
      Logger::LogError(std::string("eBay: Eine Bestellung wurde ausgelassen: ") + e.what());
    } catch (...) {
    }
  }
  if (!record) return false;
  sink(*record);
  return true;
}

std::int32_t OrderManagement::ConvertOrders(IWorker* worker, const std::vector<service::EbayOrder>& orders,
                                            CustomerFormatting formatting, const Sink& sink) {
  if (worker) worker->setUserStatusMessage("Verarbeite eBay Bestellungen...", -1);
  const auto count = static_cast<std::int32_t>(orders.size());
  std::int32_t converted = 0;
  std::optional<orders::EbayOrder> record;
  for (std::int32_t i = 0; i < count; ++i) {
    if (worker)
      worker->setUserStatusMessage(fmt::format("Verarbeite eBay Bestellung {0} von {1}", i + 1, count),
                                   i + 1);
    if (ConvertOrderTo(orders[std::size_t(i)], formatting, sink, record)) ++converted;
  }
  return converted;
}

}  // namespace kanvio
