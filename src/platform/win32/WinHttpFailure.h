#pragma once
// WinHTTP's failures as the German messages of the HTTP client contract, the
// same texts for the same cases on every platform.

// clang-format off
#include <windows.h>
// clang-format on

#include <string>

namespace kanvio::platform {

// How a request's address appears in messages: its host (with a port when
// the address names one) and the address without user and password.
struct FailureContext {
  std::string host;
  std::string url;
};

FailureContext DescribeFailureContext(const std::string& url);

// The system's text for an error code, with the code; "Fehler <code>" when
// the system has none.
std::string SystemText(DWORD code);

// Throws the TransportError for a WinHTTP error code. secure_failures are
// the WINHTTP_CALLBACK_STATUS_FLAG_* reported for a failed TLS connection.
[[noreturn]] void ThrowTransportError(DWORD code, const FailureContext& context, DWORD secure_failures = 0);
// "Die Anfrage an <url> ist fehlgeschlagen: <detail>"
[[noreturn]] void ThrowFailure(const FailureContext& context, const std::string& detail);
// "Die Verbindung zu <host> wurde unterbrochen: <detail>"
[[noreturn]] void ThrowInterrupted(const FailureContext& context, const std::string& detail);
// "Das Zertifikat des Servers <host> ist nicht vertrauenswürdig: <detail>"
[[noreturn]] void ThrowUntrusted(const FailureContext& context, const std::string& detail);

}  // namespace kanvio::platform
