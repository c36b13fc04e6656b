#pragma once
// What the library's own windows (the progress window, the sign-in dialog)
// need from Windows alike: the module they belong to, a window class that
// lives no longer than they do, and the version 6 common controls.

#include <windows.h>

#include <string>

namespace kanvio::platform {

constexpr int kBaseDpi = 96;

// Without a desktop CreateWindowEx may fail without an error code.
[[noreturn]] void ThrowLastError(const std::string& call);

// The library's module, not the host's executable.
HMODULE ThisModule();
std::wstring ModulePath(HMODULE module);
// The screen's dots per inch, kBaseDpi when there is no screen to ask.
int ScreenDpi();

// Registered for the lifetime of one window: a class left registered after
// the library is unloaded would point to code that is gone.
class WindowClass {
 public:
  WindowClass(const wchar_t* name, WNDPROC procedure, HCURSOR cursor, HBRUSH background);
  ~WindowClass();
  WindowClass(const WindowClass&) = delete;
  WindowClass& operator=(const WindowClass&) = delete;

  HMODULE module() const { return module_; }
  const wchar_t* name() const { return name_; }

 private:
  const wchar_t* const name_;
  const HMODULE module_;
};

// A marquee bar and a link need version 6 of the common controls. A library
// gets it only through an activation context made from its own manifest;
// without it the controls are the classic ones (the marquee stands still).
class CommonControls {
 public:
  // classes: the ICC_ flags of the controls to be made.
  explicit CommonControls(DWORD classes);
  ~CommonControls();
  CommonControls(const CommonControls&) = delete;
  CommonControls& operator=(const CommonControls&) = delete;

  // Runs make with the context active, so that controls it creates are of
  // version 6; the context is deactivated however make ends.
  template <class Make>
  auto Within(Make make) {
    struct Activation {
      ULONG_PTR cookie = 0;
      bool active = false;
      ~Activation() {
        if (active) DeactivateActCtx(0, cookie);
      }
    } activation;
    activation.active = context_ != INVALID_HANDLE_VALUE && ActivateActCtx(context_, &activation.cookie);
    return make();
  }

 private:
  HANDLE context_ = INVALID_HANDLE_VALUE;
};

}  // namespace kanvio::platform
