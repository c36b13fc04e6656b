// clang-format off
#include <windows.h>
#include <wincrypt.h>
#include <winhttp.h>
// clang-format on

#include <algorithm>
#include <charconv>
#include <chrono>
#include <climits>
#include <memory>
#include <optional>
#include <string>

#include "platform/HttpClient.h"
#include "platform/HttpUrl.h"
#include "platform/RawHeaders.h"
#include "platform/win32/ServerCertificate.h"
#include "platform/win32/WideText.h"
#include "platform/win32/WinHttpFailure.h"
#include "support/Error.h"
#include "support/Text.h"

#ifndef WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_3
#define WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_3 0x00002000
#endif

namespace kanvio::platform {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kMaxRedirects = 10;
constexpr DWORD kChunkSize = 64 * 1024;
// Resending the request after WinHTTP found its pooled connection closed.
constexpr int kMaxResends = 2;

struct HandleCloser {
  void operator()(HINTERNET handle) const { WinHttpCloseHandle(handle); }
};
using Handle = std::unique_ptr<void, HandleCloser>;

// WinHTTP widens each received header byte to one character: through the
// ANSI code page (Wine) or as Latin-1. Narrowing each character the same way
// gives the bytes as sent, so UTF-8 values stay UTF-8.
std::string HeaderBytes(std::wstring_view wide) {
  std::string bytes;
  bytes.reserve(wide.size());
  for (const wchar_t c : wide) {
    char narrow = 0;
    BOOL defaulted = FALSE;
    if (c < 0x80) {
      bytes += static_cast<char>(c);
    } else if (WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, &c, 1, &narrow, 1, nullptr, &defaulted) ==
                   1 &&
               !defaulted) {
      bytes += narrow;
    } else if (c < 0x100) {
      bytes += static_cast<char>(c);
    } else {
      bytes += text::Utf16ToUtf8(std::u16string(1, static_cast<char16_t>(c)));
    }
  }
  return bytes;
}

std::string Base64(std::string_view bytes) {
  constexpr DWORD kFlags = CRYPT_STRING_BASE64 | CRYPT_STRING_NOCRLF;
  const auto* data = reinterpret_cast<const BYTE*>(bytes.data());
  const auto size = static_cast<DWORD>(bytes.size());
  DWORD length = 0;
  if (!CryptBinaryToStringA(data, size, kFlags, nullptr, &length))
    throw Error("Die Anmeldedaten der HTTP-Anfrage konnten nicht codiert werden: " +
                SystemText(GetLastError()));
  std::string encoded(length, '\0');
  if (!CryptBinaryToStringA(data, size, kFlags, encoded.data(), &length))
    throw Error("Die Anmeldedaten der HTTP-Anfrage konnten nicht codiert werden: " +
                SystemText(GetLastError()));
  encoded.resize(length);
  return encoded;
}

std::chrono::milliseconds OrDefault(std::chrono::milliseconds value, std::chrono::milliseconds fallback) {
  return value.count() > 0 ? value : fallback;
}

// The total time-out as a point in time; every single wait gets the
// inactivity time-out, cut to what is left of the total.
class Deadline {
 public:
  explicit Deadline(const HttpRequest& request)
      : end_(Clock::now() + OrDefault(request.total_timeout, kDefaultTotalTimeout)),
        inactivity_(OrDefault(request.inactivity_timeout, kDefaultInactivityTimeout)) {}

  bool Passed() const { return Clock::now() >= end_; }

  int NextWait() const {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(end_ - Clock::now());
    const auto wait = std::min(left, inactivity_).count();
    return static_cast<int>(std::clamp<std::chrono::milliseconds::rep>(wait, 1, INT_MAX));
  }

 private:
  Clock::time_point end_;
  std::chrono::milliseconds inactivity_;
};

DWORD ProtocolFlags(const std::set<TlsVersion>& versions) {
  DWORD flags = 0;
  for (TlsVersion version : versions) {
    switch (version) {
      case TlsVersion::kTls10:
        flags |= WINHTTP_FLAG_SECURE_PROTOCOL_TLS1;
        break;
      case TlsVersion::kTls11:
        flags |= WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_1;
        break;
      case TlsVersion::kTls12:
        flags |= WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2;
        break;
      case TlsVersion::kTls13:
        flags |= WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_3;
        break;
    }
  }
  return flags;
}

