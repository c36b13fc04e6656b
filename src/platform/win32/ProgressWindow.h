#pragma once
// The Win32 window of the progress view. It belongs to the thread that made
// it: every member is called on that thread only.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/ProgressView.h"

namespace kanvio::platform {

class WindowClass;
class CommonControls;

class ProgressWindow {
 public:
  // Runs on the window's thread whenever wake_message reaches the window,
  // also inside modal loops that others run on that thread.
  using WakeHandler = std::function<void()>;

  // The borderless popup, centred on the screen and shown, owned by the
  // thread's active window. The thread's other top-level windows stay
  // disabled until the window is destroyed. Throws Error when there is no
  // desktop to show a window on.
  static std::unique_ptr<ProgressWindow> Show(const ViewColors& colors, UINT wake_message,
                                              WakeHandler on_wake);
  // A message-only window that never shows: it only takes wake messages.
  // Throws Error.
  static std::unique_ptr<ProgressWindow> MessageOnly(UINT wake_message, WakeHandler on_wake);

  ~ProgressWindow();
  ProgressWindow(const ProgressWindow&) = delete;
  ProgressWindow& operator=(const ProgressWindow&) = delete;

  HWND handle() const { return window_; }

  // A message-only window ignores these.
  void SetStatusText(const std::string& utf8);
  // Replaces the marquee by a continuous bar of range 0..maximum.
  void SetProgressMaximum(std::int32_t maximum);
  void SetProgressValue(std::int32_t value);

 private:
  ProgressWindow(UINT wake_message, WakeHandler on_wake);
  void CreatePopup(const ViewColors& colors);
  HWND CreateText(const wchar_t* text, const RECT& rect);
  void CreateBar();
  void DisableThreadWindows();
  void EnableThreadWindows();
  LRESULT Handle(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

  const UINT wake_message_;
  const WakeHandler on_wake_;
  std::unique_ptr<WindowClass> class_;
  std::unique_ptr<CommonControls> common_controls_;
  HWND window_ = nullptr;
  HWND status_ = nullptr;
  HWND bar_ = nullptr;
  HWND hint_ = nullptr;
  RECT bar_rect_{};
  RECT inner_rect_{};
  HFONT font_ = nullptr;
  HBRUSH header_brush_ = nullptr;
  HBRUSH panel_brush_ = nullptr;
  COLORREF panel_color_ = 0;
  bool marquee_ = true;
  std::int32_t maximum_ = 101;
  std::int32_t value_ = 1;
  std::vector<HWND> disabled_windows_;
};

}  // namespace kanvio::platform
