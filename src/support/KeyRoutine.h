#pragma once

#include <string>
#include <string_view>

#include "platform/Crypto.h"

namespace kanvio {

// Deciphers a Base64 text that was enciphered with AES-256-CBC (PKCS#7) under
// a key and IV derived from pass_phrase and salt (PBKDF1, SHA-1, 100
// iterations: 32 key bytes, then 16 IV bytes). The plain bytes are UTF-16LE
// text; the result is UTF-8. Throws CryptoError on any failure.
std::string DecipherWithKeyRoutine(std::string_view base64, const std::string& pass_phrase,
                                   const platform::Bytes& salt);

// The inverse, for deployments that make their own enciphered keys.
std::string EncipherWithKeyRoutine(const std::string& plain_utf8, const std::string& pass_phrase,
                                   const platform::Bytes& salt);

}  // namespace kanvio
