#include "platform/Crypto.h"

#include <openssl/core_names.h>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/params.h>

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
// up again on every call, several times the cost of hashing a request. Each
// thread keeps one context with the key it last saw instead; a request
// signer signs tens of thousands of requests with one key.
class HmacContext {
 public:
  HmacContext() = default;
  HmacContext(const HmacContext&) = delete;
  HmacContext& operator=(const HmacContext&) = delete;
  ~HmacContext() {
    Forget();
    EVP_MAC_CTX_free(ctx_);
    EVP_MAC_free(mac_);
  }

  Bytes Compute(const Bytes& key, const Bytes& data) {
    if (ctx_ == nullptr) {
      mac_ = EVP_MAC_fetch(nullptr, OSSL_MAC_NAME_HMAC, nullptr);
      ctx_ = mac_ != nullptr ? EVP_MAC_CTX_new(mac_) : nullptr;
      if (ctx_ == nullptr) throw CryptoError("HMAC konnte nicht berechnet werden");
    }
    if (!keyed_ || key != key_) {
      Forget();
      // A null key would mean "the previous key": an empty key is handed over
      // as a pointer all the same.
      static const std::uint8_t kEmptyKey = 0;
      char digest[] = "SHA256";
      const OSSL_PARAM params[] = {OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_DIGEST, digest, 0),
                                   OSSL_PARAM_construct_end()};
      if (EVP_MAC_init(ctx_, key.empty() ? &kEmptyKey : key.data(), key.size(), params) != 1)
        throw CryptoError("HMAC konnte nicht berechnet werden");
      key_ = key;
      keyed_ = true;
    } else if (EVP_MAC_init(ctx_, nullptr, 0, nullptr) != 1) {
      Forget();
      throw CryptoError("HMAC konnte nicht berechnet werden");
    }
    Bytes out(EVP_MAX_MD_SIZE);
    std::size_t len = 0;
    if (EVP_MAC_update(ctx_, data.data(), data.size()) != 1 ||
        EVP_MAC_final(ctx_, out.data(), &len, out.size()) != 1) {
      Forget();
      throw CryptoError("HMAC konnte nicht berechnet werden");
    }
    out.resize(len);
    return out;
  }

 private:
  void Forget() {
    if (!key_.empty()) OPENSSL_cleanse(key_.data(), key_.size());
    key_.clear();
    keyed_ = false;
  }

  EVP_MAC* mac_ = nullptr;
  EVP_MAC_CTX* ctx_ = nullptr;
  Bytes key_;
  bool keyed_ = false;
};

}  // namespace

Bytes HmacSha256(const Bytes& key, const Bytes& data) {
  thread_local HmacContext context;
  return context.Compute(key, data);
}

}  // namespace kanvio::platform
