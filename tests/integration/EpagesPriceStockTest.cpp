// List prices, price lists and stock values of the ePages connector against
// the shop simulator.
#include "EpagesProductsFixture.h"

namespace kanvio::test {
namespace {

using shopsim::Failure;

std::string PriceRow(const std::string& number, const std::string& fields) {
  return ExportRow(number, fields);
}

std::string StockRecord(const std::string& number, const std::string& fields) {
  return "<Artikel><ArtikelnummerWebshop>" + number + "</ArtikelnummerWebshop>" + fields + "</Artikel>";
}

std::string PriceList(const std::string& name, const std::string& articles) {
  return "<Preisliste><Name>" + name + "</Name>" + articles + "</Preisliste>";
}

std::string ListArticle(const std::string& number, const std::string& prices) {
  return "<Artikel><ArtikelnummerWebshop>" + number + "</ArtikelnummerWebshop>" + prices + "</Artikel>";
}

std::string Price(const std::string& from, const std::string& net, const std::string& gross) {
  return "<Preis><PreisGiltAb>" + from + "</PreisGiltAb><VerkaufsPreisNetto>" + net +
         "</VerkaufsPreisNetto><VerkaufsPreisBrutto>" + gross + "</VerkaufsPreisBrutto></Preis>";
}

TEST_F(EpagesProductsTest, PricesReachExactlyTheArticleAndMissingOnesAreReported) {
  // The shop's search finds "A-1000" for "A-100" as well.
  Shop().Add(shopsim::MakeProduct("A-1000", "Becher XXL"));
  const auto file = HostFile(
      "Artikelpreisexport.xml",
      "<Artikelpreisexport>" +
          PriceRow("A-100",
                   "<ArtikelpreisNetto>10</ArtikelpreisNetto><ArtikelpreisBrutto>11,90</ArtikelpreisBrutto>"
                   "<ArtikelPreisBeziehtSichAufMenge>6</ArtikelPreisBeziehtSichAufMenge>") +
          PriceRow("GIBT-ES-NICHT", "<ArtikelpreisBrutto>1</ArtikelpreisBrutto>") + "</Artikelpreisexport>");
  EXPECT_EQ(shop_.SetzeArtikelPreise(error_, false), -1);
  EXPECT_EQ(error_, "1 von 2 Artikelpreisen wurden aktualisiert. 1 Artikel sind im Shop nicht vorhanden.");
  EXPECT_EQ(Protocols(file), (std::vector<std::string>{"ROLLBACK/2/1"}));
  const auto cup = Product("A-100");
  ASSERT_EQ(cup->prices.size(), 2u);
  EXPECT_EQ(cup->prices[0].price, 11.9f);  // the gross price replaced, the net one added
  EXPECT_EQ(cup->prices[1].tax_model, "net");
  EXPECT_EQ(cup->price_quantity, 6.0f);
  EXPECT_TRUE(Product("A-1000")->prices.empty());
  EXPECT_TRUE(Shows("1 von 2 Artikelpreisen wurden aktualisiert..."));
  for (const auto& request : simulator_.Requests())
    EXPECT_EQ(request.body.find("IsDownloadProduct"), std::string::npos) << request.target;

  // All there: SUCCESS; none there: a truthful text.
  error_.clear();
  HostFile("Artikelpreisexport.xml", "<Artikelpreisexport>" +
                                         PriceRow("W-200", "<ArtikelpreisBrutto>6,49</ArtikelpreisBrutto>") +
                                         "</Artikelpreisexport>");
  EXPECT_EQ(shop_.SetzeArtikelPreise(error_, false), 1) << error_;
  EXPECT_EQ(Protocols(file), (std::vector<std::string>{"SUCCESS/1/1"}));
  EXPECT_EQ(Product("W-200")->prices[0].price, 6.49f);
  HostFile("Artikelpreisexport.xml",
           "<Artikelpreisexport>" + PriceRow("X-1", "<ArtikelpreisBrutto>1</ArtikelpreisBrutto>") +
               PriceRow("X-2", "<ArtikelpreisBrutto>1</ArtikelpreisBrutto>") + "</Artikelpreisexport>");
  EXPECT_EQ(shop_.SetzeArtikelPreise(error_, false), -1);
  EXPECT_TRUE(Shows("Keiner der 2 Artikel ist im Shop vorhanden..."));
  EXPECT_FALSE(Shows("Alle 2 Artikel waren im Shop bereits vorhanden..."));
}

TEST_F(EpagesProductsTest, RefusedOrUnaskedPricesCountAsFailed) {
  const std::string rows =
      "<Artikelpreisexport>" + PriceRow("A-100", "<ArtikelpreisBrutto>1</ArtikelpreisBrutto>") +
      PriceRow("W-200", "<ArtikelpreisBrutto>2</ArtikelpreisBrutto>") + "</Artikelpreisexport>";
  simulator_.Failures().Set("epages:ProductService:update:/Shops/DemoShop/Products/W-200",
                            Failure::ItemError("gesperrt"));
  auto file = HostFile("Artikelpreisexport.xml", rows);
  EXPECT_EQ(shop_.SetzeArtikelPreise(error_, false), -1);
  EXPECT_NE(error_.find("W-200: gesperrt"), std::string::npos) << error_;
  EXPECT_EQ(Protocols(file), (std::vector<std::string>{"ROLLBACK/2/1"}));

  simulator_.Failures().Set("epages:ProductService:find", Failure::Drop());
  file = HostFile("Artikelpreisexport.xml", rows);
  EXPECT_EQ(shop_.SetzeArtikelPreise(error_, false), -1);
  EXPECT_EQ(Protocols(file), (std::vector<std::string>{"ROLLBACK/2/0"}));
  EXPECT_EQ(simulator_.RequestCount("epages:ProductService:update"), 1u);

  // A number read twice fails the whole read: -2 and the reader's protocol.
  file = HostFile("Artikelpreisexport.xml", "<Artikelpreisexport>" + PriceRow("A-100", "") +
                                                PriceRow("A-100", "") + "</Artikelpreisexport>");
  EXPECT_EQ(shop_.SetzeArtikelPreise(error_, false), -2);
  EXPECT_NE(error_.find("A-100"), std::string::npos);
}

TEST_F(EpagesProductsTest, PriceListsAreMadeOrUpdatedAndTakeThePricesOfTheirTaxModel) {
  Shop().CreatePriceList(
      {"Bestand", "Bestand", "gross", "EUR", "2020-01-01T00:00:00Z", "2100-01-01T00:00:00Z", {}});
  const auto file = HostFile(
      "PreislistenExport.xml",
      "<PreislistenExport>" +
          PriceList("Haendler", ListArticle("A-100", Price("1", "9", "10,71") + Price("10", "8", "")) +
                                    ListArticle("T-300", Price("1", "15", "17,85"))) +
          PriceList("Bestand", ListArticle("A-100", Price("1", "0", "12,50") + Price("5", "10", "0"))) +
          PriceList("Kaputt", ListArticle("GIBT-ES-NICHT", Price("1", "1", "1"))) + "</PreislistenExport>");
  EXPECT_EQ(shop_.ExportierePreisListenzuArtikel(error_, false), -1);
  EXPECT_NE(error_.find("1 von 3 Preislisten"), std::string::npos) << error_;
  EXPECT_EQ(Protocols(file), (std::vector<std::string>{"ROLLBACK/3/2"}));

  std::map<std::string, shopsim::EpagesPriceList> lists;
  for (auto& list : Shop().PriceLists()) lists[list.alias] = list;
  const auto& dealer = lists.at("Haendler");
  EXPECT_EQ(dealer.tax_model, "net");
  EXPECT_EQ(dealer.valid_from, "2026-03-02T09:30:00Z");
  EXPECT_EQ(dealer.valid_to, "2106-03-02T09:30:00Z");
  // A net list gets net prices even where the host also gave gross ones.
  EXPECT_EQ(dealer.scale_prices.at("/Shops/DemoShop/Products/A-100"),
            (std::vector<std::pair<float, float>>{{1, 9}, {10, 8}}));
  const auto& stock = lists.at("Bestand");
  EXPECT_EQ(stock.valid_from, "2020-01-01T00:00:00Z");  // an update leaves the validity
  EXPECT_EQ(stock.tax_model, "gross");
  // The second scale has no gross price: its net price goes in, with a log line.
  EXPECT_EQ(stock.scale_prices.at("/Shops/DemoShop/Products/A-100"),
            (std::vector<std::pair<float, float>>{{1, 12.5f}, {5, 10}}));
  EXPECT_TRUE(Shows("Artikel wurde nicht zur Preisliste hinzugefügt. Artikel nicht im Shop Vorhanden"));
  EXPECT_TRUE(Shows("Aktualisieren der Preislisten abgeschlossen..."));
}

TEST_F(EpagesProductsTest, PriceListFilesThatCannotBeReadAreFailuresWithAText) {
  struct Case {
    const char* name;
    std::string content;
    std::int32_t result;
    const char* text;
  };
  const Case cases[] = {
      {"bad number",
       "<PreislistenExport>" + PriceList("L", ListArticle("A-100", Price("eins", "1", "1"))) +
           "</PreislistenExport>",
       -1, "konnte nicht gelesen werden"},
      {"only lists without name", "<PreislistenExport><Preisliste><Name/></Preisliste></PreislistenExport>",
       -1, "Nicht alle Preislisten wurden angelegt, da bei einigen der Name fehlte."},
      {"no list", "<PreislistenExport/>", 0, ""},
  };
  for (const Case& c : cases) {
    HostFile("PreislistenExport.xml", c.content);
    error_.clear();
    EXPECT_EQ(shop_.ExportierePreisListenzuArtikel(error_, false), c.result) << c.name;
    EXPECT_NE(error_.find(c.text), std::string::npos) << c.name << ": " << error_;
  }
  EXPECT_EQ(simulator_.RequestCount("epages"), 0u);
}

TEST_F(EpagesProductsTest, StockLevelsAsEachRecordGivesThem) {
  Shop().Update("/Shops/DemoShop/Products/W-200", [](auto& product) {
    product.stock_level = 12;
    product.stock_level_alert = 4;
  });
  const auto file = HostFile(
      "LagerbestandExport.xml",
      "<LagerbestandExport>" +
          StockRecord("A-100",
                      "<LagerBestandAktuell>0</LagerBestandAktuell><LagerMindestBestand>5"
                      "</LagerMindestBestand>") +
          StockRecord("W-200",
                      "<LagerBestandAktuell>KVX_IGNORE</LagerBestandAktuell><LagerMindestBestand>0"
                      "</LagerMindestBestand>") +
          StockRecord("T-300", "<LagerBestandAktuell>-2,5</LagerBestandAktuell>") + "</LagerbestandExport>");
  EXPECT_EQ(shop_.SetzeLagerbestand(error_, false), 1) << error_;
  EXPECT_EQ(Protocols(file), (std::vector<std::string>{"SUCCESS/3/3"}));
  EXPECT_EQ(Product("A-100")->stock_level, 0.0f);
  EXPECT_EQ(Product("A-100")->stock_level_alert, 5.0f);
  EXPECT_EQ(Product("W-200")->stock_level, 12.0f);       // marked to be left alone
  EXPECT_EQ(Product("W-200")->stock_level_alert, 4.0f);  // 0 leaves the alert level
  EXPECT_EQ(Product("T-300")->stock_level, -2.5f);
  EXPECT_TRUE(Shows("Exportiere Lagerbestand zu Artikel T-300..."));
  EXPECT_EQ(simulator_.RequestCount("epages:ProductService:update"), 1u);

  // An article the shop lacks goes out under the path it would have; the refusal is counted.
  HostFile("LagerbestandExport.xml",
           "<LagerbestandExport>" +
               StockRecord("X-1",
                           "<LagerBestandAktuell>1"
                           "</LagerBestandAktuell>") +
               StockRecord("A-100", "<LagerBestandAktuell>3</LagerBestandAktuell>") +
               "</LagerbestandExport>");
  EXPECT_EQ(shop_.SetzeLagerbestand(error_, false), -1);
  EXPECT_NE(error_.find("X-1: Object with path /Shops/DemoShop/Products/X-1 was not found."),
            std::string::npos)
      << error_;
  EXPECT_EQ(Protocols(file), (std::vector<std::string>{"ROLLBACK/2/1"}));
  EXPECT_EQ(Product("A-100")->stock_level, 3.0f);
}

TEST_F(EpagesProductsTest, StockFilesThatCannotBeReadAreFailures) {
  auto file = HostFile("LagerbestandExport.xml",
                       "<LagerbestandExport>" +
                           StockRecord("A-100", "<LagerBestandAktuell>viel</LagerBestandAktuell>") +
                           "</LagerbestandExport>");
  EXPECT_EQ(shop_.SetzeLagerbestand(error_, false), -1);
  EXPECT_EQ(error_, "Der aktuelle Lagerbestand hat kein gültiges Format... Lagerbestand Export wird beendet");
  EXPECT_EQ(Protocols(file), (std::vector<std::string>{"ROLLBACK/0/0"}));
  HostFile("LagerbestandExport.xml", "<LagerbestandExport/>");
  EXPECT_EQ(shop_.SetzeLagerbestand(error_, false), 0);
  EXPECT_TRUE(Shows("Keine Lagerbestände zum Exportieren gefunden..."));
  std::filesystem::remove(file);
  error_.clear();
  EXPECT_EQ(shop_.SetzeLagerbestand(error_, false), -1);
  EXPECT_NE(error_, "");
  EXPECT_EQ(simulator_.RequestCount("epages"), 0u);
}

}  // namespace
}  // namespace kanvio::test
