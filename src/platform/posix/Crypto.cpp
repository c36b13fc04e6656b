#include "platform/Crypto.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/sha.h>

#include <cstring>
#include <memory>

#include "support/Error.h"

namespace kanvio::platform {
namespace {

using CipherCtx = std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)>;

const EVP_CIPHER* AesCbcFor(std::size_t key_size) {
  switch (key_size) {
    case 16:
      return EVP_aes_128_cbc();
    case 24:
      return EVP_aes_192_cbc();
    case 32:
      return EVP_aes_256_cbc();
    default:
      throw CryptoError("Ungültige Schlüssellänge für AES: " + std::to_string(key_size) + " Bytes");
  }
}

// OpenSSL pads only with PKCS#7; zero padding is done by hand around a cipher
// that pads nothing.
Bytes RunCipher(const Bytes& key, const Bytes& iv, Bytes input, Padding padding, bool encrypt) {
  const EVP_CIPHER* cipher = AesCbcFor(key.size());
  if (iv.size() != 16) throw CryptoError("Ungültige Länge des Initialisierungsvektors");
  if (padding == Padding::kZero) {
    if (encrypt)
      input.resize((input.size() + 15) / 16 * 16, 0);
    else if (input.size() % 16 != 0)
      throw CryptoError("Die Länge des verschlüsselten Textes ist ungültig");
  }
  CipherCtx ctx(EVP_CIPHER_CTX_new(), &EVP_CIPHER_CTX_free);
  if (!ctx || EVP_CipherInit_ex(ctx.get(), cipher, nullptr, key.data(), iv.data(), encrypt ? 1 : 0) != 1)
    throw CryptoError("AES konnte nicht initialisiert werden");
  EVP_CIPHER_CTX_set_padding(ctx.get(), padding == Padding::kPkcs7 ? 1 : 0);
  Bytes out(input.size() + 32);
  int written = 0;
  int final_len = 0;
  if (EVP_CipherUpdate(ctx.get(), out.data(), &written, input.data(), static_cast<int>(input.size())) != 1 ||
      EVP_CipherFinal_ex(ctx.get(), out.data() + written, &final_len) != 1)
    throw CryptoError("Der Text konnte nicht entschlüsselt werden (Auffüllung ungültig)");
  out.resize(static_cast<std::size_t>(written + final_len));
  return out;
}

Bytes Digest(const EVP_MD* md, const Bytes& data) {
  Bytes out(EVP_MAX_MD_SIZE);
  unsigned int len = 0;
  if (EVP_Digest(data.data(), data.size(), out.data(), &len, md, nullptr) != 1)
    throw CryptoError("Hashwert konnte nicht berechnet werden");
  out.resize(len);
  return out;
}

}  // namespace

Bytes AesCbcEncrypt(const Bytes& key, const Bytes& iv, const Bytes& plain, Padding padding) {
  return RunCipher(key, iv, plain, padding, true);
}

Bytes AesCbcDecrypt(const Bytes& key, const Bytes& iv, const Bytes& cipher, Padding padding) {
  return RunCipher(key, iv, cipher, padding, false);
}

Bytes Sha1(const Bytes& data) { return Digest(EVP_sha1(), data); }
Bytes Md5(const Bytes& data) { return Digest(EVP_md5(), data); }

namespace {

// The one-shot HMAC() looks the algorithm and the digest up and sets the key
// up again on every call, several times the cost of hashing a request; even a
// kept EVP_MAC context copies its digest contexts through the provider on
// each message. Each thread keeps the SHA-256 states of its last key's inner
// and outer pads instead, and a message costs two plain struct copies: a
// request signer signs tens of thousands of requests with one key. The
// low-level SHA-256 calls are deprecated in OpenSSL 3 but remain its
// documented API.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
class HmacContext {
 public:
  static constexpr std::size_t kBlock = SHA256_CBLOCK;

  HmacContext() = default;
  HmacContext(const HmacContext&) = delete;
  HmacContext& operator=(const HmacContext&) = delete;
  ~HmacContext() { Forget(); }

  Bytes Compute(const Bytes& key, const Bytes& data) {
    if (!keyed_ || key != key_) SetKey(key);
    SHA256_CTX ctx = inner_;
    std::uint8_t digest[SHA256_DIGEST_LENGTH];
    Bytes out(SHA256_DIGEST_LENGTH);
    bool done = SHA256_Update(&ctx, data.data(), data.size()) == 1 && SHA256_Final(digest, &ctx) == 1;
    ctx = outer_;
    done = done && SHA256_Update(&ctx, digest, sizeof digest) == 1 && SHA256_Final(out.data(), &ctx) == 1;
    OPENSSL_cleanse(&ctx, sizeof ctx);
    OPENSSL_cleanse(digest, sizeof digest);
    if (!done) throw CryptoError("HMAC konnte nicht berechnet werden");
    return out;
  }

 private:
  void SetKey(const Bytes& key) {
    Forget();
    // A key longer than a block is replaced by its digest.
    std::uint8_t block[kBlock] = {};
    if (key.size() > kBlock) {
      if (SHA256(key.data(), key.size(), block) == nullptr)
        throw CryptoError("HMAC konnte nicht berechnet werden");
    } else if (!key.empty()) {
      std::memcpy(block, key.data(), key.size());
    }
    std::uint8_t pad[kBlock];
    for (std::size_t i = 0; i < kBlock; ++i) pad[i] = block[i] ^ 0x36;
    bool done = SHA256_Init(&inner_) == 1 && SHA256_Update(&inner_, pad, kBlock) == 1;
    for (std::size_t i = 0; i < kBlock; ++i) pad[i] = block[i] ^ 0x5c;
    done = done && SHA256_Init(&outer_) == 1 && SHA256_Update(&outer_, pad, kBlock) == 1;
    OPENSSL_cleanse(block, sizeof block);
    OPENSSL_cleanse(pad, sizeof pad);
    if (!done) {
      Forget();
      throw CryptoError("HMAC konnte nicht berechnet werden");
    }
    key_ = key;
    keyed_ = true;
  }

  void Forget() {
    if (!key_.empty()) OPENSSL_cleanse(key_.data(), key_.size());
    key_.clear();
    OPENSSL_cleanse(&inner_, sizeof inner_);
    OPENSSL_cleanse(&outer_, sizeof outer_);
    keyed_ = false;
  }

  SHA256_CTX inner_{};
  SHA256_CTX outer_{};
  Bytes key_;
  bool keyed_ = false;
};
#pragma GCC diagnostic pop

}  // namespace

Bytes HmacSha256(const Bytes& key, const Bytes& data) {
  thread_local HmacContext context;
  return context.Compute(key, data);
}

}  // namespace kanvio::platform
