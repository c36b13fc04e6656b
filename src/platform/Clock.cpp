#include "platform/Clock.h"

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>
#include <thread>

namespace kanvio::platform {
namespace {

std::optional<std::chrono::milliseconds> MarketplaceWaitCap() {
  const char* value = std::getenv("KANVIO_MARKETPLACE_WAIT_MS");
  if (value == nullptr || *value == '\0') return std::nullopt;
  char* end = nullptr;
  const long long ms = std::strtoll(value, &end, 10);
  if (*end != '\0' || ms < 0) return std::nullopt;
  return std::chrono::milliseconds(ms);
}

class SystemClock final : public Clock {
 public:
  UtcTime NowUtc() const override {
    return std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
  }

  LocalDateTime ToLocal(UtcTime instant) const override {
    const std::time_t t = static_cast<std::time_t>(instant.time_since_epoch().count());
    std::tm tm{};
#ifdef _WIN32
    if (localtime_s(&tm, &t) != 0) return UtcCalendar(instant);
#else
    if (localtime_r(&t, &tm) == nullptr) return UtcCalendar(instant);
#endif
    return LocalDateTime::FromTm(tm);
  }

  UtcTime ToUtc(const LocalDateTime& local) const override {
    std::tm tm{};
    tm.tm_year = local.year - 1900;
    tm.tm_mon = local.month - 1;
    tm.tm_mday = local.day;
    tm.tm_hour = local.hour;
    tm.tm_min = local.minute;
    tm.tm_sec = local.second;
    tm.tm_isdst = -1;
    const std::time_t t = std::mktime(&tm);
    // Dates the C library cannot place (year 1, far future) keep their
    // calendar value as UTC rather than failing.
    if (t == static_cast<std::time_t>(-1)) return FromUtcCalendar(local);
    return UtcTime(std::chrono::seconds(t));
  }

  void Sleep(std::chrono::milliseconds length) override {
    if (const auto cap = MarketplaceWaitCap(); cap && *cap < length) length = *cap;
    if (length.count() > 0) std::this_thread::sleep_for(length);
  }
};

SystemClock g_system_clock;
Clock* g_clock = &g_system_clock;

}  // namespace

Clock& CurrentClock() { return *g_clock; }

ScopedClock::ScopedClock(Clock& clock) : previous_(g_clock) { g_clock = &clock; }
ScopedClock::~ScopedClock() { g_clock = previous_; }

LocalDateTime UtcCalendar(UtcTime instant) {
  using namespace std::chrono;
  const auto day = floor<days>(instant);
  const year_month_day date{day};
  const hh_mm_ss time{instant - day};
  return {static_cast<int>(date.year()),
          static_cast<int>(static_cast<unsigned>(date.month())),
          static_cast<int>(static_cast<unsigned>(date.day())),
          static_cast<int>(time.hours().count()),
          static_cast<int>(time.minutes().count()),
          static_cast<int>(time.seconds().count())};
}

UtcTime FromUtcCalendar(const LocalDateTime& utc) {
  using namespace std::chrono;
  const sys_days day{year{utc.year} / month{static_cast<unsigned>(utc.month)} / utc.day};
  return day + hours{utc.hour} + minutes{utc.minute} + seconds{utc.second};
}

}  // namespace kanvio::platform
