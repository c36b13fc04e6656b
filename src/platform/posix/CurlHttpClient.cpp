#include <curl/curl.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/HttpClient.h"
#include "platform/HttpUrl.h"
#include "support/Error.h"
#include "support/Text.h"

namespace kanvio::platform {
namespace {

constexpr long kMaxRedirects = 10;

using HeaderList = std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)>;

void InitCurlOnce() {
  static std::once_flag once;
  static CURLcode result = CURLE_OK;
  std::call_once(once, [] { result = curl_global_init(CURL_GLOBAL_DEFAULT); });
  if (result != CURLE_OK)
    throw Error(std::string("Die HTTP-Bibliothek konnte nicht gestartet werden: ") +
                curl_easy_strerror(result));
}

bool HasHeader(const HttpHeaders& headers, std::string_view name) {
  return std::any_of(headers.begin(), headers.end(),
                     [name](const auto& header) { return text::EqualsIgnoreCase(header.first, name); });
}

void AppendHeader(HeaderList& list, const std::string& line) {
  curl_slist* grown = curl_slist_append(list.get(), line.c_str());
  if (grown == nullptr) throw Error("Die Kopfzeilen der HTTP-Anfrage konnten nicht angelegt werden.");
  list.release();
  list.reset(grown);
}

// The caller's headers, and empty entries that stop curl from adding its own
// Accept, Content-Type and Expect: servers get exactly what the caller names.
HeaderList BuildHeaderList(const HttpRequest& request) {
  HeaderList list(nullptr, &curl_slist_free_all);
  for (const auto& [name, value] : request.headers) {
    if (name.find_first_of("\r\n:") != std::string::npos || value.find_first_of("\r\n") != std::string::npos)
      throw Error("Ungültige Kopfzeile in der HTTP-Anfrage: " + name);
    // "Name;" is curl's way of sending a header with an empty value.
    AppendHeader(list, value.empty() ? name + ";" : name + ": " + value);
  }
  if (!HasHeader(request.headers, "Accept")) AppendHeader(list, "Accept:");
  if (request.method == HttpMethod::kPost && !HasHeader(request.headers, "Content-Type"))
    AppendHeader(list, "Content-Type:");
  if (!HasHeader(request.headers, "Expect")) AppendHeader(list, "Expect:");
  return list;
}

// Host (with an explicit port) and the address without user, password or
// secret query values, for messages.
struct Target {
  std::string host;
  std::string url;
};

Target DescribeTarget(const std::string& url) {
  const std::string redacted = RedactedUrl(url);
  if (const std::optional<HttpUrl> parsed = HttpUrl::Parse(redacted))
    return {parsed->Authority(), parsed->ToString()};
  return {redacted, redacted};
}

[[noreturn]] void ThrowTransportError(CURLcode code, const std::string& url, const char* error_buffer) {
  const Target target = DescribeTarget(url);
  const std::string detail = error_buffer[0] != '\0' ? error_buffer : curl_easy_strerror(code);
  switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_CONNECT:
      throw TransportError("Die Verbindung zu " + target.host +
                           " konnte nicht hergestellt werden: " + detail);
    case CURLE_OPERATION_TIMEDOUT:
      throw TransportError("Zeitüberschreitung bei der Anfrage an " + target.url);
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_INVALIDCERTSTATUS:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
      throw TransportError("Das Zertifikat des Servers " + target.host +
                           " ist nicht vertrauenswürdig: " + detail);
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_USE_SSL_FAILED:
      throw TransportError("Die verschlüsselte Verbindung zu " + target.host +
                           " konnte nicht hergestellt werden: " + detail);
    case CURLE_GOT_NOTHING:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_PARTIAL_FILE:
      throw TransportError("Die Verbindung zu " + target.host + " wurde unterbrochen: " + detail);
    default:
      throw TransportError("Die Anfrage an " + target.url + " ist fehlgeschlagen: " + detail);
  }
}

long TlsMinimum(TlsVersion version) {
  switch (version) {
    case TlsVersion::kTls10:
      return CURL_SSLVERSION_TLSv1_0;
    case TlsVersion::kTls11:
      return CURL_SSLVERSION_TLSv1_1;
    case TlsVersion::kTls12:
      return CURL_SSLVERSION_TLSv1_2;
    case TlsVersion::kTls13:
      return CURL_SSLVERSION_TLSv1_3;
  }
  return CURL_SSLVERSION_DEFAULT;
}

