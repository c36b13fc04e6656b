#include "platform/win32/WindowSupport.h"

#include <commctrl.h>

#include "support/Error.h"

namespace kanvio::platform {
namespace {

// Where Windows looks for a library's own manifest.
constexpr WORD kManifestResource = 2;

}  // namespace

void ThrowLastError(const std::string& call) {
  const DWORD error = GetLastError();
  throw Error(call + " ist fehlgeschlagen" +
              (error != 0 ? " (Windows-Fehler " + std::to_string(error) + ")" : std::string()));
}

HMODULE ThisModule() {
  static const char anchor = 0;
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&anchor), &module);
  return module;
}

std::wstring ModulePath(HMODULE module) {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(module, path.data(), DWORD(path.size()));
    if (length == 0) return {};
    if (length < path.size()) return path.substr(0, length);
    path.resize(path.size() * 2);
  }
}

int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  if (screen == nullptr) return kBaseDpi;
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : kBaseDpi;
}

WindowClass::WindowClass(const wchar_t* name, WNDPROC procedure, HCURSOR cursor, HBRUSH background)
    : name_(name), module_(ThisModule()) {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = procedure;
  window_class.hInstance = module_;
  window_class.hCursor = cursor;
  window_class.hbrBackground = background;
  window_class.lpszClassName = name_;
  if (RegisterClassExW(&window_class) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    ThrowLastError("RegisterClassEx");
}

WindowClass::~WindowClass() { UnregisterClassW(name_, module_); }

CommonControls::CommonControls(DWORD classes) {
  const HMODULE module = ThisModule();
  const std::wstring path = ModulePath(module);
  ACTCTXW request{};
  request.cbSize = sizeof request;
  request.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
  request.lpSource = path.c_str();
  request.hModule = module;
  request.lpResourceName = MAKEINTRESOURCEW(kManifestResource);
  context_ = CreateActCtxW(&request);
  Within([classes] {
    INITCOMMONCONTROLSEX controls{sizeof controls, classes};
    return InitCommonControlsEx(&controls);
  });
}

CommonControls::~CommonControls() {
  if (context_ != INVALID_HANDLE_VALUE) ReleaseActCtx(context_);
}

}  // namespace kanvio::platform
