#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <optional>
#include <system_error>
#include <thread>
#include <tuple>

#include "FakeShop.h"
#include "HostFolders.h"
#include "TestSupport.h"
#include "config/Settings.h"
#include "entry/ShopService.h"
#include "platform/Environment.h"
#include "support/Resources.h"
#include "worker/formWorker.h"

namespace kanvio::test {
namespace {

const std::string kNotFound =
    "Der von Ihnen gewählte Webshop wurde im System nicht gefunden, bitte wählen Sie einen anderen aus.";
const std::string kNoConnection =
    "Es konnte keine Verbindung zum Webshop hergestellt werden. Bitte kontrollieren Sie Ihre Einstellungen";
const std::string kAmazonText = "Diese Funktion wird von Amazon derzeitig nicht untersützt.";
const std::string kEbayText = "Diese Funktion wird von eBay derzeitig nicht untersützt.";

// The exports that the marketplaces refuse, with the result of the refusal.
struct GuardedExport {
  std::string name;
  std::function<std::int32_t(std::string& error)> call;
  std::int32_t refused;
};

std::vector<GuardedExport> GuardedExports() {
  using S = ShopService;
  return {
      {"GetUnimportedOrdersCount", [](std::string& e) { return S::GetUnimportedOrdersCount(e); }, 0},
      {"GetWebshopArticleList", [](std::string& e) { return S::GetWebshopArticleList("", e); }, 1},
      {"SetArticles", [](std::string& e) { return S::SetArticles("", e); }, 0},
      {"SetOrderStatus", [](std::string& e) { return S::SetOrderStatus("", e); }, 0},
      {"SetStockValues", [](std::string& e) { return S::SetStockValues("", e); }, 0},
      {"SetPriceLists", [](std::string& e) { return S::SetPriceLists("", e); }, 0},
      {"SetArticlePrices", [](std::string& e) { return S::SetArticlePrices("", e); }, 0},
  };
}

class ShopServiceTest : public ::testing::Test {
 protected:
  HostFolders host_;
  TempDir dir_;
  ScopedEnv pause_{"KANVIO_WORKER_PAUSE_MS", "0"};
  ScopedEnv status_{"KANVIO_STATUS_LOG", std::nullopt};
  ShopScript script_;
  ScopedFamily<FakeShop> family_{"fake", script_};
  std::string error_ = "vom Aufrufer";

  void SetUp() override { ShopService::DeInit(error_); }
  void TearDown() override { ShopService::DeInit(error_); }

