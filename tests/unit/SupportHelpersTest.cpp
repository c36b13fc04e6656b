// Currency names, German number texts and the URL hook.
#include <gtest/gtest.h>

#include "config/ParameterValidator.h"
#include "support/GermanNumber.h"
#include "support/Parser.h"

namespace kanvio {
namespace {

TEST(ParserTest, CurrencyTextsMapInTableOrder) {
  const std::pair<const char*, const char*> cases[] = {
      {"Schweizer Franken, CHF", "CHF"},
      {"£", "GBP"},
      {"Kz", "AOA"},
      {"Pesos", "EUR"},
      {"Rubel", "RUB"},
      {"Euro und Rubel", "EUR"},
      {"US-Dollar", "USD"},
      {"¥", "JPY"},
      {"cny", "CNY"},
      {"EUR", "EUR"},
      {"", "EUR"},
      {"Britisches Pfund", "GBP"},
  };
  for (const auto& [text, code] : cases) EXPECT_EQ(Parser::ParseCurrency(text), code) << text;
}

TEST(GermanNumberTest, CommaIsDecimalAndDotsGroupAnywhere) {
  const std::pair<const char*, double> cases[] = {
      {"12,5", 12.5}, {"19.00", 1900}, {"1.234,56", 1234.56}, {" -3,25 ", -3.25},
      {"+7", 7},      {"1,5E3", 1500}, {",5", 0.5},
  };
  for (const auto& [text, value] : cases) {
    auto parsed = ParseGermanDouble(text);
    ASSERT_TRUE(parsed) << text;
    EXPECT_DOUBLE_EQ(*parsed, value) << text;
  }
  // A grouping dot follows a digit; a sign stands alone.
  for (const char* bad : {"", "abc", "1,2,3", "12 5", "-", ".", "1,5E", ".5", "-.5", "+-5", "-+5", "+,5x"})
    EXPECT_FALSE(ParseGermanDouble(bad)) << bad;
}

TEST(GermanNumberTest, IntegersTakeOneSignAndRejectSeparatorsAndOverflow) {
  EXPECT_EQ(ParseGermanInt(" 42 "), 42);
  EXPECT_EQ(ParseGermanInt("-7"), -7);
  EXPECT_EQ(ParseGermanInt("+7"), 7);
  for (const char* bad : {"1.000", "2147483648", "", "+", "-", "+-1", "+-5", "-+5", "++5", "--5", "+ 5"})
    EXPECT_FALSE(ParseGermanInt(bad)) << bad;
}

TEST(ParameterValidatorTest, EveryShopUrlIsAccepted) {
  for (const char* url : {"", "not a url", "https://shop.example/"})
    EXPECT_TRUE(ParameterValidator::IsValidShopUrl(url));
}

}  // namespace
}  // namespace kanvio
