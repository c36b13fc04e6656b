#include "platform/win32/ProgressWindow.h"

#include <commctrl.h>

#include <algorithm>

#include "platform/win32/WindowSupport.h"
#include "support/Error.h"

namespace kanvio::platform {
namespace {

constexpr wchar_t kClassName[] = L"marlixKanvioProgressWindow";
constexpr wchar_t kTitle[] = L"marlixKanvio";
constexpr wchar_t kInitialStatus[] = L"Status";
constexpr wchar_t kHint[] = L"Bitte einen Moment Geduld...";
constexpr wchar_t kFontFace[] = L"Tahoma";

// Sizes in pixels at 96 dpi; everything scales with the font.
constexpr int kClientWidth = 384;
constexpr int kClientHeight = 66;
constexpr int kInset = 3;
constexpr int kBarWidth = 363;
constexpr int kBarHeight = 15;
constexpr int kFontCentipoints = 825;
constexpr int kMarqueeSpeed = 300;

constexpr DWORD kStyle = WS_POPUP | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW;
constexpr DWORD kTextStyle = WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS;
// The panel's colour is fixed, so the text's must be too: a system colour
// could be white in a high-contrast scheme.
constexpr COLORREF kTextColor = RGB(0, 0, 0);

std::wstring Utf16(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
  std::wstring wide(length, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), wide.data(), length);
  return wide;
}

COLORREF ToColorref(Rgb color) { return RGB(color.r, color.g, color.b); }

int LineHeight(HFONT font) {
  HDC screen = GetDC(nullptr);
  if (screen == nullptr) return 0;
  HGDIOBJ previous = SelectObject(screen, font);
  TEXTMETRICW text{};
  const int height = GetTextMetricsW(screen, &text) ? int(text.tmHeight) : 0;
  SelectObject(screen, previous);
  ReleaseDC(nullptr, screen);
  return height;
}

HFONT CreateTextFont(int dpi) {
  return CreateFontW(-MulDiv(kFontCentipoints, dpi, 72 * 100), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE,
                     DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_SWISS, kFontFace);
}

struct Layout {
  RECT client, inner, status, bar, hint;
};

// The inner panel holds the status text, the bar and the hint in one
// column, centred, with equal gaps between them.
Layout ComputeLayout(int dpi, int line_height) {
  auto scale = [dpi](int pixels) { return MulDiv(pixels, dpi, kBaseDpi); };
  Layout layout{};
  layout.client = {0, 0, scale(kClientWidth), scale(kClientHeight)};
  layout.inner = layout.client;
  InflateRect(&layout.inner, -scale(kInset), -scale(kInset));
  const int width = scale(kBarWidth);
  const int bar_height = scale(kBarHeight);
  const int line = std::max(line_height, scale(13));
  const int left = layout.inner.left + (layout.inner.right - layout.inner.left - width) / 2;
  const int spare = std::max(0, int(layout.inner.bottom - layout.inner.top) - 2 * line - bar_height);
  const int gap = spare / 4;
  int top = layout.inner.top + (spare - 2 * gap) / 2;
  layout.status = {left, top, left + width, top + line};
  top = layout.status.bottom + gap;
  layout.bar = {left, top, left + width, top + bar_height};
  top = layout.bar.bottom + gap;
  layout.hint = {left, top, left + width, top + line};
  return layout;
}

// Centred in the work area of the owner's screen, or of the screen under the
// mouse when there is no owner.
POINT CentredOrigin(HWND owner, int width, int height) {
  POINT cursor{};
  GetCursorPos(&cursor);
  HMONITOR monitor = owner != nullptr ? MonitorFromWindow(owner, MONITOR_DEFAULTTOPRIMARY)
                                      : MonitorFromPoint(cursor, MONITOR_DEFAULTTOPRIMARY);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (GetMonitorInfoW(monitor, &info)) area = info.rcWork;
  return {area.left + (area.right - area.left - width) / 2, area.top + (area.bottom - area.top - height) / 2};
}

BOOL CALLBACK CollectEnabledWindow(HWND window, LPARAM found) {
  if (IsWindowVisible(window) && IsWindowEnabled(window))
    reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
  return TRUE;
}

}  // namespace

ProgressWindow::ProgressWindow(UINT wake_message, WakeHandler on_wake)
    : wake_message_(wake_message),
      on_wake_(std::move(on_wake)),
      class_(std::make_unique<WindowClass>(kClassName, &ProgressWindow::WindowProc,
                                           LoadCursorA(nullptr, IDC_APPSTARTING), nullptr)) {}

std::unique_ptr<ProgressWindow> ProgressWindow::Show(const ViewColors& colors, UINT wake_message,
                                                     WakeHandler on_wake) {
  std::unique_ptr<ProgressWindow> window(new ProgressWindow(wake_message, std::move(on_wake)));
  window->CreatePopup(colors);
  window->DisableThreadWindows();
  ShowWindow(window->window_, SW_SHOWNORMAL);
  UpdateWindow(window->window_);
  return window;
}

std::unique_ptr<ProgressWindow> ProgressWindow::MessageOnly(UINT wake_message, WakeHandler on_wake) {
  std::unique_ptr<ProgressWindow> window(new ProgressWindow(wake_message, std::move(on_wake)));
  window->window_ = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    window->class_->module(), window.get());
  if (window->window_ == nullptr) ThrowLastError("CreateWindowEx (HWND_MESSAGE)");
  return window;
}

