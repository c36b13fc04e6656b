// The REST plug-in connectors against a fake plug-in on loopback.
#include <gtest/gtest.h>

#include <map>
#include <mutex>
#include <pugixml.hpp>
#include <set>

#include "FakeServer.h"
#include "ShopTestSupport.h"
#include "TestSupport.h"
#include "config/ConfigFileWriter.h"
#include "config/Settings.h"
#include "shops/ShopCaller.h"
#include "shops/rest/AnyKanvio.h"
#include "shops/rest/magento2.h"
#include "shops/rest/shopware4.h"
#include "support/CipherUtility.h"
#include "support/DeploymentDefaults.h"
#include "support/Error.h"

namespace kanvio {
namespace {

using platform::TlsVersion;

struct Received {
  std::string line;  // "GET /shop/MarlixKanvio/getArticles?offset=0&limit=50"
  std::string body;
  std::string user_agent, accept, content_type;
};

// The plug-in: answers by path (or path and query), 404 for anything else.
class FakePlugin {
 public:
  using Handler = std::function<void(const httplib::Request&, httplib::Response&)>;

  FakePlugin()
      : server_([this](httplib::Server& s) {
          const auto handler = [this](const httplib::Request& req, httplib::Response& res) {
            Handle(req, res);
          };
          s.Get(".*", handler);
          s.Post(".*", handler);
        }) {}

  std::string url() const { return server_.url() + "/shop"; }

  void Answer(const std::string& target, std::string body, int status = 200) {
    On(target, [body, status](const httplib::Request&, httplib::Response& res) {
      res.status = status;
      res.set_content(body, "text/xml; charset=utf-8");
    });
  }
  void On(const std::string& target, Handler handler) {
    std::lock_guard lock(mutex_);
    handlers_[target] = std::move(handler);
  }
  std::vector<Received> Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
  }
  std::vector<std::string> Lines() const {
    std::vector<std::string> lines;
    for (const auto& r : Requests()) lines.push_back(r.line);
    return lines;
  }

 private:
  void Handle(const httplib::Request& req, httplib::Response& res) {
    std::string target = req.target;
    Handler handler;
    {
      std::lock_guard lock(mutex_);
      requests_.push_back({req.method + " " + req.target, req.body, req.get_header_value("User-Agent"),
                           req.get_header_value("Accept"), req.get_header_value("Content-Type")});
      auto found = handlers_.find(req.target);
      if (found == handlers_.end()) found = handlers_.find(req.path);
      if (found != handlers_.end()) handler = found->second;
    }
    if (handler) {
      handler(req, res);
    } else {
      res.status = 404;
      res.set_content("not found", "text/plain");
    }
  }

  mutable std::mutex mutex_;
  std::map<std::string, Handler> handlers_;
  std::vector<Received> requests_;
  test::FakeServer server_;
};

// Real clients, but the requests whose numbers (from 1) are listed fail as if
// the connection dropped.
struct FailingRequests {
  std::set<int> numbers;
  std::shared_ptr<int> sent = std::make_shared<int>(0);

