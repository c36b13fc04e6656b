#include <gtest/gtest.h>
#include <httplib.h>

#include <future>
#include <pugixml.hpp>

#include "ShopSimulator.h"
#include "TestSupport.h"
#include "support/CipherUtility.h"

namespace kanvio::shopsim {
namespace {

using namespace std::chrono_literals;

std::string Script(const std::string& prefix, const std::string& script, const std::string& query) {
  return "/shop/" + prefix + "_osc" + script + ".php?shp_system=individuell" + query;
}

std::string Check(const std::string& prefix, const std::string& function) {
  return "/shop/" + prefix + "_osc_val.php?function_name=" + function +
         "&CallName=check_function&shp_system=individuell";
}

std::string Sync(const std::string& value) { return Script("ledgrox", "_sync", "&sync=" + value); }

std::vector<std::string> Texts(const std::string& xml, const char* xpath) {
  pugi::xml_document document;
  EXPECT_TRUE(document.load_string(xml.c_str())) << xml;
  std::vector<std::string> texts;
  for (const auto& node : document.select_nodes(xpath)) texts.push_back(node.node().text().as_string());
  return texts;
}

SimulatorOptions Options(const std::string& base_path, const std::filesystem::path& state_file = {}) {
  SimulatorOptions options;
  options.base_path = base_path;
  options.state_file = state_file;
  return options;
}

std::string Field(ShopSimulator& simulator, const std::string& number, const std::string& name) {
  const auto article = simulator.Shop().Article(number);
  if (!article) return "<no article>";
  auto it = article->fields.find(name);
  return it == article->fields.end() ? "<no field>" : it->second;
}

class ShopSimulatorTest : public ::testing::Test {
 protected:
  void SetUp() override { simulator_.Start(); }

  httplib::Client Client(std::chrono::milliseconds read_timeout = 5s) {
    httplib::Client client("127.0.0.1", simulator_.Port());
    client.set_read_timeout(read_timeout);
    return client;
  }
  httplib::Result Get(const std::string& path, const httplib::Headers& headers = {}) {
    return Client().Get(path, headers);
  }
  httplib::Result Post(const std::string& path, const std::string& body = "",
                       const httplib::Headers& headers = {}) {
    return Client().Post(path, headers, body, "text/xml");
  }
  std::string Exportprotokoll(const std::string& sync, const std::string& body) {
    const auto result = Post(Sync(sync), body);
    EXPECT_TRUE(result && result->status == 200);
    if (!result) return {};
    const auto status = Texts(result->body, "/Exportprotokoll/Export_Status");
    const auto total = Texts(result->body, "/Exportprotokoll/Anzahl_Datensaetze_Gesamt");
    const auto stored = Texts(result->body, "/Exportprotokoll/Anzahl_Datensaetze_Erfolgreich_Uebergeben");
    if (status.size() != 1 || total.size() != 1 || stored.size() != 1) return "malformed: " + result->body;
    return status[0] + " " + total[0] + " " + stored[0];
  }

  ShopSimulator simulator_{Options("/shop/")};
};

TEST_F(ShopSimulatorTest, CheckScriptAnswersUnderBothPrefixesAndMethods) {
  simulator_.Shop().SetFunctionOffered("status_aendern", false);
  for (const std::string prefix : {"ledgrox", "vd"}) {
    for (const std::string function : {"daten_holen", "status_aendern"}) {
      const auto path = Check(prefix, function);
      const std::string expected = function == "daten_holen" ? "1" : "0";
      for (const auto& result : {Get(path), Post(path)}) {
        ASSERT_TRUE(result) << path;
        EXPECT_EQ(result->status, 200) << path;
        EXPECT_EQ(result->body, expected) << path;
      }
    }
  }
  EXPECT_EQ(simulator_.RequestCount("val"), 8u);
  EXPECT_EQ(simulator_.RequestCount("val:daten_holen"), 4u);
}

TEST_F(ShopSimulatorTest, OrdersStayNewUntilTheStateScriptMarksThem) {
  auto orders = Get(Script("vd", "", ""));
  ASSERT_TRUE(orders);
  EXPECT_EQ(Texts(orders->body, "/OrderNotification/Bestellvorgang/BestellnummerShop"),
            (std::vector<std::string>{"1002", "1003"}));
  EXPECT_EQ(Get(Sync("check_open_orders"))->body, "2");

  for (const std::string id : {"1002", "1003", "4711"}) {
    const auto answer = Get(Script("ledgrox", "_del", "&id=" + id));
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->body, id == "4711" ? "0" : "1");
  }

