#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "support/InvariantNumber.h"

namespace kanvio::invariant {
namespace {

struct VectorLine {
  int line_number;
  std::string kind, bits, round_trip, general15;
};

std::vector<VectorLine> ReadNumberVectors() {
  std::ifstream in(test::TestVectorsDir() / "numbers.tsv");
  std::vector<VectorLine> lines;
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    VectorLine v{number, {}, {}, {}, {}};
    std::getline(fields, v.kind, '\t');
    std::getline(fields, v.bits, '\t');
    std::getline(fields, v.round_trip, '\t');
    std::getline(fields, v.general15, '\t');
    lines.push_back(v);
  }
  return lines;
}

TEST(InvariantNumberTest, EveryReferenceLineComesOutExactly) {
  const auto lines = ReadNumberVectors();
  ASSERT_GT(lines.size(), 150u);
  int singles = 0, doubles = 0;
  for (const auto& v : lines) {
    SCOPED_TRACE("numbers.tsv line " + std::to_string(v.line_number) + " bits " + v.bits);
    const std::uint64_t bits = std::stoull(v.bits, nullptr, 16);
    if (v.kind == "single") {
      ++singles;
      EXPECT_EQ(SingleRoundTrip(std::bit_cast<float>(static_cast<std::uint32_t>(bits))), v.round_trip);
    } else {
      ++doubles;
      ASSERT_EQ(v.kind, "double");
      const double value = std::bit_cast<double>(bits);
      EXPECT_EQ(DoubleRoundTrip(value), v.round_trip);
      EXPECT_EQ(General15(value), v.general15);
    }
  }
  EXPECT_GT(singles, 0);
  EXPECT_GT(doubles, 0);
}

TEST(InvariantNumberTest, RetriesWithMoreDigitsOnlyWhenNeeded) {
  struct Case {
    float single;
    const char* expected;
  } singles[] = {
      {19.99f, "19.99"},                   // 7 digits read back
      {16777216.0f, "16777216"},           // 1.677722E+07 would read back as 16777220
      {3.40282347e38f, "3.40282347E+38"},  // 3.402823E+38 is a different float
      {1048576.125f, "1048576.13"},        // 9 digits, the half rounded away from zero
      {-0.1f, "-0.1"},
  };
  for (const auto& c : singles) EXPECT_EQ(SingleRoundTrip(c.single), c.expected) << c.expected;

  EXPECT_EQ(DoubleRoundTrip(static_cast<double>(19.99f) / 1.0), "19.989999771118164");
  EXPECT_EQ(DoubleRoundTrip(0.1 + 0.2), "0.30000000000000004");
  EXPECT_EQ(DoubleRoundTrip(0.3), "0.3");
  // With 17 digits the fixed form reaches further than with 15.
  EXPECT_EQ(DoubleRoundTrip(1234567890123456.8), "1234567890123456.8");
  EXPECT_EQ(General15(1234567890123456.8), "1.23456789012346E+15");
}

// The round-trip forms take a short cut through the shortest digits; the
// rule they must keep is the one spelled out with General.
TEST(InvariantNumberTest, ShortCutsAgreeWithTheSpelledOutRule) {
  const auto reads_back = [](const std::string& text, auto value) {
    decltype(value) parsed{};
    const auto result = std::from_chars(text.data(), text.data() + text.size(), parsed);
    return result.ec == std::errc() && parsed == value;
  };
  const auto single_rule = [&](float value) {
    std::string text = General(value, 7);
    return reads_back(text, value) ? text : General(value, 9);
  };
  const auto double_rule = [&](double value) {
    std::string text = General(value, 15);
    return reads_back(text, value) ? text : General(value, 17);
  };
  std::uint64_t state = 88172645463325252u;  // xorshift: the same values on every run
  const auto next = [&state] {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return state;
  };
  std::vector<float> singles;
  for (int i = 0; i < 200'000; ++i) {
    const float value = std::bit_cast<float>(static_cast<std::uint32_t>(next()));
    if (std::isfinite(value) && value != 0) singles.push_back(value);
  }
  // Amounts, and the decades whose top lies above a power of two (there a
  // float's step outgrows the 7-digit step).
  for (int cents = 1; cents < 100'000; cents += 7) singles.push_back(float(cents) / 100.0f);
  for (float start : {8589934592.0f, 9.765625e-4f, 8388608.0f, 1.0f, 0.1f}) {
    float value = start;
    for (int i = 0; i < 20'000; ++i) singles.push_back(value = std::nextafter(value, 1e30f));
  }
  for (float value : singles)
    ASSERT_EQ(SingleRoundTrip(value), single_rule(value)) << std::bit_cast<std::uint32_t>(value);

  std::vector<double> doubles;
  for (int i = 0; i < 100'000; ++i) {
    const double value = std::bit_cast<double>(next());
    if (std::isfinite(value) && value != 0) doubles.push_back(value);
  }
  for (float value : singles) {
    if (doubles.size() > 300'000) break;
    if (std::fabs(value) < 1e30f) doubles.push_back(double(value) / 3.0);
  }
  doubles.push_back(std::numeric_limits<double>::denorm_min());
  doubles.push_back(-std::numeric_limits<double>::min());
  for (double value : doubles) ASSERT_EQ(DoubleRoundTrip(value), double_rule(value)) << value;
}

TEST(InvariantNumberTest, HalvesRoundAwayFromZeroButNearHalvesDoNot) {
  EXPECT_EQ(General(0.125, 2), "0.13");
  EXPECT_EQ(General(-0.125, 2), "-0.13");
  EXPECT_EQ(General(2.5, 1), "3");
  EXPECT_EQ(General(0.35, 1), "0.3");  // the double is just below 0.35
  EXPECT_EQ(General(9.5, 1), "1E+01");
  EXPECT_EQ(General(999999.5, 6), "1E+06");  // the carry moves it into the exponent form
  EXPECT_EQ(General15(1234567890123.125), "1234567890123.13");
}

TEST(InvariantNumberTest, ExponentFormFollowsTheGeneralNotation) {
  struct Case {
    double value;
    const char* expected;
  } cases[] = {
      {0.0001, "0.0001"},
      {0.00001, "1E-05"},
      {1.5e20, "1.5E+20"},
      {1e15, "1E+15"},
      {123456789012345.0, "123456789012345"},
      {1e300, "1E+300"},
      {-2.5e-300, "-2.5E-300"},
      {5e-324, "4.94065645841247E-324"},
      {100, "100"},
      {-0.0, "0"},
  };
  for (const auto& c : cases) EXPECT_EQ(General15(c.value), c.expected) << c.expected;
  EXPECT_EQ(DoubleRoundTrip(5e-324), "4.94065645841247E-324");  // reads back as the smallest subnormal
}

TEST(InvariantNumberTest, SpecialValues) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(DoubleRoundTrip(inf), "Infinity");
  EXPECT_EQ(General15(-inf), "-Infinity");
  EXPECT_EQ(SingleRoundTrip(std::numeric_limits<float>::quiet_NaN()), "NaN");
  EXPECT_EQ(DoubleRoundTrip(-0.0), "0");

  EXPECT_EQ(XmlSchemaDouble(inf), "INF");
  EXPECT_EQ(XmlSchemaDouble(-inf), "-INF");
  EXPECT_EQ(XmlSchemaDouble(nan), "NaN");
  EXPECT_EQ(XmlSchemaDouble(-0.0), "-0");
  EXPECT_EQ(XmlSchemaDouble(-5.0), "-5");
  EXPECT_EQ(XmlSchemaDouble(20.0 / 2), "10");
  EXPECT_EQ(XmlSchemaDouble(0.1), "0.1");

  EXPECT_THROW(General(1, 0), std::invalid_argument);
  EXPECT_THROW(General(1, 18), std::invalid_argument);
}

}  // namespace
}  // namespace kanvio::invariant
