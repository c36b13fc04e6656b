#pragma once

#include <compare>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace kanvio {

// A local calendar time without zone, as the host's regional settings show it.
// The default value is the smallest date-time (0001-01-01 00:00:00).
struct LocalDateTime {
  int year = 1, month = 1, day = 1, hour = 0, minute = 0, second = 0;

  auto operator<=>(const LocalDateTime&) const = default;

  // From the current clock (platform/Clock.h), so tests can fix it.
  static LocalDateTime Now();
  static LocalDateTime FromTm(const std::tm& tm);
  // Invariant text "yyyy-MM-ddTHH:mm:ss", used where values are stored.
  std::string ToIso() const;
  static std::optional<LocalDateTime> FromIso(std::string_view text);
};

}  // namespace kanvio
