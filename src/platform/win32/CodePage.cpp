#include "platform/CodePage.h"

#include <windows.h>

#include "support/Text.h"

namespace kanvio::platform {
namespace {

// A system set to UTF-8 as its ANSI code page already speaks our encoding
// (and refuses the flags below).
bool AnsiIsUtf8() { return GetACP() == CP_UTF8; }

}  // namespace

std::string Utf8ToNarrow(const std::string& utf8) {
  if (utf8.empty() || AnsiIsUtf8()) return utf8;
  const std::u16string wide = text::Utf8ToUtf16(utf8);
  const auto* chars = reinterpret_cast<const wchar_t*>(wide.data());
  const int length = static_cast<int>(wide.size());
  // Without best fit, a character the code page lacks becomes '?' instead of
  // a look-alike ("ł" would otherwise turn into "l").
  const int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, chars, length, nullptr, 0, "?", nullptr);
  std::string narrow(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, chars, length, narrow.data(), size, "?", nullptr);
  return narrow;
}

std::string NarrowToUtf8(const std::string& narrow) {
  if (narrow.empty() || AnsiIsUtf8()) return narrow;
  const int length = static_cast<int>(narrow.size());
  const int size = MultiByteToWideChar(CP_ACP, 0, narrow.data(), length, nullptr, 0);
  std::u16string wide(static_cast<std::size_t>(size), u'\0');
  MultiByteToWideChar(CP_ACP, 0, narrow.data(), length, reinterpret_cast<wchar_t*>(wide.data()), size);
  return text::Utf16ToUtf8(wide);
}

}  // namespace kanvio::platform
