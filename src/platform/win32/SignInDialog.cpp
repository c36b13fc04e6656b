#include "platform/win32/SignInDialog.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>

#include "platform/win32/WebBrowserHost.h"
#include "platform/win32/WideText.h"
#include "platform/win32/WindowSupport.h"
#include "support/Error.h"
#include "support/Text.h"

namespace kanvio::platform {
namespace {

constexpr wchar_t kClassName[] = L"marlixKanvioSignIn";
constexpr wchar_t kFallbackText[] =
    L"Die Anmeldeseite wurde im Standardbrowser geöffnet. Melden Sie sich dort an und klicken Sie danach auf "
    L"die Schaltfläche unten. Die Seite öffnet sich erneut über diesen Link:";

// Sizes in pixels at 96 dpi.
constexpr int kClientWidth = 1062;
constexpr int kClientHeight = 723;
constexpr int kAddressHeight = 22;
constexpr int kBarHeight = 18;
constexpr int kButtonHeight = 32;
constexpr int kMarqueeSpeed = 80;
constexpr int kButtonId = 1;
constexpr int kLinkId = 2;

constexpr DWORD kStyle = WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
// A modal frame has no icon; the hidden owner keeps the dialog out of the task bar.
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

HFONT MessageFont(bool italic) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
    return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  metrics.lfMessageFont.lfItalic = italic ? TRUE : FALSE;
  return CreateFontIndirectW(&metrics.lfMessageFont);
}

}  // namespace

struct SignInDialog::Layout {
  RECT client, address, page, bar, button;

  explicit Layout(int dpi) {
    auto scale = [dpi](int pixels) { return MulDiv(pixels, dpi, kBaseDpi); };
    const int width = scale(kClientWidth), height = scale(kClientHeight);
    client = {0, 0, width, height};
    address = {0, 0, width, scale(kAddressHeight)};
    button = {0, height - scale(kButtonHeight), width, height};
    bar = {0, button.top - scale(kBarHeight), width, button.top};
    page = {0, address.bottom, width, bar.top};
  }
};

SignInDialog::SignInDialog(const SignInPage& page)
    : page_(page),
      class_(std::make_unique<WindowClass>(kClassName, &SignInDialog::WindowProc,
                                           LoadCursorA(nullptr, IDC_ARROW),
                                           GetSysColorBrush(COLOR_BTNFACE))) {
  try {
    common_controls_ = std::make_unique<CommonControls>(ICC_PROGRESS_CLASS | ICC_LINK_CLASS);
    common_controls_->Within([this] {
      const Layout layout(ScreenDpi());
      RECT frame = layout.client;
      AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
      const int width = frame.right - frame.left, height = frame.bottom - frame.top;
      owner_ = CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                               class_->module(), nullptr);
      RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
      SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
      const int x = area.left + std::max(0, int(area.right - area.left - width) / 2);
      const int y = area.top + std::max(0, int(area.bottom - area.top - height) / 2);
      SetLastError(0);
      window_ = CreateWindowExW(kExStyle, kClassName, Wide(page_.title).c_str(), kStyle, x, y, width, height,
                                owner_, nullptr, class_->module(), this);
      if (window_ == nullptr) ThrowLastError("CreateWindowEx");
      CreateControls(layout);
      ShowWindow(window_, SW_SHOWNORMAL);
      SetForegroundWindow(window_);
      UpdateWindow(window_);
      return true;
    });
  } catch (...) {
    Release();
    throw;
  }
}

SignInDialog::~SignInDialog() { Release(); }

void SignInDialog::Release() {
  browser_.reset();
  if (window_ != nullptr && IsWindow(window_)) DestroyWindow(window_);
  window_ = nullptr;
  if (owner_ != nullptr) DestroyWindow(owner_);
  owner_ = nullptr;
  if (font_ != nullptr) DeleteObject(font_);
  if (address_font_ != nullptr) DeleteObject(address_font_);
  font_ = address_font_ = nullptr;
  common_controls_.reset();
}

HWND SignInDialog::CreateControl(const wchar_t* class_name, const std::wstring& text, DWORD style,
                                 const RECT& rect, int id) {
  HWND control =
      CreateWindowExW(0, class_name, text.c_str(), WS_CHILD | WS_VISIBLE | style, rect.left, rect.top,
                      rect.right - rect.left, rect.bottom - rect.top, window_,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), class_->module(), nullptr);
  if (control != nullptr) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  return control;
}

void SignInDialog::CreateControls(const Layout& layout) {
  font_ = MessageFont(false);
  address_ = CreateControl(L"EDIT", Wide(page_.address_label + page_.url),
                           ES_READONLY | ES_AUTOHSCROLL | WS_BORDER, layout.address, 0);
  if (page_.sandbox) {
    address_font_ = MessageFont(true);
    SendMessageW(address_, WM_SETFONT, reinterpret_cast<WPARAM>(address_font_), FALSE);
  }
  bar_ = CreateControl(PROGRESS_CLASSW, L"", PBS_MARQUEE, layout.bar, 0);
  SendMessageW(bar_, PBM_SETRANGE32, 0, 100);
  button_ = CreateControl(L"BUTTON", Wide(page_.button_text), BS_DEFPUSHBUTTON | WS_TABSTOP | WS_DISABLED,
                          layout.button, kButtonId);
  try {
    ShowInBrowser(layout.page);
  } catch (const Error&) {
    browser_.reset();
    ShowAsLink(layout.page);
  }
}

