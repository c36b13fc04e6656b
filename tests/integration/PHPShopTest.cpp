// The PHP shop family against the shop simulator on loopback.
#include <gtest/gtest.h>

#include <functional>
#include <mutex>
#include <pugixml.hpp>

#include "FakeServer.h"
#include "SelfSignedCertificate.h"
#include "ShopSimulator.h"
#include "ShopTestSupport.h"
#include "TestSupport.h"
#include "config/ConfigFileWriter.h"
#include "config/Settings.h"
#include "shops/ShopCaller.h"
#include "shops/ShopRequests.h"
#include "shops/php/PHPShop.h"
#include "shops/php/PhpScripts.h"

namespace kanvio {
namespace {

using shopsim::Failure;

std::string ArticleExport(int rows, const std::string& prefix = "A-") {
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Artikelexport>\n";
  for (int i = 1; i <= rows; ++i)
    xml += "<row><ArtikelnummerWebshop>" + prefix + std::to_string(i) +
           "</ArtikelnummerWebshop><Artikelbeschreibung>Müsli " + std::to_string(i) +
           "</Artikelbeschreibung></row>\n";
  return xml + "</Artikelexport>\n";
}

int CountProtocols(const std::filesystem::path& file, const char* status = nullptr) {
  pugi::xml_document doc;
  EXPECT_TRUE(doc.load_file(file.c_str())) << file;
  int count = 0;
  for (auto p : doc.select_nodes("/*/Exportprotokoll"))
    if (!status || std::string(p.node().child_value("Export_Status")) == status) ++count;
  return count;
}

class PHPShopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sim_.Start();
    Connect("ledgrox", "gambio");
    ConfigFileWriter writer;  // the shop configuration file of a fresh installation
  }

  void Connect(const std::string& erp, const std::string& shop) {
    test::StoreConnection(erp, shop, sim_.ShopUrl(), "kanvio-test", "");
  }

  void UseFile(const std::filesystem::path& file, const std::string& content = "") {
    test::UseResultFile(file, content);
  }

  void SetConfig(const std::string& element, const std::string& value) {
    test::SetGenerellConfig(dir_ / "programdata", element, value);
  }

  std::size_t Count(const std::string& target) const { return sim_.RequestCount(target); }

  test::TempDir dir_;
  test::ScopedEnv store_{"KANVIO_USER_CONFIG_DIR", (dir_ / "store").string()};
  test::ScopedEnv paths_{"KANVIO_PATHS_LIBRARY", KANVIO_PATHS_LIBRARY_FILE};
  test::ScopedEnv program_data_{"KANVIO_PROGRAMDATA", (dir_ / "programdata").string()};
  shopsim::ShopSimulator sim_{
      {.port = 0, .base_path = "/shop", .password = "", .state_file = {}, .demo_data = true}};
  test::RecordingWorker worker_;
  PHPShop shop_{"gambio", &worker_};
};

TEST_F(PHPShopTest, EveryShopSystemIsRegisteredUnderItsKey) {
  for (const char* key : PHPShop::kShopSystems) {
    auto shop = ShopCaller(key, worker_).GetShop();
    ASSERT_NE(shop, nullptr) << key;
    EXPECT_EQ(dynamic_cast<PHPShop&>(*shop).name(), key);
  }
  EXPECT_EQ(ShopCaller("magento 1.9", worker_).GetShop(), nullptr);
}

TEST_F(PHPShopTest, ConnectionCheckRecognisesScriptsAndWebPages) {
  std::string error;
  EXPECT_EQ(shop_.KontrolliereVerbindungZumShop(error, false), 1);
  EXPECT_EQ(sim_.Requests().back().path, "/shop/ledgrox_osc_val.php");
  EXPECT_EQ(sim_.Requests().back().Header("User-Agent"), "kanvio-test");
  sim_.Failures().Set("val", Failure::HtmlPage());
  EXPECT_EQ(shop_.KontrolliereVerbindungZumShop(error, true), -1);
  sim_.Failures().Set("val", Failure::Status500("Fehler im Skript"));
  EXPECT_EQ(shop_.KontrolliereVerbindungZumShop(error, false), -2);
  EXPECT_NE(error.find("500"), std::string::npos);
}