  platform::HttpClientFactory Factory() const {
    return [numbers = numbers, sent = sent] {
      class Client : public platform::HttpClient {
       public:
        Client(std::set<int> numbers, std::shared_ptr<int> sent)
            : numbers_(std::move(numbers)), sent_(std::move(sent)), real_(platform::CreateHttpClient()) {}
        platform::HttpResponse Send(const platform::HttpRequest& request) override {
          if (numbers_.count(++*sent_)) throw TransportError("Die Verbindung wurde getrennt.");
          return real_->Send(request);
        }

       private:
        std::set<int> numbers_;
        std::shared_ptr<int> sent_;
        std::unique_ptr<platform::HttpClient> real_;
      };
      return std::make_unique<Client>(numbers, sent);
    };
  }
};

std::string Rows(const char* root, const char* row, int count) {
  std::string xml = std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<") + root + ">";
  for (int i = 1; i <= count; ++i)
    xml += std::string("<") + row + "><ArtikelnummerWebshop>A-" + std::to_string(i) +
           "</ArtikelnummerWebshop></" + row + ">";
  return xml + "</" + root + ">";
}

std::string Protocol(const std::string& status, int total = 1, int done = 1) {
  return "<Exportprotokoll><Export_Status>" + status + "</Export_Status><Anzahl_Datensaetze_Gesamt>" +
         std::to_string(total) + "</Anzahl_Datensaetze_Gesamt><Anzahl_Datensaetze_Erfolgreich_Uebergeben>" +
         std::to_string(done) + "</Anzahl_Datensaetze_Erfolgreich_Uebergeben></Exportprotokoll>";
}

// "STATUS/total/done" of every protocol appended to the file.
std::vector<std::string> Protocols(const std::filesystem::path& file) {
  pugi::xml_document doc;
  EXPECT_TRUE(doc.load_file(file.c_str())) << file;
  std::vector<std::string> found;
  for (auto p : doc.select_nodes("/*/Exportprotokoll")) {
    const auto n = p.node();
    found.push_back(std::string(n.child_value("Export_Status")) + "/" +
                    n.child_value("Anzahl_Datensaetze_Gesamt") + "/" +
                    n.child_value("Anzahl_Datensaetze_Erfolgreich_Uebergeben"));
  }
  return found;
}

class RestShopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ConfigFileWriter writer;  // the shop configuration file of a fresh installation
    Connect("ledgrox");
    UseFile(dir_ / "host.xml");
  }

  void Connect(const std::string& erp, const std::string& password = "") {
    test::StoreConnection(erp, "shopware4", plugin_.url(), "kanvio-rest", password);
  }

  void UseFile(const std::filesystem::path& file, const std::string& content = "") {
    test::UseResultFile(file, content);
  }

  void SetConfig(const std::string& element, const std::string& value) {
    test::SetGenerellConfig(dir_ / "programdata", element, value);
  }

  std::filesystem::path Host() const { return dir_ / "host.xml"; }

  test::TempDir dir_;
  test::ScopedEnv store_{"KANVIO_USER_CONFIG_DIR", (dir_ / "store").string()};
  test::ScopedEnv paths_{"KANVIO_PATHS_LIBRARY", KANVIO_PATHS_LIBRARY_FILE};
  test::ScopedEnv program_data_{"KANVIO_PROGRAMDATA", (dir_ / "programdata").string()};
  FakePlugin plugin_;
  test::RecordingWorker worker_;
  shopware4 shopware_{&worker_};
  magento2 magento_{&worker_};
  std::string error_;
};

TEST_F(RestShopTest, FactoryKeysMakeTheRestClassesNotThePhpOnes) {
  EXPECT_NE(dynamic_cast<shopware4*>(ShopCaller("Shopware4", worker_).GetShop().get()), nullptr);
  EXPECT_NE(dynamic_cast<magento2*>(ShopCaller("magento2", worker_).GetShop().get()), nullptr);
  EXPECT_EQ(dynamic_cast<RestPluginShop*>(ShopCaller("magento", worker_).GetShop().get()), nullptr);
}

TEST_F(RestShopTest, BasePathDependsOnClassAndErpIdentifier) {
  struct Case {
    RestPluginShop* shop;
    const char* erp;
    const char* line;
  };
  const Case cases[] = {{&shopware_, "ledgrox", "GET /shop/MarlixKanvio/getConnection"},
                        {&shopware_, "vd", "GET /shop/MarlixKanvioVD/getConnection"},
                        {&magento_, "ledgrox", "GET /shop/marlix/ledgrox/getConnection"},
                        {&magento_, "vd", "GET /shop/marlix/vardemo/getConnection"}};
  for (const auto& c : cases) {
    Connect(c.erp);
    plugin_.Answer(std::string(c.line).substr(4), "OK");
    EXPECT_EQ(c.shop->KontrolliereVerbindungZumShop(error_, false), 1) << c.line;
    EXPECT_EQ(plugin_.Lines().back(), c.line);
    EXPECT_EQ(error_, "");
  }
  const auto received = plugin_.Requests().back();
  EXPECT_EQ(received.user_agent, "kanvio-rest");
  EXPECT_EQ(received.accept, "text/xml");
}