// WinHTTP reports why a TLS connection failed only through this callback;
// the request's context value points at the flags of the request.
void CALLBACK OnStatus(HINTERNET, DWORD_PTR context, DWORD status, LPVOID information, DWORD length) {
  if (status == WINHTTP_CALLBACK_STATUS_SECURE_FAILURE && context != 0 && information != nullptr &&
      length >= sizeof(DWORD))
    *reinterpret_cast<DWORD*>(context) |= *static_cast<const DWORD*>(information);
}

void SetDwordOption(HINTERNET handle, DWORD option, DWORD value) {
  if (!WinHttpSetOption(handle, option, &value, sizeof value))
    throw Error("Die HTTP-Anfrage konnte nicht vorbereitet werden (Option " + std::to_string(option) +
                "): " + SystemText(GetLastError()));
}

// The caller's headers as WinHTTP takes them, one "Name: value" line each.
std::string HeaderLines(const HttpHeaders& headers) {
  std::string lines;
  for (const auto& [name, value] : headers) {
    if (name.find_first_of("\r\n:") != std::string::npos || value.find_first_of("\r\n") != std::string::npos)
      throw Error("Ungültige Kopfzeile in der HTTP-Anfrage: " + name);
    lines += name + ": " + value + "\r\n";
  }
  return lines;
}

bool HasHeader(const HttpHeaders& headers, std::string_view name) {
  return std::any_of(headers.begin(), headers.end(),
                     [name](const auto& header) { return text::EqualsIgnoreCase(header.first, name); });
}

// One WinHTTP session per set of allowed TLS versions: the versions are an
// option of the session, and a connection negotiated under one set must not
// serve a request that allows another. The connect handle is kept while the
// requests go to the same server; WinHTTP keeps its connections alive.
class Session {
 public:
  Session(DWORD protocols, const FailureContext& failure) : protocols_(protocols) {
    handle_.reset(WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                              WINHTTP_NO_PROXY_BYPASS, 0));
    if (!handle_)
      throw Error("Die HTTP-Bibliothek konnte nicht gestartet werden: " + SystemText(GetLastError()));
    if (WinHttpSetStatusCallback(handle_.get(), &OnStatus, WINHTTP_CALLBACK_FLAG_SECURE_FAILURE, 0) ==
        WINHTTP_INVALID_STATUS_CALLBACK)
      throw Error("Die HTTP-Bibliothek konnte nicht gestartet werden: " + SystemText(GetLastError()));
    if (protocols != 0) RestrictProtocols(failure);
  }

  DWORD protocols() const { return protocols_; }

  HINTERNET ConnectTo(const HttpUrl& url, const FailureContext& failure) {
    if (connect_ && url.secure == secure_ && url.port == port_ && url.host == host_) return connect_.get();
    connect_.reset();
    const std::wstring host = Wide(url.host);
    connect_.reset(WinHttpConnect(handle_.get(), host.c_str(), static_cast<INTERNET_PORT>(url.port), 0));
    if (!connect_) ThrowTransportError(GetLastError(), failure);
    host_ = url.host;
    port_ = url.port;
    secure_ = url.secure;
    return connect_.get();
  }

 private:
  // Systems before TLS 1.3 refuse its flag; the other versions named still apply.
  void RestrictProtocols(const FailureContext& failure) {
    DWORD flags = protocols_;
    if (WinHttpSetOption(handle_.get(), WINHTTP_OPTION_SECURE_PROTOCOLS, &flags, sizeof flags)) return;
    flags &= ~static_cast<DWORD>(WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_3);
    if (flags != 0 && WinHttpSetOption(handle_.get(), WINHTTP_OPTION_SECURE_PROTOCOLS, &flags, sizeof flags))
      return;
    ThrowTransportError(ERROR_WINHTTP_SECURE_CHANNEL_ERROR, failure);
  }

  DWORD protocols_;
  Handle handle_;
  Handle connect_;  // closed before the session
  std::string host_;
  int port_ = 0;
  bool secure_ = false;
};