TEST_F(PHPShopTest, ConnectionCheckUsesTheVdScriptsForEveryOtherErp) {
  for (const char* erp : {"vd", "andere"}) {
    Connect(erp, "gambio");
    std::string error;
    shop_.KontrolliereVerbindungZumShop(error, false);
    EXPECT_EQ(sim_.Requests().back().path, "/shop/vd_osc_val.php") << erp;
  }
}

TEST_F(PHPShopTest, OrdersAreWrittenUnchangedAndNothingNewGivesZero) {
  UseFile(dir_ / "orders.xml");
  std::string error;
  EXPECT_EQ(shop_.HoleBestellungenVomShop(error, false), 1);
  const std::string orders = test::ReadFile(dir_ / "orders.xml");
  EXPECT_NE(orders.find("<Bestellvorgang"), std::string::npos);
  EXPECT_EQ(orders.substr(orders.size() - 2), "\r\n");
  EXPECT_EQ(sim_.Requests().back().path, "/shop/ledgrox_osc.php");
  EXPECT_EQ(sim_.Requests().back().Param("shp_system"), "gambio");

  for (const auto& order : sim_.Shop().UnfetchedOrders()) sim_.Shop().MarkFetched(order.number);
  EXPECT_EQ(shop_.HoleBestellungenVomShop(error, false), 0);
  EXPECT_EQ(error, "");
}

