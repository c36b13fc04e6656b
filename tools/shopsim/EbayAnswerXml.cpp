#include "EbayAnswerXml.h"

#include <sstream>

namespace kanvio::shopsim {
namespace {

constexpr const char* kNamespace = "urn:ebay:apis:eBLBaseComponents";

void Add(pugi::xml_node parent, const char* name, const std::string& text) {
  parent.append_child(name).text().set(text.c_str());
}

std::string Document(const std::string& call, const std::string& ack,
                     const std::function<void(pugi::xml_node)>& fill) {
  pugi::xml_document document;
  auto declaration = document.append_child(pugi::node_declaration);
  declaration.append_attribute("version") = "1.0";
  declaration.append_attribute("encoding") = "UTF-8";
  pugi::xml_node root = document.append_child((call + "Response").c_str());
  root.append_attribute("xmlns") = kNamespace;
  Add(root, "Timestamp",
      EbayAnswerXml::Date(std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now())));
  Add(root, "Ack", ack);
  fill(root);
  Add(root, "Version", "1081");
  Add(root, "Build", "shopsim_1081");
  std::ostringstream out;
  document.save(out, "", pugi::format_raw);
  return out.str();
}

void AppendAmount(pugi::xml_node parent, const char* name, const std::string& value,
                  const std::string& currency) {
  pugi::xml_node amount = parent.append_child(name);
  amount.append_attribute("currencyID") = currency.c_str();
  amount.text().set(value.c_str());
}

void AppendStatus(pugi::xml_node transaction, const EbaySaleRecord& sale, bool detailed) {
  pugi::xml_node status = transaction.append_child("Status");
  if (detailed) {
    Add(status, "eBayPaymentStatus", "NoPaymentFailure");
    Add(status, "CheckoutStatus",
        sale.complete_status == "Complete" ? "CheckoutComplete" : "CheckoutIncomplete");
    Add(status, "PaymentMethodUsed", sale.payment_method);
  }
  Add(status, "CompleteStatus", sale.complete_status);
}

void AppendSoldTransaction(pugi::xml_node parent, const EbaySaleRecord& sale) {
  pugi::xml_node transaction = parent.append_child("Transaction");
  Add(transaction.append_child("Buyer"), "UserID", sale.buyer_id);
  pugi::xml_node item = transaction.append_child("Item");
  Add(item, "ItemID", sale.item_id);
  Add(item, "Title", sale.title);
  Add(transaction, "CreatedDate", EbayAnswerXml::Date(sale.created));
  Add(transaction, "QuantityPurchased", std::to_string(sale.quantity));
  AppendStatus(transaction, sale, false);
  Add(transaction, "TransactionID", sale.transaction_id);
  AppendAmount(transaction, "TotalPrice", sale.price, sale.currency);
  Add(transaction, "OrderLineItemID", sale.OrderLineItemId());
  Add(transaction, "SellerPaidStatus", sale.paid_status);
}

}  // namespace

std::string EbayAnswerXml::Date(std::chrono::sys_seconds instant) {
  const auto day = std::chrono::floor<std::chrono::days>(instant);
  const std::chrono::year_month_day date{day};
  const std::chrono::hh_mm_ss time{instant - day};
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02d.000Z", int(date.year()),
                unsigned(date.month()), unsigned(date.day()), int(time.hours().count()),
                int(time.minutes().count()), int(time.seconds().count()));
  return text;
}

std::string EbayAnswerXml::Success(const std::string& call, const std::function<void(pugi::xml_node)>& fill) {
  return Document(call, "Success", fill);
}

std::string EbayAnswerXml::Failure(const std::string& call, const std::string& code,
                                   const std::string& message, const std::string& classification) {
  return Document(call, "Failure", [&](pugi::xml_node root) {
    pugi::xml_node errors = root.append_child("Errors");
    Add(errors, "ShortMessage", message);
    Add(errors, "LongMessage", message);
    Add(errors, "ErrorCode", code);
    Add(errors, "SeverityCode", "Error");
    Add(errors, "ErrorClassification", classification);
  });
}

