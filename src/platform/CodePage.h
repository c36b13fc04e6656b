#pragma once

#include <string>

namespace kanvio::platform {

// The system's narrow ("ANSI") code page: UTF-8 on POSIX, CP_ACP on Windows.
// Characters the code page lacks become '?'.
std::string Utf8ToNarrow(const std::string& utf8);
std::string NarrowToUtf8(const std::string& narrow);

}  // namespace kanvio::platform
