#include <gtest/gtest.h>

#include "FakeShop.h"
#include "shops/ShopCaller.h"
#include "worker/InitShopCommand.h"

namespace kanvio::test {
namespace {

class SilentWorker : public IWorker {
 public:
  void setUserStatusMessage(const std::string&, std::int32_t) override {}
  void SetMaxValue(std::int32_t) override {}
};

TEST(ShopCallerTest, NamesAreComparedExactlyAfterLowerCasing) {
  ShopScript script;
  ScopedFamily<FakeShop> family("testshop2", script);
  SilentWorker worker;
  const std::pair<std::string, bool> cases[] = {
      {"testshop2", true}, {"TestShop2", true}, {"testshop", false}, {" testshop2", false}, {"", false},
  };
  for (const auto& [name, found] : cases) {
    EXPECT_EQ(ShopCaller(name, worker).GetShop() != nullptr, found) << name;
  }
}

TEST(ShopCallerTest, NamesWithoutAFamilyYieldNoConnector) {
  SilentWorker worker;
  for (const char* name : {"xt:commerce", "magento 1.9", "gambio gx", "amazon seller", "e-bay"}) {
    EXPECT_EQ(ShopCaller(name, worker).GetShop(), nullptr) << name;
  }
}

TEST(ShopCallerTest, AmazonInAnyLetterCaseMakesTheAmazonConnector) {
  SilentWorker worker;
  for (const char* name : {"amazon", "Amazon", "AMAZON"}) {
    const auto shop = ShopCaller(name, worker).GetShop();
    ASSERT_NE(shop, nullptr) << name;
    EXPECT_EQ(shop->marketplace(), Marketplace::kAmazon) << name;
  }
}

TEST(ShopCallerTest, ConnectorReportsToTheWorkerThatCreatedIt) {
  ShopScript script;
  IWorker* reported_to = nullptr;
  script.during = [&reported_to](IWorker& w) { reported_to = &w; };
  ScopedFamily<FakeShop> family("testshop", script);
  SilentWorker worker;
  InitShopCommand command("TESTSHOP", worker);
  command.Execute();
  auto shop = command.GetShop();
  ASSERT_NE(shop, nullptr);
  std::string error;
  shop->HoleBestellungenVomShop(error, false);
  EXPECT_EQ(reported_to, &worker);
}

TEST(ShopCallerTest, RegisteringAgainReplacesTheFactory) {
  ShopScript first, second;
  ScopedFamily<FakeShop> a("testshop", first);
  ScopedFamily<FakeEbayShop> b("testshop", second);
  SilentWorker worker;
  auto shop = ShopCaller("testshop", worker).GetShop();
  ASSERT_NE(shop, nullptr);
  EXPECT_EQ(shop->marketplace(), Marketplace::kEbay);
}

}  // namespace
}  // namespace kanvio::test
