#include "platform/IniReader.h"

#include <windows.h>

#include "platform/win32/WideText.h"
#include "support/Text.h"

namespace kanvio::platform {
// The wide form of the function reads a file without byte-order mark in the
// ANSI code page, as the narrow form does, and also opens paths that the
// ANSI code page cannot spell.
std::string ReadIniValue(const std::filesystem::path& file, const std::string& section,
                         const std::string& key, const std::string& fallback) {
  // A bare file name would be looked for in the Windows folder.
  std::error_code ec;
  const std::filesystem::path full = std::filesystem::absolute(file, ec);
  if (ec) return fallback;
  std::wstring value(kMaxIniValue + 1, L'\0');
  const DWORD length =
      GetPrivateProfileStringW(Wide(section).c_str(), Wide(key).c_str(), Wide(fallback).c_str(), value.data(),
                               static_cast<DWORD>(value.size()), full.c_str());
  value.resize(length);
  return text::Utf16ToUtf8(
      std::u16string_view(reinterpret_cast<const char16_t*>(value.data()), value.size()));
}

}  // namespace kanvio::platform
