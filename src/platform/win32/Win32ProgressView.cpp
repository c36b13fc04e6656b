#include "platform/win32/Win32ProgressView.h"

#include <utility>

#include "support/Error.h"

namespace kanvio::platform {
namespace {

UINT RegisterWakeMessage() {
  // A registered message cannot be mistaken for one of the host's own.
  const UINT message = RegisterWindowMessageW(L"marlixKanvio.RunPostedActions");
  return message != 0 ? message : WM_APP + 0x4B1;
}

}  // namespace

Win32ProgressView::Win32ProgressView(HeadlessProgressView::Sink sink)
    : sink_(std::move(sink)), wake_message_(RegisterWakeMessage()) {}

void Win32ProgressView::Post(std::function<void()> action) {
  std::lock_guard lock(mutex_);
  actions_.push_back(std::move(action));
  WakeLoop();
}

void Win32ProgressView::RunModal(bool visible, const ViewColors& colors) {
  visible_ = visible;
  closed_ = false;
  missing_window_reason_.clear();
  window_ = OpenWindow(visible, colors);
  AttachLoop(window_ != nullptr ? window_->handle() : nullptr);
  std::optional<WPARAM> quit = RunLoop();
  if (auto late_quit = DetachLoop()) quit = late_quit;
  window_.reset();
  // The quit request is meant for the host's own loop, which runs again now.
  if (quit) PostQuitMessage(int(*quit));
  if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
}

std::unique_ptr<ProgressWindow> Win32ProgressView::OpenWindow(bool visible, const ViewColors& colors) {
  auto on_wake = [this] { RunPostedActions(); };
  if (visible) {
    try {
      return ProgressWindow::Show(colors, wake_message_, on_wake);
    } catch (const Error& failure) {
      missing_window_reason_ = failure.what();
    }
  }
  try {
    // A window still receives the wake messages inside modal loops that
    // others run on this thread; a thread message would be lost there.
    return ProgressWindow::MessageOnly(wake_message_, on_wake);
  } catch (const Error&) {
    return nullptr;
  }
}

void Win32ProgressView::AttachLoop(HWND window) {
  // A thread without a window has no message queue until it asks for
  // messages, and a wake posted to it before would be lost.
  MSG none;
  PeekMessageW(&none, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
  std::lock_guard lock(mutex_);
  loop_window_ = window;
  loop_thread_ = GetCurrentThreadId();
  wake_pending_ = false;
  if (!actions_.empty()) WakeLoop();
}

std::optional<WPARAM> Win32ProgressView::DetachLoop() {
  {
    std::lock_guard lock(mutex_);
    loop_window_ = nullptr;
    loop_thread_ = 0;
    wake_pending_ = false;
  }
  // A wake left in the queue must not reach the host's own loop. Peeking
  // takes a quit request along whatever the filter says.
  std::optional<WPARAM> quit;
  MSG stale;
  while (PeekMessageW(&stale, nullptr, wake_message_, wake_message_, PM_REMOVE)) {
    if (stale.message == WM_QUIT) quit = stale.wParam;
  }
  return quit;
}

std::optional<WPARAM> Win32ProgressView::RunLoop() {
  std::optional<WPARAM> quit;
  MSG message;
  while (!closed_) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == -1) {
      failure_ = std::make_exception_ptr(
          Error("Die Nachrichtenschleife des Fortschrittsfensters ist fehlgeschlagen (Windows-Fehler " +
                std::to_string(GetLastError()) + ")"));
      break;
    }
    if (got == 0) {
      // The host asked to quit; the operation still has to finish.
      quit = message.wParam;
      continue;
    }
    if (message.hwnd == nullptr && message.message == wake_message_) {
      RunPostedActions();
      continue;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return quit;
}

void Win32ProgressView::RunPostedActions() {
  {
    std::lock_guard lock(mutex_);
    wake_pending_ = false;
  }
  try {
    while (!closed_) {
      std::function<void()> action;
      {
        std::lock_guard lock(mutex_);
        if (actions_.empty()) return;
        action = std::move(actions_.front());
        actions_.pop_front();
      }
      action();
    }
  } catch (...) {
    // Nothing may unwind through the window procedure; RunModal rethrows it.
    failure_ = std::current_exception();
    closed_ = true;
  }
}

// mutex_ held. One wake message at a time: an operation that reports
// progress in a tight loop would otherwise fill the thread's queue, which
// takes only so many posted messages, and a lost wake could strand the close.
void Win32ProgressView::WakeLoop() {
  if (wake_pending_ || loop_thread_ == 0) return;
  const BOOL posted = loop_window_ != nullptr ? PostMessageW(loop_window_, wake_message_, 0, 0)
                                              : PostThreadMessageW(loop_thread_, wake_message_, 0, 0);
  wake_pending_ = posted != FALSE;
}

void Win32ProgressView::SetStatusText(const std::string& text) {
  Write("status: " + text);
  if (window_ != nullptr) window_->SetStatusText(text);
}

void Win32ProgressView::SetProgressMaximum(std::int32_t maximum) {
  Write("maximum: " + std::to_string(maximum));
  if (window_ != nullptr) window_->SetProgressMaximum(maximum);
}

void Win32ProgressView::SetProgressValue(std::int32_t value) {
  Write("progress: " + std::to_string(value));
  if (window_ != nullptr) window_->SetProgressValue(value);
}

void Win32ProgressView::Close() { closed_ = true; }

void Win32ProgressView::Write(const std::string& line) {
  if (visible_ && sink_) sink_(line);
}

}  // namespace kanvio::platform