ProgressWindow::~ProgressWindow() {
  // Before the window goes, so that Windows activates the host again rather
  // than some other program.
  EnableThreadWindows();
  if (window_ != nullptr) DestroyWindow(window_);
  if (font_ != nullptr) DeleteObject(font_);
  if (header_brush_ != nullptr) DeleteObject(header_brush_);
  if (panel_brush_ != nullptr) DeleteObject(panel_brush_);
}

void ProgressWindow::CreatePopup(const ViewColors& colors) {
  common_controls_ = std::make_unique<CommonControls>(ICC_PROGRESS_CLASS);
  header_brush_ = CreateSolidBrush(ToColorref(colors.header));
  panel_color_ = ToColorref(colors.panel);
  panel_brush_ = CreateSolidBrush(panel_color_);
  const int dpi = ScreenDpi();
  font_ = CreateTextFont(dpi);
  const Layout layout = ComputeLayout(dpi, LineHeight(font_));
  inner_rect_ = layout.inner;
  bar_rect_ = layout.bar;

  RECT frame = layout.client;
  AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  HWND owner = GetActiveWindow();
  const POINT origin = CentredOrigin(owner, width, height);
  SetLastError(0);
  window_ = CreateWindowExW(kExStyle, kClassName, kTitle, kStyle, origin.x, origin.y, width, height, owner,
                            nullptr, class_->module(), this);
  if (window_ == nullptr) ThrowLastError("CreateWindowEx");
  status_ = CreateText(kInitialStatus, layout.status);
  hint_ = CreateText(kHint, layout.hint);
  CreateBar();
}

HWND ProgressWindow::CreateText(const wchar_t* text, const RECT& rect) {
  HWND control = common_controls_->Within([&] {
    return CreateWindowExW(0, L"STATIC", text, kTextStyle, rect.left, rect.top, rect.right - rect.left,
                           rect.bottom - rect.top, window_, nullptr, class_->module(), nullptr);
  });
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  return control;
}

// Switching a bar out of marquee in place is not reliable across versions of
// the control, so a new bar takes the old one's place.
void ProgressWindow::CreateBar() {
  if (bar_ != nullptr) DestroyWindow(bar_);
  const DWORD style = WS_CHILD | WS_VISIBLE | (marquee_ ? PBS_MARQUEE : PBS_SMOOTH);
  bar_ = common_controls_->Within([&] {
    return CreateWindowExW(0, PROGRESS_CLASSW, nullptr, style, bar_rect_.left, bar_rect_.top,
                           bar_rect_.right - bar_rect_.left, bar_rect_.bottom - bar_rect_.top, window_,
                           nullptr, class_->module(), nullptr);
  });
  SendMessageW(bar_, PBM_SETRANGE32, 0, maximum_);
  SendMessageW(bar_, PBM_SETPOS, value_, 0);
  if (marquee_) SendMessageW(bar_, PBM_SETMARQUEE, TRUE, kMarqueeSpeed);
}

void ProgressWindow::SetStatusText(const std::string& utf8) {
  if (status_ != nullptr) SetWindowTextW(status_, Utf16(utf8).c_str());
}

void ProgressWindow::SetProgressMaximum(std::int32_t maximum) {
  maximum_ = maximum;
  value_ = std::min(value_, maximum_);
  if (bar_ == nullptr) return;
  if (marquee_) {
    marquee_ = false;
    CreateBar();
  } else {
    SendMessageW(bar_, PBM_SETRANGE32, 0, maximum_);
  }
}

void ProgressWindow::SetProgressValue(std::int32_t value) {
  value_ = value;
  if (bar_ != nullptr) SendMessageW(bar_, PBM_SETPOS, value_, 0);
}

void ProgressWindow::DisableThreadWindows() {
  EnumThreadWindows(GetCurrentThreadId(), &CollectEnabledWindow,
                    reinterpret_cast<LPARAM>(&disabled_windows_));
  std::erase(disabled_windows_, window_);
  for (HWND other : disabled_windows_) EnableWindow(other, FALSE);
}

void ProgressWindow::EnableThreadWindows() {
  for (HWND other : disabled_windows_) {
    if (IsWindow(other)) EnableWindow(other, TRUE);
  }
  disabled_windows_.clear();
}

LRESULT CALLBACK ProgressWindow::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<ProgressWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == WM_NCDESTROY) SetWindowLongPtrW(window, GWLP_USERDATA, 0);
  if (self == nullptr) return DefWindowProcW(window, message, wparam, lparam);
  return self->Handle(window, message, wparam, lparam);
}

LRESULT ProgressWindow::Handle(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == wake_message_) {
    on_wake_();
    return 0;
  }
  switch (message) {
    case WM_ERASEBKGND: {
      // The outer panel fills the client area; the inner panel sits inset.
      auto dc = reinterpret_cast<HDC>(wparam);
      RECT client;
      GetClientRect(window, &client);
      FillRect(dc, &client, header_brush_);
      FillRect(dc, &inner_rect_, panel_brush_);
      return 1;
    }
    case WM_CTLCOLORSTATIC: {
      auto dc = reinterpret_cast<HDC>(wparam);
      SetTextColor(dc, kTextColor);
      SetBkColor(dc, panel_color_);
      return reinterpret_cast<LRESULT>(panel_brush_);
    }
    case WM_CLOSE:
      // Alt+F4 must not end the showing while the operation still runs;
      // only the operation closes the window.
      return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace kanvio::platform
