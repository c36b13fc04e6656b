#pragma once
// The parts of the marketplace web service's answers that the connector
// reads, and the parsers that take them out of an answer document. Elements
// are matched by local name whatever their namespace or prefix (the
// documented namespaces and the served ones differ); texts are trimmed.
// The parsers never throw for a document of the wrong shape: what is missing
// stays empty.

#include <cstddef>
#include <cstring>
#include <optional>
#include <pugixml.hpp>
#include <string>
#include <string_view>
#include <vector>

namespace kanvio::net {

// The first child element with that local name; an empty node when none.
pugi::xml_node MwsChild(pugi::xml_node parent, std::string_view local_name);
// The trimmed text of that child; empty when it is missing.
std::string MwsChildText(pugi::xml_node parent, std::string_view local_name);
// The local name of an element ("ns2:Order" -> "Order"). Inline, and
// through the C library's vectorised searches rather than a byte loop: every
// element of every answer and report is asked.
inline std::string_view MwsLocalName(pugi::xml_node node) {
  const char* const name = node.name();
  const char* const colon = std::strchr(name, ':');
  return colon != nullptr ? std::string_view(colon + 1) : std::string_view(name);
}

struct ReportInfo {
  std::string ReportId;
  std::string ReportType;
  std::string ReportRequestId;
  bool Acknowledged = false;
};

struct ReportRequestInfo {
  std::string ReportRequestId;
  std::string ReportType;
  std::string ReportProcessingStatus;
  std::string GeneratedReportId;
};

// A Money value; absent means that the service did not send the element.
struct MwsMoney {
  std::string CurrencyCode;
  std::string Amount;  // "." as decimal point, as delivered
};

struct MwsOrder {
  std::string AmazonOrderId;
  std::string OrderStatus;
  std::string SalesChannel;
  std::string BuyerEmail;
  std::optional<MwsMoney> OrderTotal;
};

struct MwsOrderItem {
  std::string SellerSKU, ASIN, Title;
  std::string QuantityOrdered;
  std::optional<MwsMoney> ItemPrice, ItemTax, ShippingPrice, ShippingDiscount, GiftWrapPrice, GiftWrapTax,
      CODFee, CODFeeDiscount, PromotionDiscount;
};

// One page of a listed answer: its entries, and the token of the next page.
template <class T>
struct MwsPage {
  std::vector<T> entries;
  std::optional<std::string> next_token;  // set only when the answer says there is more
};

// `result` is the <Action>Result element of an answer.
MwsPage<ReportInfo> ParseReportInfoPage(pugi::xml_node result);
MwsPage<ReportRequestInfo> ParseReportRequestInfoPage(pugi::xml_node result);
MwsPage<MwsOrder> ParseOrderPage(pugi::xml_node result);
MwsPage<MwsOrderItem> ParseOrderItemPage(pugi::xml_node result);
// The Count of ManageReportSchedule and UpdateReportAcknowledgements; nullopt
// when missing or not a number.
std::optional<long long> ParseCount(pugi::xml_node result);

// An ErrorResponse: the first Error's type, code and message, and the
// request id (spelled RequestID or RequestId). nullopt when `document` is no
// ErrorResponse.
struct MwsErrorInfo {
  std::string type, code, message, request_id;
};
std::optional<MwsErrorInfo> ParseErrorResponse(const pugi::xml_document& document);

}  // namespace kanvio::net