// Older shop systems answer in Latin-1 behind a server that calls every
// answer UTF-8; the host reads the written file by its declaration. The shop
// sits below a folder with a blank.
TEST_F(PHPShopTest, Latin1OrdersReachTheHostAsUtf8FromBelowAFolderWithABlank) {
  std::mutex mutex;
  std::vector<std::string> targets;  // guarded by mutex
  test::FakeServer server([&](httplib::Server& s) {
    const auto answer = [&](const httplib::Request& req, httplib::Response& res) {
      std::lock_guard lock(mutex);
      targets.push_back(req.target);
      if (req.path.ends_with("_val.php")) return res.set_content("1", "text/plain");
      res.set_content(
          "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><OrderNotification><Bestellvorgang>"
          "<Ort>M\xFCnchen</Ort></Bestellvorgang></OrderNotification>",
          "text/html; charset=UTF-8");
    };
    s.Get(".*", answer);
    s.Post(".*", answer);
  });
  test::StoreConnection("ledgrox", "gambio", server.url() + "/mein shop", "kanvio-test", "");
  UseFile(dir_ / "orders.xml");
  std::string error;
  EXPECT_EQ(shop_.HoleBestellungenVomShop(error, false), 1);
  EXPECT_EQ(error, "");
  EXPECT_TRUE(test::ReadFile(dir_ / "orders.xml").starts_with("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
  pugi::xml_document doc;
  ASSERT_TRUE(doc.load_file((dir_ / "orders.xml").c_str()));
  EXPECT_STREQ(doc.select_node("//Ort").node().child_value(), "München");
  std::lock_guard lock(mutex);
  EXPECT_EQ(targets.size(), 2u);
  for (const auto& target : targets) EXPECT_TRUE(target.starts_with("/mein%20shop/ledgrox_osc")) << target;
}

TEST_F(PHPShopTest, NotOfferedFunctionStopsBeforeTheOperation) {
  UseFile(dir_ / "orders.xml");
  sim_.Shop().SetFunctionOffered("daten_holen", false);
  std::string error;
  EXPECT_EQ(shop_.HoleBestellungenVomShop(error, false), -1);
  EXPECT_EQ(Count("orders"), 0u);
  EXPECT_EQ(error, "Ihre Webshop Schnittstelle unterstützt diese Funktion nicht.");
  EXPECT_FALSE(std::filesystem::exists(dir_ / "orders.xml"));
}

TEST_F(PHPShopTest, FunctionSupportQueryAsksOnceAndNeverUploads) {
  UseFile(dir_ / "articles.xml", ArticleExport(3));
  std::string error;
  EXPECT_EQ(shop_.ExportArtikelZumShop(error, true), 1);
  EXPECT_EQ(Count("val"), 1u);
  EXPECT_EQ(Count("sync"), 0u);
  sim_.Shop().SetFunctionOffered("artikeldaten_ledgrox_zu_shop", false);
  EXPECT_EQ(shop_.ExportArtikelZumShop(error, true), 0);
}

TEST_F(PHPShopTest, FunctionCheckHeadersAndRetryWithoutContentEncoding) {
  std::string error;
  PHPFileConnector php;
  EXPECT_EQ(php.Check_Function("daten_holen", error, true), 1);
  auto request = sim_.Requests().back();
  EXPECT_EQ(request.method, "POST");
  EXPECT_EQ(request.Header("Content-Type"), "text/xml");
  EXPECT_EQ(request.Header("Content-Encoding"), "UTF-8");
  EXPECT_EQ(request.Header("Content-Length"), "0");

  sim_.Failures().Set("val", Failure::RejectUtf8Header());
  EXPECT_EQ(php.Check_Function("daten_holen", error, true), 1);
  EXPECT_FALSE(sim_.Requests().back().HasHeader("Content-Encoding"));
}

TEST_F(PHPShopTest, NotImplementedFunctionsAnswerWithoutRequest) {
  std::string error;
  EXPECT_EQ(shop_.SetzeBestellstatusVonOrderID(error, "", false), -2);
  EXPECT_EQ(error, "Der von Ihnen gewählte Webshop unterstützt diese Funktion nicht.");
  error.clear();
  EXPECT_EQ(shop_.ExportierePreisListenzuArtikel(error, true), -2);
  EXPECT_EQ(error, "Der von Ihnen gewählte Webshop unterstützt diese Funktion nicht.");
  EXPECT_TRUE(sim_.Requests().empty());
}

TEST_F(PHPShopTest, ArticlesInPackagesWithProgressAndOneProtocolEach) {
  const auto file = dir_ / "articles.xml";
  UseFile(file, ArticleExport(250));
  std::string error;
  EXPECT_EQ(shop_.ExportArtikelZumShop(error, false), 1);
  EXPECT_EQ(Count("sync:lqx_to_shop"), 3u);
  EXPECT_EQ(worker_.max_values, std::vector<std::int32_t>{4});
  EXPECT_EQ(worker_.messages, (std::vector<std::string>{"Artikelexport - Upload von Paket: 1 von 3|1",
                                                        "Artikelexport - Upload von Paket: 2 von 3|2",
                                                        "Artikelexport - Upload von Paket: 3 von 3|3"}));
  EXPECT_EQ(CountProtocols(file, "SUCCESS"), 3);
  EXPECT_TRUE(sim_.Shop().Article("A-250").has_value());
  const auto last = sim_.Requests().back();
  EXPECT_EQ(last.body.find("<?xml"), std::string::npos);
  EXPECT_EQ(last.body.find("<Artikelexport>"), 0u);
}

TEST_F(PHPShopTest, OneRolledBackPackageFailsTheUpload) {
  const auto file = dir_ / "articles.xml";
  UseFile(file, ArticleExport(250));
  sim_.Shop().SetRollbackArticle("A-150");
  std::string error;
  EXPECT_EQ(shop_.ExportArtikelZumShop(error, false), -1);
  EXPECT_EQ(CountProtocols(file, "SUCCESS"), 2);
  EXPECT_EQ(CountProtocols(file, "ROLLBACK"), 1);
}

TEST_F(PHPShopTest, UploadWithoutPackagesSendsTheWholeFile) {
  SetConfig("PackageSplitting", "false");
  const auto file = dir_ / "articles.xml";
  UseFile(file, ArticleExport(250));
  std::string error;
  EXPECT_EQ(shop_.ExportArtikelZumShop(error, false), 1);
  EXPECT_EQ(Count("sync:lqx_to_shop"), 1u);
  EXPECT_TRUE(worker_.messages.empty());
  EXPECT_EQ(CountProtocols(file), 1);
}

TEST_F(PHPShopTest, StockIsNeverCutAndAFailureCarriesItsMessage) {
  const auto file = dir_ / "stock.xml";
  std::string stock = "<LagerbestandExport>";
  for (int i = 1; i <= 150; ++i)
    stock += "<Artikel><ArtikelnummerWebshop>A-" + std::to_string(i) +
             "</ArtikelnummerWebshop><LagerBestandAktuell>5</LagerBestandAktuell></Artikel>";
  UseFile(file, stock + "</LagerbestandExport>");
  std::string error;
  EXPECT_EQ(shop_.SetzeLagerbestand(error, false), 1);
  EXPECT_EQ(Count("sync:stockvalue_to_shop"), 1u);

  sim_.Failures().Set("sync:stockvalue_to_shop", Failure::Drop());
  EXPECT_EQ(shop_.SetzeLagerbestand(error, false), -1);
  EXPECT_FALSE(error.empty());
}

TEST_F(PHPShopTest, UploadFailuresAnswerAsTheProtocolSays) {
  const auto file = dir_ / "articles.xml";
  UseFile(file, ArticleExport(250));
  std::string error = "alt";
  // A 500 answer is read like any answer and decides the whole upload.
  sim_.Failures().Set("sync:lqx_to_shop", Failure::Status500("keine Antwort"));
  EXPECT_EQ(shop_.ExportArtikelZumShop(error, false), 0);
  EXPECT_EQ(Count("sync:lqx_to_shop"), 1u);
  // A 501 restarts the upload once without Content-Encoding.
  sim_.ClearRequests();
  sim_.Failures().Set("sync:lqx_to_shop", Failure::RejectUtf8Header());
  EXPECT_EQ(shop_.ExportArtikelZumShop(error, false), 1);
  EXPECT_EQ(Count("sync:lqx_to_shop"), 4u);
  // A dropped connection ends the upload with an empty text. (The HTTP
  // client may repeat a request once on a fresh connection when a reused
  // one turns out to be closed; the next package must not follow.)
  sim_.ClearRequests();
  sim_.Failures().Set("sync:lqx_to_shop", Failure::Drop());
  EXPECT_EQ(shop_.ExportArtikelZumShop(error, false), -1);
  EXPECT_EQ(error, "");
  for (const auto& request : sim_.Requests())
    EXPECT_EQ(request.body.find("<ArtikelnummerWebshop>A-101<"), std::string::npos);
}

// Scripts that answer 501 however they are asked: a failure that is logged
// and never a success, and a failed side check leaves no text behind.
TEST_F(PHPShopTest, A501IsAFailureThatIsLoggedAndNeverASuccess) {
  test::WriteFile(dir_ / "programdata/Ledgrox/Ledgrox.ini",
                  "[System Configuration]\r\nLOG_EXCEPTIONS=true\r\n");
  const auto log = dir_ / "programdata/Logs/kvxError.log";
  const std::string status501 = HttpStatusMessage(501);
  const std::string stock =
      "<LagerbestandExport><Artikel><ArtikelnummerWebshop>A-1</ArtikelnummerWebshop>"
      "</Artikel></LagerbestandExport>";
  using Operation = std::function<std::int32_t(PHPShop&, std::string&)>;
  const Operation articles_in = [](PHPShop& s, std::string& e) { return s.ExportArtikelZumShop(e, false); };
  const Operation articles_out = [](PHPShop& s, std::string& e) { return s.HoleArtikelVomShop(e, false); };
  struct Case {
    std::string target;  // answers 501
    bool packages;
    std::string file;  // the host file before and, unless written, after
    Operation run;
    std::int32_t result;
    std::string error;
    std::size_t requests;  // to target: a 501 is retried once without Content-Encoding
    bool written;
  };
  const Case cases[] = {
      // A web page in a 501 is no page instead of the script: Init goes on with the text.
      {"val:daten_holen", false, "",
       [](PHPShop& s, std::string& e) { return s.KontrolliereVerbindungZumShop(e, false); }, -2, status501, 1,
       false},
      {"sync:stockvalue_to_shop", false, stock,
       [](PHPShop& s, std::string& e) { return s.SetzeLagerbestand(e, false); }, -1, status501, 2, false},
      {"sync:lqx_to_shop", false, ArticleExport(3), articles_in, -1, "", 2, false},
      {"sync:lqx_to_shop", true, ArticleExport(3), articles_in, -1, "", 2, false},
      {"sync:shop_to_lqx", false, "alt", articles_out, -1, "", 2, false},
      {"sync:articlelist_from_shop", false, "alt",
       [](PHPShop& s, std::string& e) { return s.HoleArtikellisteVomShop(e, false); }, -1, "", 2, false},
      // Without paging information the download goes on in one piece.
      {"val:paging_informationen", true, "alt", articles_out, 1, "", 2, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.target + (c.packages ? " in packages" : ""));
    std::filesystem::remove(log);
    sim_.ClearRequests();
    sim_.Failures().ClearAll();
    sim_.Failures().Set(c.target, Failure::Status501("<html><body>501 Not Implemented</body></html>"));
    SetConfig("PackageSplitting", c.packages ? "true" : "false");
    UseFile(dir_ / "host.xml", c.file);
    std::string error;
    EXPECT_EQ(c.run(shop_, error), c.result);
    EXPECT_EQ(error, c.error);
    EXPECT_EQ(Count(c.target), c.requests);
    EXPECT_TRUE(std::filesystem::exists(log) && test::ReadFile(log).find(status501) != std::string::npos);
    if (!c.file.empty()) {
      EXPECT_EQ(test::ReadFile(dir_ / "host.xml") == c.file, !c.written);
    }
  }
}

TEST_F(PHPShopTest, PackageAmountBelowOneFailsWithoutRequest) {
  SetConfig("PackageSplittingAmount", "0");
  UseFile(dir_ / "articles.xml", ArticleExport(5));
  std::string error;
  EXPECT_EQ(shop_.ExportArtikelZumShop(error, false), -1);
  EXPECT_NE(error.find("PackageSplittingAmount"), std::string::npos);
  EXPECT_EQ(Count("sync"), 0u);
}

TEST_F(PHPShopTest, UnknownErpFailsWithATextAndNoRequest) {
  Connect("anderes", "gambio");
  UseFile(dir_ / "orders.xml");
  PHPFileConnector php;
  std::string error;
  EXPECT_EQ(php.GET_ORDERS_FROM_PHP_FILE(error), -1);
  EXPECT_NE(error.find("\"anderes\""), std::string::npos);
  EXPECT_TRUE(sim_.Requests().empty());
}

TEST_F(PHPShopTest, VdPrefixOnEveryScript) {
  Connect("vd", "xtcommerce");
  UseFile(dir_ / "orders.xml");
  std::string error;
  EXPECT_EQ(shop_.HoleBestellungenVomShop(error, false), 1);
  for (const auto& request : sim_.Requests())
    EXPECT_EQ(request.path.rfind("/shop/vd_osc", 0), 0u) << request.path;
  EXPECT_EQ(sim_.Requests().back().Param("shp_system"), "xtcommerce");
}

TEST_F(PHPShopTest, PagedDownloadMergesPlainAndEncipheredPages) {
  SetConfig("PackageSplittingAmount", "2");
  const auto file = dir_ / "articles-in.xml";
  for (const std::string password : {"", "geheim"}) {
    sim_.Shop().SetPassword(password);
    Settings settings;
    settings.set_WEBSERVICE_PASSWORD(password);
    settings.Save();
    UseFile(file);
    std::string error;
    EXPECT_EQ(shop_.HoleArtikelVomShop(error, false), 1);
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_file(file.c_str()));
    EXPECT_EQ(doc.select_nodes("/Artikelimport/row").size(), sim_.Shop().ArticleCount()) << password;
  }
  const auto pages = (sim_.Shop().ArticleCount() + 1) / 2;
  EXPECT_EQ(Count("sync:shop_to_lqx"), 2 * pages);
}

TEST_F(PHPShopTest, PagedDownloadOfNoArticlesWritesAnEmptyRoot) {
  shopsim::ShopSimulator empty(
      {.port = 0, .base_path = "", .password = "", .state_file = {}, .demo_data = false});
  empty.Start();
  Settings settings;
  settings.set_WEBSERVICE_URL(empty.ShopUrl());
  settings.Save();
  UseFile(dir_ / "articles.xml");
  std::string error;
  EXPECT_EQ(shop_.HoleArtikelVomShop(error, false), 1);
  EXPECT_EQ(empty.RequestCount("sync:shop_to_lqx"), 0u);
  pugi::xml_document doc;
  ASSERT_TRUE(doc.load_file((dir_ / "articles.xml").c_str()));
  EXPECT_TRUE(doc.child("Artikelimport"));
  EXPECT_FALSE(doc.child("Artikelimport").first_child());
}

TEST_F(PHPShopTest, ArticleListIsWrittenOnlyWhenItIsOne) {
  const auto file = dir_ / "list.xml";
  UseFile(file);
  std::string error;
  EXPECT_EQ(shop_.HoleArtikellisteVomShop(error, false), 1);
  EXPECT_NE(test::ReadFile(file).find("ArtikelListeWebshop"), std::string::npos);
  std::filesystem::remove(file);
  sim_.Failures().Set("sync:articlelist_from_shop", Failure::HtmlPage());
  EXPECT_EQ(shop_.HoleArtikellisteVomShop(error, false), -1);
  EXPECT_FALSE(std::filesystem::exists(file));
}

TEST_F(PHPShopTest, OpenOrdersAreCounted) {
  EXPECT_EQ(shop_.SucheAnzahlOffeneBestellungenImShop(),
            static_cast<std::int32_t>(sim_.Shop().OpenOrderCount()));
  sim_.Failures().Set("sync:check_open_orders", Failure::Status500(" 7 "));
  EXPECT_EQ(shop_.SucheAnzahlOffeneBestellungenImShop(), 7);
  sim_.Failures().Set("sync:check_open_orders", Failure::Status500("keine Zahl"));
  EXPECT_EQ(shop_.SucheAnzahlOffeneBestellungenImShop(), 0);
  sim_.Failures().Set("sync:check_open_orders", Failure::Status500("-43"));
  EXPECT_EQ(shop_.SucheAnzahlOffeneBestellungenImShop(), -1);
  sim_.Failures().Set("sync:check_open_orders", Failure::Drop());
  EXPECT_EQ(shop_.SucheAnzahlOffeneBestellungenImShop(), -1);
}

TEST_F(PHPShopTest, OrderStatesSkipOrdersWithoutNumberAndEncodeOddOnes) {
  const auto file = dir_ / "states.xml";
  UseFile(
      file,
      "<Bestellungen><Bestellvorgang><BestellnummerShop>1001</BestellnummerShop></Bestellvorgang>"
      "<Bestellvorgang><Kunde>ohne Nummer</Kunde></Bestellvorgang>"
      "<Gruppe><Bestellvorgang><BestellnummerShop>A 7&amp;x=1</BestellnummerShop></Bestellvorgang></Gruppe>"
      "</Bestellungen>");
  std::string error;
  EXPECT_EQ(shop_.SetzeBestellstatus(error, false), 1);
  EXPECT_EQ(sim_.Shop().ReceivedStateIds(), (std::vector<std::string>{"1001", "A 7&x=1"}));
  EXPECT_EQ(Count("del"), 2u);
  EXPECT_NE(sim_.Requests().back().query.find("&id=A%207%26x%3D1"), std::string::npos);
}

TEST_F(PHPShopTest, OrderStatesStopAtTheFirstFailure) {
  const auto file = dir_ / "states.xml";
  UseFile(file,
          "<B><Bestellvorgang><BestellnummerShop>1</BestellnummerShop></Bestellvorgang>"
          "<Bestellvorgang><BestellnummerShop>2</BestellnummerShop></Bestellvorgang></B>");
  std::string error;
  sim_.Failures().Set("del", Failure::Status500(""));
  EXPECT_EQ(shop_.SetzeBestellstatus(error, false), 1);
  EXPECT_EQ(Count("del"), 1u);
  sim_.ClearRequests();
  sim_.Failures().Set("del", Failure::Drop());
  EXPECT_EQ(shop_.SetzeBestellstatus(error, false), -1);
  for (const auto& request : sim_.Requests()) EXPECT_NE(request.Param("id"), "2");
}

TEST(PhpScriptsTest, OrderNumbersKeepTheUsualCharactersAndEncodeTheRest) {
  const std::pair<const char*, const char*> cases[] = {
      {"ORD-2024_001.a", "ORD-2024_001.a"},
      {"A 1", "A%201"},
      {"1&x=2", "1%26x%3D2"},
      {"#5?", "%235%3F"},
      {"50%+", "50%25%2B"},
      {"Ä", "%C3%84"},
      {"a\nb", "a%0Ab"},
      {"a/b", "a%2Fb"},
  };
  for (const auto& [number, encoded] : cases) EXPECT_EQ(EncodeOrderNumber(number), encoded) << number;
}

}  // namespace
}  // namespace kanvio

