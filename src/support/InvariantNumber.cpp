#include "support/InvariantNumber.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <stdexcept>
#include <system_error>

namespace kanvio::invariant {
namespace {

constexpr int kMaxPrecision = 17;
// Every double has at most 767 significant digits, so this many digits after
// the point in scientific notation are the exact value.
constexpr int kExactPrecision = 767;

// |value| as `count` significant digits times 10^(exponent - count + 1).
struct Decimal {
  char digits[kMaxPrecision + 1];
  int count = 0;
  int exponent = 0;
};

// Splits to_chars' scientific text "d.ddde+XX" into its digits and exponent.
int SplitScientific(const char* first, const char* last, char* digits, int max_digits, int& exponent) {
  int count = 0;
  const char* p = first;
  for (; p != last && *p != 'e'; ++p) {
    if (*p != '.' && count < max_digits) digits[count++] = *p;
  }
  std::from_chars(p + 1 + (p[1] == '+'), last, exponent);
  return count;
}

// Exact digit at position `index` (0 = leading) of |value|.
char ExactDigit(double magnitude, int index) {
  char text[kExactPrecision + 16];
  auto result =
      std::to_chars(text, text + sizeof text, magnitude, std::chars_format::scientific, kExactPrecision);
  char digits[kExactPrecision + 1];
  int exponent = 0;
  const int count = SplitScientific(text, result.ptr, digits, kExactPrecision + 1, exponent);
  return index < count ? digits[index] : '0';
}

// |value| (finite, not zero) rounded to `precision` significant digits. to_chars
// rounds halves to even; the files round them away from zero, so a 5 in the
// first dropped place is settled against the exact value.
Decimal Round(double magnitude, int precision) {
  char text[64];
  auto result = std::to_chars(text, text + sizeof text, magnitude, std::chars_format::scientific, precision);
  char digits[kMaxPrecision + 2];
  Decimal d;
  SplitScientific(text, result.ptr, digits, precision + 1, d.exponent);
  char dropped = digits[precision];
  if (dropped == '5') dropped = ExactDigit(magnitude, precision);
  std::copy(digits, digits + precision, d.digits);
  d.count = precision;
  if (dropped >= '5') {
    int i = precision - 1;
    while (i >= 0 && d.digits[i] == '9') d.digits[i--] = '0';
    if (i >= 0) {
      ++d.digits[i];
    } else {
      d.digits[0] = '1';
      ++d.exponent;
    }
  }
  while (d.count > 1 && d.digits[d.count - 1] == '0') --d.count;
  return d;
}

void AppendExponent(std::string& out, int exponent) {
  out += exponent < 0 ? "E-" : "E+";
  const int magnitude = std::abs(exponent);
  if (magnitude < 10) out += '0';
  out += std::to_string(magnitude);
}

std::string Layout(const Decimal& d, bool negative, int precision) {
  std::string out;
  if (negative) out += '-';
  const std::string_view digits(d.digits, static_cast<std::size_t>(d.count));
  if (d.exponent < -4 || d.exponent >= precision) {
    out += digits[0];
    if (d.count > 1) {
      out += '.';
      out += digits.substr(1);
    }
    AppendExponent(out, d.exponent);
  } else if (d.exponent < 0) {
    out += "0.";
    out.append(static_cast<std::size_t>(-d.exponent - 1), '0');
    out += digits;
  } else {
    const auto whole = static_cast<std::size_t>(d.exponent + 1);
    if (digits.size() <= whole) {
      out += digits;
      out.append(whole - digits.size(), '0');
    } else {
      out += digits.substr(0, whole);
      out += '.';
      out += digits.substr(whole);
    }
  }
  return out;
}

template <class T>
bool ReadsBackAs(const std::string& text, T value) {
  T parsed{};
  auto result = std::from_chars(text.data(), text.data() + text.size(), parsed);
  return result.ec == std::errc() && parsed == value;
}

}  // namespace

std::string General(double value, int precision) {
  if (precision < 1 || precision > kMaxPrecision) throw std::invalid_argument("precision out of range");
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value < 0 ? "-Infinity" : "Infinity";
  if (value == 0) return "0";
  return Layout(Round(std::fabs(value), precision), value < 0, precision);
}

std::string SingleRoundTrip(float value) {
  std::string text = General(value, 7);
  if (!std::isfinite(value) || ReadsBackAs(text, value)) return text;
  return General(value, 9);
}

std::string DoubleRoundTrip(double value) {
  std::string text = General(value, 15);
  if (!std::isfinite(value) || ReadsBackAs(text, value)) return text;
  return General(value, 17);
}

std::string General15(double value) { return General(value, 15); }

std::string XmlSchemaDouble(double value) {
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  if (value == 0 && std::signbit(value)) return "-0";
  return DoubleRoundTrip(value);
}

}  // namespace kanvio::invariant
