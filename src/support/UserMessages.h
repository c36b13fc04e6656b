#pragma once
// The worker's German status texts, one accessor per key. Texts with {0} are
// filled with fmt's positional formatting (see FormatMessage).

#include <string>

namespace kanvio {

class UserMessages {
 public:
#define KANVIO_MESSAGE(key, text) static const std::string& key();
#include "support/UserMessages.def"
#undef KANVIO_MESSAGE
};

}  // namespace kanvio
