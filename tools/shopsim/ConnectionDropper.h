#pragma once

#include <httplib.h>

namespace kanvio::shopsim {

// Closes a request's connection from inside its handler, so that the client
// receives no answer at all. httplib offers no way to do that: a handler that
// throws still produces a 500, and the handler never sees the socket. The
// socket is therefore found by its two endpoints among the process's open
// descriptors and replaced by /dev/null. The connection closes at once; the
// answer httplib then writes goes nowhere, and it closes the descriptor as
// usual. Replacing instead of shutting down the socket keeps the descriptor
// number valid (no reuse race) and raises no SIGPIPE.
class ConnectionDropper {
 public:
  // False when the socket could not be found (it is then left alone).
  static bool Drop(const httplib::Request& request);
};

}  // namespace kanvio::shopsim
