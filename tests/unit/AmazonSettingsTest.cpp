#include <gtest/gtest.h>

#include "AmazonTestSupport.h"
#include "FakeClock.h"
#include "HostFolders.h"
#include "shops/amazon/AmazonSettings.h"
#include "shops/amazon/OrderCaller.h"

namespace kanvio {
namespace {

class AmazonSettingsTest : public ::testing::Test {
 protected:
  test::HostFolders host_;
  test::TempDir dir_;
  test::ScopedEnv no_deployment_{"KANVIO_DEPLOYMENT_CONFIG", (dir_ / "none.config").string()};
};

TEST_F(AmazonSettingsTest, OneMarketplaceServesReportsAndOrders) {
  const std::pair<const char*, const char*> cases[] = {
      {"de", "de"}, {"DE", "de"},    {" uk ", "uk"},   {"us", "com"},          {"com", "com"},
      {"es", "es"}, {"fr", "fr"},    {"it", "it"},     {"jp", "jp"},           {"cn", "cn"},
      {"ca", "ca"}, {"de-DE", "de"}, {"en-us", "com"}, {"amazon.co.uk", "uk"}, {"", "de"},
      {"pl", "de"}, {"nl", "de"},
  };
  for (const auto& [language, key] : cases)
    EXPECT_EQ(AmazonSettings::MarketplaceKey(language), key) << language;
  EXPECT_EQ(AmazonSettings::getReportServiceURL("de"), "https://mws-eu.amazonservices.com/");
  EXPECT_EQ(AmazonSettings::getOrderServiceURL("us"), "https://mws.amazonservices.com/Orders/2013-09-01");
  EXPECT_EQ(AmazonSettings::getReportServiceURL("us"), "https://mws.amazonservices.com/");
  // Marketplaces the written substring tests missed still get their orders address.
  for (const char* language : {"es", "fr", "com"})
    EXPECT_NE(AmazonSettings::getOrderServiceURL(language), "") << language;
  EXPECT_EQ(AmazonSettings::getOrderServiceURL("jp"), "https://mws.amazonservices.jp/Orders/2013-09-01");
}

TEST_F(AmazonSettingsTest, DeploymentFilePointsTheAddressesElsewhere) {
  test::MwsDeployment deployment(dir_.path(), "http://127.0.0.1:9/mws");
  EXPECT_EQ(AmazonSettings::getReportServiceURL("uk"), "http://127.0.0.1:9/mws/");
  test::StoreAmazonAccount("A1SELLER", "fr");
  const AmazonSettings settings;
  const auto orders = settings.getAmazonOrderConfig();
  EXPECT_EQ(orders.service_url, "http://127.0.0.1:9/mws/Orders/2013-09-01");
  EXPECT_EQ(orders.seller_parameter, "SellerId");
  EXPECT_EQ(orders.seller_id, "A1SELLER");
  EXPECT_EQ(orders.version, "2013-09-01");
  EXPECT_EQ(orders.user_agent, "marlix/2 (Language=C++)");
  const auto reports = settings.getAmazonReportConfig();
  EXPECT_EQ(reports.seller_parameter, "Merchant");
  EXPECT_EQ(reports.version, "2009-01-01");
  EXPECT_EQ(reports.user_agent, "marlix");
  EXPECT_EQ(reports.access_key_id, "AKIAPLACEHOLDER00000");
}

TEST_F(AmazonSettingsTest, TheDecipheredSecretStaysInMemory) {
  {
    // A plain secret that an older version saved in the user's store.
    Settings old;
    old.set_amazon_secrectAccessKey("geheim-im-klartext");
    old.Save();
  }
  const AmazonSettings settings;
  const std::string secret = settings.getAmazonReportConfig().secret_key;
  EXPECT_FALSE(secret.empty());
  EXPECT_NE(secret, "\"\"");
  EXPECT_EQ(Settings().amazon_secrectAccessKey(), "\"\"");
  const std::string store = test::ReadFile(Settings::StoreFile());
  EXPECT_EQ(store.find(secret), std::string::npos);
  EXPECT_EQ(store.find("geheim-im-klartext"), std::string::npos);
}

TEST_F(AmazonSettingsTest, ReportsAreListedFromTheLocalStartDateInUtc) {
  test::FakeClock clock({2026, 3, 2, 9, 30, 0}, std::chrono::minutes(60));
  test::StoreAmazonAccount("A1", "de", {2026, 2, 1, 0, 30, 0});
  EXPECT_EQ(net::MwsTimestamp(AmazonSettings().DateFromUtc()), "2026-01-31T23:30:00Z");
  test::StoreAmazonAccount("A1", "de", LocalDateTime{});
  EXPECT_EQ(net::MwsTimestamp(AmazonSettings().DateFromUtc()), "2025-12-02T09:30:00Z");
}

TEST_F(AmazonSettingsTest, StatusSwitchesSelectStatesInTheirOrder) {
  const std::pair<const char*, std::vector<std::string>> cases[] = {
      {"", {"Unshipped", "PartiallyShipped"}},
      {"/shipped=1/pending=1", {"Pending", "Shipped"}},
      {"/Canceled=1 /unfulfillable=1", {"Canceled", "Unfulfillable"}},
      {"/unshipped=1/partiallyshipped=1", {"PartiallyShipped", "Unshipped"}},
      {"/pending=0", {"Unshipped", "PartiallyShipped"}},
  };
  for (const auto& [parameter, states] : cases) {
    test::StoreAmazonAccount("A1", "de", {2026, 1, 1, 0, 0, 0}, parameter);
    EXPECT_EQ(OrderCaller().GetOrderStatusToFind(), states) << parameter;
  }
}

}  // namespace
}  // namespace kanvio
