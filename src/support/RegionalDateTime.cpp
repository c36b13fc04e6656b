#include "support/RegionalDateTime.h"

#include <charconv>

#include "support/Text.h"

namespace kanvio {
namespace {

// Reads 1..max_digits digits at pos and advances pos past them.
std::optional<int> ReadNumber(std::string_view s, std::size_t& pos, std::size_t max_digits) {
  std::size_t end = pos;
  while (end < s.size() && end - pos < max_digits && s[end] >= '0' && s[end] <= '9') ++end;
  if (end == pos) return std::nullopt;
  int value = 0;
  std::from_chars(s.data() + pos, s.data() + end, value);
  pos = end;
  return value;
}

bool Expect(std::string_view s, std::size_t& pos, char c) {
  if (pos >= s.size() || s[pos] != c) return false;
  ++pos;
  return true;
}

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

bool IsValid(const LocalDateTime& v) {
  return v.year >= 1 && v.month >= 1 && v.month <= 12 && v.day >= 1 &&
         v.day <= DaysInMonth(v.year, v.month) && v.hour <= 23 && v.minute <= 59 && v.second <= 59;
}

std::optional<LocalDateTime> ParseGerman(std::string_view s) {
  LocalDateTime v;
  std::size_t pos = 0;
  auto day = ReadNumber(s, pos, 2);
  if (!day || !Expect(s, pos, '.')) return std::nullopt;
  auto month = ReadNumber(s, pos, 2);
  if (!month || !Expect(s, pos, '.')) return std::nullopt;
  const std::size_t year_start = pos;
  auto year = ReadNumber(s, pos, 4);
  if (!year || pos - year_start == 1 || pos - year_start == 3) return std::nullopt;
  // Two-digit years as the regional settings read them: 00-49 this century, 50-99 the last.
  if (pos - year_start == 2) *year += *year < 50 ? 2000 : 1900;
  v.day = *day, v.month = *month, v.year = *year;
  if (pos < s.size()) {
    if (!Expect(s, pos, ' ')) return std::nullopt;
    auto hour = ReadNumber(s, pos, 2);
    if (!hour || !Expect(s, pos, ':')) return std::nullopt;
    auto minute = ReadNumber(s, pos, 2);
    if (!minute) return std::nullopt;
    v.hour = *hour, v.minute = *minute;
    if (pos < s.size()) {
      auto second = Expect(s, pos, ':') ? ReadNumber(s, pos, 2) : std::nullopt;
      if (!second || pos != s.size()) return std::nullopt;
      v.second = *second;
    }
  }
  return v;
}

}  // namespace

std::optional<LocalDateTime> ParseRegionalDateTime(std::string_view text) {
  const std::string s = text::Trim(text);
  auto value = s.find('.') != std::string::npos ? ParseGerman(s) : LocalDateTime::FromIso(s);
  if (!value || !IsValid(*value)) return std::nullopt;
  return value;
}

}  // namespace kanvio
