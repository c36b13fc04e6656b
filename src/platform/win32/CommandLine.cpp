#include "platform/CommandLine.h"

#include <windows.h>
// shellapi.h builds on the types of windows.h.
#include <shellapi.h>

#include <memory>

#include "support/Text.h"

namespace kanvio::platform {

// The narrow arguments stay the fallback: CommandLineToArgvW fails only
// without memory.
std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  int count = 0;
  std::unique_ptr<LPWSTR, decltype(&LocalFree)> wide(CommandLineToArgvW(GetCommandLineW(), &count),
                                                     &LocalFree);
  if (!wide) return {argv, argv + argc};
  std::vector<std::string> arguments;
  arguments.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    const wchar_t* argument = wide.get()[i];
    arguments.push_back(text::Utf16ToUtf8(
        std::u16string_view(reinterpret_cast<const char16_t*>(argument), wcslen(argument))));
  }
  return arguments;
}

}  // namespace kanvio::platform
