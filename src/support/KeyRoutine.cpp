#include "support/KeyRoutine.h"

#include "support/Error.h"
#include "support/PasswordDeriveBytes.h"
#include "support/Text.h"

namespace kanvio {
namespace {

constexpr int kIterations = 100;

struct KeyAndIv {
  platform::Bytes key, iv;
};

KeyAndIv Derive(const std::string& pass_phrase, const platform::Bytes& salt) {
  PasswordDeriveBytes derive(pass_phrase, salt, kIterations);
  KeyAndIv k;
  k.key = derive.GetBytes(32);
  k.iv = derive.GetBytes(16);
  return k;
}

}  // namespace

std::string DecipherWithKeyRoutine(std::string_view base64, const std::string& pass_phrase,
                                   const platform::Bytes& salt) {
  const auto k = Derive(pass_phrase, salt);
  const auto plain = platform::AesCbcDecrypt(k.key, k.iv, platform::Base64Decode(base64), platform::Padding::kPkcs7);
  if (plain.size() % 2 != 0) throw CryptoError("Der entschlüsselte Schlüssel ist kein gültiger UTF-16-Text");
  std::u16string units;
  for (std::size_t i = 0; i < plain.size(); i += 2) units.push_back(static_cast<char16_t>(plain[i] | plain[i + 1] << 8));
  return text::Utf16ToUtf8(units);
}

std::string EncipherWithKeyRoutine(const std::string& plain_utf8, const std::string& pass_phrase,
                                   const platform::Bytes& salt) {
  const auto k = Derive(pass_phrase, salt);
  platform::Bytes plain;
  for (char16_t u : text::Utf8ToUtf16(plain_utf8)) {
    plain.push_back(static_cast<std::uint8_t>(u & 0xFF));
    plain.push_back(static_cast<std::uint8_t>(u >> 8));
  }
  return platform::Base64Encode(platform::AesCbcEncrypt(k.key, k.iv, plain, platform::Padding::kPkcs7));
}

}  // namespace kanvio
