#pragma once
// The progress window of an operation: its display and the scheduler of the
// thread that shows it. Windows has a real window; elsewhere the headless
// view stands in.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace kanvio::platform {

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};

struct ViewColors {
  Rgb background;  // the window
  Rgb header;      // the outer panel
  Rgb panel;       // the inner panel and the texts
};

class ProgressView {
 public:
  virtual ~ProgressView() = default;

  // Any thread. Queues action to run on the window's thread, in the order of
  // posting, and returns without waiting for it. Actions posted while no
  // modal loop runs wait for the next one.
  virtual void Post(std::function<void()> action) = 0;

  // On the window's thread: shows the window (or keeps it hidden) and runs
  // posted actions until one of them calls Close(). May be called again for
  // the next operation.
  virtual void RunModal(bool visible, const ViewColors& colors) = 0;

  // Only from posted actions, i.e. on the window's thread.
  virtual void SetStatusText(const std::string& text) = 0;
  // Switches the bar from marquee to continuous with this maximum.
  virtual void SetProgressMaximum(std::int32_t maximum) = 0;
  virtual void SetProgressValue(std::int32_t value) = 0;
  virtual void Close() = 0;

  // On the window's thread, after RunModal: why the last showing that was to
  // be visible had no window on screen (no desktop, no display), or empty.
  // Such a showing ran its actions all the same.
  virtual std::string MissingWindowReason() const { return {}; }
};

// The view of this platform.
std::unique_ptr<ProgressView> CreateProgressView();

}  // namespace kanvio::platform