namespace kanvio {
namespace {

#ifdef CPPHTTPLIB_OPENSSL_SUPPORT
// A shop behind a self-signed certificate: refused unless the operator
// allowed it in the shop configuration file.
TEST_F(PHPShopTest, SelfSignedShopNeedsTheOperatorsConsent) {
  test::SelfSigned identity;
  test::FakeServer https(
      std::make_unique<httplib::SSLServer>(identity.cert.get(), identity.key.get()), [](httplib::Server& s) {
        s.Get("/ledgrox_osc_val.php",
              [](const httplib::Request&, httplib::Response& res) { res.set_content("1", "text/plain"); });
      });
  Settings settings;
  settings.set_WEBSERVICE_URL(https.url());
  settings.Save();
  std::string error;
  EXPECT_EQ(shop_.KontrolliereVerbindungZumShop(error, false), -2);
  EXPECT_NE(error.find("Zertifikat"), std::string::npos) << error;
  SetConfig("AcceptInvalidCertificates", "true");
  error.clear();
  EXPECT_EQ(shop_.KontrolliereVerbindungZumShop(error, false), 1) << error;
}
#endif

}  // namespace
}  // namespace kanvio

namespace kanvio {
namespace {

// The scripts' time-outs are long (83 minutes); a client that cuts every
// request short stands in for them so the time-out path runs in a moment.
class ShortTimeoutClient : public platform::HttpClient {
 public:
  platform::HttpResponse Send(const platform::HttpRequest& request) override {
    platform::HttpRequest shortened = request;
    shortened.total_timeout = std::chrono::milliseconds(300);
    return inner_->Send(shortened);
  }

