#include "net/MwsAnswers.h"

#include <charconv>

#include "support/Text.h"

namespace kanvio::net {
namespace {

bool IsTrue(std::string_view text) { return text::EqualsIgnoreCase(text, "true"); }

MwsMoney Money(pugi::xml_node node) {
  MwsMoney money;
  for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
    const std::string_view name = MwsLocalName(child);
    if (name == "Amount") money.Amount.assign(text::TrimView(child.text().get()));
    if (name == "CurrencyCode") money.CurrencyCode.assign(text::TrimView(child.text().get()));
  }
  return money;
}

// Reports answers say HasNext; the Orders answers only carry a NextToken
// while there is more.
std::optional<std::string> NextToken(pugi::xml_node result) {
  const std::string token = MwsChildText(result, "NextToken");
  const pugi::xml_node has_next = MwsChild(result, "HasNext");
  if (has_next) {
    if (!IsTrue(text::Trim(has_next.text().get()))) return std::nullopt;
  }
  if (token.empty()) return std::nullopt;
  return token;
}

template <class T, class Read>
MwsPage<T> Page(pugi::xml_node container, pugi::xml_node result, std::string_view entry_name, Read read) {
  MwsPage<T> page;
  const auto is_entry = [entry_name](pugi::xml_node node) {
    return node.type() == pugi::node_element && MwsLocalName(node) == entry_name;
  };
  // Counted first: entries are large, and each growth would move them all.
  std::size_t count = 0;
  for (pugi::xml_node node = container.first_child(); node; node = node.next_sibling())
    count += is_entry(node);
  page.entries.reserve(count);
  for (pugi::xml_node node = container.first_child(); node; node = node.next_sibling()) {
    if (is_entry(node)) page.entries.push_back(read(node));
  }
  page.next_token = NextToken(result);
  return page;
}

ReportInfo ReadReportInfo(pugi::xml_node node) {
  return {MwsChildText(node, "ReportId"), MwsChildText(node, "ReportType"),
          MwsChildText(node, "ReportRequestId"), IsTrue(MwsChildText(node, "Acknowledged"))};
}

ReportRequestInfo ReadReportRequestInfo(pugi::xml_node node) {
  return {MwsChildText(node, "ReportRequestId"), MwsChildText(node, "ReportType"),
          MwsChildText(node, "ReportProcessingStatus"), MwsChildText(node, "GeneratedReportId")};
}

// One pass over the children: an answer holds thousands of these.
MwsOrder ReadOrder(pugi::xml_node node) {
  MwsOrder order;
  for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
    const std::string_view name = MwsLocalName(child);
    const auto take = [&child](std::string& field) {
      if (field.empty()) field.assign(text::TrimView(child.text().get()));
    };
    if (name == "AmazonOrderId")
      take(order.AmazonOrderId);
    else if (name == "OrderStatus")
      take(order.OrderStatus);
    else if (name == "SalesChannel")
      take(order.SalesChannel);
    else if (name == "BuyerEmail")
      take(order.BuyerEmail);
    else if (name == "OrderTotal" && !order.OrderTotal)
      order.OrderTotal = Money(child);
  }
  return order;
}

MwsOrderItem ReadOrderItem(pugi::xml_node node) {
  using Field = std::optional<MwsMoney> MwsOrderItem::*;
  static constexpr std::pair<std::string_view, Field> kMoney[] = {
      {"ItemPrice", &MwsOrderItem::ItemPrice},
      {"ItemTax", &MwsOrderItem::ItemTax},
      {"ShippingPrice", &MwsOrderItem::ShippingPrice},
      {"ShippingDiscount", &MwsOrderItem::ShippingDiscount},
      {"GiftWrapPrice", &MwsOrderItem::GiftWrapPrice},
      {"GiftWrapTax", &MwsOrderItem::GiftWrapTax},
      {"CODFee", &MwsOrderItem::CODFee},
      {"CODFeeDiscount", &MwsOrderItem::CODFeeDiscount},
      {"PromotionDiscount", &MwsOrderItem::PromotionDiscount},
  };
  MwsOrderItem item;
  std::string* const texts[] = {&item.SellerSKU, &item.ASIN, &item.Title, &item.QuantityOrdered};
  static constexpr std::string_view kTexts[] = {"SellerSKU", "ASIN", "Title", "QuantityOrdered"};
  for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
    if (child.type() != pugi::node_element) continue;
    const std::string_view name = MwsLocalName(child);
    bool done = false;
    for (std::size_t i = 0; i < std::size(kTexts) && !done; ++i) {
      if (name == kTexts[i] && texts[i]->empty()) {
        texts[i]->assign(text::TrimView(child.text().get()));
        done = true;
      }
    }
    for (const auto& [money_name, field] : kMoney) {
      if (done) break;
      if (name == money_name && !(item.*field)) {
        item.*field = Money(child);
        done = true;
      }
    }
  }
  return item;
}

}  // namespace

pugi::xml_node MwsChild(pugi::xml_node parent, std::string_view local_name) {
  for (pugi::xml_node node = parent.first_child(); node; node = node.next_sibling()) {
    if (node.type() == pugi::node_element && MwsLocalName(node) == local_name) return node;
  }
  return {};
}

std::string MwsChildText(pugi::xml_node parent, std::string_view local_name) {
  return text::Trim(MwsChild(parent, local_name).text().get());
}

MwsPage<ReportInfo> ParseReportInfoPage(pugi::xml_node result) {
  return Page<ReportInfo>(result, result, "ReportInfo", ReadReportInfo);
}

MwsPage<ReportRequestInfo> ParseReportRequestInfoPage(pugi::xml_node result) {
  return Page<ReportRequestInfo>(result, result, "ReportRequestInfo", ReadReportRequestInfo);
}

MwsPage<MwsOrder> ParseOrderPage(pugi::xml_node result) {
  return Page<MwsOrder>(MwsChild(result, "Orders"), result, "Order", ReadOrder);
}

MwsPage<MwsOrderItem> ParseOrderItemPage(pugi::xml_node result) {
  return Page<MwsOrderItem>(MwsChild(result, "OrderItems"), result, "OrderItem", ReadOrderItem);
}

std::optional<long long> ParseCount(pugi::xml_node result) {
  const std::string text = MwsChildText(result, "Count");
  long long count = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), count);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return count;
}

std::optional<MwsErrorInfo> ParseErrorResponse(const pugi::xml_document& document) {
  const pugi::xml_node root = document.document_element();
  if (!root || MwsLocalName(root) != "ErrorResponse") return std::nullopt;
  MwsErrorInfo info;
  const pugi::xml_node error = MwsChild(root, "Error");
  info.type = MwsChildText(error, "Type");
  info.code = MwsChildText(error, "Code");
  info.message = MwsChildText(error, "Message");
  // The service spells it both ways.
  info.request_id = MwsChildText(root, "RequestID");
  if (info.request_id.empty()) info.request_id = MwsChildText(root, "RequestId");
  return info;
}

}  // namespace kanvio::net
