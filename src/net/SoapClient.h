#pragma once
// A SOAP 1.1 client in remote-procedure style with SOAP encoding, generic
// over services and operations: the caller names the service namespace and
// the operation and writes the parameters (SoapWriter); the answer comes back
// as the `<operation>Response` element (SoapAnswer).
//
// Requests are UTF-8, carry SOAPAction "<namespace>#<operation>" and, when
// credentials are given, Basic authentication from the first request on;
// their bodies always have a Content-Length. All requests of one client share
// one connection. One thread at a time.

#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "net/SoapAnswer.h"
#include "net/SoapWriter.h"
#include "platform/HttpClient.h"
#include "support/Error.h"

namespace kanvio::net {

// The server answered with a SOAP Fault.
class SoapFault : public Error {
 public:
  SoapFault(std::string code, std::string text, std::string detail_code);
  const std::string& code() const { return code_; }                // faultcode
  const std::string& text() const { return text_; }                // faultstring
  const std::string& detail_code() const { return detail_code_; }  // detail/*/Code, if any

 private:
  std::string code_, text_, detail_code_;
};

struct SoapEndpoint {
  std::string url;
  std::optional<platform::BasicCredentials> credentials;
  // For the whole call and, as well, for the longest silence on the line: a
  // server that takes long to build a large answer sends nothing meanwhile.
  std::chrono::milliseconds timeout{100'000};
};

class SoapClient {
 public:
  // Answers larger than this are refused rather than parsed.
  static constexpr std::size_t kMaxAnswerBytes = 256u << 20;

  explicit SoapClient(SoapEndpoint endpoint,
                      const platform::HttpClientFactory& http = platform::CreateHttpClient);

  // Sends one call and returns its response element. Throws TransportError
  // (no answer), HttpStatusError (401, or another status without a SOAP
  // answer), SoapFault, or XmlError (an answer that is no SOAP envelope or
  // whose body holds something other than `<operation>Response`).
  SoapAnswer Call(std::string_view service_namespace, std::string_view operation,
                  const SoapWriter& parameters);

  // The complete request document for a call, as Call sends it.
  static std::string Envelope(std::string_view service_namespace, std::string_view operation,
                              const SoapWriter& parameters);
  // Reads an answer as Call does; status is the HTTP status it came with.
  static SoapAnswer ReadAnswer(std::string body, int status, std::string_view operation);

  std::size_t requests_sent() const { return requests_sent_; }

 private:
  SoapEndpoint endpoint_;
  std::unique_ptr<platform::HttpClient> http_;
  std::size_t requests_sent_ = 0;
};

}  // namespace kanvio::net
