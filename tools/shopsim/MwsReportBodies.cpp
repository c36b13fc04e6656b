#include "MwsReportBodies.h"

#include "support/Text.h"

namespace kanvio::shopsim::mws_reports {
namespace {

constexpr const char* kShipmentHeader =
    "amazon-order-id\tmerchant-order-id\tshipment-id\tshipment-item-id\tamazon-order-item-id\tmerchant-order-"
    "item-id\tpurchase-date\tpayments-date\tshipment-date\treporting-date\tbuyer-email\tbuyer-name\tbuyer-"
    "phone-number\tsku\tproduct-name\tquantity-shipped\tcurrency\titem-price\titem-tax\tshipping-"
    "price\tshipping-tax\tgift-wrap-price\tgift-wrap-tax\tship-service-level\trecipient-name\tship-address-"
    "1\tship-address-2\tship-address-3\tship-city\tship-state\tship-postal-code\tship-country\tship-phone-"
    "number\tbill-address-1\tbill-address-2\tbill-address-3\tbill-city\tbill-state\tbill-postal-code\tbill-"
    "country\titem-promotion-discount\tship-promotion-discount\tcarrier\ttracking-number\testimated-arrival-"
    "date\tfulfillment-center-id\tfulfillment-channel\tsales-channel";

std::string Escape(const std::string& text, bool bare_ampersands) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&':
        out += bare_ampersands ? "&" : "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      default:
        out.push_back(c);
    }
  }
  return out;
}

void Element(std::string& xml, const char* name, const std::string& text, bool bare_ampersands = false) {
  xml += '<';
  xml += name;
  xml += '>';
  xml += Escape(text, bare_ampersands);
  xml += "</";
  xml += name;
  xml += '>';
}

void Address(std::string& xml, const MwsAddress& address, bool bare) {
  xml += "<Address>";
  Element(xml, "Name", address.name, bare);
  Element(xml, "AddressFieldOne", address.line1, bare);
  if (!address.line2.empty()) Element(xml, "AddressFieldTwo", address.line2, bare);
  Element(xml, "City", address.city, bare);
  Element(xml, "PostalCode", address.postal_code);
  Element(xml, "CountryCode", address.country_code);
  if (!address.phone.empty()) Element(xml, "PhoneNumber", address.phone);
  xml += "</Address>";
}

void Component(std::string& xml, const char* type, const std::optional<std::string>& amount,
               const std::string& currency) {
  if (!amount) return;
  xml += "<Component><Type>";
  xml += type;
  xml += "</Type><Amount currency=\"" + currency + "\">" + *amount + "</Amount></Component>";
}

const std::string& Or(const std::optional<std::string>& value) {
  static const std::string empty;
  return value ? *value : empty;
}

}  // namespace

std::string XmlOrderReport(const std::vector<MwsOrderRecord>& orders, const XmlOptions& options) {
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<AmazonEnvelope "
      "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
      "xsi:noNamespaceSchemaLocation=\"amzn-envelope.xsd\">"
      "<Header><DocumentVersion>1.01</DocumentVersion><MerchantIdentifier>SHOPSIM_1</MerchantIdentifier></"
      "Header>"
      "<MessageType>OrderReport</MessageType>\n";
  int message = 0;
  const bool bare = options.bare_ampersands;
  for (const auto& order : orders) {
    xml += "<Message><MessageID>" + std::to_string(++message) + "</MessageID><OrderReport>";
    Element(xml, "AmazonOrderID", order.id);
    Element(xml, "AmazonSessionID", order.id);
    Element(xml, "OrderDate", order.purchase_date);
    Element(xml, "OrderPostedDate", order.purchase_date);
    xml += "<BillingData>";
    Element(xml, "BuyerEmailAddress", order.buyer_email);
    Element(xml, "BuyerName", order.buyer_name, bare);
    Element(xml, "BuyerPhoneNumber", order.buyer_phone);
    if (options.billing_addresses && order.billing) Address(xml, *order.billing, bare);
    xml += "</BillingData><FulfillmentData><FulfillmentMethod>Ship</FulfillmentMethod>";
    Element(xml, "FulfillmentServiceLevel", order.service_level);
    Address(xml, order.shipping, bare);
    xml += "</FulfillmentData>";
    int item_code = 0;
    for (const auto& item : order.items) {
      xml += "<Item>";
      Element(xml, "AmazonOrderItemCode", std::to_string(46666666666600 + ++item_code));
      Element(xml, "SKU", item.sku);
      Element(xml, "Title", item.title, bare);
      Element(xml, "Quantity", item.quantity);
      xml += "<ItemPrice>";
      Component(xml, "Principal", item.item_price, order.currency);
      Component(xml, "Shipping", item.shipping_price, order.currency);
      Component(xml, "Tax", item.item_tax, order.currency);
      xml += "</ItemPrice></Item>";
    }
    xml += "</OrderReport></Message>\n";
  }
  return xml + "</AmazonEnvelope>\n";
}

std::string ShipmentReport(const std::vector<MwsOrderRecord>& orders) {
  std::string text = std::string(kShipmentHeader) + "\r\n";
  int shipment = 0;
  for (const auto& order : orders) {
    ++shipment;
    int line = 0;
    const MwsAddress billing = order.billing.value_or(MwsAddress{});
    for (const auto& item : order.items) {
      ++line;
      const std::vector<std::string> values = {order.id,
                                               "",
                                               "S" + std::to_string(shipment),
                                               "SI" + std::to_string(shipment) + "-" + std::to_string(line),
                                               std::to_string(10000000000000 + shipment * 100 + line),
                                               "",
                                               order.purchase_date,
                                               order.purchase_date,
                                               order.purchase_date,
                                               order.purchase_date,
                                               order.buyer_email,
                                               order.buyer_name,
                                               order.buyer_phone,
                                               item.sku,
                                               item.title,
                                               item.quantity,
                                               order.currency,
                                               Or(item.item_price),
                                               Or(item.item_tax),
                                               Or(item.shipping_price),
                                               "",
                                               Or(item.gift_wrap_price),
                                               Or(item.gift_wrap_tax),
                                               order.service_level,
                                               order.shipping.name,
                                               order.shipping.line1,
                                               order.shipping.line2,
                                               "",
                                               order.shipping.city,
                                               "",
                                               order.shipping.postal_code,
                                               order.shipping.country_code,
                                               order.shipping.phone,
                                               billing.line1,
                                               billing.line2,
                                               "",
                                               billing.city,
                                               "",
                                               billing.postal_code,
                                               billing.country_code,
                                               Or(item.promotion_discount),
                                               "",
                                               "DHL",
                                               "TRACK" + std::to_string(shipment),
                                               "",
                                               "LEJ1",
                                               "Amazon",
                                               order.sales_channel};
      for (std::size_t i = 0; i < values.size(); ++i) {
        if (i > 0) text.push_back('\t');
        text += values[i];
      }
      text += "\r\n";
    }
  }
  return text;
}

std::string ToWindows1252(const std::string& utf8) {
  std::string out;
  for (char16_t unit : text::Utf8ToUtf16(utf8)) {
    if (unit == 0x20AC) {
      out.push_back(static_cast<char>(0x80));
    } else if (unit < 0x100) {
      out.push_back(static_cast<char>(unit));
    } else {
      out.push_back('?');
    }
  }
  return out;
}

}  // namespace kanvio::shopsim::mws_reports