 private:
  std::unique_ptr<platform::HttpClient> inner_ = platform::CreateHttpClient();
};

TEST_F(PHPShopTest, TimedOutOrderDownloadFailsWithoutText) {
  UseFile(dir_ / "orders.xml");
  PHPShop shop("gambio", &worker_, [] { return std::make_unique<ShortTimeoutClient>(); });
  sim_.Failures().Set("orders", Failure::Slow());
  std::string error = "alt";
  EXPECT_EQ(shop.HoleBestellungenVomShop(error, false), -1);
  EXPECT_EQ(error, "");
  EXPECT_FALSE(std::filesystem::exists(dir_ / "orders.xml"));
  sim_.ReleaseSlowAnswers();
  // The stock upload shows the failure's message.
  UseFile(dir_ / "stock.xml",
          "<LagerbestandExport><Artikel><ArtikelnummerWebshop>A-100</ArtikelnummerWebshop>"
          "</Artikel></LagerbestandExport>");
  sim_.Failures().Set("sync:stockvalue_to_shop", Failure::Slow());
  EXPECT_EQ(shop.SetzeLagerbestand(error, false), -1);
  EXPECT_NE(error.find("Zeitüberschreitung"), std::string::npos) << error;
  sim_.ReleaseSlowAnswers();
}

}  // namespace
}  // namespace kanvio