  std::int32_t Init(const std::string& shop) {
    return ShopService::InitShop("Ledgrox", shop, "https://shop.example/", "admin", "geheim", error_);
  }
};

TEST_F(ShopServiceTest, HostShopNamesBecomeFactoryKeys) {
  const std::pair<std::string, std::string> cases[] = {
      {"xt:Commerce Veyton", "veyton"},
      {"XT:Commerce 3.04", "xtcommerce"},
      {"Gambio GX2", "gambio"},
      {"Koobi 7", "koobi"},
      {"ecodoo", "ecodoo"},
      {"Xaran Shop", "xaran"},
      {"Magento 2.1", "magento2"},
      {"Magento 1.9", "magento 1.9"},
      {"Shopware 4.3", "shopware4"},
      {"Shopware 5", "shopware 5"},
      {"VirtueMart 2.0", "virtuemart2"},
      {"VirtueMart", "virtuemart"},
      {"Individuell angepasst", "individuell"},
      {"ePages", "epages"},
      {"Strato", "strato"},
  };
  for (const auto& [host, key] : cases) EXPECT_EQ(ShopService::NormaliseShopName(host), key) << host;
}

TEST_F(ShopServiceTest, InitAnswersByTheConnectionCheck) {
  struct Case {
    std::string label;
    std::int32_t check;
    bool throws;
    std::string connector_text;
    std::int32_t result;
    std::string error;
  };
  const Case cases[] = {
      {"works", 1, false, "", 1, ""},
      {"rejected content", 0, false, "", 1, ""},
      {"script failure", -2, false, "Zeitüberschreitung", 1, "Zeitüberschreitung"},
      {"no connection", -1, false, "Zeitüberschreitung", -1, kNoConnection},
      {"raises with text", 1, true, "SSL-Fehler", -1, "SSL-Fehler"},
      {"raises without text", 1, true, "", -1, kNotFound},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    ShopService::DeInit(error_);
    script_.results = {{"KontrolliereVerbindungZumShop", c.check}};
    script_.texts = {{"KontrolliereVerbindungZumShop", c.connector_text}};
    script_.throws.clear();
    if (c.throws) script_.throws.insert("KontrolliereVerbindungZumShop");
    EXPECT_EQ(Init("Fake"), c.result);
    EXPECT_EQ(error_, c.error);
    EXPECT_EQ(script_.calls.back(), "KontrolliereVerbindungZumShop");
  }
}

TEST_F(ShopServiceTest, FailedCheckDropsTheConnectorButKeepsTheWorker) {
  script_.results = {{"KontrolliereVerbindungZumShop", -1}};
  ASSERT_EQ(Init("fake"), -1);
  EXPECT_EQ(ShopService::GetOrders("", error_), -1);
  EXPECT_EQ(error_, kNotFound);
  script_.results.clear();
  EXPECT_EQ(Init("fake"), -1);  // the worker is still there, so no connector is made
  EXPECT_EQ(error_, kNotFound);
}

TEST_F(ShopServiceTest, ConnectionCheckRunsOnTheCallingThread) {
  std::thread::id checked_on;
  script_.during = [&checked_on](IWorker&) { checked_on = std::this_thread::get_id(); };
  ASSERT_EQ(Init("fake"), 1);
  EXPECT_EQ(checked_on, std::this_thread::get_id());
  Settings settings;
  EXPECT_EQ(settings.WEBSERVICE_SHOP(), "fake");
  EXPECT_EQ(settings.WEBSERVICE_URL(), "https://shop.example");
  EXPECT_EQ(settings.ERP_SYSTEM(), "ledgrox");
  EXPECT_EQ(settings.WEBSERVICE_LOGIN(), "admin");
}

TEST_F(ShopServiceTest, OperationAnswersOneWithTheConnectorsText) {
  ASSERT_EQ(Init("fake"), 1);
  script_.results = {{"HoleBestellungenVomShop", -1}};
  script_.texts = {{"HoleBestellungenVomShop", "Das Skript antwortet nicht."}};
  const auto file = (dir_ / "Bestellungen.xml").string();
  EXPECT_EQ(ShopService::GetOrders(file, error_), 1);
  EXPECT_EQ(error_, "Das Skript antwortet nicht.");
  Settings settings;
  EXPECT_EQ(settings.WEBSERVICE_METHODE(), "GET_ORDERS");
  EXPECT_EQ(settings.WEBSERVICE_RESULT_FILEPATH(), file);
  EXPECT_EQ(settings.WEBSERVICE_INPUTORDERS_FILEPATH(), file);
}

TEST_F(ShopServiceTest, OpenOrdersCountIsTheResult) {
  ASSERT_EQ(Init("fake"), 1);
  const std::tuple<std::int32_t, std::int32_t, std::string> cases[] = {
      {5, 5, ""},
      {0, 0, ""},
      {-1, -1, "Die Anzahl der offenen Bestellungen konnte nicht ermittelt werden."},
      {-10, 1, ""}};
  for (const auto& [count, result, error] : cases) {
    script_.results = {{"SucheAnzahlOffeneBestellungenImShop", count}};
    EXPECT_EQ(ShopService::GetUnimportedOrdersCount(error_), result) << count;
    EXPECT_EQ(error_, error) << count;
  }
  EXPECT_EQ(Settings().WEBSERVICE_RESULT_FILEPATH(), "");
}

TEST_F(ShopServiceTest, MarketplacesAnswerWhatTheyDoNotOffer) {
  ScopedFamily<FakeAmazonShop> amazon("fakeamazon", script_);
  ScopedFamily<FakeEbayShop> ebay("fakeebay", script_);
  const std::pair<std::string, std::string> marketplaces[] = {{"fakeamazon", kAmazonText},
                                                              {"fakeebay", kEbayText}};
  for (const auto& [shop, text] : marketplaces) {
    ShopService::DeInit(error_);
    ASSERT_EQ(Init(shop), 1);
    for (const auto& [name, call, refused] : GuardedExports()) {
      script_.calls.clear();
      std::string error;
      EXPECT_EQ(call(error), refused) << shop << " " << name;
      EXPECT_EQ(error, text) << shop << " " << name;
      EXPECT_TRUE(script_.calls.empty()) << shop << " " << name;
    }
    script_.calls.clear();
    EXPECT_EQ(ShopService::FunctionSupported("GetOrders", error_), 1);
    EXPECT_EQ(error_, text);
    EXPECT_TRUE(script_.calls.empty());
    EXPECT_EQ(ShopService::GetOrders("", error_), 1);  // not guarded
    EXPECT_EQ(script_.calls, std::vector<std::string>{"HoleBestellungenVomShop"});
  }
}

TEST_F(ShopServiceTest, FunctionSupportedAsksTheMatchingOperation) {
  ASSERT_EQ(Init("fake"), 1);
  const std::pair<std::string, std::string> cases[] = {
      {"GetUnimportedOrdersCount", "SucheAnzahlOffeneBestellungenImShop"},
      {"GetOrders", "HoleBestellungenVomShop check"},
      {"GetWebshopArticleList", "HoleArtikellisteVomShop check"},
      {"GetArticles", "HoleArtikelVomShop check"},
      {"CHECKCON", "KontrolliereVerbindungZumShop check"},
      {"SetArticles", "ExportArtikelZumShop check"},
      {"SetArticlePrices", "SetzeArtikelPreise check"},
      {"SetOrderStatus", "SetzeBestellstatus check"},
      {"SetzeBestellstatusVonOrderID", "SetzeBestellstatusVonOrderID check"},
      {"SetStockValues", "SetzeLagerbestand check"},
      {"SetPriceLists", "ExportierePreisListenzuArtikel check"},
  };
  for (const auto& [name, call] : cases) {
    script_.calls.clear();
    EXPECT_EQ(ShopService::FunctionSupported(name, error_), 1) << name;
    EXPECT_EQ(script_.calls, std::vector<std::string>{call}) << name;
  }
  EXPECT_EQ(script_.order_ids, std::vector<std::string>{""});

  const std::string unsupported = "Der von Ihnen gewählte Webshop unterstützt diese Funktion nicht.";
  script_.results = {{"ExportierePreisListenzuArtikel", -2}};
  script_.texts = {{"ExportierePreisListenzuArtikel", unsupported}};
  EXPECT_EQ(ShopService::FunctionSupported("SetPriceLists", error_), 1);
  EXPECT_EQ(error_, unsupported);

  for (const char* unknown : {"setpricelists", "DeInit", ""}) {
    EXPECT_THROW(ShopService::FunctionSupported(unknown, error_), Error) << unknown;
  }
}

// Failures that once reached the host as success: each answers -1 with a
// text, and a count of the operation before (3) never answers for it.
TEST_F(ShopServiceTest, FailedOperationsAnswerMinusOneWithAText) {
  using S = ShopService;
  struct Case {
    std::string label;
    std::function<void(ShopScript&)> arrange;
    bool start_fails;
    std::function<std::int32_t(std::string&)> call;
    std::string error;
  };
  const std::string not_started = "Der Vorgang konnte nicht gestartet werden. Bitte versuchen Sie es erneut.";
  const Case cases[] = {
      {"task cannot start", [](ShopScript&) {}, true, [](std::string& e) { return S::GetOrders("", e); },
       not_started},
      {"task of a count cannot start", [](ShopScript&) {}, true,
       [](std::string& e) { return S::GetUnimportedOrdersCount(e); }, not_started},
      {"count raises", [](ShopScript& s) { s.throws = {"SucheAnzahlOffeneBestellungenImShop"}; }, false,
       [](std::string& e) { return S::GetUnimportedOrdersCount(e); },
       "SucheAnzahlOffeneBestellungenImShop ist fehlgeschlagen"},
      {"count fails without a text",
       [](ShopScript& s) {
         s.results = {{"SucheAnzahlOffeneBestellungenImShop", -1}};
       },
       false, [](std::string& e) { return S::GetUnimportedOrdersCount(e); },
       "Die Anzahl der offenen Bestellungen konnte nicht ermittelt werden."},
  };
  host_.EnableLogging();
  ASSERT_EQ(Init("fake"), 1);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    script_ = {};
    script_.results = {{"SucheAnzahlOffeneBestellungenImShop", 3}};
    script_.texts = {{"SucheAnzahlOffeneBestellungenImShop", "vom letzten Mal"}};
    ASSERT_EQ(S::GetUnimportedOrdersCount(error_), 3);
    script_ = {};
    c.arrange(script_);
    std::optional<formWorker::ScopedTaskStart> refused;
    if (c.start_fails)
      refused.emplace([](std::function<void()>) -> std::thread {
        throw std::system_error(EAGAIN, std::generic_category(), "kein Thread");
      });
    EXPECT_EQ(c.call(error_), -1);
    EXPECT_EQ(error_, c.error);
    EXPECT_EQ(script_.calls.empty(), c.start_fails);
    EXPECT_EQ(host_.Log().find("Error - kein Thread") != std::string::npos, c.start_fails) << host_.Log();
    std::filesystem::remove(host_.LogFile());
  }
}

TEST_F(ShopServiceTest, FunctionSupportedNeverAnswersNoWithAnEmptyText) {
  const std::string unsupported = "Der von Ihnen gewählte Webshop unterstützt diese Funktion nicht.";
  struct Case {
    std::string function;
    std::string operation;
    std::int32_t answer;
    std::string text;
    std::string error;
  };
  const Case cases[] = {
      {"GetOrders", "HoleBestellungenVomShop", 1, "", ""},
      {"GetOrders", "HoleBestellungenVomShop", 0, "", unsupported},
      {"SetArticles", "ExportArtikelZumShop", -1, "", unsupported},
      {"SetzeBestellstatusVonOrderID", "SetzeBestellstatusVonOrderID", 0, "", unsupported},
      {"SetPriceLists", "ExportierePreisListenzuArtikel", -2, "Eigener Text", "Eigener Text"},
      {"CHECKCON", "KontrolliereVerbindungZumShop", -1, "", kNoConnection},
      {"CHECKCON", "KontrolliereVerbindungZumShop", -2, "Zeitüberschreitung", "Zeitüberschreitung"},
      // The count row runs the real count: no open orders says nothing about support.
      {"GetUnimportedOrdersCount", "SucheAnzahlOffeneBestellungenImShop", 0, "", ""},
      {"GetUnimportedOrdersCount", "SucheAnzahlOffeneBestellungenImShop", -1, "", ""},
  };
  ASSERT_EQ(Init("fake"), 1);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.function + " -> " + std::to_string(c.answer));
    script_.results = {{c.operation, c.answer}};
    script_.texts = {{c.operation, c.text}};
    EXPECT_EQ(ShopService::FunctionSupported(c.function, error_), 1);
    EXPECT_EQ(error_, c.error);
  }
}

