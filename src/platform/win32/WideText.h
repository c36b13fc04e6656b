#pragma once
// The UTF-16 form the wide Windows functions take, from the library's UTF-8.

#include <string>
#include <string_view>

#include "support/Text.h"

namespace kanvio::platform {

inline std::wstring Wide(std::string_view utf8) {
  const std::u16string utf16 = text::Utf8ToUtf16(utf8);
  return std::wstring(utf16.begin(), utf16.end());
}

}  // namespace kanvio::platform