  orders = Get(Script("ledgrox", "", ""));
  ASSERT_TRUE(orders);
  EXPECT_EQ(Texts(orders->body, "/OrderNotification").size(), 1u);
  EXPECT_TRUE(Texts(orders->body, "//Bestellvorgang").empty()) << orders->body;
  EXPECT_EQ(Get(Sync("check_open_orders"))->body, "0");
  EXPECT_EQ(simulator_.Shop().ReceivedStateIds(), (std::vector<std::string>{"1002", "1003", "4711"}));
}

TEST_F(ShopSimulatorTest, StateIdsArriveDecodedAndTheQueryAsSent) {
  ASSERT_TRUE(Get(Script("vd", "_del", "&id=A%2F7%20x")));
  EXPECT_EQ(simulator_.Shop().ReceivedStateIds(), std::vector<std::string>{"A/7 x"});
  const auto requests = simulator_.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].query, "shp_system=individuell&id=A%2F7%20x");
  EXPECT_EQ(requests[0].Param("id"), "A/7 x");
  EXPECT_EQ(requests[0].path, "/shop/vd_osc_del.php");
}

TEST_F(ShopSimulatorTest, PagesAreEncipheredOnlyWhenAPasswordIsSet) {
  const auto paging = Get(Sync("paging_informationen"));
  ASSERT_TRUE(paging);
  EXPECT_EQ(Texts(paging->body, "/PagingInformations/ArticleCount"), std::vector<std::string>{"5"});

  for (const std::string password : {"", "geheim"}) {
    simulator_.Shop().SetPassword(password);
    std::vector<std::string> numbers;
    for (int offset = 0; offset < 6; offset += 2) {
      const auto page = Post(Sync("shop_to_lqx&offset=" + std::to_string(offset) + "&limit=2"));
      ASSERT_TRUE(page && page->status == 200);
      const auto xml = password.empty() ? page->body : CipherUtility::DecryptPhp(page->body, password);
      for (const auto& number : Texts(xml, "/Artikelimport/row/ArtikelnummerWebshop"))
        numbers.push_back(number);
    }
    EXPECT_EQ(numbers, (std::vector<std::string>{"A-100", "A-101", "A-102", "A-103", "A-104"})) << password;
    // The download in one piece is never enciphered.
    EXPECT_EQ(Texts(Post(Sync("shop_to_lqx"))->body, "//row").size(), 5u) << password;
  }
  EXPECT_EQ(Post(Sync("shop_to_lqx&offset=x&limit=2"))->status, 400);
}

