#include "shops/ShopRequests.h"

namespace kanvio {

std::string HttpStatusMessage(int status) {
  return "Der Shop-Server hat mit dem HTTP-Status " + std::to_string(status) + " geantwortet.";
}

std::string EncodeOrderNumber(const std::string& order_number) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : order_number) {
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                       c == '-' || c == '_' || c == '.';
    if (plain) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

}  // namespace kanvio
