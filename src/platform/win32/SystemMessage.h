#pragma once

#include <windows.h>

#include <string>

namespace kanvio::platform {

// The system's text for an error code (GetLastError), in UTF-8.
std::string SystemMessage(DWORD code = GetLastError());

}  // namespace kanvio::platform
