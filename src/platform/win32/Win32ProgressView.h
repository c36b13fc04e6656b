#pragma once
// The progress view on Windows: a real window, run modally by a message loop
// on the thread that calls RunModal. Where no window can be made (a service
// without a desktop, no display) the same loop runs without one.

#include <windows.h>

#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/HeadlessProgressView.h"
#include "platform/win32/ProgressWindow.h"

namespace kanvio::platform {

class Win32ProgressView : public ProgressView {
 public:
  // A visible view also writes its status lines to sink, as the headless
  // view does, window or not.
  explicit Win32ProgressView(HeadlessProgressView::Sink sink = nullptr);

  void Post(std::function<void()> action) override;
  // An exception from an action ends the showing and leaves RunModal, as in
  // the headless view; the window is gone by then.
  void RunModal(bool visible, const ViewColors& colors) override;
  void SetStatusText(const std::string& text) override;
  void SetProgressMaximum(std::int32_t maximum) override;
  void SetProgressValue(std::int32_t value) override;
  void Close() override;
  std::string MissingWindowReason() const override { return missing_window_reason_; }

 private:
  std::unique_ptr<ProgressWindow> OpenWindow(bool visible, const ViewColors& colors);
  void AttachLoop(HWND window);
  // Both give the quit request that the loop took from the queue, if any.
  std::optional<WPARAM> DetachLoop();
  std::optional<WPARAM> RunLoop();
  void RunPostedActions();
  void WakeLoop();
  void Write(const std::string& line);

  const HeadlessProgressView::Sink sink_;
  const UINT wake_message_;

  // Touched by the window's thread only.
  std::unique_ptr<ProgressWindow> window_;
  bool visible_ = false;
  bool closed_ = false;
  std::exception_ptr failure_;
  std::string missing_window_reason_;

  std::mutex mutex_;
  // State below is protected by mutex_.
  std::deque<std::function<void()>> actions_;
  HWND loop_window_ = nullptr;  // takes the wake messages while a loop runs,
  DWORD loop_thread_ = 0;       // or else this thread's own queue does
  bool wake_pending_ = false;
};

}  // namespace kanvio::platform