TEST_F(RestShopTest, UnknownErpFailsWithATextAndNoRequest) {
  Connect("sage");
  test::WriteFile(Host(), Rows("Artikelexport", "row", 3));
  EXPECT_EQ(magento_.KontrolliereVerbindungZumShop(error_, false), -1);
  EXPECT_NE(error_.find("\"sage\""), std::string::npos) << error_;
  for (auto operation : {&RestPluginShop::ExportArtikelZumShop, &RestPluginShop::SetzeLagerbestand,
                         &RestPluginShop::SetzeArtikelPreise, &RestPluginShop::SetzeBestellstatus}) {
    error_.clear();
    EXPECT_EQ((shopware_.*operation)(error_, false), -1);
    EXPECT_NE(error_.find("\"sage\""), std::string::npos);
  }
  EXPECT_EQ(shopware_.SucheAnzahlOffeneBestellungenImShop(), -1);
  EXPECT_TRUE(plugin_.Requests().empty());
}

TEST_F(RestShopTest, FunctionQueriesAnswerWithoutRequests) {
  for (auto operation : {&RestPluginShop::HoleBestellungenVomShop, &RestPluginShop::HoleArtikellisteVomShop,
                         &RestPluginShop::HoleArtikelVomShop, &RestPluginShop::KontrolliereVerbindungZumShop,
                         &RestPluginShop::ExportArtikelZumShop, &RestPluginShop::SetzeBestellstatus,
                         &RestPluginShop::SetzeLagerbestand, &RestPluginShop::SetzeArtikelPreise})
    EXPECT_EQ((shopware_.*operation)(error_, true), 1);
  EXPECT_EQ(shopware_.SetzeBestellstatusVonOrderID(error_, "7", true), 0);
  EXPECT_EQ(shopware_.SetzeBestellstatusVonOrderID(error_, "7", false), 1);
  for (bool check : {true, false}) {
    error_.clear();
    EXPECT_EQ(magento_.ExportierePreisListenzuArtikel(error_, check), -2);
    EXPECT_EQ(error_, "Der von Ihnen gewählte Webshop unterstützt diese Funktion nicht.");
  }
  EXPECT_TRUE(plugin_.Requests().empty());
}

TEST_F(RestShopTest, DownloadSavesTheAnswerWithoutByteOrderMarks) {
  plugin_.Answer("/shop/MarlixKanvio/getOpenOrders",
                 "\xEF\xBB\xBF<Bestellungen>\xC3\xBF\xF0\x9F\x98\x80</Bestellungen>");
  EXPECT_EQ(shopware_.HoleBestellungenVomShop(error_, false), 1);
  EXPECT_EQ(test::ReadFile(Host()), "<Bestellungen>\xC3\xBF\xF0\x9F\x98\x80</Bestellungen>\r\n");
  plugin_.Answer("/shop/MarlixKanvio/getArticleList", "<ArtikelListeWebshop/>");
  EXPECT_EQ(shopware_.HoleArtikellisteVomShop(error_, false), 1);
  EXPECT_EQ(test::ReadFile(Host()), "<ArtikelListeWebshop/>\r\n");
}

// Latin-1 bytes widened to UTF-16 (little endian, without mark).
std::string Utf16Le(const std::string& latin1) {
  std::string wide;
  for (char c : latin1) wide += std::string{c, '\0'};
  return wide;
}

// The host reads a saved answer by its declaration: a converted text that
// kept "ISO-8859-1" there would reach it as "MÃ¼nchen".
TEST_F(RestShopTest, AnswersInOtherEncodingsAreSavedAsUtf8UnderAUtf8Declaration) {
  struct Case {
    const char* name;
    std::string content_type;
    std::string body;
  };
  const std::string latin1 =
      "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><Bestellungen>M\xFCnchen</Bestellungen>";
  const Case cases[] = {
      {"Latin-1 named by the content type", "text/xml; charset=ISO-8859-1", latin1},
      {"Latin-1 named by the declaration only", "text/xml", latin1},
      {"server default UTF-8 over Latin-1 bytes", "text/html; charset=UTF-8", latin1},
      {"UTF-16", "text/xml; charset=utf-16", Utf16Le(latin1)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    plugin_.On("/shop/MarlixKanvio/getOpenOrders", [&c](const httplib::Request&, httplib::Response& res) {
      res.set_content(c.body, c.content_type);
    });
    ASSERT_EQ(shopware_.HoleBestellungenVomShop(error_, false), 1);
    const std::string saved = test::ReadFile(Host());
    EXPECT_NE(saved.find("encoding=\"UTF-8\""), std::string::npos) << saved;
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_file(Host().c_str()));
    EXPECT_STREQ(doc.document_element().child_value(), "München");
  }
}

