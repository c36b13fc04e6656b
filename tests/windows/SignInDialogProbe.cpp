// Runs the eBay sign-in of the Windows form as the connector does and checks
// the dialog while it is up: title, size, frame, the address line, the
// button, and whether the page is embedded or opened in the default browser.
// scripts/test-windows runs it under Wine (which has no page engine there)
// and takes a screenshot.
//
//   SignInDialogProbe --url URL [--hold-ms N] [--expect embedded|link]
//
// One line per check; "dialog shown" once the checks ran, after which the
// dialog stays N ms more; then the probe reports the sign-in as complete,
// which must close the dialog. Exit status 1 when a check failed.

#include <windows.h>
// commctrl.h needs windows.h first.
#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/BrowserSignIn.h"
#include "support/Text.h"

namespace {

using namespace kanvio::platform;

int failures = 0;

void Check(bool good, const std::string& what, const std::string& detail = "") {
  if (!good) ++failures;
  std::printf("%s %s%s%s\n", good ? "ok  " : "FAIL", what.c_str(), detail.empty() ? "" : ": ",
              detail.c_str());
  std::fflush(stdout);
}

std::wstring TextOf(HWND window) {
  std::wstring text(size_t(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(size_t(GetWindowTextW(window, text.data(), int(text.size()))));
  return text;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

std::string Utf8(const std::wstring& wide) {
  return kanvio::text::Utf16ToUtf8(std::u16string(wide.begin(), wide.end()));
}

int Scaled(int pixels) {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return MulDiv(pixels, dpi, 96);
}

BOOL CALLBACK CollectChild(HWND window, LPARAM found) {
  reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
  return TRUE;
}

void CheckDialog(HWND dialog, const std::string& url, const std::string& expect) {
  RECT client;
  GetClientRect(dialog, &client);
  // A screen narrower than the dialog gets it as wide as the screen.
  RECT frame;
  GetWindowRect(dialog, &frame);
  const bool fits = frame.right - frame.left < GetSystemMetrics(SM_CXSCREEN);
  Check(client.bottom == Scaled(723) &&
            (client.right == Scaled(1062) || (!fits && client.right < Scaled(1062))),
        fits ? "client area is 1062 x 723" : "client area is 723 high, as wide as the screen",
        std::to_string(client.right) + "x" + std::to_string(client.bottom));
  const LONG style = GetWindowLongW(dialog, GWL_STYLE);
  const LONG ex_style = GetWindowLongW(dialog, GWL_EXSTYLE);
  Check((style & WS_CAPTION) && (style & WS_SYSMENU) && !(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX)),
        "caption and close box, no minimise box");
  Check((ex_style & WS_EX_DLGMODALFRAME) != 0, "modal frame without icon");
  Check(GetWindow(dialog, GW_OWNER) != nullptr && !(ex_style & WS_EX_APPWINDOW), "owned: no task bar entry");

  std::vector<HWND> children;
  EnumChildWindows(dialog, &CollectChild, reinterpret_cast<LPARAM>(&children));
  HWND address = nullptr, bar = nullptr, button = nullptr, link = nullptr;
  for (HWND child : children) {
    const std::wstring kind = ClassOf(child);
    if (kind == L"Edit" || kind == L"EDIT") address = child;
    if (kind == PROGRESS_CLASSW) bar = child;
    if (kind == L"Button" || kind == L"BUTTON") button = child;
    if (kind == L"SysLink") link = child;
  }
  Check(address != nullptr && Utf8(TextOf(address)) == "Adresse: " + url, "address line",
        address ? Utf8(TextOf(address)) : "missing");
  Check(address != nullptr && (GetWindowLongW(address, GWL_STYLE) & ES_READONLY), "address line read-only");
  Check(bar != nullptr, "progress bar");
  Check(button != nullptr && Utf8(TextOf(button)) == "Authentifizierung abschließen!", "button text",
        button ? Utf8(TextOf(button)) : "missing");
  const bool embedded = link == nullptr;
  std::printf("mode: %s\n", embedded ? "embedded" : "link");
  if (!expect.empty()) Check(expect == (embedded ? "embedded" : "link"), "mode is " + expect);
  // Embedded, the button waits for the page that says the sign-in is done;
  // with the page in the default browser only the user can tell.
  Check(button != nullptr && bool(IsWindowEnabled(button)) == !embedded,
        embedded ? "button disabled until the page is done" : "button enabled at once");
  RECT a{}, b{}, c{};
  if (address && bar && button) {
    GetWindowRect(address, &a);
    GetWindowRect(bar, &b);
    GetWindowRect(button, &c);
  }
  Check(a.bottom <= b.top && b.bottom <= c.top, "address line, page, bar and button from top to bottom");
}

}  // namespace

int main(int argc, char** argv) {
  std::string url = "http://127.0.0.1:9/signin/de/ws/eBayISAPI.dll?SignIn&runame=R&SessID=S%2B1";
  std::string expect;
  int hold_ms = 0;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--url") == 0) url = argv[i + 1];
    if (std::strcmp(argv[i], "--hold-ms") == 0) hold_ms = std::atoi(argv[i + 1]);
    if (std::strcmp(argv[i], "--expect") == 0) expect = argv[i + 1];
  }
  const SignInPage page{url,
                        false,
                        "eBay-Identifikation",
                        "Adresse: ",
                        "Authentifizierung abschließen!",
                        "userid",
                        "haendler",
                        "Authorization successfully completed"};
  bool shown = false;
  std::chrono::steady_clock::time_point until;
  const auto probe = [&] {
    if (!shown) {
      HWND dialog = FindWindowW(L"marlixKanvioSignIn", L"eBay-Identifikation");
      Check(dialog != nullptr && IsWindowVisible(dialog), "dialog \"eBay-Identifikation\" visible");
      if (dialog == nullptr) return true;
      CheckDialog(dialog, url, expect);
      shown = true;
      until = std::chrono::steady_clock::now() + std::chrono::milliseconds(hold_ms);
      std::printf("dialog shown\n");
      std::fflush(stdout);
    }
    return std::chrono::steady_clock::now() >= until;
  };
  try {
    const SignInOutcome outcome = CreateSystemBrowserSignIn()->Run(page, probe);
    Check(outcome == SignInOutcome::kClosed, "a completed sign-in closes the dialog");
    Check(FindWindowW(L"marlixKanvioSignIn", nullptr) == nullptr, "no dialog left");
  } catch (const std::exception& e) {
    Check(false, "sign-in ran", e.what());
  }
  std::printf("%d failed\n", failures);
  return failures == 0 ? 0 : 1;
}
