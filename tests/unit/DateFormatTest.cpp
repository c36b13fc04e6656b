#include <gtest/gtest.h>

#include "support/DateFormat.h"

namespace kanvio::date_format {
namespace {

TEST(DateFormatTest, PatternsPadEveryFieldAndKeepTheirClock) {
  struct Case {
    LocalDateTime t;
    const char* sortable;
    const char* german;
    const char* compact;
  } cases[] = {
      {{2024, 3, 2, 15, 4, 5}, "2024-03-02 15:04:05", "02.03.2024 15:04:05", "20240302030405"},
      {{2024, 12, 31, 0, 0, 9}, "2024-12-31 00:00:09", "31.12.2024 00:00:09", "20241231120009"},
      {{999, 1, 1, 12, 59, 59}, "0999-01-01 12:59:59", "01.01.0999 12:59:59", "09990101125959"},
      {{2024, 7, 8, 23, 30, 0}, "2024-07-08 23:30:00", "08.07.2024 23:30:00", "20240708113000"},
      {{12345, 1, 1, 0, 0, 0}, "12345-01-01 00:00:00", "01.01.12345 00:00:00", "123450101120000"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Sortable(c.t), c.sortable);
    EXPECT_EQ(German(c.t), c.german);
    EXPECT_EQ(CompactTwelveHour(c.t), c.compact);
  }
}

}  // namespace
}  // namespace kanvio::date_format