TEST_F(RestShopTest, WebPageSavesNothingAndErrorStatusFailsWithItsText) {
  test::WriteFile(Host(), "vorher");
  plugin_.Answer("/shop/marlix/ledgrox/getOpenOrders", "<HTML><body>Wartung</body></html>");
  EXPECT_EQ(magento_.HoleBestellungenVomShop(error_, false), 0);
  EXPECT_EQ(test::ReadFile(Host()), "vorher");
  EXPECT_EQ(error_, "");

  plugin_.Answer("/shop/marlix/ledgrox/getOpenOrders", "<Bestellungen/>", 503);
  EXPECT_EQ(magento_.HoleBestellungenVomShop(error_, false), -1);
  EXPECT_EQ(error_, "Der Shop-Server hat mit dem HTTP-Status 503 geantwortet.");
  EXPECT_EQ(test::ReadFile(Host()), "vorher");

  error_.clear();
  plugin_.Answer("/shop/marlix/ledgrox/getConnection", "<html>login</html>");
  EXPECT_EQ(magento_.KontrolliereVerbindungZumShop(error_, false), 0);
}

TEST_F(RestShopTest, OpenOrderCount) {
  const std::pair<std::string, int> cases[] = {{" 42\r\n", 42}, {"<html>", 0}, {"viele", 0}, {"-3", 0}};
  for (const auto& [answer, count] : cases) {
    plugin_.Answer("/shop/MarlixKanvio/getOpenOrdersCount", answer);
    EXPECT_EQ(shopware_.SucheAnzahlOffeneBestellungenImShop(), count) << answer;
  }
  plugin_.Answer("/shop/MarlixKanvio/getOpenOrdersCount", "9", 500);
  EXPECT_EQ(shopware_.SucheAnzahlOffeneBestellungenImShop(), -1);
}

class PagedDownloadTest : public RestShopTest {
 protected:
  void Configure(const std::string& limit, const std::string& count) {
    plugin_.Answer("/shop/MarlixKanvio/getPluginConfiguration",
                   "<PluginConfiguration><ArticlesImportLimit>" + limit +
                       "</ArticlesImportLimit></PluginConfiguration>");
    plugin_.Answer("/shop/MarlixKanvio/getArticlesCount", count);
    plugin_.On("/shop/MarlixKanvio/getArticles", [](const httplib::Request& req, httplib::Response& res) {
      if (!req.has_param("offset")) return res.set_content(Rows("Artikelimport", "row", 2), "text/xml");
      res.set_content("<Artikelimport><row><ArtikelnummerWebshop>P" + req.get_param_value("offset") +
                          "</ArtikelnummerWebshop></row></Artikelimport>",
                      "text/xml");
    });
  }
  std::vector<std::string> Numbers() const {
    pugi::xml_document doc;
    EXPECT_TRUE(doc.load_file(Host().c_str()));
    std::vector<std::string> numbers;
    for (auto n : doc.select_nodes("/Artikelimport/row/ArtikelnummerWebshop"))
      numbers.push_back(n.node().text().get());
    return numbers;
  }
  std::filesystem::path ErrorFile() const { return dir_ / "host.error"; }
};

TEST_F(PagedDownloadTest, PagesOfTheConfiguredSizeAreMerged) {
  Configure("50", "120");
  EXPECT_EQ(shopware_.HoleArtikelVomShop(error_, false), 1);
  EXPECT_EQ(plugin_.Lines(),
            (std::vector<std::string>{"GET /shop/MarlixKanvio/getPluginConfiguration",
                                      "GET /shop/MarlixKanvio/getArticlesCount",
                                      "GET /shop/MarlixKanvio/getArticles?offset=0&limit=50",
                                      "GET /shop/MarlixKanvio/getArticles?offset=50&limit=50",
                                      "GET /shop/MarlixKanvio/getArticles?offset=100&limit=50"}));
  EXPECT_EQ(Numbers(), (std::vector<std::string>{"P0", "P50", "P100"}));
  EXPECT_EQ(worker_.max_values, std::vector<std::int32_t>{3});
  EXPECT_EQ(worker_.messages,
            (std::vector<std::string>{"Hole Artikelpaket: 1 von 3|1", "Hole Artikelpaket: 2 von 3|2",
                                      "Hole Artikelpaket: 3 von 3|3"}));
  EXPECT_FALSE(std::filesystem::exists(ErrorFile()));
}

