#include "platform/ComStringFunctions.h"

namespace kanvio::platform {

// Host and library both use the system's allocator, as the real host does.
ComStringFunctions ComStringFunctionsFor(const DynamicLibrary& /*library*/) {
  return {&::SysAllocStringLen, &::SysStringLen, &::SysFreeString, &::CoTaskMemFree};
}

}  // namespace kanvio::platform
