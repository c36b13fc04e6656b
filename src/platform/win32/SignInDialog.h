#pragma once
// The sign-in dialog: the address line, the page in the system's WebBrowser
// control, a progress bar and the button that ends the sign-in. Where no
// WebBrowser control can be made, the page's address shows as a link, the
// default browser opens it, and the button is enabled at once. The dialog
// belongs to the single-threaded-apartment thread that makes it.

#include <windows.h>

#include <memory>
#include <string>

#include "platform/BrowserSignIn.h"

namespace kanvio::platform {

class CommonControls;
class WebBrowserHost;
class WindowClass;

class SignInDialog {
 public:
  // Other threads post these to handle() to end the dialog.
  static constexpr UINT kSignedIn = WM_APP + 0x51;  // the sign-in is complete: as the button
  static constexpr UINT kGiveUp = WM_APP + 0x52;    // nobody signed in in time: no result

  // Shows the dialog. Throws Error when there is no desktop to show it on.
  explicit SignInDialog(const SignInPage& page);
  ~SignInDialog();
  SignInDialog(const SignInDialog&) = delete;
  SignInDialog& operator=(const SignInDialog&) = delete;

  HWND handle() const { return window_; }
  // Whether the page is in the dialog (else it is in the default browser).
  bool embedded() const { return browser_ != nullptr; }

  // Runs the dialog's messages until it is closed: kClosed for the button,
  // for closing the window otherwise, and for kSignedIn; kNoResult for kGiveUp.
  SignInOutcome RunModal();

 private:
  struct Layout;

  void Release();
  void CreateControls(const Layout& layout);
  HWND CreateControl(const wchar_t* class_name, const std::wstring& text, DWORD style, const RECT& rect,
                     int id);
  void ShowInBrowser(const RECT& area);
  void ShowAsLink(const RECT& area);
  void OpenInDefaultBrowser() const;
  void SetMarquee(bool running);
  void SetFull();
  void OnDocument();
  void Finish(SignInOutcome outcome);
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

  const SignInPage page_;
  std::unique_ptr<WindowClass> class_;
  std::unique_ptr<CommonControls> common_controls_;
  HWND owner_ = nullptr;  // hidden: keeps the dialog out of the task bar
  HWND window_ = nullptr;
  HWND address_ = nullptr;
  HWND bar_ = nullptr;
  HWND button_ = nullptr;
  HFONT font_ = nullptr;
  HFONT address_font_ = nullptr;
  std::unique_ptr<WebBrowserHost> browser_;
  SignInOutcome outcome_ = SignInOutcome::kClosed;
  bool finished_ = false;
};

}  // namespace kanvio::platform
