#include "net/EbayTradingClient.h"

#include <charconv>

#include "support/Error.h"

namespace kanvio::net {
namespace {

constexpr std::string_view kNamespace = "urn:ebay:apis:eBLBaseComponents";

// Appends <name>text</name>: a request is a handful of these, and every
// order of an import asks several requests.
std::string& AppendElement(std::string& out, std::string_view name, std::string_view text) {
  out.append(1, '<').append(name).append(1, '>');
  AppendEscapedXml(out, text);
  return out.append("</").append(name).append(1, '>');
}

std::string Element(std::string_view name, std::string_view text) {
  std::string element;
  AppendElement(element, name, text);
  return element;
}

void AddNotes(const EbayAnswer& answer, std::string_view call, Notes* notes) {
  if (notes == nullptr) return;
  for (const auto& warning : answer.warnings())
    notes->insert("eBay warnt bei " + std::string(call) + ": " + warning.code + " " +
                  (warning.long_message.empty() ? warning.short_message : warning.long_message));
}

}  // namespace

void AppendEscapedXml(std::string& out, std::string_view text) {
  std::size_t run = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    std::string_view entity;
    switch (text[i]) {
      case '&':
        entity = "&amp;";
        break;
      case '<':
        entity = "&lt;";
        break;
      case '>':
        entity = "&gt;";
        break;
      case '"':
        entity = "&quot;";
        break;
      default:
        continue;
    }
    out.append(text.substr(run, i - run)).append(entity);
    run = i + 1;
  }
  out.append(text.substr(run));
}

std::string EscapeXml(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  AppendEscapedXml(escaped, text);
  return escaped;
}

EbayTradingClient::EbayTradingClient(std::unique_ptr<platform::HttpClient> http) : http_(std::move(http)) {}

EbayAnswer EbayTradingClient::Call(const EbayApiContext& context, std::string_view call,
                                   std::string_view fields, Keys keys, Credentials credentials,
                                   Notes* notes) {
  platform::HttpRequest& request = request_;
  request.method = platform::HttpMethod::kPost;
  request.url = context.server_url;
  request.headers.resize(keys == Keys::kInHeaders ? 7 : 4);
  const auto header = [&](std::size_t at, std::string_view name, std::string_view value) {
    request.headers[at].first.assign(name);
    request.headers[at].second.assign(value);
  };
  header(0, "X-EBAY-API-COMPATIBILITY-LEVEL", kCompatibilityLevel);
  header(1, "X-EBAY-API-CALL-NAME", call);
  char site[16];
  const auto written = std::to_chars(site, site + sizeof site, context.site_id);
  header(2, "X-EBAY-API-SITEID", std::string_view(site, std::size_t(written.ptr - site)));
  header(3, "Content-Type", "text/xml; charset=utf-8");
  if (keys == Keys::kInHeaders) {
    header(4, "X-EBAY-API-DEV-NAME", context.dev_id);
    header(5, "X-EBAY-API-APP-NAME", context.app_id);
    header(6, "X-EBAY-API-CERT-NAME", context.cert_id);
  }
  std::string& body = request.body;
  body.assign("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<");
  body.append(call).append("Request xmlns=\"").append(kNamespace).append("\">");
  // The token, escaped, is most of every request and the same for all of an
  // import: made once per token and language.
  std::string& preamble = credentials == Credentials::kToken ? token_preamble_ : plain_preamble_;
  if (preamble.empty() || preamble_token_ != context.token || preamble_language_ != context.error_language) {
    preamble_token_ = context.token;
    preamble_language_ = context.error_language;
    token_preamble_.assign("<RequesterCredentials>");
    AppendElement(token_preamble_, "eBayAuthToken", context.token).append("</RequesterCredentials>");
    plain_preamble_.clear();
    AppendElement(plain_preamble_, "ErrorLanguage", context.error_language);
    plain_preamble_.append("<WarningLevel>High</WarningLevel>");
    token_preamble_.append(plain_preamble_);
  }
  body.append(preamble);
  body.append(fields);
  body.append("</").append(call).append("Request>");

  ++requests_sent_;
  platform::HttpResponse response = http_->Send(request);
  if (response.status != 200)
    throw HttpStatusError(response.status, "eBay antwortete auf " + std::string(call) +
                                               " mit dem HTTP-Status " + std::to_string(response.status) +
                                               ".");
  EbayAnswer answer = EbayAnswer::Read(call, std::move(response.body));
  AddNotes(answer, call, notes);
  return answer;
}