TEST_F(PagedDownloadTest, FailedPagesAreLeftOutAndCountedInTheErrorFile) {
  Configure("50", "120");
  plugin_.Answer("/shop/MarlixKanvio/getArticles?offset=50&limit=50", "kaputt", 500);
  EXPECT_EQ(shopware_.HoleArtikelVomShop(error_, false), 1);
  EXPECT_EQ(Numbers(), (std::vector<std::string>{"P0", "P100"}));
  EXPECT_EQ(test::ReadFile(ErrorFile()), "[ArtikelimportFehler]\r\nAnzahl=50\r\n");

  // A page that arrives but is no XML counts as well.
  plugin_.Answer("/shop/MarlixKanvio/getArticles?offset=0&limit=50", "<Artikelimport><row>");
  EXPECT_EQ(shopware_.HoleArtikelVomShop(error_, false), 1);
  EXPECT_EQ(Numbers(), (std::vector<std::string>{"P100"}));
  EXPECT_EQ(test::ReadFile(ErrorFile()), "[ArtikelimportFehler]\r\nAnzahl=100\r\n");
}

// The merged file is UTF-8: pages in other encodings are merged as their
// text, and bytes that are no text at all as U+FFFD, never as raw bytes.
TEST_F(PagedDownloadTest, PagesInOtherEncodingsAreMergedAsTheirText) {
  for (const std::string password : {"", "Kennwort"}) {
    SCOPED_TRACE(password.empty() ? "plain pages" : "enciphered pages");
    Connect("ledgrox", password);
    Configure("1", "3");
    plugin_.On(
        "/shop/MarlixKanvio/getArticles", [password](const httplib::Request& req, httplib::Response& res) {
          const std::string offset = req.get_param_value("offset");
          const std::string pages[] = {
              "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><Artikelimport><row>M\xFChle</row>",
              "<?xml version=\"1.0\" encoding=\"windows-1252\"?><Artikelimport><row>\x80 5</row>",
              "<Artikelimport><row>Gr\xF6\xDF"
              "e</row>"};
          const std::string page = pages[std::stoi(offset)] + "</Artikelimport>";
          res.set_content(
              password.empty() ? page : CipherUtility::EncryptPhp(page, password, KANVIO_SHOP_CIPHER_IV),
              "text/xml");
        });
    EXPECT_EQ(shopware_.HoleArtikelVomShop(error_, false), 1);
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_file(Host().c_str()));
    std::vector<std::string> rows;
    for (auto row : doc.select_nodes("/Artikelimport/row")) rows.push_back(row.node().text().get());
    EXPECT_EQ(rows, (std::vector<std::string>{"Mühle", "€ 5", "Gr\uFFFD\uFFFDe"}));
    EXPECT_FALSE(std::filesystem::exists(ErrorFile()));
  }
}

TEST_F(PagedDownloadTest, NoUsableLimitMeansOneUnpagedDownload) {
  for (const std::string limit : {"0", "-5", "fünfzig", ""}) {
    Configure(limit, "120");
    EXPECT_EQ(shopware_.HoleArtikelVomShop(error_, false), 1) << limit;
    EXPECT_EQ(plugin_.Lines().back(), "GET /shop/MarlixKanvio/getArticles") << limit;
    EXPECT_EQ(Numbers(), (std::vector<std::string>{"A-1", "A-2"}));
  }
  plugin_.Answer("/shop/MarlixKanvio/getPluginConfiguration", "<html>Fehler</html>", 500);
  EXPECT_EQ(shopware_.HoleArtikelVomShop(error_, false), 1);
  EXPECT_EQ(plugin_.Lines().back(), "GET /shop/MarlixKanvio/getArticles");
}

TEST_F(PagedDownloadTest, CountThatIsNoNumberWritesNothing) {
  Configure("50", "unbekannt");
  test::WriteFile(Host(), "vorher");
  EXPECT_EQ(shopware_.HoleArtikelVomShop(error_, false), 0);
  EXPECT_EQ(test::ReadFile(Host()), "vorher");
  EXPECT_EQ(plugin_.Lines().size(), 2u);
}

