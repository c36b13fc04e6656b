#include "platform/Crypto.h"

#include <windows.h>
// bcrypt.h builds on the types of windows.h.
#include <bcrypt.h>

#include <memory>

#include "support/Error.h"

namespace kanvio::platform {
namespace {

constexpr std::size_t kAesBlock = 16;

bool Ok(NTSTATUS status) { return status >= 0; }

struct AlgorithmCloser {
  void operator()(void* algorithm) const { BCryptCloseAlgorithmProvider(algorithm, 0); }
};
struct KeyDestroyer {
  void operator()(void* key) const { BCryptDestroyKey(key); }
};
struct HashDestroyer {
  void operator()(void* hash) const { BCryptDestroyHash(hash); }
};
using Algorithm = std::unique_ptr<void, AlgorithmCloser>;
using Key = std::unique_ptr<void, KeyDestroyer>;
using Hash = std::unique_ptr<void, HashDestroyer>;

// BCrypt takes non-const buffers it does not write to.
PUCHAR In(const Bytes& bytes) { return const_cast<PUCHAR>(bytes.data()); }
ULONG Size(const Bytes& bytes) { return static_cast<ULONG>(bytes.size()); }

Algorithm OpenAlgorithm(LPCWSTR name, ULONG flags = 0) {
  BCRYPT_ALG_HANDLE handle = nullptr;
  if (!Ok(BCryptOpenAlgorithmProvider(&handle, name, nullptr, flags))) return nullptr;
  return Algorithm(handle);
}

// A key with the provider it came from, which must outlive it.
struct AesKey {
  Algorithm provider;
  Key key;
};

AesKey AesCbcKey(const Bytes& key) {
  if (key.size() != 16 && key.size() != 24 && key.size() != 32)
    throw CryptoError("Ungültige Schlüssellänge für AES: " + std::to_string(key.size()) + " Bytes");
  AesKey aes{OpenAlgorithm(BCRYPT_AES_ALGORITHM), nullptr};
  BCRYPT_KEY_HANDLE handle = nullptr;
  if (!aes.provider ||
      !Ok(BCryptSetProperty(aes.provider.get(), BCRYPT_CHAINING_MODE,
                            reinterpret_cast<PUCHAR>(const_cast<wchar_t*>(BCRYPT_CHAIN_MODE_CBC)),
                            sizeof(BCRYPT_CHAIN_MODE_CBC), 0)) ||
      !Ok(BCryptGenerateSymmetricKey(aes.provider.get(), &handle, nullptr, 0, In(key), Size(key), 0)))
    throw CryptoError("AES konnte nicht initialisiert werden");
  aes.key.reset(handle);
  return aes;
}

// BCrypt pads only with PKCS#7; zero padding is done by hand around a cipher
// that pads nothing. Empty or ragged input cannot carry PKCS#7 padding, and
// is refused before BCrypt would answer for it in its own way.
Bytes RunCipher(const Bytes& key, const Bytes& iv, Bytes input, Padding padding, bool encrypt) {
  const AesKey aes = AesCbcKey(key);
  if (iv.size() != kAesBlock) throw CryptoError("Ungültige Länge des Initialisierungsvektors");
  const ULONG flags = padding == Padding::kPkcs7 ? BCRYPT_BLOCK_PADDING : 0;
  if (padding == Padding::kZero) {
    if (encrypt)
      input.resize((input.size() + kAesBlock - 1) / kAesBlock * kAesBlock, 0);
    else if (input.size() % kAesBlock != 0)
      throw CryptoError("Die Länge des verschlüsselten Textes ist ungültig");
    if (input.empty()) return {};
  } else if (!encrypt && (input.empty() || input.size() % kAesBlock != 0)) {
    throw CryptoError("Der Text konnte nicht entschlüsselt werden (Auffüllung ungültig)");
  }
  Bytes chain = iv;  // BCrypt leaves the last cipher block in it
  Bytes out(input.size() + kAesBlock);
  ULONG written = 0;
  const NTSTATUS status = encrypt
                              ? BCryptEncrypt(aes.key.get(), In(input), Size(input), nullptr, chain.data(),
                                              Size(chain), out.data(), Size(out), &written, flags)
                              : BCryptDecrypt(aes.key.get(), In(input), Size(input), nullptr, chain.data(),
                                              Size(chain), out.data(), Size(out), &written, flags);
  if (!Ok(status)) throw CryptoError("Der Text konnte nicht entschlüsselt werden (Auffüllung ungültig)");
  out.resize(written);
  return out;
}

// The hash or HMAC of data; an HMAC when key is given.
Bytes Digest(LPCWSTR algorithm_name, const Bytes* key, const Bytes& data, const char* failure) {
  Algorithm algorithm = OpenAlgorithm(algorithm_name, key ? BCRYPT_ALG_HANDLE_HMAC_FLAG : 0);
  if (!algorithm) throw CryptoError(failure);
  DWORD length = 0;
  ULONG got = 0;
  if (!Ok(BCryptGetProperty(algorithm.get(), BCRYPT_HASH_LENGTH, reinterpret_cast<PUCHAR>(&length),
                            sizeof length, &got, 0)))
    throw CryptoError(failure);
  // An empty HMAC key is still a key: give BCrypt a valid pointer for it.
  static UCHAR no_key = 0;
  BCRYPT_HASH_HANDLE handle = nullptr;
  if (!Ok(BCryptCreateHash(algorithm.get(), &handle, nullptr, 0,
                           key ? (key->empty() ? &no_key : In(*key)) : nullptr, key ? Size(*key) : 0, 0)))
    throw CryptoError(failure);
  Hash hash(handle);
  Bytes out(length);
  if (!Ok(BCryptHashData(hash.get(), In(data), Size(data), 0)) ||
      !Ok(BCryptFinishHash(hash.get(), out.data(), Size(out), 0)))
    throw CryptoError(failure);
  return out;
}

}  // namespace

Bytes AesCbcEncrypt(const Bytes& key, const Bytes& iv, const Bytes& plain, Padding padding) {
  return RunCipher(key, iv, plain, padding, true);
}

Bytes AesCbcDecrypt(const Bytes& key, const Bytes& iv, const Bytes& cipher, Padding padding) {
  return RunCipher(key, iv, cipher, padding, false);
}

Bytes Sha1(const Bytes& data) {
  return Digest(BCRYPT_SHA1_ALGORITHM, nullptr, data, "Hashwert konnte nicht berechnet werden");
}

Bytes Md5(const Bytes& data) {
  return Digest(BCRYPT_MD5_ALGORITHM, nullptr, data, "Hashwert konnte nicht berechnet werden");
}

Bytes HmacSha256(const Bytes& key, const Bytes& data) {
  return Digest(BCRYPT_SHA256_ALGORITHM, &key, data, "HMAC konnte nicht berechnet werden");
}

}  // namespace kanvio::platform