// One request on its way, possibly across redirects.
struct Call {
  const HttpRequest& request;
  HttpUrl origin;
  FailureContext failure;
  Deadline deadline;
  std::string header_lines;
};

// One request-answer round: the first one or one after a redirect.
struct Hop {
  HttpUrl url;
  HttpMethod method;
  std::string_view body;
};

class WinHttpClient final : public HttpClient {
 public:
  WinHttpClient() {
    if (!WinHttpCheckPlatform())
      throw Error("Die HTTP-Bibliothek konnte nicht gestartet werden: WinHTTP fehlt auf diesem System.");
  }

  HttpResponse Send(const HttpRequest& request) override;

 private:
  Session& SessionFor(const Call& call);
  HttpResponse Exchange(const Call& call, const Hop& hop);
  Handle OpenRequest(const Call& call, const Hop& hop);
  void Prepare(HINTERNET handle, const Call& call, const Hop& hop, DWORD* secure_failures);
  void SendHeadAndBody(HINTERNET handle, const Call& call, const Hop& hop, const DWORD& secure_failures);
  HttpResponse ReadAnswer(HINTERNET handle, const Call& call, const DWORD& secure_failures);

  std::unique_ptr<Session> session_;
};

[[noreturn]] void ThrowTimeout(const FailureContext& failure) {
  ThrowTransportError(ERROR_WINHTTP_TIMEOUT, failure);
}

// The timeouts are set again before every wait, so that no wait outlasts
// the total time-out. A refusal after the request went out only loses
// precision: the deadline is still checked between the waits.
bool ApplyTimeouts(HINTERNET handle, const Deadline& deadline) {
  const int wait = deadline.NextWait();
  DWORD response_wait = static_cast<DWORD>(wait);
  return WinHttpSetTimeouts(handle, wait, wait, wait, wait) &&
         WinHttpSetOption(handle, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &response_wait,
                          sizeof response_wait);
}

std::optional<Hop> NextHop(const Hop& hop, const HttpResponse& answer, const FailureContext& failure) {
  switch (answer.status) {
    case 301:
    case 302:
    case 303:
    case 307:
    case 308:
      break;
    default:
      return std::nullopt;
  }
  const std::optional<std::string> location = answer.Header("Location");
  if (!location) return std::nullopt;
  std::optional<HttpUrl> next = hop.url.Resolve(*location);
  if (!next) ThrowFailure(failure, "Ungültige Weiterleitung nach " + RedactedUrl(*location));
  // After 301, 302 and 303 a POST goes on as GET, as browsers do.
  if (answer.status <= 303 && hop.method == HttpMethod::kPost) return Hop{*next, HttpMethod::kGet, {}};
  return Hop{*next, hop.method, hop.body};
}

HttpResponse WinHttpClient::Send(const HttpRequest& request) {
  const std::string url = EncodeRequestUrl(request.url);
  if (request.method == HttpMethod::kGet && !request.body.empty())
    throw Error("Eine GET-Anfrage kann keinen Inhalt senden: " + RedactedUrl(url));
  std::string header_lines = HeaderLines(request.headers);
  const FailureContext failure = DescribeFailureContext(url);
  const std::optional<HttpUrl> origin = HttpUrl::Parse(url);
  if (!origin) ThrowFailure(failure, "Die Adresse ist keine gültige HTTP- oder HTTPS-Adresse.");
  if (request.body.size() > MAXDWORD) ThrowFailure(failure, "Der Inhalt ist zu groß.");

  const Call call{request, *origin, failure, Deadline(request), std::move(header_lines)};
  Hop hop{*origin, request.method, request.body};
  for (int redirects = 0;; ++redirects) {
    HttpResponse answer = Exchange(call, hop);
    std::optional<Hop> next = NextHop(hop, answer, failure);
    if (!next) return answer;
    if (redirects == kMaxRedirects)
      ThrowFailure(failure, "Mehr als " + std::to_string(kMaxRedirects) + " Weiterleitungen.");
    hop = std::move(*next);
  }
}

Session& WinHttpClient::SessionFor(const Call& call) {
  const DWORD protocols = ProtocolFlags(call.request.tls_versions);
  if (!session_ || session_->protocols() != protocols) {
    session_.reset();  // its connections must not serve the new set
    session_ = std::make_unique<Session>(protocols, call.failure);
  }
  return *session_;
}

