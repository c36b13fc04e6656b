#include "support/GermanNumber.h"

#include <cctype>
#include <charconv>
#include <string>

#include "support/Text.h"

namespace kanvio {

namespace {

constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                   1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// "-123.45" without exponent and with at most 15 digits: the digits and the
// power of ten are exact doubles, so their quotient is the correctly rounded
// value from_chars gives, at a fraction of its cost. nullopt otherwise.
std::optional<double> PlainDecimal(std::string_view canonical) {
  const bool negative = !canonical.empty() && canonical[0] == '-';
  std::int64_t digits = 0;
  int count = 0, decimals = -1;
  for (std::size_t i = negative ? 1 : 0; i < canonical.size(); ++i) {
    const char c = canonical[i];
    if (c == '.' && decimals < 0) {
      decimals = 0;
    } else if (c >= '0' && c <= '9' && count < 15) {
      digits = digits * 10 + (c - '0');
      if (digits != 0) ++count;
      if (decimals >= 0) ++decimals;
    } else {
      return std::nullopt;
    }
  }
  if (decimals > 22) return std::nullopt;
  const double value = static_cast<double>(digits) / kPowersOfTen[decimals < 0 ? 0 : decimals];
  return negative ? -value : value;
}

}  // namespace

// Host files carry hundreds of thousands of numbers: no allocation for the usual short ones.
std::optional<double> ParseGermanDouble(std::string_view input) {
  const std::string_view s = text::TrimView(input);
  // The same number in the form from_chars reads; never longer than the text.
  char small[64];
  std::string large;
  char* canonical = small;
  if (s.size() > sizeof small) {
    large.resize(s.size());
    canonical = large.data();
  }
  std::size_t n = 0;
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) {
    if (s[i] == '-') canonical[n++] = '-';
    ++i;
  }
  bool digits = false;
  // A grouping dot only follows a digit: ".5" is no number, not 5.
  for (; i < s.size() && (std::isdigit(static_cast<unsigned char>(s[i])) || (s[i] == '.' && digits)); ++i) {
    if (s[i] == '.') continue;
    canonical[n++] = s[i];
    digits = true;
  }
  if (i < s.size() && s[i] == ',') {
    canonical[n++] = '.';
    for (++i; i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])); ++i) {
      canonical[n++] = s[i];
      digits = true;
    }
  }
  if (!digits) return std::nullopt;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    canonical[n++] = 'e';
    for (++i; i < s.size(); ++i) canonical[n++] = s[i];
  }
  if (i != s.size()) return std::nullopt;
  if (const std::optional<double> plain = PlainDecimal(std::string_view(canonical, n))) return plain;
  double value = 0;
  auto [end, ec] = std::from_chars(canonical, canonical + n, value);
  if (ec != std::errc() || end != canonical + n) return std::nullopt;
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
