#pragma once
// Number texts of the files written for the host, independent of the regional
// settings: "." as decimal separator, no digit grouping, "-" for negatives, the
// exponent form "1E-05" / "1.5E+20" where the general notation switches to it
// (exponent below -4 or not below the digit count). Digits are rounded from the
// exact binary value, halves away from zero. All functions are thread-safe and
// never throw except std::bad_alloc.

#include <string>

namespace kanvio::invariant {

// General notation with at most `precision` significant digits (1 to 17) and
// no trailing zeros. Zero of either sign is "0"; "NaN", "Infinity", "-Infinity".
std::string General(double value, int precision);

// Shortest round-trip form of a single-precision value: 7 significant digits,
// 9 when the 7-digit text does not read back as the same float.
std::string SingleRoundTrip(float value);

// Shortest round-trip form of a double: 15 significant digits, 17 when the
// 15-digit text does not read back as the same double.
std::string DoubleRoundTrip(double value);

// At most 15 significant digits, without the round-trip retry.
std::string General15(double value);

// The XML Schema notation of a double: DoubleRoundTrip, except "-0" for
// negative zero and "INF" / "-INF" for the infinities.
std::string XmlSchemaDouble(double value);

}  // namespace kanvio::invariant
