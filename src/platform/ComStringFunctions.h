#pragma once
// The COM string allocator a host shares with the connector library: what
// the host allocates the library may free, and the other way round.

#include "marlixKanvio/comstrings.h"
#include "platform/DynamicLibrary.h"

namespace kanvio::platform {

struct ComStringFunctions {
  decltype(&::SysAllocStringLen) alloc = nullptr;
  decltype(&::SysStringLen) length = nullptr;
  decltype(&::SysFreeString) free = nullptr;
  decltype(&::CoTaskMemFree) task_free = nullptr;
};

// The functions that go with library: on Windows the system's (oleaut32,
// ole32), elsewhere the ones the library exports (null when it lacks them).
ComStringFunctions ComStringFunctionsFor(const DynamicLibrary& library);

}  // namespace kanvio::platform
