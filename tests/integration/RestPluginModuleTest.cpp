#include <gtest/gtest.h>
#include <httplib.h>

#include <pugixml.hpp>
#include <string>
#include <vector>

#include "ShopSimulator.h"
#include "support/CipherUtility.h"

namespace kanvio::shopsim {
namespace {

const std::vector<std::string> kPluginPaths = {"/shop/MarlixKanvio/", "/shop/MarlixKanvioVD/",
                                               "/shop/marlix/ledgrox/", "/shop/marlix/vardemo/"};

std::vector<std::string> Texts(const std::string& xml, const char* xpath) {
  pugi::xml_document document;
  EXPECT_TRUE(document.load_string(xml.c_str())) << xml;
  std::vector<std::string> texts;
  for (const auto& node : document.select_nodes(xpath)) texts.push_back(node.node().text().as_string());
  return texts;
}

std::string Protocol(const std::string& xml) {
  std::string protocol;
  for (const char* child :
       {"Export_Status", "Anzahl_Datensaetze_Gesamt", "Anzahl_Datensaetze_Erfolgreich_Uebergeben"}) {
    const auto texts = Texts(xml, (std::string("/Exportprotokoll/") + child).c_str());
    if (texts.size() != 1) return "malformed: " + xml;
    protocol += (protocol.empty() ? "" : " ") + texts[0];
  }
  return protocol;
}

SimulatorOptions Options() {
  SimulatorOptions options;
  options.base_path = "/shop";
  return options;
}

class RestPluginModuleTest : public ::testing::Test {
 protected:
  void SetUp() override { simulator_.Start(); }

  httplib::Result Get(const std::string& path) { return Client().Get(path); }
  httplib::Result Post(const std::string& path, const std::string& body) {
    return Client().Post(path, body, "text/xml");
  }
  // Articles R-000 ... after the demo shop's five.
  void FillArticles(int count) {
    for (int i = 0; i < count; ++i) {
      char number[16];
      std::snprintf(number, sizeof number, "R-%03d", i);
      simulator_.Shop().PutArticle(ShopArticle{number, {{"Artikelbeschreibung", "Artikel"}}});
    }
  }
  std::vector<std::string> PageNumbers(std::size_t offset, std::size_t limit, const std::string& password) {
    const auto page = Get(kPluginPaths[0] + "getArticles?offset=" + std::to_string(offset) +
                          "&limit=" + std::to_string(limit));
    EXPECT_TRUE(page && page->status == 200);
    if (!page) return {};
    const auto xml = password.empty() ? page->body : CipherUtility::DecryptPhp(page->body, password);
    return Texts(xml, "/Artikelimport/row/ArtikelnummerWebshop");
  }

  ShopSimulator simulator_{Options()};

