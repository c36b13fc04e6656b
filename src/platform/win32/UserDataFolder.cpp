#include "platform/UserDataFolder.h"

#include <windows.h>
// shlobj.h builds on the types of windows.h.
#include <shlobj.h>
#include <stdlib.h>

namespace kanvio::platform {
namespace {

std::filesystem::path FromEnvironment(const wchar_t* name) {
  const wchar_t* value = _wgetenv(name);
  return value != nullptr ? std::filesystem::path(value) : std::filesystem::path();
}

std::filesystem::path LocalAppData() {
  wchar_t* folder = nullptr;
  std::filesystem::path path;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &folder))) path = folder;
  CoTaskMemFree(folder);
  return path.empty() ? FromEnvironment(L"LOCALAPPDATA") : path;
}

}  // namespace

std::filesystem::path UserDataFolder() {
  if (auto dir = FromEnvironment(L"KANVIO_USER_CONFIG_DIR"); !dir.empty()) return dir;
  auto local = LocalAppData();
  return (local.empty() ? std::filesystem::path(L".") : local) / L"marlixKanvio";
}

}  // namespace kanvio::platform
