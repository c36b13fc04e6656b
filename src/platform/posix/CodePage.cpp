#include "platform/CodePage.h"

namespace kanvio::platform {

std::string Utf8ToNarrow(const std::string& utf8) { return utf8; }
std::string NarrowToUtf8(const std::string& narrow) { return narrow; }

}  // namespace kanvio::platform
