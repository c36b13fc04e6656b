#pragma once
// The header block of an HTTP answer as the server sent it, taken apart, for
// clients whose library hands over the block as a whole (WinHTTP).

#include <string_view>

#include "platform/HttpClient.h"

namespace kanvio::platform {

// Lines of "Name: value" in received order, names and values trimmed. The
// status line and lines without a colon are skipped; a line starting with a
// blank or tab continues the value before it. Lines end in CR LF or LF.
HttpHeaders ParseRawHeaders(std::string_view block);

}  // namespace kanvio::platform
