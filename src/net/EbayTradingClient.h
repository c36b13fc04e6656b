#pragma once
// The Trading API through its XML interface: one POST per call to the
// gateway, the call named in the headers, the answer checked (Ack Success or
// Warning; Errors read). All calls of one client share one connection.
//
// Failures: TransportError (no answer), HttpStatusError (a status other than
// 200), XmlError (an answer that is not the call's document), EbayApiError
// (eBay refused the call). None of their messages holds the token, the keys
// or a request body.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "net/EbayTradingAnswers.h"
#include "net/EbayTradingTypes.h"
#include "platform/HttpClient.h"

namespace kanvio::net {

// What every call needs: where, for which site, with which keys and token.
struct EbayApiContext {
  std::string server_url;  // the XML gateway, ".../ws/api.dll"
  std::int32_t site_id = 0;
  std::string app_id, dev_id, cert_id, ru_name;
  std::string token;  // empty: none
  std::string error_language = "de_DE";
};

class EbayTradingClient {
 public:
  static constexpr std::string_view kCompatibilityLevel = "1081";

  explicit EbayTradingClient(std::unique_ptr<platform::HttpClient> http);

  // The token calls: the application keys go in the headers.
  std::string GetSessionID(const EbayApiContext& context);
  std::string FetchToken(const EbayApiContext& context, const std::string& session_id);
  TokenStatus GetTokenStatus(const EbayApiContext& context);

  // The sold list: one page of `per_page` entries, orders of every state of
  // the last `duration_days` days.
  SoldListPage GetMyeBaySelling(const EbayApiContext& context, std::int32_t duration_days,
                                std::int32_t page_number, std::int32_t per_page, Notes& notes);
  ItemTransactions GetItemTransactions(const EbayApiContext& context, const std::string& item_id,
                                       const std::string& transaction_id, Notes& notes);
  std::optional<Address> GetUser(const EbayApiContext& context, const std::string& item_id,
                                 const std::string& user_id, Notes& notes);
  std::optional<Order> GetOrderTransactions(const EbayApiContext& context, const std::string& order_id,
                                            Notes& notes);

  std::size_t requests_sent() const { return requests_sent_; }

 private:
  enum class Keys { kNone, kInHeaders };
  enum class Credentials { kNone, kToken };

  EbayAnswer Call(const EbayApiContext& context, std::string_view call, std::string_view fields, Keys keys,
                  Credentials credentials, Notes* notes);

  std::unique_ptr<platform::HttpClient> http_;
  // Rebuilt in place for every call: the import makes tens of thousands.
  platform::HttpRequest request_;
  std::string fields_;
  // What follows the root element of each request, with and without the
  // token, for the token and language they were made from.
  std::string token_preamble_, plain_preamble_, preamble_token_, preamble_language_;
  std::size_t requests_sent_ = 0;
};

// Text for an element of a request, escaped as XML requires.
std::string EscapeXml(std::string_view text);
void AppendEscapedXml(std::string& out, std::string_view text);

}  // namespace kanvio::net
