#pragma once

#include <string>

namespace kanvio {

class Parser {
 public:
  // Maps a free-text currency name or symbol to its ISO 4217 code; "EUR"
  // when nothing matches.
  static std::string ParseCurrency(const std::string& currency);
};

}  // namespace kanvio