HttpResponse WinHttpClient::Exchange(const Call& call, const Hop& hop) {
  DWORD secure_failures = 0;  // outlives the request handle that reports into it
  const Handle handle = OpenRequest(call, hop);
  Prepare(handle.get(), call, hop, &secure_failures);
  for (int resends = 0;; ++resends) {
    SendHeadAndBody(handle.get(), call, hop, secure_failures);
    if (call.deadline.Passed()) ThrowTimeout(call.failure);
    ApplyTimeouts(handle.get(), call.deadline);
    if (WinHttpReceiveResponse(handle.get(), nullptr)) break;
    const DWORD error = GetLastError();
    if (error != ERROR_WINHTTP_RESEND_REQUEST || resends == kMaxResends)
      ThrowTransportError(error, call.failure, secure_failures);
  }
  return ReadAnswer(handle.get(), call, secure_failures);
}

Handle WinHttpClient::OpenRequest(const Call& call, const Hop& hop) {
  HINTERNET connect = SessionFor(call).ConnectTo(hop.url, call.failure);
  const std::wstring target = Wide(hop.url.target);
  // No accept types: WinHTTP then sends no Accept header.
  Handle handle(WinHttpOpenRequest(connect, hop.method == HttpMethod::kPost ? L"POST" : L"GET",
                                   target.c_str(), nullptr, WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                   hop.url.secure ? WINHTTP_FLAG_SECURE : 0));
  if (!handle) ThrowTransportError(GetLastError(), call.failure);
  return handle;
}

void WinHttpClient::Prepare(HINTERNET handle, const Call& call, const Hop& hop, DWORD* secure_failures) {
  // Redirects are followed here, by the contract's rules; no cookies and no
  // authentication of WinHTTP's own add headers the caller did not give.
  SetDwordOption(handle, WINHTTP_OPTION_DISABLE_FEATURE,
                 WINHTTP_DISABLE_REDIRECTS | WINHTTP_DISABLE_COOKIES | WINHTTP_DISABLE_AUTHENTICATION);
  auto context = reinterpret_cast<DWORD_PTR>(secure_failures);
  if (!WinHttpSetOption(handle, WINHTTP_OPTION_CONTEXT_VALUE, &context, sizeof context))
    throw Error("Die HTTP-Anfrage konnte nicht vorbereitet werden: " + SystemText(GetLastError()));
  if (hop.url.secure && call.request.certificate_policy == CertificatePolicy::kAcceptInvalid)
    SetDwordOption(handle, WINHTTP_OPTION_SECURITY_FLAGS,
                   SECURITY_FLAG_IGNORE_UNKNOWN_CA | SECURITY_FLAG_IGNORE_CERT_DATE_INVALID |
                       SECURITY_FLAG_IGNORE_CERT_CN_INVALID | SECURITY_FLAG_IGNORE_CERT_WRONG_USAGE);

  std::string lines = call.header_lines;
  // Credentials go only to the server they were given for, not to where it redirects.
  if (call.request.basic_auth && hop.url.SameOrigin(call.origin) &&
      !HasHeader(call.request.headers, "Authorization"))
    lines += "Authorization: Basic " +
             Base64(call.request.basic_auth->user + ":" + call.request.basic_auth->password) + "\r\n";
  const std::wstring wide_lines = Wide(lines);
  if (!wide_lines.empty() &&
      !WinHttpAddRequestHeaders(handle, wide_lines.c_str(), static_cast<DWORD>(-1), WINHTTP_ADDREQ_FLAG_ADD))
    throw Error("Die Kopfzeilen der HTTP-Anfrage konnten nicht angelegt werden: " +
                SystemText(GetLastError()));
}

