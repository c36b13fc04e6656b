#include <gtest/gtest.h>

#include "TestSupport.h"
#include "config/ParameterValidator.h"
#include "config/Settings.h"
#include "support/DeploymentDefaults.h"
#include "support/Error.h"

namespace kanvio {
namespace {

TEST(ParameterValidatorTest, ShippedPlaceholdersDecipherToPlaceholderTexts) {
  for (const char* key :
       {KANVIO_EBAY_KEY_APPID_PRODUCTION, KANVIO_EBAY_KEY_APPID_SANDBOX, KANVIO_EBAY_KEY_CERTID_PRODUCTION,
        KANVIO_EBAY_KEY_CERTID_SANDBOX, KANVIO_EBAY_KEY_DEVID, KANVIO_EBAY_KEY_RUNAME_PRODUCTION,
        KANVIO_EBAY_KEY_RUNAME_SANDBOX}) {
    EXPECT_EQ(ParameterValidator::CalcKey(key).rfind("Platzhalter-", 0), 0u) << key;
  }
  EXPECT_EQ(std::string(KANVIO_AMAZON_VALIDATIONKEY).size(), 128u);
  EXPECT_EQ(std::string(KANVIO_KEYROUTINE_PASSPHRASE).size(), 63u);
  EXPECT_EQ(std::string(KANVIO_KEYROUTINE_SALT).size(), 22u);
  EXPECT_EQ(std::string(KANVIO_SHOP_CIPHER_IV).size(), 16u);
}

TEST(ParameterValidatorTest, CalculatekeyStoresTheDecipheredSecretKey) {
  test::TempDir dir;
  test::ScopedEnv store("KANVIO_USER_CONFIG_DIR", dir.path().string());
  EXPECT_EQ(Settings().amazon_secrectAccessKey(), "\"\"");
  ParameterValidator::Calculatekey();
  EXPECT_EQ(Settings().amazon_secrectAccessKey(), "PLATZHALTER-KEIN-ECHTER-SCHLUESSEL-00000");
}

TEST(ParameterValidatorTest, DamagedKeyRaises) {
  EXPECT_THROW(ParameterValidator::CalcKey("AAAAAAAAAAAAAAAAAAAAAA=="), Error);
  EXPECT_THROW(ParameterValidator::CalcKey("kein Base64"), Error);
}

}  // namespace
}  // namespace kanvio
