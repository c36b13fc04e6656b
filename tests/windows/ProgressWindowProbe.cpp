// Drives the Windows progress view as the worker does, from a background
// thread, and checks what the window shows and how the modal loop behaves.
// scripts/test-window-probe runs it under Wine with and without a display.
//
//   ProgressWindowProbe --expect window|none [--hold-ms N]
//
// One line per check; exit status 1 when one failed. With --hold-ms the
// window stays up N ms after printing "window shown: marquee" and again after
// "window shown: continuous", so that a screenshot can be taken.

#include <windows.h>
// commctrl.h needs windows.h first.
#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/Win32ProgressView.h"

namespace {

using kanvio::platform::ViewColors;
using kanvio::platform::Win32ProgressView;

const ViewColors kDefaultTheme{{255, 255, 255}, {34, 94, 183}, {255, 255, 255}};
constexpr wchar_t kTitle[] = L"marlixKanvio";

int failures = 0;

void Check(bool good, const std::string& what, const std::string& detail = "") {
  if (!good) ++failures;
  std::printf("%s %s%s%s\n", good ? "ok  " : "FAIL", what.c_str(), detail.empty() ? "" : ": ", detail.c_str());
  std::fflush(stdout);
}

std::string Narrow(const std::wstring& wide) {
  std::string narrow;
  for (wchar_t c : wide) narrow += c < 128 ? char(c) : '?';
  return narrow;
}

std::wstring TextOf(HWND window) {
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  return text;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

std::string Describe(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right - r.left) + "x" +
         std::to_string(r.bottom - r.top);
}

int Scaled(int pixels) {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return MulDiv(pixels, dpi, 96);
}

BOOL CALLBACK CollectVisible(HWND window, LPARAM found) {
  if (IsWindowVisible(window)) reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
  return TRUE;
}

// The visible progress window of this thread, if any.
HWND FindProgressWindow() {
  std::vector<HWND> windows;
  EnumThreadWindows(GetCurrentThreadId(), &CollectVisible, reinterpret_cast<LPARAM>(&windows));
  for (HWND window : windows) {
    if (TextOf(window) == kTitle) return window;
  }
  return nullptr;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM found) {
  reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
  return TRUE;
}

struct Controls {
  HWND status = nullptr, bar = nullptr, hint = nullptr;
};

Controls FindControls(HWND window) {
  std::vector<HWND> children;
  EnumChildWindows(window, &CollectChild, reinterpret_cast<LPARAM>(&children));
  Controls controls;
  for (HWND child : children) {
    if (ClassOf(child) == PROGRESS_CLASSW)
      controls.bar = child;
    else if (controls.status == nullptr)
      controls.status = child;
    else
      controls.hint = child;
  }
  return controls;
}

RECT ClientRectOf(HWND child, HWND parent) {
  RECT rect;
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

void CheckPixel(HWND window, int x, int y, kanvio::platform::Rgb expected, const std::string& what) {
  HDC dc = GetDC(window);
  const COLORREF got = GetPixel(dc, x, y);
  ReleaseDC(window, dc);
  char detail[64];
  std::snprintf(detail, sizeof detail, "(%d,%d) is %d,%d,%d", x, y, int(GetRValue(got)), int(GetGValue(got)),
                int(GetBValue(got)));
  Check(got == RGB(expected.r, expected.g, expected.b), what, detail);
}

void CheckFrame(HWND window, HWND host) {
  RECT client;
  GetClientRect(window, &client);
  Check(client.right == Scaled(384) && client.bottom == Scaled(66), "client area is 384 x 66", Describe(client));
  const LONG style = GetWindowLongW(window, GWL_STYLE);
  const LONG ex_style = GetWindowLongW(window, GWL_EXSTYLE);
  Check((style & WS_POPUP) && !(style & (WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_BORDER)),
        "borderless popup without control box");
  Check((ex_style & WS_EX_TOOLWINDOW) && !(ex_style & WS_EX_APPWINDOW), "no taskbar entry");
  RECT frame, area;
  GetWindowRect(window, &frame);
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  const int dx = (frame.left - area.left) - (area.right - frame.right);
  const int dy = (frame.top - area.top) - (area.bottom - frame.bottom);
  Check(std::abs(dx) <= 1 && std::abs(dy) <= 1, "centred on the screen", Describe(frame) + " in " + Describe(area));
  Check(GetWindow(window, GW_OWNER) == host, "owned by the host's active window");
  Check(!IsWindowEnabled(host), "host window disabled while the window shows");
}

void CheckControls(HWND window, const std::wstring& status_text) {
  const Controls controls = FindControls(window);
  if (controls.status == nullptr || controls.bar == nullptr || controls.hint == nullptr) {
    Check(false, "status text, bar and hint present");
    return;
  }
  Check(TextOf(controls.status) == status_text, "status text shown", Narrow(TextOf(controls.status)));
  Check(TextOf(controls.hint) == L"Bitte einen Moment Geduld...", "hint text", Narrow(TextOf(controls.hint)));
  const RECT status = ClientRectOf(controls.status, window);
  const RECT bar = ClientRectOf(controls.bar, window);
  const RECT hint = ClientRectOf(controls.hint, window);
  Check(bar.right - bar.left == Scaled(363) && bar.bottom - bar.top == Scaled(15), "bar is 363 x 15", Describe(bar));
  const int inset = Scaled(3);
  RECT client;
  GetClientRect(window, &client);
  const bool inside = status.top >= inset && hint.bottom <= client.bottom - inset && bar.left >= inset &&
                      bar.right <= client.right - inset && status.left >= inset && hint.left >= inset;
  Check(inside && status.bottom <= bar.top && bar.bottom <= hint.top, "status, bar, hint stacked inside the panel",
        Describe(status) + " / " + Describe(bar) + " / " + Describe(hint));

  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(controls.status, WM_GETFONT, 0, 0)), sizeof font, &font);
  Check(std::wcscmp(font.lfFaceName, L"Tahoma") == 0 && font.lfWeight >= FW_BOLD &&
            font.lfHeight == -MulDiv(825, Scaled(96), 7200),
        "Tahoma 8.25 pt bold", Narrow(font.lfFaceName) + " " + std::to_string(font.lfHeight));