std::string EbayTradingClient::GetSessionID(const EbayApiContext& context) {
  return ReadSessionId(Call(context, "GetSessionID", Element("RuName", context.ru_name), Keys::kInHeaders,
                            Credentials::kNone, nullptr));
}

std::string EbayTradingClient::FetchToken(const EbayApiContext& context, const std::string& session_id) {
  return ReadToken(Call(context, "FetchToken", Element("SessionID", session_id), Keys::kInHeaders,
                        Credentials::kNone, nullptr));
}

TokenStatus EbayTradingClient::GetTokenStatus(const EbayApiContext& context) {
  return ReadTokenStatus(Call(context, "GetTokenStatus", "", Keys::kInHeaders, Credentials::kToken, nullptr));
}

SoldListPage EbayTradingClient::GetMyeBaySelling(const EbayApiContext& context, std::int32_t duration_days,
                                                 std::int32_t page_number, std::int32_t per_page,
                                                 Notes& notes) {
  const std::string fields = "<SoldList><Include>true</Include>" +
                             Element("DurationInDays", std::to_string(duration_days)) +
                             "<OrderStatusFilter>All</OrderStatusFilter><Pagination>" +
                             Element("EntriesPerPage", std::to_string(per_page)) +
                             Element("PageNumber", std::to_string(page_number)) + "</Pagination></SoldList>";
  return ReadSoldList(Call(context, "GetMyeBaySelling", fields, Keys::kNone, Credentials::kToken, &notes),
                      notes);
}

ItemTransactions EbayTradingClient::GetItemTransactions(const EbayApiContext& context,
                                                        const std::string& item_id,
                                                        const std::string& transaction_id, Notes& notes) {
  std::string& fields = fields_;
  fields.clear();
  AppendElement(fields, "ItemID", item_id);
  AppendElement(fields, "TransactionID", transaction_id)
      .append(
          "<IncludeFinalValueFee>true</IncludeFinalValueFee><IncludeContainingOrder>true</"
          "IncludeContainingOrder>");
  return ReadItemTransactions(
      Call(context, "GetItemTransactions", fields, Keys::kNone, Credentials::kToken, &notes), notes);
}

std::optional<Address> EbayTradingClient::GetUser(const EbayApiContext& context, const std::string& item_id,
                                                  const std::string& user_id, Notes& notes) {
  std::string& fields = fields_;
  fields.assign("<DetailLevel>ReturnAll</DetailLevel>");
  AppendElement(fields, "ItemID", item_id);
  AppendElement(fields, "UserID", user_id);
  return ReadSellerPaymentAddress(Call(context, "GetUser", fields, Keys::kNone, Credentials::kToken, &notes),
                                  notes);
}

std::optional<Order> EbayTradingClient::GetOrderTransactions(const EbayApiContext& context,
                                                             const std::string& order_id, Notes& notes) {
  std::string& fields = fields_;
  fields.assign("<DetailLevel>ReturnAll</DetailLevel><OrderIDArray>");
  AppendElement(fields, "OrderID", order_id).append("</OrderIDArray>");
  return ReadFirstOrder(
      Call(context, "GetOrderTransactions", fields, Keys::kNone, Credentials::kToken, &notes), notes);
}

}  // namespace kanvio::net
