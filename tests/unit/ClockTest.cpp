#include <gtest/gtest.h>

#include <chrono>

#include "FakeClock.h"
#include "TestSupport.h"
#include "platform/Clock.h"

namespace kanvio::platform {
namespace {

using namespace std::chrono_literals;

TEST(ClockTest, UtcCalendarRoundTripsAcrossTheWholeRange) {
  const struct {
    LocalDateTime utc;
    long long seconds_since_1970;
  } cases[] = {
      {{1970, 1, 1, 0, 0, 0}, 0},
      {{1, 1, 1, 0, 0, 0}, -62135596800LL},  // the store's "never set"
      {{2024, 2, 29, 23, 59, 59}, 1709251199},
      {{2038, 1, 19, 3, 14, 8}, 2147483648LL},
      {{1969, 12, 31, 23, 59, 59}, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.utc.ToIso());
    const UtcTime instant = FromUtcCalendar(c.utc);
    EXPECT_EQ(instant.time_since_epoch().count(), c.seconds_since_1970);
    EXPECT_EQ(UtcCalendar(instant), c.utc);
  }
}

TEST(ClockTest, InstalledClockDrivesNowAndIsRemovedAfterwards) {
  {
    test::FakeClock clock({2026, 12, 31, 23, 30, 0}, 60min);
    EXPECT_EQ(LocalDateTime::Now(), (LocalDateTime{2027, 1, 1, 0, 30, 0}));
    EXPECT_EQ(CurrentClock().ToUtc({2027, 1, 1, 0, 30, 0}), clock.NowUtc());
    CurrentClock().Sleep(65s);
    EXPECT_EQ(LocalDateTime::Now(), (LocalDateTime{2027, 1, 1, 0, 31, 5}));
    EXPECT_EQ(clock.sleeps, std::vector<std::chrono::milliseconds>{65s});
  }
  EXPECT_GT(LocalDateTime::Now().year, 2020);  // the system clock again
}

TEST(ClockTest, SystemClockMapsLocalTimeBothWays) {
  const LocalDateTime local{2026, 7, 15, 12, 0, 0};
  EXPECT_EQ(CurrentClock().ToLocal(CurrentClock().ToUtc(local)), local);
}

TEST(ClockTest, MarketplaceWaitVariableCutsTheSystemClocksWaits) {
  test::ScopedEnv cap("KANVIO_MARKETPLACE_WAIT_MS", "0");
  CurrentClock().Sleep(10min);  // returns at once, or the test times out
  SUCCEED();
}

}  // namespace
}  // namespace kanvio::platform
