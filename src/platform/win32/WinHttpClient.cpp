// Placeholder until the WinHTTP client lands: it lets the library link and
// fails every connection plainly.
#include "platform/HttpClient.h"
#include "support/Error.h"

namespace kanvio::platform {

std::unique_ptr<HttpClient> CreateHttpClient() { throw Error("not built yet"); }

}  // namespace kanvio::platform
