#include "shops/epages/OrderRules.h"

#include <charconv>
#include <chrono>
#include <cstdint>
#include <limits>

#include "platform/Clock.h"
#include "support/Text.h"

namespace kanvio::epages {
namespace {

struct CountryRow {
  int id;
  const char* code;
  const char* name;
};

constexpr CountryRow kCountries[] = {
#define KANVIO_COUNTRY(id, code, name) {id, code, name},
#include "shops/epages/CountryTable.def"
#undef KANVIO_COUNTRY
};

bool AllDigits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

bool IsInt32(std::string_view text) {
  const std::string trimmed = text::Trim(text);
  std::string_view digits = trimmed;
  if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) {
    const bool negative = digits.front() == '-';
    digits.remove_prefix(1);
    if (!AllDigits(digits)) return false;
    std::int64_t value = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (ec != std::errc() || end != digits.data() + digits.size()) return false;
    return negative ? -value >= std::numeric_limits<std::int32_t>::min()
                    : value <= std::numeric_limits<std::int32_t>::max();
  }
  std::int32_t value = 0;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  return AllDigits(digits) && ec == std::errc() && end == digits.data() + digits.size();
}

// Reads a fixed number of digits at pos; -1 when they are not there.
int Digits(std::string_view text, std::size_t pos, std::size_t count) {
  if (pos + count > text.size()) return -1;
  int value = 0;
  for (std::size_t i = pos; i < pos + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return -1;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

// The offset of a zone suffix in minutes east of UTC; nullopt for no zone,
// or false in ok for a suffix that cannot be read.
std::optional<int> ZoneOffset(std::string_view zone, bool& ok) {
  ok = true;
  if (zone.empty()) return std::nullopt;
  if (zone == "Z" || zone == "GMT" || zone == "UTC") return 0;
  ok = false;
  if (zone.front() != '+' && zone.front() != '-') return std::nullopt;
  const int sign = zone.front() == '-' ? -1 : 1;
  zone.remove_prefix(1);
  int hours = -1, minutes = -1;
  if (zone.size() == 5 && zone[2] == ':') {
    hours = Digits(zone, 0, 2);
    minutes = Digits(zone, 3, 2);
  } else if (zone.size() == 4) {
    hours = Digits(zone, 0, 2);
    minutes = Digits(zone, 2, 2);
  } else if (zone.size() == 2) {
    hours = Digits(zone, 0, 2);
    minutes = 0;
  }
  if (hours < 0 || hours > 14 || minutes < 0 || minutes > 59) return std::nullopt;
  ok = true;
  return sign * (hours * 60 + minutes);
}

bool IsValidDate(const LocalDateTime& t) {
  if (t.year < 1 || t.month < 1 || t.month > 12 || t.day < 1 || t.hour > 23 || t.minute > 59 || t.second > 59)
    return false;
  const std::chrono::year_month_day date{std::chrono::year(t.year), std::chrono::month(unsigned(t.month)),
                                         std::chrono::day(unsigned(t.day))};
  return date.ok();
}

}  // namespace

Country CountryOf(std::string_view country_id) {
  const std::string_view id = text::TrimView(country_id);
  if (!AllDigits(id) || id.size() > 3) return {};
  const int number = Digits(id, 0, id.size());
  for (const CountryRow& row : kCountries) {
    if (row.id != number) continue;
    // "40" and "040" name the same country; "0040" or "0100" do not.
    const bool canonical = id.front() != '0' || id.size() == 1 || (id.size() == 3 && number < 100);
    if (canonical) return {row.code, row.name};
  }
  return {};
}

std::string GenderOf(const std::optional<std::string>& gender) {
  if (!gender) return {};
  const std::string value = text::Trim(*gender);
  if (value == "1") return "m";
  if (value == "2") return "w";
  return {};
}

std::string StreetOf(const std::vector<std::string_view>& parts) {
  std::string street;
  for (std::string_view part : parts) {
    if (part.empty()) continue;
    if (!street.empty()) street += ", ";
    street += part;
  }
  return street;
}

BankFields BankOf(const std::string& bank_code, const std::string& account_number) {
  if (IsInt32(bank_code) && IsInt32(account_number)) return {account_number, bank_code, {}, {}};
  return {{}, {}, bank_code, account_number};
}

std::string MethodNameOf(const std::string& path, std::string_view marker, const std::string& line_name) {
  const auto at = path.find(marker);
  if (path.empty() || at == std::string::npos) return line_name;
  const auto start = at + marker.size() + 1;
  if (start >= path.size()) return {};
  return text::ReplaceAll(path.substr(start), "\"", "");
}

std::optional<LocalDateTime> CreationDateOf(std::string_view text) {
  const std::string_view t = text::TrimView(text);
  LocalDateTime date;
  date.year = Digits(t, 0, 4);
  date.month = Digits(t, 5, 2);
  date.day = Digits(t, 8, 2);
  const bool has_time = t.size() >= 19 && (t[10] == 'T' || t[10] == ' ');
  if (t.size() < 10 || t[4] != '-' || t[7] != '-') return std::nullopt;
  std::size_t pos = 10;
  if (has_time) {
    date.hour = Digits(t, 11, 2);
    date.minute = Digits(t, 14, 2);
    date.second = Digits(t, 17, 2);
    if (t[13] != ':' || t[16] != ':') return std::nullopt;
    pos = 19;
    if (pos < t.size() && t[pos] == '.') {
      ++pos;
      while (pos < t.size() && t[pos] >= '0' && t[pos] <= '9') ++pos;
    }
  }
  std::string_view zone = t.substr(pos);
  while (!zone.empty() && zone.front() == ' ') zone.remove_prefix(1);
  bool zone_ok = true;
  const auto offset = ZoneOffset(zone, zone_ok);
  if (!zone_ok || !IsValidDate(date)) return std::nullopt;
  if (!offset) return date;
  const platform::UtcTime instant = platform::FromUtcCalendar(date) - std::chrono::minutes(*offset);
  return platform::CurrentClock().ToLocal(instant);
}

}  // namespace kanvio::epages