TEST_F(ShopSimulatorTest, UploadsAnswerHonestCounts) {
  struct Case {
    const char* sync;
    const char* body;
    const char* protocol;
  };
  const Case cases[] = {
      {"lqx_to_shop",
       "<Artikelexport><row><ArtikelnummerWebshop>A-200</ArtikelnummerWebshop>"
       "<Artikelbeschreibung>Brotkorb</Artikelbeschreibung></row>"
       "<row><ArtikelnummerWebshop>A-100</ArtikelnummerWebshop><ArtikelpreisBrutto>13,90</ArtikelpreisBrutto>"
       "<Einheit>KVX_IGNORE</Einheit></row>"
       "<row><Artikelbeschreibung>ohne Nummer</Artikelbeschreibung></row></Artikelexport>",
       "SUCCESS 3 2"},
      {"pricelist_to_shop",
       "<Artikelpreisexport><row><ArtikelnummerWebshop>A-101</ArtikelnummerWebshop>"
       "<ArtikelpreisNetto>21.00</ArtikelpreisNetto></row>"
       "<row><ArtikelnummerWebshop>Z-999</ArtikelnummerWebshop><ArtikelpreisNetto>1</ArtikelpreisNetto></row>"
       "</Artikelpreisexport>",
       "SUCCESS 2 1"},
      {"stockvalue_to_shop",
       "<LagerbestandExport><Artikel><ArtikelnummerWebshop>A-102</ArtikelnummerWebshop>"
       "<LagerBestandAktuell>5</LagerBestandAktuell><LagerMindestBestand>KVXIGNORE</LagerMindestBestand>"
       "</Artikel></LagerbestandExport>",
       "SUCCESS 1 1"},
      {"stockvalue_to_shop", "<Artikelexport><row/></Artikelexport>", "ROLLBACK 0 0"},
      {"lqx_to_shop", "kein XML", "ROLLBACK 0 0"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Exportprotokoll(c.sync, c.body), c.protocol) << c.sync << ": " << c.body;

  EXPECT_EQ(Field(simulator_, "A-200", "Artikelbeschreibung"), "Brotkorb");
  EXPECT_EQ(Field(simulator_, "A-100", "ArtikelpreisBrutto"), "13,90");
  EXPECT_EQ(Field(simulator_, "A-100", "Einheit"), "Stk.");
  EXPECT_EQ(Field(simulator_, "A-101", "ArtikelpreisNetto"), "21.00");
  EXPECT_FALSE(simulator_.Shop().Article("Z-999"));
  EXPECT_EQ(Field(simulator_, "A-102", "LagerBestandAktuell"), "5");
  EXPECT_EQ(Field(simulator_, "A-102", "LagerMindestBestand"), "2");
  const auto list = Post(Sync("articlelist_from_shop"));
  ASSERT_TRUE(list);
  EXPECT_EQ(Texts(list->body, "/ArtikelListeWebshop/row/ArtikelnummerWebshop").size(), 6u);
}

TEST_F(ShopSimulatorTest, RollbackArticleRollsBackItsWholePackage) {
  simulator_.Shop().SetRollbackArticle("A-103");
  EXPECT_EQ(Exportprotokoll("lqx_to_shop",
                            "<Artikelexport><row><ArtikelnummerWebshop>A-100</ArtikelnummerWebshop>"
                            "<ArtikelpreisBrutto>1</ArtikelpreisBrutto></row>"
                            "<row><ArtikelnummerWebshop>A-103</ArtikelnummerWebshop></row></Artikelexport>"),
            "ROLLBACK 2 0");
  EXPECT_EQ(Field(simulator_, "A-100", "ArtikelpreisBrutto"), "12.90");
  EXPECT_EQ(Exportprotokoll("lqx_to_shop",
                            "<Artikelexport><row><ArtikelnummerWebshop>A-100</ArtikelnummerWebshop>"
                            "<ArtikelpreisBrutto>1</ArtikelpreisBrutto></row></Artikelexport>"),
            "SUCCESS 1 1");
}

TEST_F(ShopSimulatorTest, FailuresHitOnlyTheirTarget) {
  struct Case {
    const char* target;
    Failure failure;
    bool utf8_header;
    int status;
    const char* body;
    bool sibling_affected;  // "paging_informationen" fails too
  };
  const Case cases[] = {
      {"sync:check_open_orders", Failure::Status500("Fehler im Skript"), false, 500, "Fehler im Skript",
       false},
      {"sync", Failure::HtmlPage(), false, 200, "<html><body>Not Found</body></html>", true},
      {"sync:check_open_orders", Failure::RejectUtf8Header(), true, 501, nullptr, false},
      {"sync:check_open_orders", Failure::RejectUtf8Header(), false, 200, "2", false},
      {"sync:check_open_orders", Failure::Slow(1ms), false, 200, "2", false},
  };
  for (const auto& c : cases) {
    simulator_.Failures().ClearAll();
    simulator_.Failures().Set(c.target, c.failure);
    httplib::Headers headers;
    if (c.utf8_header) headers.emplace("Content-Encoding", "UTF-8");
    const auto hit = Get(Sync("check_open_orders"), headers);
    ASSERT_TRUE(hit) << c.target;
    EXPECT_EQ(hit->status, c.status) << c.target;
    if (c.body) {
      EXPECT_EQ(hit->body, c.body) << c.target;
    }
    const auto sibling = Get(Sync("paging_informationen"), headers);
    ASSERT_TRUE(sibling);
    EXPECT_EQ(sibling->body.find("<PagingInformations>") == std::string::npos, c.sibling_affected)
        << c.target;
  }
}

TEST_F(ShopSimulatorTest, DroppedConnectionGivesNoAnswer) {
  simulator_.Failures().Set("orders", Failure::Drop());
  const auto result = Get(Script("ledgrox", "", ""));
  EXPECT_FALSE(result);
  EXPECT_EQ(simulator_.RequestCount("orders"), 1u);
  simulator_.Failures().Clear("orders");
  EXPECT_TRUE(Get(Script("ledgrox", "", "")));
}

TEST_F(ShopSimulatorTest, SlowAnswerOutlastsTheClientUntilReleased) {
  simulator_.Failures().Set("val", Failure::Slow());
  const auto path = Check("ledgrox", "daten_holen");
  EXPECT_FALSE(Client(50ms).Get(path));
  simulator_.ReleaseSlowAnswers();

  auto pending = std::async(std::launch::async, [&] { return Client().Get(path); });
  ASSERT_TRUE(simulator_.AwaitSlowAnswers(1, 5s));
  simulator_.ReleaseSlowAnswers();
  const auto released = pending.get();
  ASSERT_TRUE(released);
  EXPECT_EQ(released->body, "1");
}

TEST_F(ShopSimulatorTest, StopReleasesHeldAnswers) {
  simulator_.Failures().Set("del", Failure::Slow());
  auto pending = std::async(std::launch::async, [&] { return Get(Script("vd", "_del", "&id=1002")); });
  ASSERT_TRUE(simulator_.AwaitSlowAnswers(1, 5s));
  simulator_.Stop();
  pending.get();
  EXPECT_EQ(simulator_.Shop().ReceivedStateIds(), std::vector<std::string>{"1002"});
}

TEST_F(ShopSimulatorTest, RecordsWhatTheClientSent) {
  const httplib::Headers headers = {{"User-Agent", "shopuser"}, {"Content-Encoding", "UTF-8"}};
  ASSERT_TRUE(Post(Sync("lqx_to_shop"), "<Artikelexport/>", headers));
  EXPECT_EQ(Get("/ledgrox_osc.php")->status, 404);  // outside the base path

  const auto requests = simulator_.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].target, "sync:lqx_to_shop");
  EXPECT_EQ(requests[0].method, "POST");
  EXPECT_EQ(requests[0].Header("user-agent"), "shopuser");
  EXPECT_EQ(requests[0].Header("Content-Type"), "text/xml");
  EXPECT_EQ(requests[0].Header("Content-Encoding"), "UTF-8");
  EXPECT_FALSE(requests[0].HasHeader("REMOTE_ADDR"));
  EXPECT_EQ(requests[0].body, "<Artikelexport/>");
  EXPECT_EQ(simulator_.RequestCount("sync"), 1u);
  EXPECT_EQ(simulator_.RequestCount("unknown"), 1u);
}

