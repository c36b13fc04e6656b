#include "platform/ComStringFunctions.h"

namespace kanvio::platform {

// Here the library is the allocator: its exports carry the Windows names.
ComStringFunctions ComStringFunctionsFor(const DynamicLibrary& library) {
  ComStringFunctions functions;
  functions.alloc = library.Function<decltype(functions.alloc)>("SysAllocStringLen");
  functions.length = library.Function<decltype(functions.length)>("SysStringLen");
  functions.free = library.Function<decltype(functions.free)>("SysFreeString");
  functions.task_free = library.Function<decltype(functions.task_free)>("CoTaskMemFree");
  return functions;
}

}  // namespace kanvio::platform
