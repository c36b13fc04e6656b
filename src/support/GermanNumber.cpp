#include "support/GermanNumber.h"

#include <cctype>
#include <charconv>
#include <string>

#include "support/Text.h"

namespace kanvio {

std::optional<double> ParseGermanDouble(std::string_view input) {
  const std::string s = text::Trim(input);
  std::string canonical;  // the same number in the form from_chars reads
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) {
    if (s[i] == '-') canonical += '-';
    ++i;
  }
  bool digits = false;
  // A grouping dot only follows a digit: ".5" is no number, not 5.
  for (; i < s.size() && (std::isdigit(static_cast<unsigned char>(s[i])) || (s[i] == '.' && digits)); ++i) {
    if (s[i] == '.') continue;
    canonical += s[i];
    digits = true;
  }
  if (i < s.size() && s[i] == ',') {
    canonical += '.';
    for (++i; i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])); ++i) {
      canonical += s[i];
      digits = true;
    }
  }
  if (!digits) return std::nullopt;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    canonical += 'e';
    for (++i; i < s.size(); ++i) canonical += s[i];
  }
  if (i != s.size()) return std::nullopt;
  double value = 0;
  auto [end, ec] = std::from_chars(canonical.data(), canonical.data() + canonical.size(), value);
  if (ec != std::errc() || end != canonical.data() + canonical.size()) return std::nullopt;
  return value;
}

std::optional<std::int32_t> ParseGermanInt(std::string_view input) {
  std::string s = text::Trim(input);
  // One sign only: from_chars would read the "-1" left of "+-1".
  if (s.size() > 1 && s[0] == '+' && s[1] != '-') s.erase(0, 1);
  std::int32_t value = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  if (s.empty() || ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return value;
}

}  // namespace kanvio