long TlsMaximum(TlsVersion version) {
  switch (version) {
    case TlsVersion::kTls10:
      return CURL_SSLVERSION_MAX_TLSv1_0;
    case TlsVersion::kTls11:
      return CURL_SSLVERSION_MAX_TLSv1_1;
    case TlsVersion::kTls12:
      return CURL_SSLVERSION_MAX_TLSv1_2;
    case TlsVersion::kTls13:
      return CURL_SSLVERSION_MAX_TLSv1_3;
  }
  return CURL_SSLVERSION_MAX_DEFAULT;
}

std::chrono::milliseconds OrDefault(std::chrono::milliseconds value, std::chrono::milliseconds fallback) {
  return value.count() > 0 ? value : fallback;
}

// curl calls these from C: nothing may be thrown through it. Returning fewer
// bytes than given makes curl abort the transfer.
size_t OnBody(char* data, size_t size, size_t count, void* user) {
  try {
    static_cast<std::string*>(user)->append(data, size * count);
    return size * count;
  } catch (...) {
    return 0;
  }
}

size_t OnHeaderLine(char* data, size_t size, size_t count, void* user) {
  try {
    auto& headers = *static_cast<HttpHeaders*>(user);
    const std::string_view line(data, size * count);
    const std::size_t colon = line.find(':');
    // A status line starts a new answer: after a redirect or a "100 Continue"
    // only the final answer's headers remain.
    if (line.starts_with("HTTP/")) {
      headers.clear();
    } else if (!headers.empty() && (line.starts_with(" ") || line.starts_with("\t"))) {
      headers.back().second += " " + text::Trim(line);  // folded continuation line
    } else if (colon != std::string_view::npos) {
      headers.emplace_back(text::Trim(line.substr(0, colon)), text::Trim(line.substr(colon + 1)));
    }
    return size * count;
  } catch (...) {
    return 0;
  }
}

// One handle for all requests: it holds the open connections, so
// consecutive requests to one server reuse the connection. The options every
// request shares are set once; a request sets all the others, and so undoes
// whatever the one before set (no reset: an upload of thousands of packages
// would pay for it with every package).
class CurlHttpClient final : public HttpClient {
 public:
  CurlHttpClient() : handle_(nullptr, &curl_easy_cleanup), headers_(nullptr, &curl_slist_free_all) {
    InitCurlOnce();
    handle_.reset(curl_easy_init());
    if (!handle_) throw Error("Die HTTP-Bibliothek konnte keine Verbindung vorbereiten.");
    SetShared();
  }

  HttpResponse Send(const HttpRequest& request) override;

 private:
  template <typename T>
  void Set(CURLoption option, T value) {
    const CURLcode code = curl_easy_setopt(handle_.get(), option, value);
    if (code != CURLE_OK)
      throw Error("Die HTTP-Anfrage konnte nicht vorbereitet werden (Option " + std::to_string(option) +
                  "): " + curl_easy_strerror(code));
  }

  void SetShared();
  void SetMethod(const HttpRequest& request);
  void SetHeaders(const HttpRequest& request);
  void SetAuthentication(const HttpRequest& request);
  void SetTimeouts(const HttpRequest& request);
  void SetSecurity(const HttpRequest& request);
  void SetReceivers(HttpResponse& response);

  std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> handle_;
  char error_buffer_[CURL_ERROR_SIZE] = {};
  // The header list of the last request, kept for the next one that sends the same headers.
  HeaderList headers_;
  HttpHeaders headers_of_;
  HttpMethod headers_method_ = HttpMethod::kGet;
};

HttpResponse CurlHttpClient::Send(const HttpRequest& request) {
  const std::string url = EncodeRequestUrl(request.url);
  if (request.method == HttpMethod::kGet && !request.body.empty())
    throw Error("Eine GET-Anfrage kann keinen Inhalt senden: " + RedactedUrl(url));
  SetHeaders(request);
  HttpResponse response;
  Set(CURLOPT_URL, url.c_str());
  SetMethod(request);
  SetAuthentication(request);
  SetTimeouts(request);
  SetSecurity(request);
  SetReceivers(response);

  error_buffer_[0] = '\0';
  const CURLcode code = curl_easy_perform(handle_.get());
  if (code != CURLE_OK) ThrowTransportError(code, url, error_buffer_);

  long status = 0;
  char* content_type = nullptr;
  curl_easy_getinfo(handle_.get(), CURLINFO_RESPONSE_CODE, &status);
  curl_easy_getinfo(handle_.get(), CURLINFO_CONTENT_TYPE, &content_type);
  response.status = static_cast<int>(status);
  if (content_type != nullptr) response.content_type = content_type;
  return response;
}

