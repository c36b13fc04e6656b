#include "net/EbayTradingAnswers.h"

#include <array>
#include <charconv>
#include <pugixml.hpp>
#include <utility>

#include "support/Text.h"

namespace kanvio::net {
namespace {

constexpr std::array<std::pair<std::string_view, PaidStatus>, 19> kPaidStatuses{{
    {"NotPaid", PaidStatus::NotPaid},
    {"BuyerHasNotCompletedCheckout", PaidStatus::BuyerHasNotCompletedCheckout},
    {"PaymentPendingWithPayPal", PaidStatus::PaymentPendingWithPayPal},
    {"PaidWithPayPal", PaidStatus::PaidWithPayPal},
    {"MarkedAsPaid", PaidStatus::MarkedAsPaid},
    {"PaymentPendingWithEscrow", PaidStatus::PaymentPendingWithEscrow},
    {"PaidWithEscrow", PaidStatus::PaidWithEscrow},
    {"EscrowPaymentCancelled", PaidStatus::EscrowPaymentCancelled},
    {"PaymentPendingWithPaisaPay", PaidStatus::PaymentPendingWithPaisaPay},
    {"PaidWithPaisaPay", PaidStatus::PaidWithPaisaPay},
    {"PaymentPending", PaidStatus::PaymentPending},
    {"PaymentPendingWithPaisaPayEscrow", PaidStatus::PaymentPendingWithPaisaPayEscrow},
    {"PaidWithPaisaPayEscrow", PaidStatus::PaidWithPaisaPayEscrow},
    {"PaisaPayNotPaid", PaidStatus::PaisaPayNotPaid},
    {"Refunded", PaidStatus::Refunded},
    {"WaitingForCODPayment", PaidStatus::WaitingForCODPayment},
    {"PaidCOD", PaidStatus::PaidCOD},
    {"CustomCode", PaidStatus::CustomCode},
    {"Paid", PaidStatus::Paid},
}};

constexpr std::array<std::pair<std::string_view, CompleteStatus>, 3> kCompleteStatuses{{
    {"Incomplete", CompleteStatus::Incomplete},
    {"Complete", CompleteStatus::Complete},
    {"Pending", CompleteStatus::Pending},
}};

constexpr std::array<std::pair<std::string_view, TokenStatus>, 6> kTokenStatuses{{
    {"Active", TokenStatus::Active},
    {"Expired", TokenStatus::Expired},
    {"Invalid", TokenStatus::Invalid},
    {"RevokedByApp", TokenStatus::RevokedByApp},
    {"RevokedByeBay", TokenStatus::RevokedByeBay},
    {"RevokedByUser", TokenStatus::RevokedByUser},
}};

// Variations with more names or values than this are not a real listing's;
// the rest is left out so that an article name stays readable.
constexpr std::size_t kMaxVariationSpecifics = 100;

// The name after the first colon. With the parse options used here only
// elements have names, so a text node reads as "" and matches nothing.
std::string_view LocalName(const pugi::xml_node& node) {
  const std::string_view name = node.name();
  const auto colon = name.find(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

pugi::xml_node Child(const pugi::xml_node& parent, std::string_view name) {
  for (pugi::xml_node child = parent.first_child(); child; child = child.next_sibling())
    if (LocalName(child) == name) return child;
  return {};
}

// The first child of each name, found in one pass over the children.
template <std::size_t N>
std::array<pugi::xml_node, N> Children(const pugi::xml_node& parent, const std::string_view (&names)[N]) {
  std::array<pugi::xml_node, N> found{};
  for (pugi::xml_node child = parent.first_child(); child; child = child.next_sibling()) {
    const std::string_view name = LocalName(child);
    for (std::size_t i = 0; i < N; ++i)
      if (!found[i] && name == names[i]) found[i] = child;
  }
  return found;
}

template <class Visit>
void ForEachChild(const pugi::xml_node& parent, std::string_view name, Visit visit) {
  for (pugi::xml_node child = parent.first_child(); child; child = child.next_sibling())
    if (LocalName(child) == name) visit(child);
}

const char* TextData(const pugi::xml_node& node) { return node.child_value(); }
std::string Text(const pugi::xml_node& node) { return TextData(node); }

std::string TextOf(const pugi::xml_node& parent, std::string_view name) { return Text(Child(parent, name)); }

template <class Enum, std::size_t N>
std::optional<Enum> EnumOf(const pugi::xml_node& node, std::string_view name,
                           const std::array<std::pair<std::string_view, Enum>, N>& names, Notes& notes) {
  if (!node) return std::nullopt;
  const std::string_view value = text::TrimView(TextData(node));
  for (const auto& [known, value_of] : names)
    if (value == known) return value_of;
  notes.insert("eBay lieferte für " + std::string(name) + " den unbekannten Wert \"" + std::string(value) +
               "\".");
  return std::nullopt;
}

template <class Enum, std::size_t N>
std::optional<Enum> ReadEnum(const pugi::xml_node& parent, std::string_view name,
                             const std::array<std::pair<std::string_view, Enum>, N>& names, Notes& notes) {
  return EnumOf(Child(parent, name), name, names, notes);
}

template <class Number>
std::optional<Number> ParseNumber(std::string_view text) {
  const std::string_view trimmed = text::TrimView(text);
  Number value{};
  const char* end = trimmed.data() + trimmed.size();
  const auto result = std::from_chars(trimmed.data(), end, value);
  if (result.ec != std::errc() || result.ptr != end || trimmed.empty()) return std::nullopt;
  return value;
}

// The readers below take the element itself (`name` only names it in a
// note); the ones after them look it up among a parent's children.
std::optional<std::int32_t> IntOf(const pugi::xml_node& node, std::string_view name, Notes& notes) {
  if (!node) return std::nullopt;
  auto value = ParseNumber<std::int32_t>(TextData(node));
  if (!value) notes.insert("eBay lieferte für " + std::string(name) + " keine ganze Zahl.");
  return value;
}

std::optional<Amount> AmountOf(const pugi::xml_node& node, std::string_view name, Notes& notes) {
  if (!node) return std::nullopt;
  auto value = ParseNumber<double>(TextData(node));
  if (!value) {
    notes.insert("eBay lieferte für " + std::string(name) + " keinen Betrag.");
    return std::nullopt;
  }
  return Amount{*value, node.attribute("currencyID").value()};
}

std::optional<platform::UtcTime> DateOf(const pugi::xml_node& node, std::string_view name, Notes& notes) {
  if (!node) return std::nullopt;
  auto value = ParseEbayDate(TextData(node));
  if (!value) notes.insert("eBay lieferte für " + std::string(name) + " kein Datum.");
  return value;
}

std::optional<std::int32_t> ReadInt(const pugi::xml_node& parent, std::string_view name, Notes& notes) {
  return IntOf(Child(parent, name), name, notes);
}

// Fills what the caller made in place: the answers are read into records
// that stay where they are made, without moving their texts again.
void FillAddress(const pugi::xml_node& node, Address& address) {
  for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
    const std::string_view name = LocalName(child);
    std::string* field = name == "Name"          ? &address.name
                         : name == "Street1"     ? &address.street1
                         : name == "Street2"     ? &address.street2
                         : name == "CityName"    ? &address.city_name
                         : name == "PostalCode"  ? &address.postal_code
                         : name == "Country"     ? &address.country
                         : name == "CountryName" ? &address.country_name
                         : name == "Phone"       ? &address.phone
                                                 : nullptr;
    if (field != nullptr && field->empty()) field->assign(TextData(child));
  }
}

void ReadAddressInto(const pugi::xml_node& parent, std::string_view name, std::optional<Address>& address) {
  if (const pugi::xml_node node = Child(parent, name)) FillAddress(node, address.emplace());
}

void FillUser(const pugi::xml_node& node, User& user) {
  for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
    const std::string_view name = LocalName(child);
    if (name == "UserID") {
      user.user_id.assign(TextData(child));
    } else if (name == "Email") {
      user.email.assign(TextData(child));
    } else if (name == "RegistrationAddress") {
      if (!user.registration_address) FillAddress(child, user.registration_address.emplace());
    } else if (name == "BuyerInfo") {
      if (!user.shipping_address) ReadAddressInto(child, "ShippingAddress", user.shipping_address);
    } else if (name == "SellerInfo") {
      if (!user.seller_payment_address)
        ReadAddressInto(child, "SellerPaymentAddress", user.seller_payment_address);
    }
  }
}

std::optional<ShippingServiceSelected> ShippingOf(const pugi::xml_node& node, Notes& notes) {
  if (!node) return std::nullopt;
  const auto [service, cost] = Children(node, {"ShippingService", "ShippingServiceCost"});
  return ShippingServiceSelected{Text(service), AmountOf(cost, "ShippingServiceCost", notes)};
}

std::optional<ShippingServiceSelected> ReadShipping(const pugi::xml_node& parent, Notes& notes) {
  return ShippingOf(Child(parent, "ShippingServiceSelected"), notes);
}

std::vector<VariationSpecific> VariationOf(const pugi::xml_node& variation, Notes& notes) {
  std::vector<VariationSpecific> specifics;
  const pugi::xml_node list = Child(variation, "VariationSpecifics");
  bool cut = false;
  ForEachChild(list, "NameValueList", [&](const pugi::xml_node& pair) {
    if (specifics.size() == kMaxVariationSpecifics) {
      cut = true;
      return;
    }
    VariationSpecific specific{TextOf(pair, "Name"), {}};
    ForEachChild(pair, "Value", [&](const pugi::xml_node& value) {
      if (specific.second.size() < kMaxVariationSpecifics) specific.second.push_back(Text(value));
    });
    specifics.push_back(std::move(specific));
  });
  if (cut)
    notes.insert("eBay lieferte eine Variante mit mehr als " + std::to_string(kMaxVariationSpecifics) +
                 " Merkmalen; nur die ersten wurden gelesen.");
  return specifics;
}

// One pass over the transaction's children: a transaction has some twenty,
// and the import reads tens of thousands of them. Where a child repeats, the
// first one counts for these, the last one for the plain texts.
void FillTransaction(const pugi::xml_node& node, Transaction& t, Notes& notes) {
  bool created = false, quantity = false, price = false, paid = false, shipping = false, variation = false,
       buyer = false;
  const auto first = [](bool& seen) { return !std::exchange(seen, true); };
  for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
    const std::string_view name = LocalName(child);
    if (name == "Item") {
      t.item_id = TextOf(child, "ItemID");
    } else if (name == "TransactionID") {
      t.transaction_id.assign(TextData(child));
    } else if (name == "OrderLineItemID") {
      t.order_line_item_id.assign(TextData(child));
    } else if (name == "CreatedDate") {
      if (first(created)) t.created_date = DateOf(child, name, notes);
    } else if (name == "QuantityPurchased") {
      if (first(quantity)) t.quantity_purchased = IntOf(child, name, notes);
    } else if (name == "TransactionPrice") {
      if (first(price)) t.transaction_price = AmountOf(child, name, notes);
    } else if (name == "Buyer") {
      if (std::exchange(buyer, true)) t.buyer = User{};
      FillUser(child, t.buyer);
    } else if (name == "SellerPaidStatus") {
      if (first(paid)) t.seller_paid_status = EnumOf(child, name, kPaidStatuses, notes);
    } else if (name == "Status") {
      const auto [complete, method] = Children(child, {"CompleteStatus", "PaymentMethodUsed"});
      t.complete_status = EnumOf(complete, "CompleteStatus", kCompleteStatuses, notes);
      t.payment_method_used.assign(text::TrimView(TextData(method)));
    } else if (name == "ShippingServiceSelected") {
      if (first(shipping)) t.shipping_service_selected = ShippingOf(child, notes);
    } else if (name == "BuyerCheckoutMessage") {
      t.buyer_checkout_message = Text(child);
    } else if (name == "Variation") {
      if (first(variation)) t.variation = VariationOf(child, notes);
    }
  }
}

// Counted first, so that the records are made where they stay.
std::size_t CountChildren(const pugi::xml_node& parent, std::string_view name) {
  std::size_t count = 0;
  ForEachChild(parent, name, [&](const pugi::xml_node&) { ++count; });
  return count;
}

std::vector<Transaction> ReadTransactionArray(const pugi::xml_node& parent, Notes& notes) {
  std::vector<Transaction> transactions;
  const pugi::xml_node array = Child(parent, "TransactionArray");
  transactions.reserve(CountChildren(array, "Transaction"));
  ForEachChild(array, "Transaction", [&](const pugi::xml_node& node) {
    FillTransaction(node, transactions.emplace_back(), notes);
  });
  return transactions;
}

Order ReadOrder(const pugi::xml_node& node, Notes& notes) {
  return Order{TextOf(node, "OrderID"), ReadTransactionArray(node, notes), ReadShipping(node, notes)};
}

// The errors and the first Ack, in one pass over the root's children.
std::vector<EbayErrorEntry> ReadErrors(const pugi::xml_node& root, pugi::xml_node& ack) {
  std::vector<EbayErrorEntry> errors;
  for (pugi::xml_node child = root.first_child(); child; child = child.next_sibling()) {
    const std::string_view name = LocalName(child);
    if (name == "Ack") {
      if (!ack) ack = child;
    } else if (name == "Errors") {
      const auto [code, short_message, long_message, severity, classification] = Children(
          child, {"ErrorCode", "ShortMessage", "LongMessage", "SeverityCode", "ErrorClassification"});
      errors.push_back({text::Trim(Text(code)), Text(short_message), Text(long_message),
                        text::Trim(Text(severity)), text::Trim(Text(classification))});
    }
  }
  return errors;
}

std::string Describe(const std::vector<EbayErrorEntry>& errors) {
  if (errors.empty()) return "ohne Fehlerangabe";
  std::string text;
  for (const auto& error : errors) {
    if (!text.empty()) text += "; ";
    text += error.code.empty() ? "?" : error.code;
    text += " " + (error.long_message.empty() ? error.short_message : error.long_message);
  }
  return text;
}

int Digits(std::string_view text, std::size_t at, std::size_t count) {
  if (at + count > text.size()) return -1;
  int value = 0;
  for (std::size_t i = at; i < at + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return -1;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

}  // namespace

EbayApiError::EbayApiError(const std::string& call, std::vector<EbayErrorEntry> errors)
    : Error("eBay lehnte den Aufruf " + call + " ab: " + Describe(errors)), errors_(std::move(errors)) {}

bool EbayApiError::IsSystemError() const {
  if (errors_.empty()) return false;
  for (const auto& error : errors_)
    if (error.classification != "SystemError") return false;
  return true;
}

struct EbayAnswer::Parsed {
  std::string text;  // what an in-place parse points into
  pugi::xml_document document;
};

EbayAnswer EbayAnswer::Read(std::string_view call, std::string_view text) {
  EbayAnswer answer;
  answer.parsed_ = std::make_shared<Parsed>();
  answer.Check(call,
               bool(answer.parsed_->document.load_buffer(text.data(), text.size(), pugi::parse_default)));
  return answer;
}

EbayAnswer EbayAnswer::Read(std::string_view call, std::string&& text) {
  EbayAnswer answer;
  answer.parsed_ = std::make_shared<Parsed>();
  Parsed& parsed = *answer.parsed_;
  parsed.text = std::move(text);
  answer.Check(call, bool(parsed.document.load_buffer_inplace(parsed.text.data(), parsed.text.size(),
                                                              pugi::parse_default)));
  return answer;
}

void EbayAnswer::Check(std::string_view call, bool parsed) {
  if (!parsed) throw XmlError("Die Antwort von eBay auf " + std::string(call) + " ist kein XML.");
  const pugi::xml_node root = this->root();
  const std::string_view name = LocalName(root);
  if (!name.starts_with(call) || name.substr(call.size()) != "Response")
    throw XmlError("Die Antwort von eBay auf " + std::string(call) + " ist keine " + std::string(call) +
                   "-Antwort.");
  pugi::xml_node ack_node;
  std::vector<EbayErrorEntry> errors = ReadErrors(root, ack_node);
  const std::string_view ack = text::TrimView(TextData(ack_node));
  if (ack != "Success" && ack != "Warning") throw EbayApiError(std::string(call), std::move(errors));
  warnings_ = std::move(errors);
}

pugi::xml_node EbayAnswer::root() const { return parsed_->document.document_element(); }

std::string ReadSessionId(const EbayAnswer& answer) {
  std::string session = text::Trim(TextOf(answer.root(), "SessionID"));
  if (session.empty()) throw XmlError("Die Antwort von eBay enthält keine SessionID.");
  return session;
}

std::string ReadToken(const EbayAnswer& answer) {
  std::string token = text::Trim(TextOf(answer.root(), "eBayAuthToken"));
  if (token.empty()) throw XmlError("Die Antwort von eBay enthält kein Token.");
  return token;
}

TokenStatus ReadTokenStatus(const EbayAnswer& answer) {
  const pugi::xml_node token_status = Child(answer.root(), "TokenStatus");
  if (!Child(token_status, "Status")) throw XmlError("Die Antwort von eBay enthält keinen Token-Status.");
  Notes ignored;
  return ReadEnum(token_status, "Status", kTokenStatuses, ignored).value_or(TokenStatus::Other);
}

SoldListPage ReadSoldList(const EbayAnswer& answer, Notes& notes) {
  SoldListPage page;
  const pugi::xml_node sold_list = Child(answer.root(), "SoldList");
  if (!sold_list) return page;
  page.has_sold_list = true;
  const pugi::xml_node array = Child(sold_list, "OrderTransactionArray");
  page.entries.reserve(CountChildren(array, "OrderTransaction"));
  ForEachChild(array, "OrderTransaction", [&](const pugi::xml_node& node) {
    OrderTransaction& entry = page.entries.emplace_back();
    if (const pugi::xml_node order = Child(node, "Order")) entry.order = ReadOrder(order, notes);
    if (const pugi::xml_node transaction = Child(node, "Transaction"))
      FillTransaction(transaction, entry.transaction.emplace(), notes);
  });
  page.total_pages = ReadInt(Child(sold_list, "PaginationResult"), "TotalNumberOfPages", notes).value_or(0);
  return page;
}

// One pass over the answer, the listing and its details: the first of each
// element counts, as a search for it would find.
ItemTransactions ReadItemTransactions(const EbayAnswer& answer, Notes& notes) {
  ItemTransactions result;
  Listing& listing = result.item;
  const auto first_text = [](bool& seen, std::string& field, const pugi::xml_node& node) {
    if (!std::exchange(seen, true)) field.assign(TextData(node));
  };
  bool item = false, transactions = false;
  for (pugi::xml_node child = answer.root().first_child(); child; child = child.next_sibling()) {
    const std::string_view name = LocalName(child);
    if (name == "Item" && !std::exchange(item, true)) {
      bool id = false, title = false, details = false;
      for (pugi::xml_node field = child.first_child(); field; field = field.next_sibling()) {
        const std::string_view field_name = LocalName(field);
        if (field_name == "ItemID") {
          first_text(id, listing.item_id, field);
        } else if (field_name == "Title") {
          first_text(title, listing.title, field);
        } else if (field_name == "ListingDetails" && !std::exchange(details, true)) {
          bool url = false, natural = false;
          for (pugi::xml_node link = field.first_child(); link; link = link.next_sibling()) {
            const std::string_view link_name = LocalName(link);
            if (link_name == "ViewItemURL") {
              first_text(url, listing.view_item_url, link);
            } else if (link_name == "ViewItemURLForNaturalSearch") {
              first_text(natural, listing.view_item_url_for_natural_search, link);
            }
          }
        }
      }
    } else if (name == "TransactionArray" && !std::exchange(transactions, true)) {
      result.transactions.reserve(CountChildren(child, "Transaction"));
      ForEachChild(child, "Transaction", [&](const pugi::xml_node& node) {
        FillTransaction(node, result.transactions.emplace_back(), notes);
      });
    }
  }
  return result;
}

std::optional<Address> ReadSellerPaymentAddress(const EbayAnswer& answer, Notes&) {
  // As FillUser reads it, without the rest of the user.
  std::optional<Address> address;
  ForEachChild(Child(answer.root(), "User"), "SellerInfo", [&](const pugi::xml_node& seller) {
    if (!address) ReadAddressInto(seller, "SellerPaymentAddress", address);
  });
  return address;
}

std::optional<Order> ReadFirstOrder(const EbayAnswer& answer, Notes& notes) {
  const pugi::xml_node order = Child(Child(answer.root(), "OrderArray"), "Order");
  if (!order) return std::nullopt;
  return ReadOrder(order, notes);
}

std::optional<platform::UtcTime> ParseEbayDate(std::string_view text) {
  const std::string_view s = text::TrimView(text);
  // yyyy-MM-ddTHH:mm:ss
  if (s.size() < 19 || s[4] != '-' || s[7] != '-' || (s[10] != 'T' && s[10] != ' ') || s[13] != ':' ||
      s[16] != ':')
    return std::nullopt;
  const int year = Digits(s, 0, 4), month = Digits(s, 5, 2), day = Digits(s, 8, 2);
  const int hour = Digits(s, 11, 2), minute = Digits(s, 14, 2), second = Digits(s, 17, 2);
  if (year < 1 || month < 1 || day < 1 || hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 ||
      second > 59)
    return std::nullopt;
  const std::chrono::year_month_day date{std::chrono::year(year), std::chrono::month(unsigned(month)),
                                         std::chrono::day(unsigned(day))};
  if (!date.ok()) return std::nullopt;
  std::size_t at = 19;
  if (at < s.size() && s[at] == '.') {
    ++at;
    const std::size_t digits = at;
    while (at < s.size() && s[at] >= '0' && s[at] <= '9') ++at;
    if (at == digits) return std::nullopt;
  }
  std::chrono::minutes offset{0};
  if (at < s.size() && (s[at] == 'Z' || s[at] == 'z')) {
    ++at;
  } else if (at < s.size() && (s[at] == '+' || s[at] == '-')) {
    const int hours = Digits(s, at + 1, 2), minutes = Digits(s, at + 4, 2);
    if (hours < 0 || minutes < 0 || s.size() < at + 6 || s[at + 3] != ':') return std::nullopt;
    offset = std::chrono::minutes(hours * 60 + minutes) * (s[at] == '-' ? -1 : 1);
    at += 6;
  }
  if (at != s.size()) return std::nullopt;
  const LocalDateTime utc{year, month, day, hour, minute, second};
  return platform::FromUtcCalendar(utc) - offset;
}

}  // namespace kanvio::net
