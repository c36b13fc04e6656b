#pragma once
// Cryptographic primitives. Every function throws CryptoError on a failure
// (bad key length, bad padding, input that is not Base64).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kanvio::platform {

using Bytes = std::vector<std::uint8_t>;

enum class Padding { kPkcs7, kZero };

// key of 16, 24 or 32 bytes; iv of 16 bytes.
Bytes AesCbcEncrypt(const Bytes& key, const Bytes& iv, const Bytes& plain, Padding padding);
// With kZero the trailing zero bytes stay in the result: only the caller knows what they mean.
Bytes AesCbcDecrypt(const Bytes& key, const Bytes& iv, const Bytes& cipher, Padding padding);

Bytes Sha1(const Bytes& data);
Bytes Md5(const Bytes& data);
Bytes HmacSha256(const Bytes& key, const Bytes& data);

std::string Base64Encode(const Bytes& data);
// Accepts the standard alphabet with padding; whitespace is ignored.
Bytes Base64Decode(std::string_view text);

inline Bytes ToBytes(std::string_view text) { return Bytes(text.begin(), text.end()); }
inline std::string ToString(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }
std::string ToHex(const Bytes& bytes);
Bytes FromHex(std::string_view hex);

}  // namespace kanvio::platform
