#include "ProtocolModule.h"

namespace kanvio::shopsim {

std::string ProtocolModule::EscapeForRegex(const std::string& text) {
  static const std::string kSpecial = R"(\^$.|?*+()[]{})";
  std::string escaped;
  for (char c : text) {
    if (kSpecial.find(c) != std::string::npos) escaped += '\\';
    escaped += c;
  }
  return escaped;
}

}  // namespace kanvio::shopsim
