#include "support/CipherUtility.h"

#include "platform/Crypto.h"
#include "support/DeploymentDefaults.h"
#include "support/Text.h"

namespace kanvio {
namespace {

platform::Bytes KeyFromPassword(const std::string& password) {
  platform::Bytes key = platform::ToBytes(password);
  key.resize((key.size() + 15) / 16 * 16, 0);
  return key;
}

// Zero padding leaves NULs at the end of the text; they are removed per line
// because the shop side pads each enciphered text, and a page may hold
// several of them joined by line breaks.
std::string JoinLinesWithoutTrailingNuls(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    std::string_view line(text.data() + start, (end == std::string::npos ? text.size() : end) - start);
    out += text::TrimEnd(line, std::string_view("\0", 1));
    if (end == std::string::npos) break;
    start = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
  }
  return out;
}

}  // namespace

std::string CipherUtility::DecryptPhp(std::string_view base64, const std::string& password) {
  return DecryptPhp(base64, password, KANVIO_SHOP_CIPHER_IV);
}

std::string CipherUtility::DecryptPhp(std::string_view base64, const std::string& password, const std::string& iv) {
  const auto plain = platform::AesCbcDecrypt(KeyFromPassword(password), platform::ToBytes(iv),
                                             platform::Base64Decode(base64), platform::Padding::kZero);
  return JoinLinesWithoutTrailingNuls(text::DecodeToUtf8(platform::ToString(plain)));
}

std::string CipherUtility::EncryptPhp(const std::string& plain, const std::string& password, const std::string& iv) {
  return platform::Base64Encode(platform::AesCbcEncrypt(KeyFromPassword(password), platform::ToBytes(iv),
                                                        platform::ToBytes(plain), platform::Padding::kZero));
}

}  // namespace kanvio