void CurlHttpClient::SetShared() {
  Set(CURLOPT_ERRORBUFFER, error_buffer_);
  Set(CURLOPT_PROTOCOLS_STR, "http,https");
  Set(CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  Set(CURLOPT_FOLLOWLOCATION, 1L);
  Set(CURLOPT_MAXREDIRS, kMaxRedirects);
  // HTTP/1.1 everywhere keeps Content-Length bodies and headers as sent, also over TLS.
  Set(CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
  // Requests run on worker threads; signals would hit the host's threads.
  Set(CURLOPT_NOSIGNAL, 1L);
  // Less than one byte per second for the whole inactivity time ends the transfer.
  Set(CURLOPT_LOW_SPEED_LIMIT, 1L);
  Set(CURLOPT_WRITEFUNCTION, &OnBody);
  Set(CURLOPT_HEADERFUNCTION, &OnHeaderLine);
}

void CurlHttpClient::SetMethod(const HttpRequest& request) {
  if (request.method == HttpMethod::kPost) {
    Set(CURLOPT_POST, 1L);
    Set(CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
    Set(CURLOPT_POSTFIELDS, request.body.data());
  } else {
    // Forgets the last request's body first: setting it would make the request a POST again.
    Set(CURLOPT_POSTFIELDS, static_cast<const char*>(nullptr));
    Set(CURLOPT_HTTPGET, 1L);
  }
}

void CurlHttpClient::SetHeaders(const HttpRequest& request) {
  if (!headers_ || request.headers != headers_of_ || request.method != headers_method_) {
    headers_ = BuildHeaderList(request);
    headers_of_ = request.headers;
    headers_method_ = request.method;
  }
  Set(CURLOPT_HTTPHEADER, headers_.get());
}

void CurlHttpClient::SetAuthentication(const HttpRequest& request) {
  // Basic as the only scheme makes curl send it with the first request.
  Set(CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC));
  Set(CURLOPT_USERNAME, request.basic_auth ? request.basic_auth->user.c_str() : nullptr);
  Set(CURLOPT_PASSWORD, request.basic_auth ? request.basic_auth->password.c_str() : nullptr);
}

void CurlHttpClient::SetTimeouts(const HttpRequest& request) {
  const auto total = OrDefault(request.total_timeout, kDefaultTotalTimeout);
  const auto inactivity = OrDefault(request.inactivity_timeout, kDefaultInactivityTimeout);
  Set(CURLOPT_TIMEOUT_MS, static_cast<long>(total.count()));
  Set(CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(std::min(total, inactivity).count()));
  Set(CURLOPT_LOW_SPEED_TIME, static_cast<long>((inactivity.count() + 999) / 1000));
}

void CurlHttpClient::SetSecurity(const HttpRequest& request) {
  const bool validate = request.certificate_policy == CertificatePolicy::kValidate;
  Set(CURLOPT_SSL_VERIFYPEER, validate ? 1L : 0L);
  Set(CURLOPT_SSL_VERIFYHOST, validate ? 2L : 0L);
  Set(CURLOPT_SSLVERSION, request.tls_versions.empty() ? static_cast<long>(CURL_SSLVERSION_DEFAULT)
                                                       : TlsMinimum(*request.tls_versions.begin()) |
                                                             TlsMaximum(*request.tls_versions.rbegin()));
}

void CurlHttpClient::SetReceivers(HttpResponse& response) {
  response.headers.reserve(16);
  Set(CURLOPT_WRITEDATA, static_cast<void*>(&response.body));
  Set(CURLOPT_HEADERDATA, static_cast<void*>(&response.headers));
}

}  // namespace

std::unique_ptr<HttpClient> CreateHttpClient() { return std::make_unique<CurlHttpClient>(); }

}  // namespace kanvio::platform
