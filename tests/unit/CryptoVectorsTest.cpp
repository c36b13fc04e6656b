// The key routine and the shop-side decryption against figures computed by an
// independent implementation.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

#include "TestSupport.h"
#include "platform/Crypto.h"
#include "support/CipherUtility.h"
#include "support/Error.h"
#include "support/KeyRoutine.h"
#include "support/PasswordDeriveBytes.h"
#include "support/Text.h"

namespace kanvio {
namespace {

using Fields = std::map<std::string, std::string>;

std::vector<Fields> Vectors(const std::string& kind) {
  std::ifstream in(test::TestVectorsDir() / "crypto.tsv");
  std::vector<Fields> out;
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream cols(line);
    std::string col;
    std::getline(cols, col, '\t');
    if (col != kind) continue;
    Fields f;
    while (std::getline(cols, col, '\t')) {
      auto eq = col.find('=');
      f[col.substr(0, eq)] = col.substr(eq + 1);
    }
    out.push_back(f);
  }
  return out;
}

TEST(CryptoVectorsTest, SecondRequestRepeatsLeftoverBytesFromTheQuirkyOffset) {
  for (const auto& v : Vectors("keyroutine")) {
    PasswordDeriveBytes derive(v.at("pass"), platform::FromHex(v.at("salt")), 100);
    EXPECT_EQ(platform::ToHex(derive.GetBytes(32)), v.at("key"));
    EXPECT_EQ(platform::ToHex(derive.GetBytes(16)), v.at("iv"));
  }
}

TEST(CryptoVectorsTest, KeyRoutineDeciphersAndEnciphersEveryVector) {
  auto vectors = Vectors("keyroutine");
  ASSERT_GE(vectors.size(), 3u);
  for (const auto& v : vectors) {
    const auto salt = platform::FromHex(v.at("salt"));
    EXPECT_EQ(DecipherWithKeyRoutine(v.at("cipher"), v.at("pass"), salt), v.at("plain"));
    EXPECT_EQ(EncipherWithKeyRoutine(v.at("plain"), v.at("pass"), salt), v.at("cipher"));
  }
}

TEST(CryptoVectorsTest, KeyRoutineRejectsDamagedText) {
  const auto v = Vectors("keyroutine").at(1);
  const auto salt = platform::FromHex(v.at("salt"));
  std::string damaged = v.at("cipher");
  damaged[damaged.size() - 5] = damaged[damaged.size() - 5] == 'A' ? 'B' : 'A';
  EXPECT_THROW(DecipherWithKeyRoutine(damaged, v.at("pass"), salt), CryptoError);
  EXPECT_THROW(DecipherWithKeyRoutine("not base64!", v.at("pass"), salt), CryptoError);
}

TEST(CryptoVectorsTest, ShopSideDecryptionMatchesEveryVector) {
  auto vectors = Vectors("php");
  ASSERT_GE(vectors.size(), 2u);
  for (const auto& v : vectors) {
    // "\n" in the file stands for a line break; decryption joins the lines.
    const std::string plain = text::ReplaceAll(v.at("plain"), "\\n", "\n");
    EXPECT_EQ(CipherUtility::DecryptPhp(v.at("cipher"), v.at("password"), v.at("iv")),
              text::ReplaceAll(plain, "\n", ""));
    EXPECT_EQ(CipherUtility::EncryptPhp(plain, v.at("password"), v.at("iv")), v.at("cipher"));
  }
}

}  // namespace
}  // namespace kanvio
