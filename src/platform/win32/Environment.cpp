#include "platform/Environment.h"

#include <stdlib.h>
#include <windows.h>

#include "support/Text.h"

namespace kanvio::platform {
namespace {

std::wstring Wide(const std::string& utf8) {
  const std::u16string utf16 = text::Utf8ToUtf16(utf8);
  return std::wstring(utf16.begin(), utf16.end());
}

}  // namespace

// Through the C runtime rather than SetEnvironmentVariable: getenv reads the
// runtime's copy, which only _wputenv_s keeps in step with the process's.
void SetEnvironment(const std::string& name, const std::string& value) {
  _wputenv_s(Wide(name).c_str(), Wide(value).c_str());
}

void UnsetEnvironment(const std::string& name) { _wputenv_s(Wide(name).c_str(), L""); }

}  // namespace kanvio::platform
