#include "platform/Environment.h"

#include <stdlib.h>
#include <windows.h>

#include "platform/win32/WideText.h"

namespace kanvio::platform {

// Through the C runtime rather than SetEnvironmentVariable: getenv reads the
// runtime's copy, which only _wputenv_s keeps in step with the process's.
void SetEnvironment(const std::string& name, const std::string& value) {
  _wputenv_s(Wide(name).c_str(), Wide(value).c_str());
}

void UnsetEnvironment(const std::string& name) { _wputenv_s(Wide(name).c_str(), L""); }

}  // namespace kanvio::platform
