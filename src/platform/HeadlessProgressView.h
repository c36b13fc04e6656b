#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>

#include "platform/ProgressView.h"

namespace kanvio::platform {

// A progress view without a screen. A visible view writes what a window
// would show, one line each, to a sink: "status: <text>", "maximum: <n>",
// "progress: <n>". A hidden view writes nothing.
class HeadlessProgressView : public ProgressView {
 public:
  using Sink = std::function<void(const std::string& line)>;

  // Without a sink nothing is written.
  explicit HeadlessProgressView(Sink sink = nullptr) : sink_(std::move(sink)) {}

  // The sink named by KANVIO_STATUS_LOG: "stderr", or a file that lines are
  // appended to. None when the variable is unset, empty, or the file cannot
  // be opened.
  static Sink SinkFromEnvironment();

  void Post(std::function<void()> action) override;
  void RunModal(bool visible, const ViewColors& colors) override;
  void SetStatusText(const std::string& text) override;
  void SetProgressMaximum(std::int32_t maximum) override;
  void SetProgressValue(std::int32_t value) override;
  void Close() override;

 private:
  void Write(const std::string& line);

  const Sink sink_;

  // Touched by the window's thread only.
  bool visible_ = false;
  bool closed_ = false;

  std::mutex mutex_;
  std::condition_variable posted_;
  // State below is protected by mutex_.
  std::deque<std::function<void()>> actions_;
};

}  // namespace kanvio::platform