TEST_F(PagedDownloadTest, Magento2NeverPages) {
  plugin_.Answer("/shop/marlix/ledgrox/getArticles", Rows("Artikelimport", "row", 1));
  EXPECT_EQ(magento_.HoleArtikelVomShop(error_, false), 1);
  EXPECT_EQ(plugin_.Lines(), std::vector<std::string>{"GET /shop/marlix/ledgrox/getArticles"});
}

class UploadTest : public RestShopTest {
 protected:
  void SetUp() override {
    RestShopTest::SetUp();
    SetConfig("PackageSplitting", "true");
    SetConfig("PackageSplittingAmount", "100");
  }
};

TEST_F(UploadTest, ArticlesGoInPackagesWithProgressAndOneProtocolEach) {
  test::WriteFile(Host(), Rows("Artikelexport", "row", 250));
  plugin_.Answer("/shop/MarlixKanvio/setArticles", Protocol("SUCCESS", 100, 100));
  EXPECT_EQ(shopware_.ExportArtikelZumShop(error_, false), 1);
  const auto requests = plugin_.Requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[0].line, "POST /shop/MarlixKanvio/setArticles");
  EXPECT_EQ(requests[0].body.rfind("<Artikelexport><row>", 0), 0u) << requests[0].body.substr(0, 60);
  EXPECT_EQ(requests[0].content_type, "");
  EXPECT_EQ(worker_.max_values, std::vector<std::int32_t>{4});
  EXPECT_EQ(worker_.messages,
            (std::vector<std::string>{"Upload von Paket: 1 von 3|1", "Upload von Paket: 2 von 3|2",
                                      "Upload von Paket: 3 von 3|3"}));
  EXPECT_EQ(Protocols(Host()), std::vector<std::string>(3, "SUCCESS/100/100"));
}

TEST_F(UploadTest, RollbackAndIncompleteProtocols) {
  test::WriteFile(Host(), Rows("Artikelexport", "row", 250));
  int package = 0;
  plugin_.On("/shop/MarlixKanvio/setArticles", [&](const httplib::Request&, httplib::Response& res) {
    ++package;
    if (package == 2) return res.set_content(Protocol("ROLLBACK", 100, 0), "text/xml");
    // SUCCESS without the count of records passed: the protocol keeps its start values.
    res.set_content(
        "<Exportprotokoll><Export_Status>SUCCESS</Export_Status><Anzahl_Datensaetze_Gesamt>50"
        "</Anzahl_Datensaetze_Gesamt></Exportprotokoll>",
        "text/xml");
  });
  EXPECT_EQ(shopware_.ExportArtikelZumShop(error_, false), -1);
  EXPECT_EQ(Protocols(Host()), (std::vector<std::string>{"ROLLBACK/0/0", "ROLLBACK/100/0", "ROLLBACK/0/0"}));
}

TEST_F(UploadTest, ArticleTransportFailureEndsTheUploadStockGoesOn) {
  test::WriteFile(Host(), Rows("Artikelexport", "row", 250));
  plugin_.Answer("/shop/MarlixKanvio/setArticles", Protocol("SUCCESS"));
  plugin_.Answer("/shop/MarlixKanvio/setStock", Protocol("SUCCESS"));
  FailingRequests second{{2}};
  shopware4 articles(&worker_, second.Factory());
  EXPECT_THROW(articles.ExportArtikelZumShop(error_, false), TransportError);
  EXPECT_EQ(plugin_.Requests().size(), 1u);
  EXPECT_EQ(Protocols(Host()), std::vector<std::string>{"SUCCESS/1/1"});

  test::WriteFile(Host(), Rows("LagerbestandExport", "Artikel", 250));
  FailingRequests again{{2}};
  shopware4 stock(&worker_, again.Factory());
  worker_.messages.clear();
  EXPECT_EQ(stock.SetzeLagerbestand(error_, false), -1);
  EXPECT_EQ(error_, "");
  EXPECT_EQ(plugin_.Requests().size(), 3u);
  EXPECT_EQ(Protocols(Host()), std::vector<std::string>(2, "SUCCESS/1/1"));
  EXPECT_EQ(worker_.messages.back(), "Lagerbestandsexport - Upload von Paket: 3 von 3|3");
}

