#include <gtest/gtest.h>

#include "support/CipherUtility.h"
#include "support/Error.h"

namespace kanvio {
namespace {

constexpr const char* kIv = "QwErTyUiOpAsDfGh";

TEST(CipherUtilityTest, PasswordOfSixteenBytesIsTheKeyUnpadded) {
  // A 16-byte password padded to 32 would give another cipher text.
  const std::string password = "0123456789abcdef";
  const auto cipher = CipherUtility::EncryptPhp("<a/>", password, kIv);
  EXPECT_EQ(CipherUtility::DecryptPhp(cipher, password, kIv), "<a/>");
  const auto padded_key = CipherUtility::EncryptPhp("<a/>", password + std::string(16, '\0'), kIv);
  EXPECT_NE(cipher, padded_key);
}

TEST(CipherUtilityTest, LinesAreJoinedWithTheirPaddingRemoved) {
  const auto cipher = CipherUtility::EncryptPhp(std::string("ab\0\0\r\ncd\0\nef", 12), "pw", kIv);
  EXPECT_EQ(CipherUtility::DecryptPhp(cipher, "pw", kIv), "abcdef");
  const auto with_bom = CipherUtility::EncryptPhp("\xEF\xBB\xBFx\ny", "pw", kIv);
  EXPECT_EQ(CipherUtility::DecryptPhp(with_bom, "pw", kIv), "xy");
}

TEST(CipherUtilityTest, UnusableKeysAndInputFail) {
  const auto cipher = CipherUtility::EncryptPhp("x", "pw", kIv);
  EXPECT_THROW(CipherUtility::DecryptPhp(cipher, "", kIv), CryptoError);
  EXPECT_THROW(CipherUtility::DecryptPhp(cipher, std::string(33, 'p'), kIv), CryptoError);
  EXPECT_THROW(CipherUtility::DecryptPhp("@@@@", "pw", kIv), CryptoError);
  EXPECT_THROW(CipherUtility::DecryptPhp("QUJD", "pw", kIv), CryptoError);  // 3 bytes: not whole blocks
}

}  // namespace
}  // namespace kanvio
