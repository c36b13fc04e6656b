#include "platform/DynamicLibrary.h"

#include <windows.h>

#include "platform/FileSystem.h"
#include "platform/win32/SystemMessage.h"
#include "support/Error.h"

namespace kanvio::platform {
namespace {

// GetModuleFileNameW cuts the name to the buffer without saying so except
// through the length it returns, so the buffer grows until the name fits.
std::filesystem::path ModuleFileName(HMODULE module) {
  std::wstring name(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(module, name.data(), static_cast<DWORD>(name.size()));
    if (length == 0) return {};
    if (length < name.size()) {
      name.resize(length);
      return name;
    }
    name.resize(name.size() * 2);
  }
}

}  // namespace

std::filesystem::path OwnModulePath() {
  HMODULE module = nullptr;
  if (!GetModuleHandleExW(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          reinterpret_cast<LPCWSTR>(&OwnModulePath), &module))
    return ExecutablePath();
  auto path = ModuleFileName(module);
  return path.empty() ? ExecutablePath() : path;
}

std::filesystem::path ExecutablePath() {
  auto path = ModuleFileName(nullptr);
  return path.empty() ? std::filesystem::current_path() / "unknown" : path;
}

// With a full path, the library's own folder is searched first for what it
// depends on. Failing to load must not open an error box: nobody may be
// there to close it, and the export would never return.
DynamicLibrary::DynamicLibrary(const std::filesystem::path& path) {
  const DWORD flags = path.is_absolute() ? LOAD_WITH_ALTERED_SEARCH_PATH : 0;
  DWORD previous_mode = 0;
  const bool mode_set = SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previous_mode);
  HMODULE module = LoadLibraryExW(path.c_str(), nullptr, flags);
  const DWORD error = GetLastError();
  if (mode_set) SetThreadErrorMode(previous_mode, nullptr);
  if (module == nullptr)
    throw Error("Die Bibliothek " + PathToUtf8(path) +
                " konnte nicht geladen werden: " + SystemMessage(error));
  handle_ = module;
}

DynamicLibrary::~DynamicLibrary() { FreeLibrary(static_cast<HMODULE>(handle_)); }

void* DynamicLibrary::Symbol(const char* name) const {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}

}  // namespace kanvio::platform