  CheckPixel(window, 1, 1, kDefaultTheme.header, "outer panel in the header colour");
  CheckPixel(window, client.right - 2, client.bottom / 2, kDefaultTheme.header, "outer panel right edge");
  CheckPixel(window, inset + 1, inset + 1, kDefaultTheme.panel, "inner panel in the panel colour");
  CheckPixel(window, status.right - 2, status.top + 2, kDefaultTheme.panel, "status text on the panel colour");
}

// A marquee bar shows no position, and not every version of the control
// keeps one: value < 0 skips it.
void CheckBar(HWND window, bool marquee, int maximum, int value) {
  HWND bar = FindControls(window).bar;
  const bool is_marquee = (GetWindowLongW(bar, GWL_STYLE) & PBS_MARQUEE) != 0;
  const int low = int(SendMessageW(bar, PBM_GETRANGE, TRUE, 0));
  const int high = int(SendMessageW(bar, PBM_GETRANGE, FALSE, 0));
  const int pos = int(SendMessageW(bar, PBM_GETPOS, 0, 0));
  Check(is_marquee == marquee && low == 0 && high == maximum && (value < 0 || pos == value),
        std::string(marquee ? "marquee" : "continuous") + " bar 0.." + std::to_string(maximum) +
            (value < 0 ? "" : " at " + std::to_string(value)),
        "marquee " + std::to_string(is_marquee) + ", " + std::to_string(low) + ".." + std::to_string(high) +
            " at " + std::to_string(pos));
}

// What ran on the window's thread, in order.
struct Journal {
  DWORD window_thread = GetCurrentThreadId();
  std::vector<std::string> entries;
  bool on_window_thread = true;

  void Add(const std::string& entry) {
    on_window_thread = on_window_thread && GetCurrentThreadId() == window_thread;
    entries.push_back(entry);
  }
};

std::string Joined(const std::vector<std::string>& items) {
  std::string all;
  for (const auto& item : items) all += (all.empty() ? "" : " | ") + item;
  return all;
}

HWND CreateHostWindow() {
  WNDCLASSW host_class{};
  host_class.lpfnWndProc = DefWindowProcW;
  host_class.hInstance = GetModuleHandleW(nullptr);
  host_class.lpszClassName = L"ProbeHost";
  RegisterClassW(&host_class);
  HWND host = CreateWindowExW(0, L"ProbeHost", L"Host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 240, 120, nullptr,
                              nullptr, host_class.hInstance, nullptr);
  SetActiveWindow(host);
  return host;
}

