#include "platform/win32/SystemMessage.h"

#include "support/Text.h"

namespace kanvio::platform {

std::string SystemMessage(DWORD code) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::string message = "Fehler " + std::to_string(code);
  if (length > 0)
    message =
        text::Trim(text::Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(buffer), length)));
  LocalFree(buffer);
  return message;
}

}  // namespace kanvio::platform