void SignInDialog::ShowInBrowser(const RECT& area) {
  WebBrowserHost::Events events;
  events.busy = [this] { SetMarquee(true); };
  events.idle = [this] { SetMarquee(false); };
  events.document = [this] { OnDocument(); };
  browser_ = std::make_unique<WebBrowserHost>(window_, area, std::move(events));
  SetMarquee(true);
  browser_->Navigate(page_.url);
}

// Without a browser of its own the dialog waits while the user signs in in
// the default browser; the marquee shows that it waits.
void SignInDialog::ShowAsLink(const RECT& area) {
  const int margin = MulDiv(24, ScreenDpi(), kBaseDpi);
  RECT text = {area.left + margin, area.top + margin, area.right - margin, area.top + 3 * margin};
  CreateControl(L"STATIC", kFallbackText, SS_LEFT, text, 0);
  RECT link = {text.left, text.bottom, text.right, text.bottom + margin};
  const std::wstring url = Wide(page_.url);
  if (CreateControl(WC_LINK, L"<a>" + url + L"</a>", WS_TABSTOP, link, kLinkId) == nullptr)
    CreateControl(L"STATIC", url, SS_LEFT, link, 0);
  EnableWindow(button_, TRUE);
  SetMarquee(true);
  OpenInDefaultBrowser();
}

// Without a default browser nothing opens, and no message box either: the
// link and the address line still show where to go.
void SignInDialog::OpenInDefaultBrowser() const {
  const std::wstring url = Wide(page_.url);
  SHELLEXECUTEINFOW open{};
  open.cbSize = sizeof open;
  open.fMask = SEE_MASK_FLAG_NO_UI;
  open.hwnd = window_;
  open.lpVerb = L"open";
  open.lpFile = url.c_str();
  open.nShow = SW_SHOWNORMAL;
  ShellExecuteExW(&open);
}

void SignInDialog::SetMarquee(bool running) {
  const LONG_PTR style = GetWindowLongPtrW(bar_, GWL_STYLE);
  if (running && !(style & PBS_MARQUEE)) SetWindowLongPtrW(bar_, GWL_STYLE, style | PBS_MARQUEE);
  SendMessageW(bar_, PBM_SETMARQUEE, running ? TRUE : FALSE, kMarqueeSpeed);
}

void SignInDialog::SetFull() {
  SendMessageW(bar_, PBM_SETMARQUEE, FALSE, 0);
  SetWindowLongPtrW(bar_, GWL_STYLE, GetWindowLongPtrW(bar_, GWL_STYLE) & ~PBS_MARQUEE);
  SendMessageW(bar_, PBM_SETRANGE32, 0, 100);
  SendMessageW(bar_, PBM_SETPOS, 100, 0);
}

void SignInDialog::OnDocument() {
  SetFull();
  browser_->SetElementValue(page_.user_field_id, page_.user_name);
  if (text::Contains(browser_->PageText(), page_.completion_text)) EnableWindow(button_, TRUE);
}

void SignInDialog::Finish(SignInOutcome outcome) {
  if (finished_) return;
  finished_ = true;
  outcome_ = outcome;
  browser_.reset();
  DestroyWindow(window_);
}

SignInOutcome SignInDialog::RunModal() {
  MSG message;
  while (!finished_ && GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (browser_ && browser_->TranslateAccelerator(message)) continue;
    if (window_ != nullptr && IsDialogMessageW(window_, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return outcome_;
}

LRESULT CALLBACK SignInDialog::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<SignInDialog*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == WM_NCDESTROY) SetWindowLongPtrW(window, GWLP_USERDATA, 0);
  if (self == nullptr || window != self->window_) return DefWindowProcW(window, message, wparam, lparam);
  return self->Handle(message, wparam, lparam);
}

LRESULT SignInDialog::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wparam) == kButtonId && HIWORD(wparam) == BN_CLICKED) Finish(SignInOutcome::kClosed);
      return 0;
    case WM_NOTIFY: {
      const auto* notice = reinterpret_cast<const NMHDR*>(lparam);
      if (notice->idFrom == kLinkId && (notice->code == NM_CLICK || notice->code == NM_RETURN))
        OpenInDefaultBrowser();
      return 0;
    }
    case WM_CLOSE:
      // Closing the window counts as done: the token fetch that follows tells
      // whether the user signed in.
      Finish(SignInOutcome::kClosed);
      return 0;
    case kSignedIn:
      Finish(SignInOutcome::kClosed);
      return 0;
    case kGiveUp:
      Finish(SignInOutcome::kNoResult);
      return 0;
    case WM_DESTROY:
      finished_ = true;
      window_ = nullptr;
      return 0;
  }
  return DefWindowProcW(window_, message, wparam, lparam);
}

}  // namespace kanvio::platform
