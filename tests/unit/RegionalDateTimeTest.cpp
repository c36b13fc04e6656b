#include <gtest/gtest.h>

#include "support/RegionalDateTime.h"

namespace kanvio::test {
namespace {

TEST(RegionalDateTimeTest, ReadsTheRegionalAndTheInvariantForms) {
  const std::pair<std::string, LocalDateTime> cases[] = {
      {"08.12.2026 10:15:30", {2026, 12, 8, 10, 15, 30}},
      {"8.2.2026 7:05", {2026, 2, 8, 7, 5, 0}},
      {"29.02.2024", {2024, 2, 29, 0, 0, 0}},
      {"  01.01.26  ", {2026, 1, 1, 0, 0, 0}},
      {"01.01.99", {1999, 1, 1, 0, 0, 0}},
      {"2026-12-08 10:15:30", {2026, 12, 8, 10, 15, 30}},
      {"2026-12-08T10:15:30", {2026, 12, 8, 10, 15, 30}},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(ParseRegionalDateTime(text), expected) << text;
}

TEST(RegionalDateTimeTest, RejectsWhatIsNoDate) {
  const std::string cases[] = {"",
                               "heute",
                               "31.02.2026",
                               "29.02.2023",
                               "1.13.2026",
                               "00.01.2026",
                               "01.01.2026 24:00",
                               "01.01.2026 10:60",
                               "01.01.202",
                               "01.01.2026 10",
                               "01.01.2026 10:15:",
                               "01.01.2026x",
                               "1.1.1",
                               "01.01.2026 10:15:30 Uhr"};
  for (const auto& text : cases) EXPECT_EQ(ParseRegionalDateTime(text), std::nullopt) << text;
}

}  // namespace
}  // namespace kanvio::test
