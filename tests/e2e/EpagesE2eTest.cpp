// The ePages connector through the C interface and through kanvio, against
// the shop simulator's SOAP services on loopback.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>

#include "E2eSupport.h"
#include "ShopSimulator.h"

namespace kanvio::test {
namespace {

class EpagesE2eTest : public E2eTest {
 protected:
  EpagesE2eTest() { shop_.Start(); }

  std::string Url() const { return shop_.ShopUrl() + "/epages/Store.soap"; }

  shopsim::ShopSimulator shop_{{.port = 0,
                                .base_path = "/shop",
                                .password = "",
                                .articles_import_limit = 0,
                                .state_file = {},
                                .demo_data = true}};
};

TEST_F(EpagesE2eTest, HostSessionThroughTheExports) {
  const auto& library = RealLibrary();
  EXPECT_EQ(library.Init("ledgrox", "ePages", Url(), "/Shops/DemoShop/Users/admin", "falsch").text,
            "Es konnte keine Verbindung zum Webshop hergestellt werden. Bitte kontrollieren Sie Ihre "
            "Einstellungen");
  library.DeInit();
  const auto init = library.Init("ledgrox", "EPAGES", Url(), "/Shops/DemoShop/Users/admin", "demo");
  ASSERT_EQ(init.code, 1) << init.text;
  EXPECT_EQ(library.Call("GetUnimportedOrdersCount").code, 1);
  const auto orders = dir_ / "orders.xml";
  const auto fetched = library.Call("GetOrders", orders.string());
  EXPECT_EQ(fetched.code, 1);
  EXPECT_EQ(fetched.text, "");
  EXPECT_EQ(Occurrences(ReadFile(orders), "<Bestellvorgang>"), 3u);
  const auto states = library.Call("SetOrderStatus", orders.string());
  EXPECT_EQ(states.code, 1);
  EXPECT_EQ(states.text, "");
  EXPECT_EQ(library.Call("GetUnimportedOrdersCount").code, 0);
  EXPECT_EQ(library.Call("FunctionSupported", "SetStockValues").code, 1);
  const std::string status = ReadFile(dir_ / "status.log");
  EXPECT_NE(status.find("3 Bestellungen gefunden."), std::string::npos) << status;
  EXPECT_NE(status.find("Bestellung 3 von 3 wird abgeholt..."), std::string::npos) << status;
}

TEST_F(EpagesE2eTest, FailedFetchLeavesAGermanTextForTheHost) {
  ASSERT_EQ(RealLibrary().Init("ledgrox", "Strato", Url(), "/Shops/DemoShop/Users/admin", "demo").code, 1);
  shop_.Failures().Set("epages:OrderService:getInfo",
                       shopsim::Failure::SoapFault("Datenbank nicht erreichbar"));
  WriteFile(dir_ / "orders.xml", "vorher");
  const auto fetched = RealLibrary().Call("GetOrders", (dir_ / "orders.xml").string());
  EXPECT_EQ(fetched.code, 1);  // the export answers 1 once the window closed
  EXPECT_NE(fetched.text.find("Beim Abholen der Bestellungen ist ein Fehler aufgetreten."), std::string::npos)
      << fetched.text;
  EXPECT_EQ(ReadFile(dir_ / "orders.xml"), "vorher");
}

// The product operations as a host runs them: articles, prices, a price
// list, stock, then the article list and the articles back.
TEST_F(EpagesE2eTest, ProductSessionThroughTheExports) {
  const auto& library = RealLibrary();
  ASSERT_EQ(library.Init("ledgrox", "ePages", Url(), "/Shops/DemoShop/Users/admin", "demo").code, 1);
  const auto articles = dir_ / "Artikelexport.xml";
  std::string rows;
  for (int i = 1; i <= 120; ++i)
    rows += "<row><ArtikelnummerWebshop>E2E-" + std::to_string(i) +
            "</ArtikelnummerWebshop><Artikelbeschreibung>Artikel " + std::to_string(i) +
            "</Artikelbeschreibung><ArtikelpreisBrutto>9,99</ArtikelpreisBrutto><Einheit>Stk.</Einheit>"
            "<Artikelkategorie>E2E</Artikelkategorie></row>";
  WriteFile(articles, "<Artikelexport>" + rows + "</Artikelexport>");
  const auto exported = library.Call("SetArticles", articles.string());
  EXPECT_EQ(exported.code, 1);
  EXPECT_EQ(exported.text, "");
  // The configuration file's default: packages of 100, a protocol each.
  EXPECT_EQ(Occurrences(ReadFile(articles), "<Export_Status>SUCCESS</Export_Status>"), 2u);

  const auto prices = dir_ / "Artikelpreisexport.xml";
  WriteFile(prices,
            "<Artikelpreisexport><row><ArtikelnummerWebshop>E2E-1</ArtikelnummerWebshop>"
            "<ArtikelpreisBrutto>12,49</ArtikelpreisBrutto></row></Artikelpreisexport>");
  EXPECT_EQ(library.Call("SetArticlePrices", prices.string()).text, "");
  const auto stock = dir_ / "LagerbestandExport.xml";
  WriteFile(stock,
            "<LagerbestandExport><Artikel><ArtikelnummerWebshop>E2E-1</ArtikelnummerWebshop>"
            "<LagerBestandAktuell>17</LagerBestandAktuell></Artikel></LagerbestandExport>");
  EXPECT_EQ(library.Call("SetStockValues", stock.string()).text, "");
  const auto lists = dir_ / "PreislistenExport.xml";
  WriteFile(lists,
            "<PreislistenExport><Preisliste><Name>Haendler</Name><Artikel><ArtikelnummerWebshop>E2E-1"
            "</ArtikelnummerWebshop><Preis><VerkaufsPreisNetto>8</VerkaufsPreisNetto><PreisGiltAb>1"
            "</PreisGiltAb></Preis></Artikel><Artikel><ArtikelnummerWebshop>FEHLT</ArtikelnummerWebshop>"
            "<Preis><VerkaufsPreisNetto>1</VerkaufsPreisNetto></Preis></Artikel></Preisliste>"
            "</PreislistenExport>");
  // A failed price list reaches the host with a text, not as a silent success.
  const auto listed = library.Call("SetPriceLists", lists.string());
  EXPECT_EQ(listed.code, 1);
  EXPECT_NE(listed.text.find("Preislisten wurden nicht vollständig exportiert"), std::string::npos)
      << listed.text;

  const auto list = dir_ / "Artikelliste.xml";
  EXPECT_EQ(library.Call("GetWebshopArticleList", list.string()).text, "");
  EXPECT_EQ(Occurrences(ReadFile(list), "<row>"), 125u);
  const auto fetched = dir_ / "Artikel.xml";
  EXPECT_EQ(library.Call("GetArticles", fetched.string()).text, "");
  const std::string imported = ReadFile(fetched);
  EXPECT_NE(
      imported.find("<ArtikelnummerWebshop>E2E-1</ArtikelnummerWebshop><Artikelbeschreibung>Artikel 1"
                    "</Artikelbeschreibung><MwStCode>0</MwStCode><Einheit>Stk.</Einheit><Artikelkategorie>E2E"
                    "</Artikelkategorie>"),
      std::string::npos)
      << imported.substr(0, 2000);
  EXPECT_NE(imported.find("<ArtikelpreisBrutto>12.49</ArtikelpreisBrutto>"), std::string::npos);
  const std::string status = ReadFile(dir_ / "status.log");
  EXPECT_NE(status.find("Artikel 120 von 120 wird exportiert.."), std::string::npos) << status;
  EXPECT_NE(status.find("Bitte kontrollieren Sie ob alle Artikel im Shop vorhanden sind..."),
            std::string::npos);
}

TEST_F(EpagesE2eTest, KanvioRunsAWholeSession) {
  const auto out = dir_ / "out.txt";
  const auto orders = (dir_ / "orders.xml").string();
  const auto stock = dir_ / "LagerbestandExport.xml";
  WriteFile(stock,
            "<LagerbestandExport><Artikel><ArtikelnummerWebshop>A-100</ArtikelnummerWebshop>"
            "<LagerBestandAktuell>5</LagerBestandAktuell></Artikel></LagerbestandExport>");
  const std::string command = KANVIO_BIN_DIR "/kanvio --erp ledgrox --shop ePages --url " + Url() +
                              " --user /Shops/DemoShop/Users/admin --password demo --pause-ms 0 count-orders "
                              "get-orders " +
                              orders + " set-order-states " + orders + " count-orders set-stock " +
                              stock.string() + " get-articles " + (dir_ / "Artikel.xml").string() + " >" +
                              out.string() + " 2>&1";
  const int status = std::system(command.c_str());
  const std::string output = ReadFile(out);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << output;
  for (const char* line :
       {"Init = 1\n", "GetUnimportedOrdersCount = 1\n", "GetOrders = 1\n", "SetOrderStatus = 1\n",
        "GetUnimportedOrdersCount = 0\n", "SetStockValues = 1\n", "GetArticles = 1\n"})
    EXPECT_NE(output.find(line), std::string::npos) << line << output;
  EXPECT_EQ(Occurrences(ReadFile(dir_ / "orders.xml"), "<Bestellvorgang>"), 3u);
  EXPECT_EQ(Occurrences(ReadFile(dir_ / "Artikel.xml"), "<row>"), 5u);
  EXPECT_EQ(shop_.Epages().Products().Product("/Shops/DemoShop/Products/A-100")->stock_level, 5.0f);
}

}  // namespace
}  // namespace kanvio::test
