#pragma once
// A second look at the certificate of the connection a request went out on.

// clang-format off
#include <windows.h>
#include <winhttp.h>
// clang-format on

#include "platform/HttpUrl.h"
#include "platform/win32/WinHttpFailure.h"

namespace kanvio::platform {

// WinHTTP checks a server's certificate when it opens a connection, with the
// security flags of the request that opened it, and hands pooled
// connections to later requests without checking again. A validating request
// may so inherit a connection that an accepting one opened; this checks the
// connection's certificate for the request itself (trusted chain for server
// use, name of the host). Call after WinHttpSendRequest. Throws the
// certificate's TransportError.
void VerifyServerCertificate(HINTERNET request, const HttpUrl& url, const FailureContext& failure);

}  // namespace kanvio::platform