 private:
  httplib::Client Client() {
    httplib::Client client("127.0.0.1", simulator_.Port());
    client.set_read_timeout(std::chrono::seconds(5));
    return client;
  }
};

TEST_F(RestPluginModuleTest, EveryPluginPathServesTheSameShop) {
  for (const auto& plugin : kPluginPaths) {
    const auto connection = Get(plugin + "getConnection");
    ASSERT_TRUE(connection) << plugin;
    EXPECT_EQ(connection->status, 200) << plugin;
    EXPECT_EQ(connection->body, "OK") << plugin;
    EXPECT_EQ(Get(plugin + "getOpenOrdersCount")->body, "2") << plugin;
    EXPECT_EQ(
        Texts(Get(plugin + "getOpenOrders")->body, "/OrderNotification/Bestellvorgang/BestellnummerShop"),
        (std::vector<std::string>{"1002", "1003"}))
        << plugin;
    EXPECT_EQ(Texts(Get(plugin + "getArticleList")->body, "/ArtikelListeWebshop/row").size(), 5u) << plugin;
  }
  EXPECT_EQ(simulator_.RequestCount("rest:getConnection"), 4u);
  EXPECT_EQ(simulator_.RequestCount("rest"), 16u);

  // Neither a near miss nor a path outside the base path reaches a plug-in.
  for (const std::string path : {"/shop/marlix/vd/getConnection", "/shop/MarlixKanvio/getconnection",
                                 "/shop/MarlixKanvio/getConnectionX", "/MarlixKanvio/getConnection",
                                 "/shop/MarlixKanvio//getConnection"}) {
    const auto result = Get(path);
    ASSERT_TRUE(result) << path;
    EXPECT_EQ(result->status, 404) << path;
  }
  EXPECT_EQ(simulator_.RequestCount("unknown"), 5u);
  EXPECT_EQ(simulator_.RequestCount("rest"), 16u);
}

TEST_F(RestPluginModuleTest, OrderStatusTakesTheDecodedNumberFromThePath) {
  ShopOrder order;
  order.number = "A/7 x+1";
  simulator_.Shop().AddOrder(order);
  struct Case {
    std::string path;
    int status;
    const char* body;
  };
  const Case cases[] = {
      {"/shop/marlix/vardemo/setOrderStatus/id/A%2F7%20x+1", 200, "1"},
      {"/shop/MarlixKanvio/setOrderStatus/id/1002", 200, "1"},
      {"/shop/MarlixKanvioVD/setOrderStatus/id/4711", 200, "0"},
      {"/shop/marlix/ledgrox/setOrderStatus/id/", 400, nullptr},
  };
  for (const auto& c : cases) {
    const auto result = Get(c.path);
    ASSERT_TRUE(result) << c.path;
    EXPECT_EQ(result->status, c.status) << c.path;
    if (c.body) {
      EXPECT_EQ(result->body, c.body) << c.path;
    }
  }
  EXPECT_EQ(simulator_.Shop().ReceivedStateIds(), (std::vector<std::string>{"A/7 x+1", "1002", "4711"}));
  EXPECT_EQ(simulator_.Shop().OpenOrderCount(), 1u);  // 1003 is left
  EXPECT_EQ(simulator_.RequestCount("rest:setOrderStatus"), 4u);
}

TEST_F(RestPluginModuleTest, UploadsAnswerTheProtocolAndRollBackWholePackages) {
  simulator_.Shop().SetRollbackArticle("A-104");
  struct Case {
    const char* endpoint;
    const char* body;
    const char* protocol;
  };
  const Case cases[] = {
      {"setArticles",
       "<Artikelexport><row><ArtikelnummerWebshop>A-200</ArtikelnummerWebshop>"
       "<Artikelbeschreibung>Brotkorb</Artikelbeschreibung></row></Artikelexport>",
       "SUCCESS 1 1"},
      {"setStock",
       "<LagerbestandExport><Artikel><ArtikelnummerWebshop>A-102</ArtikelnummerWebshop>"
       "<LagerBestandAktuell>5</LagerBestandAktuell></Artikel></LagerbestandExport>",
       "SUCCESS 1 1"},
      {"setArticlePrices",
       "<Artikelpreisexport><row><ArtikelnummerWebshop>A-101</ArtikelnummerWebshop>"
       "<ArtikelpreisNetto>21.00</ArtikelpreisNetto></row>"
       "<row><ArtikelnummerWebshop>A-104</ArtikelnummerWebshop><ArtikelpreisNetto>1</ArtikelpreisNetto></row>"
       "</Artikelpreisexport>",
       "ROLLBACK 2 0"},
      {"setStock", "<Artikelexport/>", "ROLLBACK 0 0"},
  };
  for (const auto& c : cases) {
    const auto result = Post(std::string("/shop/marlix/ledgrox/") + c.endpoint, c.body);
    ASSERT_TRUE(result) << c.endpoint;
    EXPECT_EQ(result->status, 200) << c.endpoint;
    EXPECT_EQ(Protocol(result->body), c.protocol) << c.endpoint << ": " << c.body;
  }
  EXPECT_EQ(simulator_.Shop().Article("A-200")->fields["Artikelbeschreibung"], "Brotkorb");
  EXPECT_EQ(simulator_.Shop().Article("A-102")->fields["LagerBestandAktuell"], "5");
  EXPECT_EQ(simulator_.Shop().Article("A-101")->fields["ArtikelpreisNetto"], "25.13");
  EXPECT_EQ(simulator_.RequestCount("rest:setStock"), 2u);
}

TEST_F(RestPluginModuleTest, EachEndpointTakesOnlyItsMethod) {
  const auto get_upload = Get("/shop/MarlixKanvio/setArticles");
  const auto post_state = Post("/shop/MarlixKanvio/setOrderStatus/id/1002", "");
  for (const auto& [result, allowed] : {std::pair{&get_upload, "POST"}, std::pair{&post_state, "GET"}}) {
    ASSERT_TRUE(*result) << allowed;
    EXPECT_EQ((*result)->status, 405) << allowed;
    EXPECT_EQ((*result)->get_header_value("Allow"), allowed);
  }
  EXPECT_TRUE(simulator_.Shop().ReceivedStateIds().empty());
}

TEST_F(RestPluginModuleTest, PagesFollowTheImportLimitAndAreEncipheredWithAPassword) {
  const auto configuration = [&] {
    return Texts(Get(kPluginPaths[0] + "getPluginConfiguration")->body,
                 "/PluginConfiguration/ArticlesImportLimit");
  };
  EXPECT_EQ(configuration(), std::vector<std::string>{"0"});

  FillArticles(115);  // 120 with the demo shop's five
  simulator_.Shop().SetArticlesImportLimit(50);
  EXPECT_EQ(configuration(), std::vector<std::string>{"50"});
  EXPECT_EQ(Get(kPluginPaths[0] + "getArticlesCount")->body, "120");

  for (const std::string password : {"", "geheim"}) {
    simulator_.Shop().SetPassword(password);
    std::vector<std::size_t> sizes;
    std::vector<std::string> firsts;
    for (std::size_t offset : {0, 50, 100}) {
      const auto numbers = PageNumbers(offset, 50, password);
      sizes.push_back(numbers.size());
      firsts.push_back(numbers.empty() ? "" : numbers.front());
    }
    EXPECT_EQ(sizes, (std::vector<std::size_t>{50, 50, 20})) << password;
    EXPECT_EQ(firsts, (std::vector<std::string>{"A-100", "R-045", "R-095"})) << password;
    // The whole list in one answer is never enciphered.
    EXPECT_EQ(Texts(Get(kPluginPaths[3] + "getArticles")->body, "/Artikelimport/row").size(), 120u);
  }
  EXPECT_EQ(Get(kPluginPaths[0] + "getArticles?offset=50")->status, 400);
}

TEST_F(RestPluginModuleTest, FailuresHitTheirEndpointOrPageOnly) {
  FillArticles(115);
  struct Case {
    const char* target;
    std::vector<int> page_statuses;  // offsets 0, 50, 100
    int count_status;                // getOpenOrdersCount
  };
  const Case cases[] = {
      {"rest:getArticles:offset=50", {200, 500, 200}, 200},
      {"rest:getArticles", {500, 500, 500}, 200},
      {"rest:getOpenOrdersCount", {200, 200, 200}, 500},
      {"rest", {500, 500, 500}, 500},
      {"sync", {200, 200, 200}, 200},
  };
  for (const auto& c : cases) {
    simulator_.Failures().ClearAll();
    simulator_.ClearRequests();
    simulator_.Failures().Set(c.target, Failure::Status500("Seite kaputt"));
    std::vector<int> statuses;
    for (int offset : {0, 50, 100}) {
      const auto page = Get(kPluginPaths[1] + "getArticles?offset=" + std::to_string(offset) + "&limit=50");
      statuses.push_back(page ? page->status : -1);
    }
    EXPECT_EQ(statuses, c.page_statuses) << c.target;
    const auto count = Get(kPluginPaths[2] + "getOpenOrdersCount");
    ASSERT_TRUE(count);
    EXPECT_EQ(count->status, c.count_status) << c.target;
    EXPECT_EQ(simulator_.RequestCount("rest:getArticles:offset=50"), 1u) << c.target;
    EXPECT_EQ(simulator_.RequestCount("rest:getArticles"), 3u) << c.target;
    EXPECT_EQ(simulator_.RequestCount("rest"), 4u) << c.target;
  }
}

TEST(FailureSwitchTest, TargetsMayHoldAnEqualsSign) {
  struct Case {
    const char* text;
    const char* target;  // nullptr: not readable
    FailureKind kind;
    const char* body;
  };
  const Case cases[] = {
      {"rest:getArticles:offset=50=500", "rest:getArticles:offset=50", FailureKind::kStatus500, ""},
      {"rest:getArticles:offset=0=html", "rest:getArticles:offset=0", FailureKind::kHtmlPage, ""},
      {"sync=500:a=b", "sync", FailureKind::kStatus500, "a=b"},
      {"rest=drop", "rest", FailureKind::kDrop, ""},
      {"=500", nullptr, {}, ""},
      {"rest", nullptr, {}, ""},
      {"rest=teapot", nullptr, {}, ""},
  };
  for (const auto& c : cases) {
    FailurePlan plan;
    EXPECT_EQ(plan.SetFromSwitch(c.text), c.target != nullptr) << c.text;
    if (!c.target) continue;
    const auto failure = plan.Find({c.target});
    ASSERT_TRUE(failure) << c.text;
    EXPECT_EQ(failure->kind, c.kind) << c.text;
    EXPECT_EQ(failure->body, c.body) << c.text;
  }
}

}  // namespace
}  // namespace kanvio::shopsim