TEST_F(ShopServiceTest, InitWhoseConnectionDataCannotBeStoredLeavesNoConnector) {
  const std::string store = Settings::StoreFile().parent_path().string();
  WriteFile(dir_ / "blocked", "");  // a file where the store's folder would have to be
  ScopedEnv restore("KANVIO_USER_CONFIG_DIR", store);
  // The connector is made between the two saves of Init; the second one fails.
  ShopCaller::Register("storebreaker", [this](IWorker& worker) {
    platform::SetEnvironment("KANVIO_USER_CONFIG_DIR", (dir_ / "blocked" / "store").string());
    return std::make_unique<FakeShop>(worker, script_);
  });
  EXPECT_ANY_THROW(Init("storebreaker"));  // the export's guard answers -1
  ShopCaller::Unregister("storebreaker");
  platform::SetEnvironment("KANVIO_USER_CONFIG_DIR", store);

  EXPECT_EQ(ShopService::GetOrders((dir_ / "orders.xml").string(), error_), -1);
  EXPECT_EQ(error_, kNotFound);
  EXPECT_TRUE(script_.calls.empty());
}

TEST_F(ShopServiceTest, InitAmazonWithoutMerchantIdStoresNothing) {
  EXPECT_EQ(ShopService::InitAmazon("ledgrox", "", "en", "01.02.2026", "", error_), -1);
  EXPECT_EQ(error_, Resources::AMAZON_MISSING_MERCHANTID_DATA());
  EXPECT_EQ(Settings().amazon_language(), "");
}