TEST_F(UploadTest, WholeFileGoesUnchanged) {
  SetConfig("PackageSplitting", "false");
  const std::string file = "\xEF\xBB\xBF" + Rows("Artikelexport", "row", 250);
  test::WriteFile(Host(), file);
  const std::pair<std::string, int> cases[] = {
      {Protocol("SUCCESS"), 1}, {Protocol("ROLLBACK"), -1}, {"", 0}, {"Fehler", 0}};
  for (const auto& [answer, result] : cases) {
    plugin_.Answer("/shop/MarlixKanvio/setArticles", answer);
    EXPECT_EQ(shopware_.ExportArtikelZumShop(error_, false), result) << answer;
  }
  EXPECT_EQ(plugin_.Requests().front().body, file);
  EXPECT_EQ(Protocols(Host()), (std::vector<std::string>{"SUCCESS/1/1", "ROLLBACK/1/1"}));
}

TEST_F(UploadTest, PricesAreNeverCutAndFailQuietly) {
  const std::string file = Rows("Artikelpreisexport", "row", 250);
  test::WriteFile(Host(), file);
  plugin_.Answer("/shop/marlix/ledgrox/setArticlePrices", Protocol("SUCCESS", 250, 250), 500);
  EXPECT_EQ(magento_.SetzeArtikelPreise(error_, false), 1);
  ASSERT_EQ(plugin_.Requests().size(), 1u);
  EXPECT_EQ(plugin_.Requests()[0].body, file);
  EXPECT_EQ(Protocols(Host()), std::vector<std::string>{"SUCCESS/250/250"});

  FailingRequests first{{1}};
  magento2 failing(&worker_, first.Factory());
  EXPECT_EQ(failing.SetzeArtikelPreise(error_, false), -1);
  EXPECT_EQ(error_, "");
}

TEST_F(UploadTest, ProtocolIsNotWrittenIntoAFileWithAnotherRoot) {
  SetConfig("PackageSplitting", "false");
  const std::string file = Rows("Lagerbestaende", "Artikel", 2);
  test::WriteFile(Host(), file);
  plugin_.Answer("/shop/MarlixKanvio/setStock", Protocol("SUCCESS"));
  EXPECT_EQ(shopware_.SetzeLagerbestand(error_, false), 1);
  EXPECT_EQ(test::ReadFile(Host()), file);
}

TEST_F(UploadTest, PackageSizeBelowOneFailsBeforeAnyRequest) {
  SetConfig("PackageSplittingAmount", "0");
  test::WriteFile(Host(), Rows("Artikelexport", "row", 5));
  EXPECT_EQ(shopware_.ExportArtikelZumShop(error_, false), -1);
  EXPECT_NE(error_.find("PackageSplittingAmount"), std::string::npos);
  EXPECT_TRUE(plugin_.Requests().empty());
}

TEST_F(RestShopTest, OrderStatesOnePerShopOrderNumberEncoded) {
  test::WriteFile(Host(),
                  "<Bestellungen><Bestellvorgang><BestellnummerShop>100</BestellnummerShop></Bestellvorgang>"
                  "<Bestellvorgang><Kunde/></Bestellvorgang>"
                  "<Bestellvorgang><Kopf><BestellnummerShop>A/1 x</BestellnummerShop></Kopf></Bestellvorgang>"
                  "</Bestellungen>");
  plugin_.Answer("/shop/MarlixKanvio/setOrderStatus/id/100", "0");
  plugin_.Answer("/shop/MarlixKanvio/setOrderStatus/id/A%2F1%20x", "egal");
  EXPECT_EQ(shopware_.SetzeBestellstatus(error_, false), 1);
  EXPECT_EQ(plugin_.Lines(),
            (std::vector<std::string>{"GET /shop/MarlixKanvio/setOrderStatus/id/100",
                                      "GET /shop/MarlixKanvio/setOrderStatus/id/A%2F1%20x"}));

  plugin_.Answer("/shop/MarlixKanvio/setOrderStatus/id/100", "weg", 404);
  EXPECT_EQ(shopware_.SetzeBestellstatus(error_, false), -1);
  EXPECT_EQ(error_, "");
  EXPECT_EQ(plugin_.Lines().size(), 3u);  // the loop ended at the failure

  UseFile(dir_ / "fehlt.xml");
  EXPECT_EQ(shopware_.SetzeBestellstatus(error_, false), -1);
  EXPECT_EQ(plugin_.Lines().size(), 3u);
}

