#pragma once

#include <string>
#include <string_view>

namespace kanvio {

// Deciphers texts that the shop side enciphers with AES-CBC and zero padding,
// keyed by the shop password.
class CipherUtility {
 public:
  // Uses the initialisation vector shared with the shop side. Throws
  // CryptoError for an empty password, one over 32 bytes, or input that is
  // not Base64.
  static std::string DecryptPhp(std::string_view base64, const std::string& password);
  static std::string DecryptPhp(std::string_view base64, const std::string& password, const std::string& iv);

  // The shop side's operation, for the shop simulator and tests.
  static std::string EncryptPhp(const std::string& plain, const std::string& password, const std::string& iv);
};

}  // namespace kanvio