TEST_F(ShopServiceTest, InitAmazonStoresTheAccountEvenWithoutConnector) {
  // A build without the Amazon family.
  const auto family = ShopCaller::Register("amazon", [](IWorker&) { return std::unique_ptr<IShop>(); });
  struct Restore {
    ShopCaller::Factory factory;
    ~Restore() { ShopCaller::Register("amazon", std::move(factory)); }
  } restore{family};
  EXPECT_EQ(ShopService::InitAmazon("VD", "A1B2C3", "", "08.12.2026 10:15:30", "FBA;Test", error_), -1);
  EXPECT_EQ(error_,
            "Es konnte keine Verbindung zu Amazon hergestellt werden, bitte kontrollieren Sie Ihre Daten.");
  Settings settings;
  EXPECT_EQ(settings.amazon_merchantId(), "A1B2C3");
  EXPECT_EQ(settings.amazon_merchant_kind(), "sc");
  EXPECT_EQ(settings.amazon_language(), "de");
  EXPECT_EQ(settings.amazon_dateFrom(), (LocalDateTime{2026, 12, 8, 10, 15, 30}));
  EXPECT_EQ(settings.amazon_parameter(), "fba;test");
  EXPECT_EQ(settings.ERP_SYSTEM(), "vd");
  EXPECT_EQ(settings.WEBSERVICE_SHOP(), "amazon");
}