TEST_F(ShopSimulatorTest, ConcurrentClientsAreAllRecorded) {
  std::vector<std::future<void>> clients;
  for (int c = 0; c < 4; ++c) {
    clients.push_back(std::async(std::launch::async, [this, c] {
      auto client = Client();
      for (int i = 0; i < 10; ++i) client.Get(Script("vd", "_del", "&id=" + std::to_string(c * 10 + i)));
    }));
  }
  for (auto& client : clients) client.get();
  EXPECT_EQ(simulator_.Shop().ReceivedStateIds().size(), 40u);
  EXPECT_EQ(simulator_.RequestCount("del"), 40u);
  EXPECT_EQ(simulator_.Requests().size(), 40u);
}

TEST(ShopSimulatorStateFileTest, ShowsWhatReachedTheShop) {
  test::TempDir dir;
  ShopSimulator simulator(Options("", dir / "shop.xml"));
  simulator.Start();
  httplib::Client client("127.0.0.1", simulator.Port());
  ASSERT_TRUE(client.Get("/vd_osc_del.php?shp_system=individuell&id=1002"));

  pugi::xml_document state;
  ASSERT_TRUE(state.load_file((dir / "shop.xml").c_str()));
  EXPECT_TRUE(state.select_node("/Shopzustand/Bestellung[@BestellnummerShop='1002' and @abgeholt='true']"));
  EXPECT_TRUE(state.select_node("/Shopzustand/Statusmeldung[@id='1002']"));
  EXPECT_TRUE(state.select_node("/Shopzustand/Artikel[@ArtikelnummerWebshop='A-104']/LagerBestandAktuell"));
}