TEST(AnyKanvioTest, SecurityProtocolNames) {
  using Versions = std::set<TlsVersion>;
  EXPECT_EQ(AnyKanvio::ParseSecurityProtocols("Tls12,Tls11,Tls"),
            (Versions{TlsVersion::kTls12, TlsVersion::kTls11, TlsVersion::kTls10}));
  EXPECT_EQ(AnyKanvio::ParseSecurityProtocols(" tls12 , TLS13"),
            (Versions{TlsVersion::kTls12, TlsVersion::kTls13}));
  EXPECT_EQ(AnyKanvio::ParseSecurityProtocols("SystemDefault"), Versions{});
  for (const char* bad : {"", "Tls12,", "Tls12,Tls14", "3072", "Tls12;Tls11"})
    EXPECT_EQ(AnyKanvio::ParseSecurityProtocols(bad), std::nullopt) << bad;
}

TEST_F(RestShopTest, SecurityProtocolsApplyToEveryRequestAndBadListsKeepTheLast) {
  std::vector<platform::HttpRequest> sent;
  class Capture : public platform::HttpClient {
   public:
    explicit Capture(std::vector<platform::HttpRequest>& sent) : sent_(sent) {}
    platform::HttpResponse Send(const platform::HttpRequest& request) override {
      sent_.push_back(request);
      return {200, "OK", "text/plain", {}};
    }

   private:
    std::vector<platform::HttpRequest>& sent_;
  };
  magento2 shop(nullptr, [&] { return std::make_unique<Capture>(sent); });
  SetConfig("SecurityProtocols", "Tls12");
  EXPECT_EQ(shop.KontrolliereVerbindungZumShop(error_, false), 1);
  SetConfig("SecurityProtocols", "Tls12,Ssl2");
  SetConfig("AcceptInvalidCertificates", "true");
  EXPECT_EQ(shop.KontrolliereVerbindungZumShop(error_, false), 1);
  ASSERT_EQ(sent.size(), 2u);
  for (const auto& request : sent) EXPECT_EQ(request.tls_versions, std::set<TlsVersion>{TlsVersion::kTls12});
  EXPECT_EQ(sent[0].certificate_policy, platform::CertificatePolicy::kValidate);
  EXPECT_EQ(sent[1].certificate_policy, platform::CertificatePolicy::kAcceptInvalid);
  EXPECT_EQ(sent[0].total_timeout, std::chrono::hours(1));
}

// Only characters that cannot be data go: "L'Haÿ-les-Roses" keeps its ÿ and
// no character is lost for the low byte of its code.
TEST(AnyKanvioTest, SavedAnswersLoseOnlyCharactersThatCannotBeData) {
  const std::pair<std::string, std::string> cases[] = {
      {"\xEF\xBB\xBF<a>L'Ha\xC3\xBF-les-Roses</a>", "<a>L'Ha\xC3\xBF-les-Roses</a>"},
      {"\xC7\xBF \xE4\xBB\xBF \xEF\xBC\xBF \xF0\x9F\x98\x80",
       "\xC7\xBF \xE4\xBB\xBF \xEF\xBC\xBF \xF0\x9F\x98\x80"},
      {"a\xEF\xBB\xBF"
       "b\xEF\xBF\xBE"
       "c\xEF\xBF\xBF"
       "d",
       "abcd"},
      {"\xEF\xBF\xBD \xEF", "\xEF\xBF\xBD \xEF"},
      {"\xFF\xC3", "\xFF\xC3"},  // not UTF-8: kept as it came
  };
  for (const auto& [answer, saved] : cases)
    EXPECT_EQ(AnyKanvio::RemoveNonDataCharacters(answer), saved) << answer;
  EXPECT_TRUE(AnyKanvio::ContainsIllegalContent("x</html>"));
  EXPECT_FALSE(AnyKanvio::ContainsIllegalContent("<HTML>"));
}

}  // namespace
}  // namespace kanvio
