// The exports through the C ABI, as the host calls them.
#include <gtest/gtest.h>

#include "E2eSupport.h"
#include "config/Settings.h"
#include "platform/DynamicLibrary.h"
#include "support/Resources.h"

namespace kanvio::test {
namespace {

using tool::Answer;

const char* const kPlainOperations[] = {"ManageReportSchedule", "ManageReportScheduleFBA",
                                        "GetUnimportedOrdersCount"};
const char* const kFileOperations[] = {"GetOrders",     "GetWebshopArticleList", "GetArticles",
                                       "SetArticles",   "SetOrderStatus",        "SetStockValues",
                                       "SetPriceLists", "SetArticlePrices"};

class ExportsTest : public E2eTest {};

TEST_F(ExportsTest, EveryOperationBeforeInitialisationAnswersNotFound) {
  const auto& library = RealLibrary();
  for (const char* name : kPlainOperations) {
    const Answer answer = library.Call(name);
    EXPECT_EQ(answer.code, -1) << name;
    EXPECT_EQ(answer.text, kNotFound) << name;
  }
  for (const char* name : kFileOperations) {
    const Answer answer = library.Call(name, (dir_ / "datei.xml").string());
    EXPECT_EQ(answer.code, -1) << name;
    EXPECT_EQ(answer.text, kNotFound) << name;
  }
  const Answer reports = library.GetReports();
  EXPECT_EQ(reports.code, -1);
  EXPECT_EQ(reports.text, kNotFound);
  const Answer supported = library.Call("FunctionSupported", "GetOrders");
  EXPECT_EQ(supported.code, -1);
  EXPECT_EQ(supported.text, kNotFound);
}

TEST_F(ExportsTest, ShopNamesAreNormalisedBeforeTheFactory) {
  // Nothing listens on port 1 of the loopback: a connector's check fails at once.
  struct Case {
    std::string host, key;
    bool has_family;
  };
  const Case cases[] = {
      {"xt:Commerce Veyton", "veyton", true},
      {"XT:COMMERCE", "xtcommerce", true},
      {"Angepasst", "individuell", true},
      {"Magento 1.9", "magento 1.9", false},
  };
  for (const auto& [host, key, has_family] : cases) {
    RealLibrary().DeInit();
    const Answer answer = RealLibrary().Init("ledgrox", host, "http://127.0.0.1:1", "admin", "Kennwort-7");
    EXPECT_EQ(Settings().WEBSERVICE_SHOP(), key) << host;
    if (has_family) {
      // A check that fails without an answer still connects; its text goes to the host.
      EXPECT_EQ(answer.code, 1) << host;
      EXPECT_NE(answer.text.find("127.0.0.1:1"), std::string::npos) << answer.text;
    } else {
      EXPECT_EQ(answer.code, -1) << host;
      EXPECT_EQ(answer.text, kNotFound) << host;
    }
  }
}

TEST_F(ExportsTest, TextsCrossTheBoundaryAsUtf16) {
  const std::string file = (dir_ / "Bestellungen für Jürgen €.xml").string();
  RealLibrary().Call("GetOrders", file);
  EXPECT_EQ(Settings().WEBSERVICE_RESULT_FILEPATH(), file);
  EXPECT_EQ(Settings().WEBSERVICE_METHODE(), "GET_ORDERS");
}

TEST_F(ExportsTest, NullPointersFromTheHostAreTolerated) {
  platform::DynamicLibrary library(KANVIO_LIBRARY_PATH);
  auto init = library.Function<decltype(&::Init)>("Init");
  EXPECT_EQ(init(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), -1);
  auto deinit = library.Function<decltype(&::DeInit)>("DeInit");
  EXPECT_EQ(deinit(nullptr), 1);
}

TEST_F(ExportsTest, MarketplaceInitialisations) {
  host_.EnableLogging();
  const auto& library = RealLibrary();
  Answer amazon = library.InitAmazon("ledgrox", "", "de", "", "");
  EXPECT_EQ(amazon.code, -1);
  EXPECT_EQ(amazon.text, Resources::AMAZON_MISSING_MERCHANTID_DATA());
  amazon = library.InitAmazon("ledgrox", "A1B2", "de", "", "");
  EXPECT_EQ(amazon.code, 1);
  EXPECT_EQ(amazon.text, "");

  // eBay cannot be asked whether the token is valid: it stays, and no sign-in opens.
  WriteFile(
      dir_ / "deployment.config",
      "<settings><setting name=\"ebay_apiServerUrl\">http://127.0.0.1:1/ws/api.dll</setting></settings>");
  ScopedEnv deployment("KANVIO_DEPLOYMENT_CONFIG", (dir_ / "deployment.config").string());
  std::string token = "v^1.1#alt";
  const Answer ebay = library.InitEbay("ledgrox", "haendler", "77", "", "False", "", token);
  EXPECT_EQ(ebay.code, -1);
  EXPECT_EQ(ebay.text,
            "Es konnte keine Verbindung zu eBay hergestellt werden, bitte kontrollieren Sie Ihre Daten.");
  EXPECT_EQ(token, "v^1.1#alt");
  EXPECT_EQ(Settings().ebay_token(), "v^1.1#alt");
  EXPECT_NE(host_.Log().find("eBay-Token prüfen: "), std::string::npos) << host_.Log();

  const Answer path = library.Call("SetEbayImportedOrdersPath", (dir_ / "ebay.xml").string());
  EXPECT_EQ(path.code, 1);
  EXPECT_EQ(path.text, "");
  EXPECT_EQ(Settings().ebay_importedOrders(), (dir_ / "ebay.xml").string());
}

TEST_F(ExportsTest, OperationsRunThroughTheWorker) {
  const auto& library = TestShopLibrary();
  ASSERT_EQ(
      library
          .Init("ledgrox", "TestShop", Script("SucheAnzahlOffeneBestellungenImShop=3"), "admin", "Kennwort-7")
          .code,
      1);
  const std::string orders = (dir_ / "orders.xml").string();
  const Answer get = library.Call("GetOrders", orders);
  EXPECT_EQ(get.code, 1);
  EXPECT_EQ(get.text, "");
  EXPECT_EQ(ReadFile(orders), "<?xml version=\"1.0\"?><HoleBestellungenVomShop />");
  EXPECT_EQ(library.Call("GetUnimportedOrdersCount").code, 3);
  EXPECT_EQ(ReadFile(Journal()),
            "testshop KontrolliereVerbindungZumShop\ntestshop HoleBestellungenVomShop\n"
            "testshop SucheAnzahlOffeneBestellungenImShop\n");
  EXPECT_EQ(
      ReadFile(dir_ / "status.log"),
      "maximum: 2\nstatus: Testshop: KontrolliereVerbindungZumShop\nprogress: 1\n"  // posted during Init
      "status: Hole Bestellungen...\n"
      "maximum: 2\nstatus: Testshop: HoleBestellungenVomShop\nprogress: 1\n"
      "status: Neue Bestellungen abgeholt...\n"
      "status: Prüfe ob noch offene Bestellungen vorhanden sind...\n"
      "maximum: 2\nstatus: Testshop: SucheAnzahlOffeneBestellungenImShop\nprogress: 1\n");
}

TEST_F(ExportsTest, SecondInitWithoutDeInitKeepsTheFirstConnector) {
  const auto& library = TestShopLibrary();
  ASSERT_EQ(library.Init("ledgrox", "testshop", Script(), "admin", "Kennwort-7").code, 1);
  EXPECT_EQ(library.Init("ledgrox", "testebay", Script(), "admin", "Kennwort-7").code, 1);
  const Answer answer = library.Call("SetArticles", (dir_ / "articles.xml").string());
  EXPECT_EQ(answer.code, 1);  // the eBay connector would have refused with 0
  EXPECT_EQ(answer.text, "Die Eingabedatei " + (dir_ / "articles.xml").string() + " fehlt.");
}

TEST_F(ExportsTest, FunctionSupportedWithUnknownNameAnswersMinusOneWithoutText) {
  host_.EnableLogging();
  const auto& library = TestShopLibrary();
  ASSERT_EQ(library
                .Init("ledgrox", "testshop", Script("ExportierePreisListenzuArtikel.text=Nicht angeboten"),
                      "admin", "Kennwort-7")
                .code,
            1);
  const Answer unknown = library.Call("FunctionSupported", "GetSomething");
  EXPECT_EQ(unknown.code, -1);
  EXPECT_EQ(unknown.text, "");
  EXPECT_NE(host_.Log().find("GetSomething"), std::string::npos) << host_.Log();
  const Answer price_lists = library.Call("FunctionSupported", "SetPriceLists");
  EXPECT_EQ(price_lists.code, 1);
  EXPECT_EQ(price_lists.text, "Nicht angeboten");
}

}  // namespace
}  // namespace kanvio::test
