#pragma once
// A clock for tests: a fixed instant that moves only when the code under
// test sleeps, a fixed zone offset, and a record of every wait.

#include <chrono>
#include <vector>

#include "platform/Clock.h"

namespace kanvio::test {

class FakeClock final : public platform::Clock {
 public:
  explicit FakeClock(LocalDateTime utc_now = {2026, 3, 2, 9, 30, 0},
                     std::chrono::minutes zone_offset = std::chrono::minutes(60))
      : now_(platform::FromUtcCalendar(utc_now)), offset_(zone_offset), installed_(*this) {}

  platform::UtcTime NowUtc() const override { return now_; }
  LocalDateTime ToLocal(platform::UtcTime instant) const override {
    return platform::UtcCalendar(instant + offset_);
  }
  platform::UtcTime ToUtc(const LocalDateTime& local) const override {
    return platform::FromUtcCalendar(local) - offset_;
  }
  void Sleep(std::chrono::milliseconds length) override {
    sleeps.push_back(length);
    now_ += std::chrono::ceil<std::chrono::seconds>(length);
  }

  void Advance(std::chrono::seconds length) { now_ += length; }

  std::vector<std::chrono::milliseconds> sleeps;

 private:
  platform::UtcTime now_;
  std::chrono::minutes offset_;
  platform::ScopedClock installed_;  // last: installed once the rest is set
};

}  // namespace kanvio::test