void Hold(int milliseconds, const char* stage, Win32ProgressView& view) {
  if (milliseconds <= 0) return;
  view.Post([stage] {
    std::printf("window shown: %s\n", stage);
    std::fflush(stdout);
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

// A whole showing with a window on screen: the worker's sequence of calls,
// with checks of the window between them.
void VisibleShowing(int hold_ms) {
  HWND host = CreateHostWindow();
  std::vector<std::string> lines;
  Win32ProgressView view([&lines](const std::string& line) { lines.push_back(line); });
  Journal journal;
  view.Post([&] { journal.Add("posted before the showing"); });
  std::thread task([&] {
    view.Post([&] { view.SetStatusText("Hole Bestellungen..."); });
    view.Post([&] {
      journal.Add("status");
      HWND window = FindProgressWindow();
      if (window == nullptr) return Check(false, "window shown");
      Check(TextOf(window) == kTitle, "titled marlixKanvio");
      CheckFrame(window, host);
      CheckControls(window, L"Hole Bestellungen...");
      CheckBar(window, true, 101, -1);
    });
    Hold(hold_ms, "marquee", view);
    view.Post([&] {
      journal.Add("maximum");
      view.SetProgressMaximum(250);
      view.SetProgressValue(120);
      PostQuitMessage(7);  // the host wants to quit while the operation runs
    });
    view.Post([&] {
      if (HWND window = FindProgressWindow()) CheckBar(window, false, 250, 120);
    });
    Hold(hold_ms, "continuous", view);
    view.Post([&] {
      journal.Add("close");
      view.Close();
    });
    view.Post([&] { journal.Add("after the close"); });
  });
  view.RunModal(true, kDefaultTheme);
  task.join();

  Check(journal.on_window_thread, "actions ran on the window's thread");
  Check(Joined(journal.entries) == "posted before the showing | status | maximum | close",
        "actions ran in order up to the close", Joined(journal.entries));
  Check(view.MissingWindowReason().empty(), "no missing window reported", view.MissingWindowReason());
  Check(FindProgressWindow() == nullptr, "window gone after the showing");
  Check(IsWindowEnabled(host), "host window enabled again");
  MSG quit;
  Check(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) && quit.wParam == 7,
        "quit request kept for the host's loop");
  Check(Joined(lines) == "status: Hole Bestellungen... | maximum: 250 | progress: 120", "status lines written",
        Joined(lines));

  // The next showing of the same view starts with the action left over from
  // this one and with a fresh marquee bar.
  task = std::thread([&] {
    view.Post([&] {
      if (HWND window = FindProgressWindow()) CheckBar(window, true, 101, -1);
      journal.Add("second showing");
      view.Close();
    });
  });
  journal.entries.clear();
  view.RunModal(true, kDefaultTheme);
  task.join();
  Check(Joined(journal.entries) == "after the close | second showing", "second showing of the same view",
        Joined(journal.entries));
  DestroyWindow(host);
}

// No window on screen, for want of a display or by request.
void WindowlessShowing(bool visible) {
  std::vector<std::string> lines;
  Win32ProgressView view([&lines](const std::string& line) { lines.push_back(line); });
  Journal journal;
  std::thread task([&] {
    view.Post([&] {
      journal.Add(FindProgressWindow() == nullptr ? "nothing on screen" : "a window on screen");
      view.SetStatusText("Hole Bestellungen...");
    });
    view.Post([&] { view.Close(); });
  });
  view.RunModal(visible, kDefaultTheme);
  task.join();
  const std::string mode = visible ? "without a display: " : "hidden: ";
  Check(journal.on_window_thread && Joined(journal.entries) == "nothing on screen", mode + "actions ran",
        Joined(journal.entries));
  Check(view.MissingWindowReason().empty() != visible,
        mode + (visible ? "missing window reported" : "nothing reported"), view.MissingWindowReason());
  if (visible) std::printf("no window: %s\n", view.MissingWindowReason().c_str());
  Check(Joined(lines) == (visible ? "status: Hole Bestellungen..." : ""), mode + "status lines", Joined(lines));
}

// An operation that reports progress in a tight loop must neither lose an
// action nor strand the close.
void Flood(bool visible) {
  constexpr int kActions = 20000;
  Win32ProgressView view;
  int ran = 0;
  bool in_order = true;
  std::thread task([&] {
    for (int i = 0; i < kActions; ++i) {
      view.Post([&, i] {
        in_order = in_order && ran == i;
        ++ran;
      });
    }
    view.Post([&] { view.Close(); });
  });
  view.RunModal(visible, kDefaultTheme);
  task.join();
  Check(ran == kActions && in_order, "20000 quick actions all ran in order", std::to_string(ran));
}

// A throwing action ends the showing; RunModal reports it and the next
// showing goes on with what was left.
void ThrowingAction(bool visible) {
  Win32ProgressView view;
  Journal journal;
  view.Post([] { throw std::runtime_error("kaputt"); });
  view.Post([&] { journal.Add("left over"); });
  std::string thrown;
  try {
    view.RunModal(visible, kDefaultTheme);
  } catch (const std::exception& failure) {
    thrown = failure.what();
  }
  Check(thrown == "kaputt" && journal.entries.empty(), "failure of an action leaves RunModal", thrown);
  Check(FindProgressWindow() == nullptr, "window gone after the failure");
  view.Post([&] { view.Close(); });
  view.RunModal(visible, kDefaultTheme);
  Check(Joined(journal.entries) == "left over", "next showing runs what was left", Joined(journal.entries));
}

}  // namespace

int main(int argc, char** argv) {
  std::string expect;
  int hold_ms = 0;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--expect") == 0) expect = argv[i + 1];
    if (std::strcmp(argv[i], "--hold-ms") == 0) hold_ms = std::atoi(argv[i + 1]);
  }
  if (expect != "window" && expect != "none") {
    std::fprintf(stderr, "usage: ProgressWindowProbe --expect window|none [--hold-ms N]\n");
    return 2;
  }
  const bool display = expect == "window";
  auto scenario = [](const char* name) {
    std::printf("-- %s\n", name);
    std::fflush(stdout);
  };
  if (display) {
    scenario("a window on screen");
    VisibleShowing(hold_ms);
  } else {
    scenario("no display");
    WindowlessShowing(true);
  }
  scenario("hidden");
  WindowlessShowing(false);
  scenario("many actions");
  Flood(display);
  scenario("a failing action");
  ThrowingAction(display);
  std::printf("%s\n", failures == 0 ? "all checks passed" : "some checks FAILED");
  return failures == 0 ? 0 : 1;
}
