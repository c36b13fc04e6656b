#include "support/InvariantNumber.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
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

// Digits after the leading one that hold the whole exact value of a finite,
// non-zero magnitude = M * 2^e (M below 2^53): an integer has as many digits
// as it is long; M * 2^e with e < 0 is M * 5^-e / 10^-e. Asking for fewer
// than kExactPrecision spares printing hundreds of zeros.
int ExactPrecision(double magnitude) {
  int exponent = 0;
  std::frexp(magnitude, &exponent);
  const int e = exponent - 53;
  const int digits = e >= 0 ? 17 + e * 30103 / 100000 : 17 + (-e * 69898 + 99999) / 100000;
  return std::min(digits + 2, kExactPrecision);
}

// Exact digit at position `index` (0 = leading) of |value|.
char ExactDigit(double magnitude, int index) {
  char text[kExactPrecision + 16];
  auto result = std::to_chars(text, text + sizeof text, magnitude, std::chars_format::scientific,
                              ExactPrecision(magnitude));
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
  out.reserve(static_cast<std::size_t>(d.count) + 8);
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

// The shortest digits that read back as magnitude (finite, above zero).
template <class T>
Decimal Shortest(T magnitude) {
  char text[64];
  const auto result = std::to_chars(text, text + sizeof text, magnitude, std::chars_format::scientific);
  Decimal d;
  d.count = SplitScientific(text, result.ptr, d.digits, kMaxPrecision, d.exponent);
  return d;
}

double ValueOf(const Decimal& d) {
  char text[kMaxPrecision + 16];
  char* p = std::copy(d.digits, d.digits + d.count, text);
  *p++ = 'e';
  p = std::to_chars(p, text + sizeof text, d.exponent - d.count + 1).ptr;
  double value = 0;
  std::from_chars(text, p, value);
  return value;
}

// Whether rounding the float magnitude to 7 significant digits gives the
// shortest digits d (at most 7 of them): d lies on the 7-digit grid, so it
// does when magnitude is nearer to d than half the grid's step. Decided with
// a margin, so that the inexact step and conversion cannot tip it; doubtful
// cases and the powers of ten (below which the step shrinks) answer false
// and take the slow path.
bool RoundsToShortest(float magnitude, const Decimal& d) {
  if (d.count > 7 || (d.count == 1 && d.digits[0] == '1')) return false;
  const double step = std::pow(10.0, d.exponent - 6);
  return std::fabs(double(magnitude) - ValueOf(d)) < 0.45 * step;
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

namespace {

// The last texts made, by the value's bits. The files write the same
// amounts, quantities and rates over and over, and making a text costs a
// thousand instructions.
template <class Bits>
class RecentTexts {
 public:
  template <class Make>
  const std::string& Get(Bits bits, Make make) {
    Entry& entry = entries_[(bits ^ (bits >> 17) ^ (bits >> 31)) % kSize];
    if (!entry.used || entry.bits != bits) entry = {bits, true, make()};
    return entry.text;
  }

 private:
  static constexpr std::size_t kSize = 251;
  struct Entry {
    Bits bits = 0;
    bool used = false;
    std::string text;
  };
  std::array<Entry, kSize> entries_;
};

std::string MakeSingleRoundTrip(float value) {
  if (std::isfinite(value) && value != 0) {
    const Decimal shortest = Shortest(std::fabs(value));
    if (RoundsToShortest(std::fabs(value), shortest)) return Layout(shortest, value < 0, 7);
  }
  std::string text = General(value, 7);
  if (!std::isfinite(value) || ReadsBackAs(text, value)) return text;
  return General(value, 9);
}

// For a normal double, 15 digits read back exactly when its shortest digits
// number at most 15, and they are then those digits: a 15-digit step exceeds
// a double's half unit in the last place. So the shortest digits decide
// without rounding to 15 and reading back.
std::string MakeDoubleRoundTrip(double value) {
  if (!std::isfinite(value) || value == 0) return General(value, 15);
  const double magnitude = std::fabs(value);
  if (magnitude < std::numeric_limits<double>::min()) {
    std::string text = General(value, 15);
    return ReadsBackAs(text, value) ? text : General(value, 17);
  }
  const Decimal shortest = Shortest(magnitude);
  if (shortest.count <= 15) return Layout(shortest, value < 0, 15);
  return General(value, 17);
}

}  // namespace

// The shortest digits (std::to_chars) spare the rounding to 7 digits, the
// reading back and often the rounding to 9 when they are what the rounding
// to 7 gives.
std::string SingleRoundTrip(float value) {
  thread_local RecentTexts<std::uint32_t> recent;
  return recent.Get(std::bit_cast<std::uint32_t>(value), [value] { return MakeSingleRoundTrip(value); });
}

std::string DoubleRoundTrip(double value) {
  thread_local RecentTexts<std::uint64_t> recent;
  return recent.Get(std::bit_cast<std::uint64_t>(value), [value] { return MakeDoubleRoundTrip(value); });
}

std::string General15(double value) { return General(value, 15); }

std::string XmlSchemaDouble(double value) {
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  if (value == 0 && std::signbit(value)) return "-0";
  return DoubleRoundTrip(value);
}

}  // namespace kanvio::invariant