TEST_F(ShopServiceTest, InitAmazonWithUnreadableDateTakesTheCurrentTime) {
  const LocalDateTime before = LocalDateTime::Now();
  ShopService::InitAmazon("ledgrox", "A1", "en", "gestern", "", error_);
  const LocalDateTime stored = Settings().amazon_dateFrom();
  EXPECT_LE(before, stored);
  EXPECT_LE(stored, LocalDateTime::Now());
  EXPECT_EQ(Settings().amazon_language(), "en");
}

TEST_F(ShopServiceTest, InitAmazonConnectsTheAmazonConnector) {
  ScopedFamily<FakeAmazonShop> amazon("amazon", script_);
  EXPECT_EQ(ShopService::InitAmazon("ledgrox", "A1", "", "", "", error_), 1);
  EXPECT_EQ(error_, "");
  EXPECT_TRUE(script_.calls.empty());  // no connection check
  EXPECT_EQ(ShopService::SetArticles("", error_), 0);
  EXPECT_EQ(error_, kAmazonText);
}

TEST_F(ShopServiceTest, InitAmazonReplacesAConnectionOfAnotherKind) {
  ASSERT_EQ(Init("fake"), 1);
  ScopedFamily<FakeAmazonShop> amazon("amazon", script_);
  EXPECT_EQ(ShopService::InitAmazon("ledgrox", "A1", "", "", "", error_), 1);
  EXPECT_EQ(ShopService::SetArticles("", error_), 0);
  EXPECT_EQ(error_, kAmazonText);
  EXPECT_EQ(Settings().WEBSERVICE_SHOP(), "amazon");
}

TEST_F(ShopServiceTest, ImportedOrdersPathNeedsNoConnection) {
  EXPECT_EQ(ShopService::SetEbayImportedOrdersPath("C:\\Daten\\ebay.xml", error_), 1);
  EXPECT_EQ(Settings().ebay_importedOrders(), "C:\\Daten\\ebay.xml");
}

TEST_F(ShopServiceTest, DeInitReleasesTheConnection) {
  ASSERT_EQ(Init("fake"), 1);
  EXPECT_EQ(ShopService::DeInit(error_), 1);
  EXPECT_EQ(error_, "");
  EXPECT_EQ(ShopService::GetOrders("", error_), -1);
  EXPECT_EQ(error_, kNotFound);
}

}  // namespace
}  // namespace kanvio::test
