// The platform's primitives against published figures, so that the OpenSSL
// and the BCrypt build answer alike.
#include <gtest/gtest.h>

#include "platform/Crypto.h"
#include "support/Error.h"

namespace kanvio::platform {
namespace {

const Bytes kNistIv = FromHex("000102030405060708090a0b0c0d0e0f");
const Bytes kNistBlock = FromHex("6bc1bee22e409f96e93d7e117393172a");

TEST(CryptoTest, DigestsMatchPublishedValues) {
  EXPECT_EQ(ToHex(Sha1(ToBytes("abc"))), "a9993e364706816aba3e25717850c26c9cd0d89d");
  EXPECT_EQ(ToHex(Md5(ToBytes("abc"))), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(ToHex(Sha1({})), "da39a3ee5e6b4b0d3255bfef95601890afd80709");
  EXPECT_EQ(ToHex(HmacSha256(ToBytes("Jefe"), ToBytes("what do ya want for nothing?"))),
            "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843");
  EXPECT_EQ(ToHex(HmacSha256({}, {})), "b613679a0814d9ec772f95d778c35fc5ff1697c493715653c6c712144292c5ad");
}

// One signer reuses its key for many messages; another key, an empty one or
// a key longer than a block must not see anything of the one before.
TEST(CryptoTest, HmacGivesEachMessageItsOwnKeysValueInAnyOrder) {
  const Bytes jefe = ToBytes("Jefe");
  const Bytes short_key(20, 0x0b);
  const Bytes long_key(131, 0xaa);
  const std::string jefe_mac = "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843";
  const std::string short_mac = "b0344c61d8db38535ca8afceaf0bf12b881dc200c9833da726e9376c2e32cff7";
  const std::string long_mac = "60e431591ee0b67f0d8a26aacbf5b77f8e0bc6213728c5140546040f0ee37f54";
  const std::string empty_mac = "b613679a0814d9ec772f95d778c35fc5ff1697c493715653c6c712144292c5ad";
  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ(ToHex(HmacSha256(jefe, ToBytes("what do ya want for nothing?"))), jefe_mac);
    EXPECT_EQ(ToHex(HmacSha256(jefe, ToBytes("what do ya want for nothing?"))), jefe_mac);
    EXPECT_EQ(ToHex(HmacSha256(short_key, ToBytes("Hi There"))), short_mac);
    EXPECT_EQ(ToHex(HmacSha256({}, {})), empty_mac);
    EXPECT_EQ(ToHex(HmacSha256(long_key, ToBytes("Test Using Larger Than Block-Size Key - Hash Key First"))),
              long_mac);
    EXPECT_EQ(ToHex(HmacSha256({}, {})), empty_mac);
    // A key of exactly one block is used as it is, one byte more is hashed first.
    EXPECT_EQ(ToHex(HmacSha256(Bytes(64, 0x0c), ToBytes("Hi There"))),
              "423db8a45c2a4db49b0fcc25fcc79357abfc09a58820579959a57e9c7611ecf0");
    EXPECT_EQ(ToHex(HmacSha256(Bytes(65, 0x0c), ToBytes("Hi There"))),
              "c37bdaad29dc27260a7b61c5175b27ce9b2d9e049566f8da7df357586fbf8223");
  }
}

TEST(CryptoTest, AesCbcMatchesPublishedBlocksForEveryKeyLength) {
  const struct {
    const char* key;
    const char* cipher;
  } cases[] = {
      {"2b7e151628aed2a6abf7158809cf4f3c", "7649abac8119b246cee98e9b12e9197d"},
      {"8e73b0f7da0e6452c810f32b809079e562f8ead2522c6b7b", "4f021db243bc633d7178183a9fa071e8"},
      {"603deb1015ca71be2b73aef0857d77811f352c073b6108d72d9810a30914dff4",
       "f58c4c04d6e5f1ba779eabfb5f7bfbd6"},
  };
  for (const auto& c : cases) {
    const Bytes key = FromHex(c.key);
    EXPECT_EQ(ToHex(AesCbcEncrypt(key, kNistIv, kNistBlock, Padding::kZero)), c.cipher) << c.key;
    EXPECT_EQ(AesCbcDecrypt(key, kNistIv, FromHex(c.cipher), Padding::kZero), kNistBlock) << c.key;
  }
}

TEST(CryptoTest, PaddingsRoundTripAndZeroPaddingKeepsItsZeros) {
  const Bytes key = FromHex("2b7e151628aed2a6abf7158809cf4f3c");
  for (const std::string plain :
       {"", "abc", "exactly 16 bytes", "Prüfung mit Umlauten, länger als ein Block"}) {
    const Bytes pkcs7 = AesCbcEncrypt(key, kNistIv, ToBytes(plain), Padding::kPkcs7);
    EXPECT_EQ(pkcs7.size(), (plain.size() / 16 + 1) * 16) << plain;
    EXPECT_EQ(ToString(AesCbcDecrypt(key, kNistIv, pkcs7, Padding::kPkcs7)), plain);

    const Bytes zero = AesCbcEncrypt(key, kNistIv, ToBytes(plain), Padding::kZero);
    EXPECT_EQ(zero.size(), (plain.size() + 15) / 16 * 16) << plain;
    std::string padded = plain;
    padded.resize(zero.size(), '\0');
    EXPECT_EQ(ToString(AesCbcDecrypt(key, kNistIv, zero, Padding::kZero)), padded);
  }
}

TEST(CryptoTest, BadKeysIvsAndCipherTextsAreRefused) {
  const Bytes key = FromHex("2b7e151628aed2a6abf7158809cf4f3c");
  // The published block decrypts to a last byte of 0x2a: no valid PKCS#7 padding.
  const Bytes unpadded = FromHex("7649abac8119b246cee98e9b12e9197d");
  EXPECT_THROW(AesCbcEncrypt(Bytes(15, 1), kNistIv, kNistBlock, Padding::kPkcs7), CryptoError);
  EXPECT_THROW(AesCbcDecrypt(Bytes(33, 1), kNistIv, unpadded, Padding::kZero), CryptoError);
  EXPECT_THROW(AesCbcEncrypt(key, Bytes(8, 0), kNistBlock, Padding::kPkcs7), CryptoError);
  EXPECT_THROW(AesCbcDecrypt(key, kNistIv, unpadded, Padding::kPkcs7), CryptoError);
  EXPECT_THROW(AesCbcDecrypt(key, kNistIv, Bytes(17, 0), Padding::kPkcs7), CryptoError);
  EXPECT_THROW(AesCbcDecrypt(key, kNistIv, Bytes(15, 0), Padding::kZero), CryptoError);
  EXPECT_THROW(AesCbcDecrypt(key, kNistIv, {}, Padding::kPkcs7), CryptoError);
}

TEST(CryptoTest, Base64AndHexRoundTripAndRefuseGarbage) {
  const Bytes all = [] {
    Bytes bytes;
    for (int i = 0; i < 256; ++i) bytes.push_back(static_cast<std::uint8_t>(i));
    return bytes;
  }();
  EXPECT_EQ(Base64Decode(Base64Encode(all)), all);
  EXPECT_EQ(Base64Encode(ToBytes("Ma")), "TWE=");
  EXPECT_EQ(Base64Encode(ToBytes("M")), "TQ==");
  EXPECT_EQ(Base64Encode(ToBytes("Man")), "TWFu");
  EXPECT_EQ(Base64Encode({}), "");
  EXPECT_EQ(ToString(Base64Decode(" TW\r\nE= ")), "Ma");
  EXPECT_EQ(FromHex(ToHex(all)), all);
  for (const char* garbage : {"TWE", "T*E=", "TW=E", "TWE===="})
    EXPECT_THROW(Base64Decode(garbage), CryptoError) << garbage;
  EXPECT_THROW(FromHex("abc"), CryptoError);
  EXPECT_THROW(FromHex("zz"), CryptoError);
}

}  // namespace
}  // namespace kanvio::platform