// The head goes out first and the body after it, so that the server's
// certificate is checked before any content leaves, and so that a large
// body is sent in pieces between which the total time-out is checked.
void WinHttpClient::SendHeadAndBody(HINTERNET handle, const Call& call, const Hop& hop,
                                    const DWORD& secure_failures) {
  if (!ApplyTimeouts(handle, call.deadline))
    throw Error("Die Zeitgrenzen der HTTP-Anfrage konnten nicht gesetzt werden: " +
                SystemText(GetLastError()));
  if (!WinHttpSendRequest(handle, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0,
                          static_cast<DWORD>(hop.body.size()), 0))
    ThrowTransportError(GetLastError(), call.failure, secure_failures);
  if (hop.url.secure && call.request.certificate_policy == CertificatePolicy::kValidate)
    VerifyServerCertificate(handle, hop.url, call.failure);

  for (std::size_t sent = 0; sent < hop.body.size();) {
    if (call.deadline.Passed()) ThrowTimeout(call.failure);
    ApplyTimeouts(handle, call.deadline);
    const auto piece = static_cast<DWORD>(std::min<std::size_t>(kChunkSize, hop.body.size() - sent));
    DWORD written = 0;
    if (!WinHttpWriteData(handle, hop.body.data() + sent, piece, &written))
      ThrowTransportError(GetLastError(), call.failure, secure_failures);
    if (written == 0) ThrowTransportError(ERROR_WINHTTP_CONNECTION_ERROR, call.failure);
    sent += written;
  }
}

int QueryStatus(HINTERNET handle, const FailureContext& failure) {
  DWORD status = 0;
  DWORD size = sizeof status;
  if (!WinHttpQueryHeaders(handle, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                           WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX))
    ThrowTransportError(GetLastError(), failure);
  return static_cast<int>(status);
}

HttpHeaders QueryHeaders(HINTERNET handle, const FailureContext& failure) {
  DWORD size = 0;
  WinHttpQueryHeaders(handle, WINHTTP_QUERY_RAW_HEADERS_CRLF, WINHTTP_HEADER_NAME_BY_INDEX,
                      WINHTTP_NO_OUTPUT_BUFFER, &size, WINHTTP_NO_HEADER_INDEX);
  if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) ThrowTransportError(GetLastError(), failure);
  std::wstring raw(size / sizeof(wchar_t) + 1, L'\0');
  if (!WinHttpQueryHeaders(handle, WINHTTP_QUERY_RAW_HEADERS_CRLF, WINHTTP_HEADER_NAME_BY_INDEX, raw.data(),
                           &size, WINHTTP_NO_HEADER_INDEX))
    ThrowTransportError(GetLastError(), failure);
  raw.resize(size / sizeof(wchar_t));
  return ParseRawHeaders(HeaderBytes(raw));
}

// WinHTTP ends a body quietly when the server closes the connection early;
// the announced length tells.
void CheckComplete(const HttpResponse& answer, const FailureContext& failure) {
  if (answer.status < 200 || answer.status == 204 || answer.status == 304 ||
      answer.Header("Transfer-Encoding"))
    return;
  const std::string length = answer.Header("Content-Length").value_or("");
  unsigned long long announced = 0;
  const auto [end, error] = std::from_chars(length.data(), length.data() + length.size(), announced);
  if (error != std::errc() || end != length.data() + length.size() || answer.body.size() >= announced) return;
  ThrowInterrupted(failure, "Die Antwort endete nach " + std::to_string(answer.body.size()) + " von " +
                                length + " Bytes.");
}

HttpResponse WinHttpClient::ReadAnswer(HINTERNET handle, const Call& call, const DWORD& secure_failures) {
  HttpResponse answer;
  answer.status = QueryStatus(handle, call.failure);
  answer.headers = QueryHeaders(handle, call.failure);
  for (const auto& [name, value] : answer.headers)
    if (text::EqualsIgnoreCase(name, "Content-Type")) answer.content_type = value;
  for (;;) {
    if (call.deadline.Passed()) ThrowTimeout(call.failure);
    ApplyTimeouts(handle, call.deadline);
    const std::size_t before = answer.body.size();
    answer.body.resize(before + kChunkSize);
    DWORD read = 0;
    const bool ok = WinHttpReadData(handle, answer.body.data() + before, kChunkSize, &read);
    answer.body.resize(before + (ok ? read : 0));
    if (!ok) ThrowTransportError(GetLastError(), call.failure, secure_failures);
    if (read == 0) break;
  }
  CheckComplete(answer, call.failure);
  return answer;
}

}  // namespace

std::unique_ptr<HttpClient> CreateHttpClient() { return std::make_unique<WinHttpClient>(); }

}  // namespace kanvio::platform
