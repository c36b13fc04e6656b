#pragma once
// The clock that every marketplace wait and every timestamp goes through, so
// that tests run a 65-second report wait in no time and see fixed dates.

#include <chrono>

#include "support/DateTime.h"

namespace kanvio::platform {

// Whole seconds: every date the protocols carry has that grain, and the
// range reaches year 1 (the store's "never set").
using UtcTime = std::chrono::sys_seconds;

class Clock {
 public:
  virtual ~Clock() = default;

  virtual UtcTime NowUtc() const = 0;
  // The calendar time of the host's zone at that instant.
  virtual LocalDateTime ToLocal(UtcTime instant) const = 0;
  // The instant a local calendar time stands for; in the hour that a change
  // to summer time skips, the hour after it.
  virtual UtcTime ToUtc(const LocalDateTime& local) const = 0;
  // Waits of the marketplace protocols (report polling, throttling, retries).
  virtual void Sleep(std::chrono::milliseconds length) = 0;

  LocalDateTime NowLocal() const { return ToLocal(NowUtc()); }
};

// The system clock, unless a test has installed another. The system clock
// cuts every Sleep to KANVIO_MARKETPLACE_WAIT_MS milliseconds when that
// variable holds a number, for end-to-end runs and the demo.
Clock& CurrentClock();

// Installs a clock until the object goes (tests; not while another thread
// uses the clock).
class ScopedClock {
 public:
  explicit ScopedClock(Clock& clock);
  ~ScopedClock();
  ScopedClock(const ScopedClock&) = delete;
  ScopedClock& operator=(const ScopedClock&) = delete;

 private:
  Clock* previous_;
};

// UTC calendar time of an instant and back, independent of any zone.
LocalDateTime UtcCalendar(UtcTime instant);
UtcTime FromUtcCalendar(const LocalDateTime& utc);

}  // namespace kanvio::platform
