#include "support/DateFormat.h"

#include <fmt/format.h>

namespace kanvio::date_format {

std::string Sortable(const LocalDateTime& t) {
  return fmt::format("{:04}-{:02}-{:02} {:02}:{:02}:{:02}", t.year, t.month, t.day, t.hour, t.minute,
                     t.second);
}

std::string German(const LocalDateTime& t) {
  return fmt::format("{:02}.{:02}.{:04} {:02}:{:02}:{:02}", t.day, t.month, t.year, t.hour, t.minute,
                     t.second);
}

std::string CompactTwelveHour(const LocalDateTime& t) {
  const int hour = t.hour % 12 == 0 ? 12 : t.hour % 12;
  return fmt::format("{:04}{:02}{:02}{:02}{:02}{:02}", t.year, t.month, t.day, hour, t.minute, t.second);
}

}  // namespace kanvio::date_format
