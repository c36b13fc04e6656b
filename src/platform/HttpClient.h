#pragma once
// HTTP(S) client for every request the library makes: the PHP scripts, the
// REST plug-ins, SOAP, MWS and eBay. One implementation per platform.

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kanvio::platform {

enum class HttpMethod { kGet, kPost };

enum class TlsVersion { kTls10, kTls11, kTls12, kTls13 };

enum class CertificatePolicy {
  kValidate,
  // Any server certificate is taken: expired, self-signed, for another host.
  kAcceptInvalid,
};

// Header names and values in the order they are sent or were received.
using HttpHeaders = std::vector<std::pair<std::string, std::string>>;

struct BasicCredentials {
  std::string user;
  std::string password;
};

// Used when a request leaves a time-out at 0.
inline constexpr std::chrono::milliseconds kDefaultTotalTimeout{100'000};
inline constexpr std::chrono::milliseconds kDefaultInactivityTimeout{300'000};

struct HttpRequest {
  HttpMethod method = HttpMethod::kGet;
  std::string url;
  // Sent as given and nothing else besides Host, Content-Length (POST) and
  // Authorization (basic_auth): no Accept, no Content-Type, no User-Agent of
  // the client's own, no "Expect: 100-continue".
  HttpHeaders headers;
  // POST only, raw bytes, always with Content-Length (0 when empty), never
  // chunked. A GET with a body is refused.
  std::string body;
  // The whole request including connecting and reading the answer.
  std::chrono::milliseconds total_timeout{0};
  // Longest time without a byte going either way, also while connecting. The
  // POSIX client counts it in whole seconds, rounded up.
  std::chrono::milliseconds inactivity_timeout{0};
  // Empty: what the system allows. The POSIX client allows the range from
  // the lowest to the highest version named.
  std::set<TlsVersion> tls_versions;
  CertificatePolicy certificate_policy = CertificatePolicy::kValidate;
  // Sent with the first request, not only after a 401.
  std::optional<BasicCredentials> basic_auth;
};

struct HttpResponse {
  int status = 0;
  // Raw bytes of the body, whatever the status.
  std::string body;
  // The Content-Type header, empty when the answer has none.
  std::string content_type;
  // Headers of the final answer (after redirects), in received order.
  HttpHeaders headers;

  // The body as UTF-8: a byte-order mark (UTF-8, UTF-16LE/BE) decides first,
  // then the content type's charset (iso-8859-1, windows-1252, iso-8859-15,
  // utf-16, utf-16le/be), then the XML declaration's encoding; otherwise the
  // bytes are taken as UTF-8 unchanged. An XML declaration of a converted
  // text names UTF-8 (text::XmlToUtf8 has the details).
  std::string Text() const;
  // Value of the first header of that name (ignoring case).
  std::optional<std::string> Header(std::string_view name) const;
};

// Sends requests one after the other and keeps the connection open between
// them: many requests to one server through one client use one connection.
// Not for use by two threads at once; different clients are independent.
class HttpClient {
 public:
  virtual ~HttpClient() = default;

  // Returns the answer for every HTTP status, 4xx and 5xx included.
  // Redirects are followed (at most 10; after 301, 302 or 303 a POST goes on
  // as GET without body, as browsers do). Throws TransportError with a German
  // message when no answer arrives: connection refused or host unknown, a
  // time-out, a TLS or certificate failure, a dropped connection. Throws
  // Error for a request it will not send: a GET with a body, a header name
  // or value with a line break.
  virtual HttpResponse Send(const HttpRequest& request) = 0;
};

// A client of this platform. Throws Error when the HTTP library cannot start.
std::unique_ptr<HttpClient> CreateHttpClient();

// What the connectors receive instead of calling CreateHttpClient, so that
// tests can count or replace the clients.
using HttpClientFactory = std::function<std::unique_ptr<HttpClient>()>;

}  // namespace kanvio::platform
