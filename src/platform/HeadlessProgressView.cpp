#include "platform/HeadlessProgressView.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace kanvio::platform {

HeadlessProgressView::Sink HeadlessProgressView::SinkFromEnvironment() {
  const char* target = std::getenv("KANVIO_STATUS_LOG");
  if (target == nullptr || *target == '\0') return nullptr;
  if (std::string(target) == "stderr") {
    return [](const std::string& line) {
      std::fwrite(line.data(), 1, line.size(), stderr);
      std::fputc('\n', stderr);
    };
  }
  auto file = std::make_shared<std::ofstream>(target, std::ios::binary | std::ios::app);
  if (!*file) return nullptr;
  return [file](const std::string& line) { *file << line << '\n' << std::flush; };
}

void HeadlessProgressView::Post(std::function<void()> action) {
  {
    std::lock_guard lock(mutex_);
    actions_.push_back(std::move(action));
  }
  posted_.notify_one();
}

void HeadlessProgressView::RunModal(bool visible, const ViewColors& /*colors*/) {
  visible_ = visible;
  closed_ = false;
  while (!closed_) {
    std::function<void()> action;
    {
      std::unique_lock lock(mutex_);
      posted_.wait(lock, [this] { return !actions_.empty(); });
      action = std::move(actions_.front());
      actions_.pop_front();
    }
    action();
  }
}

void HeadlessProgressView::SetStatusText(const std::string& text) { Write("status: " + text); }

void HeadlessProgressView::SetProgressMaximum(std::int32_t maximum) {
  Write("maximum: " + std::to_string(maximum));
}

void HeadlessProgressView::SetProgressValue(std::int32_t value) {
  Write("progress: " + std::to_string(value));
}

void HeadlessProgressView::Close() { closed_ = true; }

void HeadlessProgressView::Write(const std::string& line) {
  if (visible_ && sink_) sink_(line);
}

}  // namespace kanvio::platform
