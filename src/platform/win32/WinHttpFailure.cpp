#include "platform/win32/WinHttpFailure.h"

// clang-format off
#include <winhttp.h>
// clang-format on

#include <optional>

#include "platform/HttpUrl.h"
#include "support/Error.h"
#include "support/Text.h"

namespace kanvio::platform {
namespace {

constexpr DWORD kCertificateFailures =
    WINHTTP_CALLBACK_STATUS_FLAG_CERT_REV_FAILED | WINHTTP_CALLBACK_STATUS_FLAG_INVALID_CERT |
    WINHTTP_CALLBACK_STATUS_FLAG_CERT_REVOKED | WINHTTP_CALLBACK_STATUS_FLAG_INVALID_CA |
    WINHTTP_CALLBACK_STATUS_FLAG_CERT_CN_INVALID | WINHTTP_CALLBACK_STATUS_FLAG_CERT_DATE_INVALID |
    WINHTTP_CALLBACK_STATUS_FLAG_CERT_WRONG_USAGE;

enum class Kind { kUnreachable, kTimeout, kUntrusted, kEncryption, kInterrupted, kOther };

Kind KindOf(DWORD code, DWORD secure_failures) {
  switch (code) {
    case ERROR_WINHTTP_NAME_NOT_RESOLVED:
    case ERROR_WINHTTP_CANNOT_CONNECT:
      return Kind::kUnreachable;
    case ERROR_WINHTTP_TIMEOUT:
    case WSAETIMEDOUT:  // Wine hands the socket's code through
      return Kind::kTimeout;
    case ERROR_WINHTTP_SECURE_CERT_DATE_INVALID:
    case ERROR_WINHTTP_SECURE_CERT_CN_INVALID:
    case ERROR_WINHTTP_SECURE_INVALID_CA:
    case ERROR_WINHTTP_SECURE_CERT_REV_FAILED:
    case ERROR_WINHTTP_SECURE_INVALID_CERT:
    case ERROR_WINHTTP_SECURE_CERT_REVOKED:
    case ERROR_WINHTTP_SECURE_CERT_WRONG_USAGE:
      return Kind::kUntrusted;
    case ERROR_WINHTTP_SECURE_FAILURE:
      return (secure_failures & kCertificateFailures) != 0 ? Kind::kUntrusted : Kind::kEncryption;
    case ERROR_WINHTTP_SECURE_CHANNEL_ERROR:
    case ERROR_WINHTTP_CLIENT_AUTH_CERT_NEEDED:
      return Kind::kEncryption;
    case ERROR_WINHTTP_CONNECTION_ERROR:
      return Kind::kInterrupted;
    default:
      return Kind::kOther;
  }
}

}  // namespace

FailureContext DescribeFailureContext(const std::string& url) {
  const std::string redacted = RedactedUrl(url);
  const std::optional<HttpUrl> parsed = HttpUrl::Parse(redacted);
  if (!parsed) return {redacted, redacted};
  return {parsed->Authority(), parsed->ToString()};
}

std::string SystemText(DWORD code) {
  // WinHTTP's codes have their texts in winhttp.dll, the others in the system.
  HMODULE winhttp = GetModuleHandleW(L"winhttp.dll");
  DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
  if (winhttp != nullptr) flags |= FORMAT_MESSAGE_FROM_HMODULE;
  wchar_t* buffer = nullptr;
  const DWORD length =
      FormatMessageW(flags, winhttp, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::string message;
  if (length > 0 && buffer != nullptr)
    message = text::Trim(text::Utf16ToUtf8(std::u16string(buffer, buffer + length)));
  LocalFree(buffer);
  const std::string code_text = "Fehler " + std::to_string(code);
  return message.empty() ? code_text : message + " (" + code_text + ")";
}

void ThrowTransportError(DWORD code, const FailureContext& context, DWORD secure_failures) {
  const std::string detail = SystemText(code);
  switch (KindOf(code, secure_failures)) {
    case Kind::kUnreachable:
      throw TransportError("Die Verbindung zu " + context.host +
                           " konnte nicht hergestellt werden: " + detail);
    case Kind::kTimeout:
      throw TransportError("Zeitüberschreitung bei der Anfrage an " + context.url);
    case Kind::kUntrusted:
      ThrowUntrusted(context, detail);
    case Kind::kEncryption:
      throw TransportError("Die verschlüsselte Verbindung zu " + context.host +
                           " konnte nicht hergestellt werden: " + detail);
    case Kind::kInterrupted:
      ThrowInterrupted(context, detail);
    case Kind::kOther:
      break;
  }
  ThrowFailure(context, detail);
}

void ThrowFailure(const FailureContext& context, const std::string& detail) {
  throw TransportError("Die Anfrage an " + context.url + " ist fehlgeschlagen: " + detail);
}

void ThrowInterrupted(const FailureContext& context, const std::string& detail) {
  throw TransportError("Die Verbindung zu " + context.host + " wurde unterbrochen: " + detail);
}

void ThrowUntrusted(const FailureContext& context, const std::string& detail) {
  throw TransportError("Das Zertifikat des Servers " + context.host +
                       " ist nicht vertrauenswürdig: " + detail);
}

}  // namespace kanvio::platform
