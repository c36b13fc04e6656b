#include "support/Parser.h"

#include <array>
#include <string_view>
#include <utility>

#include "support/Text.h"

namespace kanvio {

std::string Parser::ParseCurrency(const std::string& currency) {
  // Order matters: a text naming both euro and rubel is a euro text.
  static const std::array<std::pair<std::array<std::string_view, 3>, const char*>, 8> kTable{{
      {{"€", "eur", "euro"}, "EUR"},
      {{"$", "dollar", "usd"}, "USD"},
      {{"chf", "", ""}, "CHF"},
      {{"rub", "rubel", ""}, "RUB"},
      {{"cny", "", ""}, "CNY"},
      {{"jpy", "¥", "yen"}, "JPY"},
      {{"gbp", "pfund", "£"}, "GBP"},
      {{"kz", "", ""}, "AOA"},
  }};
  const std::string lower = text::ToLower(currency);
  for (const auto& [needles, code] : kTable)
    for (auto needle : needles)
      if (!needle.empty() && text::Contains(lower, needle)) return code;
  return "EUR";
}

}  // namespace kanvio
