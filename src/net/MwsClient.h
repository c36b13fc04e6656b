#pragma once
// A client of the marketplace web service (the Reports and the Orders API):
// signed form POSTs to one service address over one kept-alive connection,
// bounded retries, pages followed to the end, downloads checked against
// their Content-MD5.
//
// Every wait goes through platform::CurrentClock(). One thread at a time.

#include <array>
#include <chrono>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <pugixml.hpp>
#include <string>
#include <string_view>

#include "net/MwsAnswers.h"
#include "net/MwsSignature.h"
#include "platform/HttpClient.h"
#include "support/Error.h"

namespace kanvio::net {

struct MwsClientConfig {
  // The whole address requests go to, path included
  // ("https://mws-eu.amazonservices.com/Orders/2013-09-01").
  std::string service_url;
  std::string access_key_id;
  std::string secret_key;
  // "Merchant" (Reports) or "SellerId" (Orders), and its value.
  std::string seller_parameter;
  std::string seller_id;
  std::string version;
  std::string user_agent;
  // Reports can be large; the inactivity limit catches a stalled server.
  std::chrono::milliseconds total_timeout{std::chrono::minutes(10)};
  std::chrono::milliseconds inactivity_timeout{std::chrono::minutes(2)};
};

// An answer in which the service reports a failure: an ErrorResponse, or an
// HTTP status other than 200 whatever the body.
class MwsError : public Error {
 public:
  MwsError(std::string_view action, int status, MwsErrorInfo info);
  int status() const { return status_; }
  const MwsErrorInfo& info() const { return info_; }
  // 500 and 503 (RequestThrottled and QuotaExceeded among them) may pass.
  bool Transient() const { return status_ == 500 || status_ == 503; }

 private:
  int status_;
  MwsErrorInfo info_;
};

// A downloaded body whose Content-MD5 is missing or does not match.
class ContentMd5Error : public Error {
 public:
  ContentMd5Error(const std::string& message, bool missing) : Error(message), missing_(missing) {}
  bool missing() const { return missing_; }

 private:
  bool missing_;
};

// Base64 of the MD5 digest, as the Content-MD5 header carries it.
std::string ContentMd5(std::string_view body);

class MwsClient {
 public:
  // Waits before the 1st to 4th retry of a request that failed transiently.
  static constexpr std::array<std::chrono::seconds, 4> kRetryWaits{
      std::chrono::seconds(1), std::chrono::seconds(4), std::chrono::seconds(10), std::chrono::seconds(30)};
  static constexpr std::size_t kMaxPages = 1000;

  // Throws Error for a service address that is not an http(s) address.
  explicit MwsClient(MwsClientConfig config,
                     const platform::HttpClientFactory& http = platform::CreateHttpClient);

  // One answer: the document and its <Action>Result element.
  struct Answer {
    // The answer's text, which the document is parsed in, and the document.
    struct Parsed {
      std::string text;
      pugi::xml_document document;
    };
    std::unique_ptr<Parsed> parsed;
    pugi::xml_node result;
  };

  // Sends `action` with the parameters (the seller, version and signature are
  // added). Retries transient failures (500, 503, no answer) after the waits
  // of kRetryWaits. Throws MwsError, TransportError, or XmlError for an
  // answer that is not <Action>Response with <Action>Result.
  Answer Call(std::string_view action, const MwsParameters& parameters);

  // Calls `action`, then `next_action` with each NextToken while the answer
  // says there is more; `page` reads each result and returns the next token.
  // Stops after kMaxPages pages or when a token comes again (logged).
  using PageReader = std::function<std::optional<std::string>(pugi::xml_node result)>;
  void ForEachPage(std::string_view action, const MwsParameters& parameters, std::string_view next_action,
                   const PageReader& page);

  // Sends `action` whose answer body is a document of its own (GetReport)
  // and writes it to `target` (through a temporary file) once its
  // Content-MD5 matches. A mismatch is retried like a server failure; a
  // missing Content-MD5 is not. Throws as Call does, or ContentMd5Error;
  // `target` is then untouched. Returns the size of the body.
  std::size_t Download(std::string_view action, const MwsParameters& parameters,
                       const std::filesystem::path& target);

  std::size_t requests_sent() const { return requests_sent_; }

 private:
  platform::HttpResponse Send(std::string_view action, const MwsParameters& parameters);
  template <class Attempt>
  auto WithRetries(std::string_view action, Attempt attempt);

  MwsClientConfig config_;
  std::string host_;  // as the Host header carries it
  std::string path_;
  std::unique_ptr<platform::HttpClient> http_;
  // Address, headers and time limits of every request; only the body changes.
  platform::HttpRequest request_;
  std::size_t requests_sent_ = 0;
};

}  // namespace kanvio::net