namespace kanvio {
namespace {

TEST_F(PHPShopTest, BrokenArticleFilesSendNothingAndStayAsTheyWere) {
  struct Case {
    const char* name;
    std::string content;
    std::int32_t result;
  };
  const Case cases[] = {
      {"not XML", "Artikelnummer;Preis\nA-1;9,99\n", -1},
      {"truncated", ArticleExport(3).substr(0, 80), -1},
      {"wrong root",
       "<Artikelimport><row><ArtikelnummerWebshop>A-1</ArtikelnummerWebshop></row></Artikelimport>", 1},
  };
  for (const auto& c : cases) {
    const auto file = dir_ / "articles.xml";
    UseFile(file, c.content);
    sim_.ClearRequests();
    std::string error;
    EXPECT_EQ(shop_.ExportArtikelZumShop(error, false), c.result) << c.name;
    EXPECT_EQ(Count("sync"), 0u) << c.name;
    EXPECT_EQ(test::ReadFile(file), c.content) << c.name;
  }
}

}  // namespace
}  // namespace kanvio

namespace kanvio {
namespace {

// A script that refuses Content-Encoding with 501 gets the whole-file uploads
// and the unpaged article download once more without it, and they succeed.
TEST_F(PHPShopTest, WholeTransfersAreRepeatedWithoutContentEncodingAfterA501) {
  SetConfig("PackageSplitting", "false");
  struct Case {
    const char* target;
    std::string content;  // the host's file before; empty for the download
    std::int32_t (PHPShop::*run)(std::string&, bool);
  };
  const Case cases[] = {
      {"sync:lqx_to_shop", ArticleExport(2), &PHPShop::ExportArtikelZumShop},
      {"sync:stockvalue_to_shop",
       "<LagerbestandExport><Artikel><ArtikelnummerWebshop>A-100</ArtikelnummerWebshop></Artikel>"
       "</LagerbestandExport>",
       &PHPShop::SetzeLagerbestand},
      {"sync:shop_to_lqx", "", &PHPShop::HoleArtikelVomShop},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.target);
    const auto file = dir_ / "host.xml";
    std::filesystem::remove(file);
    UseFile(file, c.content);
    sim_.ClearRequests();
    sim_.Failures().Set(c.target, Failure::RejectUtf8Header());
    std::string error;
    EXPECT_EQ((shop_.*c.run)(error, false), 1) << error;
    EXPECT_EQ(Count(c.target), 2u);
    EXPECT_FALSE(sim_.Requests().back().HasHeader("Content-Encoding"));
    EXPECT_TRUE(std::filesystem::exists(file));
  }
}

}  // namespace
}  // namespace kanvio
