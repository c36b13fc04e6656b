// The encodings of Crypto.h: plain computation, the same on every platform.
#include "platform/Crypto.h"

#include "support/Error.h"

namespace kanvio::platform {
namespace {

int Base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

}  // namespace

std::string Base64Encode(const Bytes& data) {
  static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  // Written into place: every signed request carries one.
  std::string out((data.size() + 2) / 3 * 4, '=');
  char* to = out.data();
  for (std::size_t i = 0; i < data.size(); i += 3, to += 4) {
    std::uint32_t n = data[i] << 16;
    if (i + 1 < data.size()) n |= data[i + 1] << 8;
    if (i + 2 < data.size()) n |= data[i + 2];
    to[0] = kAlphabet[(n >> 18) & 63];
    to[1] = kAlphabet[(n >> 12) & 63];
    if (i + 1 < data.size()) to[2] = kAlphabet[(n >> 6) & 63];
    if (i + 2 < data.size()) to[3] = kAlphabet[n & 63];
  }
  return out;
}

Bytes Base64Decode(std::string_view text) {
  Bytes out;
  out.reserve(text.size() / 4 * 3);
  std::uint32_t acc = 0;
  int bits = 0;
  std::size_t symbols = 0;
  std::size_t pad = 0;
  for (char c : text) {
    if (c == ' ' || c == '\n' || c == '\r' || c == '\t') continue;
    if (c == '=') {
      ++pad;
      continue;
    }
    int v = Base64Value(c);
    if (v < 0 || pad > 0) throw CryptoError("Der Text ist keine gültige Base64-Zeichenfolge");
    acc = (acc << 6) | static_cast<std::uint32_t>(v);
    bits += 6;
    ++symbols;
    if (bits >= 8) {
      bits -= 8;
      out.push_back(static_cast<std::uint8_t>((acc >> bits) & 0xFF));
    }
  }
  if ((symbols + pad) % 4 != 0 || pad > 2)
    throw CryptoError("Der Text ist keine gültige Base64-Zeichenfolge");
  return out;
}

std::string ToHex(const Bytes& bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  for (auto b : bytes) {
    out += kDigits[b >> 4];
    out += kDigits[b & 15];
  }
  return out;
}

Bytes FromHex(std::string_view hex) {
  auto nibble = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    throw CryptoError("Ungültige Hexadezimalziffer");
  };
  if (hex.size() % 2) throw CryptoError("Ungültige Länge einer Hexadezimalzeichenfolge");
  Bytes out;
  for (std::size_t i = 0; i < hex.size(); i += 2)
    out.push_back(static_cast<std::uint8_t>(nibble(hex[i]) << 4 | nibble(hex[i + 1])));
  return out;
}

}  // namespace kanvio::platform