TEST(FailureTest, ParsesTheCommandLineForms) {
  struct Case {
    const char* text;
    std::optional<FailureKind> kind;
    std::string body;
    std::chrono::milliseconds delay;
    int times = 0;
  };
  const Case cases[] = {
      {"500", FailureKind::kStatus500, "", 0ms},
      {"500:Fehler: Datenbank", FailureKind::kStatus500, "Fehler: Datenbank", 0ms},
      {"501-utf8", FailureKind::kRejectUtf8Header, "", 0ms},
      {"501:<html>", FailureKind::kStatus501, "<html>", 0ms},
      {"html", FailureKind::kHtmlPage, "", 0ms},
      {"slow", FailureKind::kSlow, "", 0ms},
      {"slow:2500", FailureKind::kSlow, "", 2500ms},
      {"drop", FailureKind::kDrop, "", 0ms},
      {"truncated", FailureKind::kTruncated, "", 0ms},
      {"garbage", FailureKind::kGarbage, "", 0ms},
      {"drop-mid-body", FailureKind::kDropMidBody, "", 0ms},
      {"503", FailureKind::kStatus503, "", 0ms},
      {"503:Langsam", FailureKind::kStatus503, "Langsam", 0ms},
      {"md5-wrong", FailureKind::kWrongMd5, "", 0ms},
      {"md5-missing", FailureKind::kNoMd5, "", 0ms},
      {"fault", FailureKind::kSoapFault, "Interner Fehler", 0ms},
      {"fault:Kaputt", FailureKind::kSoapFault, "Kaputt", 0ms},
      {"error", FailureKind::kItemError, "Object was not found.", 0ms},
      {"401", FailureKind::kUnauthorized, "", 0ms},
      {"2*503", FailureKind::kStatus503, "", 0ms, 2},
      {"3*md5-wrong", FailureKind::kWrongMd5, "", 0ms, 3},
      {"0*503", std::nullopt, "", 0ms},
      {"*503", std::nullopt, "", 0ms},
      {"2*teapot", std::nullopt, "", 0ms},
      {"401:x", std::nullopt, "", 0ms},
      {"md5-wrong:x", std::nullopt, "", 0ms},
      {"garbage:x", std::nullopt, "", 0ms},
      {"slow:-1", std::nullopt, "", 0ms},
      {"slow:1s", std::nullopt, "", 0ms},
      {"drop:now", std::nullopt, "", 0ms},
      {"404", std::nullopt, "", 0ms},
      {"", std::nullopt, "", 0ms},
  };
  for (const auto& c : cases) {
    const auto failure = Failure::Parse(c.text);
    ASSERT_EQ(failure.has_value(), c.kind.has_value()) << c.text;
    if (!failure) continue;
    EXPECT_EQ(failure->kind, *c.kind) << c.text;
    EXPECT_EQ(failure->body, c.body) << c.text;
    EXPECT_EQ(failure->delay, c.delay) << c.text;
    EXPECT_EQ(failure->times, c.times) << c.text;
  }
}

}  // namespace
}  // namespace kanvio::shopsim
