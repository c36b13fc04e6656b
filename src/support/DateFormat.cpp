#include "support/DateFormat.h"

#include <fmt/format.h>

namespace kanvio::date_format {

std::string Sortable(const LocalDateTime& t) {
  return fmt::format("{:04}-{:02}-{:02} {:02}:{:02}:{:02}", t.year, t.month, t.day, t.hour, t.minute,
                     t.second);
}

namespace {

bool InRange(int value, int low, int high) { return value >= low && value <= high; }

// Two digits, zero-padded, at out.
void TwoDigits(char* out, int value) {
  out[0] = char('0' + value / 10);
  out[1] = char('0' + value % 10);
}

}  // namespace

std::string German(const LocalDateTime& t) {
  // Written for every order of a large import: the common case without the formatter.
  if (InRange(t.year, 0, 9999) && InRange(t.month, 0, 99) && InRange(t.day, 0, 99) &&
      InRange(t.hour, 0, 99) && InRange(t.minute, 0, 99) && InRange(t.second, 0, 99)) {
    std::string text = "00.00.0000 00:00:00";
    TwoDigits(&text[0], t.day);
    TwoDigits(&text[3], t.month);
    TwoDigits(&text[6], t.year / 100);
    TwoDigits(&text[8], t.year % 100);
    TwoDigits(&text[11], t.hour);
    TwoDigits(&text[14], t.minute);
    TwoDigits(&text[17], t.second);
    return text;
  }
  return fmt::format("{:02}.{:02}.{:04} {:02}:{:02}:{:02}", t.day, t.month, t.year, t.hour, t.minute,
                     t.second);
}

std::string CompactTwelveHour(const LocalDateTime& t) {
  const int hour = t.hour % 12 == 0 ? 12 : t.hour % 12;
  return fmt::format("{:04}{:02}{:02}{:02}{:02}{:02}", t.year, t.month, t.day, hour, t.minute, t.second);
}

}  // namespace kanvio::date_format