void EbayAnswerXml::AppendSoldEntry(pugi::xml_node array, const EbaySoldRecord& sold) {
  pugi::xml_node entry = array.append_child("OrderTransaction");
  if (sold.order_id.empty()) {
    AppendSoldTransaction(entry, sold.lines.front());
    return;
  }
  pugi::xml_node order = entry.append_child("Order");
  Add(order, "OrderID", sold.order_id);
  pugi::xml_node transactions = order.append_child("TransactionArray");
  for (const auto& line : sold.lines) AppendSoldTransaction(transactions, line);
}

void EbayAnswerXml::AppendAddress(pugi::xml_node parent, const char* name, const EbayAddressRecord& address) {
  pugi::xml_node node = parent.append_child(name);
  Add(node, "Name", address.name);
  Add(node, "Street1", address.street1);
  Add(node, "Street2", address.street2);
  Add(node, "CityName", address.city);
  Add(node, "Country", address.country);
  Add(node, "CountryName", address.country_name);
  Add(node, "Phone", address.phone);
  Add(node, "PostalCode", address.postal_code);
}

void EbayAnswerXml::AppendShipping(pugi::xml_node parent, const EbaySaleRecord& sale) {
  if (sale.shipping_service.empty()) return;
  pugi::xml_node shipping = parent.append_child("ShippingServiceSelected");
  Add(shipping, "ShippingService", sale.shipping_service);
  if (!sale.shipping_cost.empty())
    AppendAmount(shipping, "ShippingServiceCost", sale.shipping_cost, sale.currency);
}

void EbayAnswerXml::AppendDetailedTransaction(pugi::xml_node parent, const EbaySaleRecord& sale,
                                              const std::optional<EbayBuyerRecord>& buyer,
                                              const std::string& order_id) {
  pugi::xml_node transaction = parent.append_child("Transaction");
  AppendAmount(transaction, "AmountPaid", sale.price, sale.currency);
  pugi::xml_node buyer_node = transaction.append_child("Buyer");
  Add(buyer_node, "UserID", sale.buyer_id);
  if (buyer) {
    Add(buyer_node, "Email", buyer->email);
    if (buyer->registration) AppendAddress(buyer_node, "RegistrationAddress", *buyer->registration);
    if (buyer->shipping)
      AppendAddress(buyer_node.append_child("BuyerInfo"), "ShippingAddress", *buyer->shipping);
  }
  AppendShipping(transaction, sale);
  Add(transaction, "CreatedDate", Date(sale.created));
  Add(transaction.append_child("Item"), "ItemID", sale.item_id);
  Add(transaction, "QuantityPurchased", std::to_string(sale.quantity));
  AppendStatus(transaction, sale, true);
  Add(transaction, "TransactionID", sale.transaction_id);
  AppendAmount(transaction, "TransactionPrice", sale.price, sale.currency);
  if (!sale.message.empty()) Add(transaction, "BuyerCheckoutMessage", sale.message);
  if (!sale.variation.empty()) {
    pugi::xml_node variation = transaction.append_child("Variation");
    pugi::xml_node specifics = variation.append_child("VariationSpecifics");
    for (const auto& [name, value] : sale.variation) {
      pugi::xml_node pair = specifics.append_child("NameValueList");
      Add(pair, "Name", name);
      Add(pair, "Value", value);
    }
  }
  if (!order_id.empty()) Add(transaction.append_child("ContainingOrder"), "OrderID", order_id);
  Add(transaction, "OrderLineItemID", sale.OrderLineItemId());
  Add(transaction, "SellerPaidStatus", sale.paid_status);
}

void EbayAnswerXml::AppendListing(pugi::xml_node parent, const EbaySaleRecord& sale) {
  pugi::xml_node item = parent.append_child("Item");
  Add(item, "ItemID", sale.item_id);
  Add(item, "Title", sale.title);
  pugi::xml_node details = item.append_child("ListingDetails");
  Add(details, "ViewItemURL", "https://ebay.example/itm/" + sale.item_id);
  if (sale.natural_search_url)
    Add(details, "ViewItemURLForNaturalSearch", "https://ebay.example/itm/artikel/" + sale.item_id);
  Add(item, "Currency", sale.currency);
}

}  // namespace kanvio::shopsim
