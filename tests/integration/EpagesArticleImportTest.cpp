// The ePages article list and article import against the shop simulator.
#include "EpagesProductsFixture.h"
#include "support/Resources.h"

namespace kanvio::test {
namespace {

using shopsim::Failure;

// The rows of a written file, each as its children "name=text" joined by "|".
std::map<std::string, std::string> Rows(const std::filesystem::path& file) {
  pugi::xml_document document;
  EXPECT_TRUE(document.load_file(file.c_str())) << file;
  std::map<std::string, std::string> rows;
  for (pugi::xml_node row : document.document_element().children("row")) {
    std::string fields;
    for (pugi::xml_node field : row.children()) {
      const std::string name = field.name();
      if (name.starts_with("IndividuellesFeld") || name == "Volumen" || name == "Artikelbild" ||
          name == "Artikelnummer" || name == "ArtikelnummerWebshop")
        continue;
      fields += name + "=" + field.text().get() + "|";
    }
    rows[row.child_value("ArtikelnummerWebshop")] = fields;
  }
  return rows;
}

TEST_F(EpagesProductsTest, ArticleListNamesVariationsByTheirParent) {
  const auto file = HostFile("Artikelliste.xml", "vorher");
  EXPECT_EQ(shop_.HoleArtikellisteVomShop(error_, false), 1) << error_;
  EXPECT_EQ(error_, "");
  const std::string text = ReadFile(file);
  EXPECT_EQ(text.substr(0, 3), "\xEF\xBB\xBF");
  EXPECT_NE(
      text.find("<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"yes\"?><!--02.03.2026 10:30:00 - "
                "Transfer Artikelliste--><ArtikelListeWebshop><row>"),
      std::string::npos)
      << text;
  const auto rows = Rows(file);
  EXPECT_EQ(rows.size(), 5u);  // the appointment is no article
  EXPECT_EQ(rows.at("T-300-M-blau"), "Artikelbeschreibung=T-Shirt Bio-Baumwolle M blau |");
  EXPECT_EQ(rows.at("A-100"), "Artikelbeschreibung=Kaffeebecher Steingut|");
  EXPECT_TRUE(Shows("5 Artikel gefunden... Ermittle Daten für aktuellen Vorgang..."));
  EXPECT_TRUE(Shows("Daten für Artikel 5 von 5 werden abgerufen..."));
}

TEST_F(EpagesProductsTest, ArticleImportRowsFollowTheUnitTaxAndPriceRules) {
  const auto file = HostFile("Artikel.xml", "vorher");
  EXPECT_EQ(shop_.HoleArtikelVomShop(error_, false), 1) << error_;
  const auto rows = Rows(file);
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows.at("A-100"),
            "Artikelbeschreibung=Kaffeebecher Steingut|MwStCode=1|Einheit=Stk.|Artikelkategorie=Tassen|"
            "Gewicht=0.35|Anmerkungen=Steingut, spülmaschinenfest300 ml|ArtikelpreisNetto=|"
            "ArtikelpreisBrutto=12.9|");
  EXPECT_EQ(
      rows.at("W-200"),
      "Artikelbeschreibung=Mineralwasser Kasten 12 x 0,7 l|MwStCode=2|Einheit=Kiste(n)|Artikelkategorie=|"
      "Gewicht=0|Anmerkungen=|ArtikelpreisNetto=|ArtikelpreisBrutto=5.99|");
  EXPECT_EQ(rows.at("T-300"),
            "Artikelbeschreibung=T-Shirt Bio-Baumwolle|MwStCode=1|Einheit=Stk.|Artikelkategorie=|Gewicht=0|"
            "Anmerkungen=|ArtikelpreisNetto=16.8|ArtikelpreisBrutto=|");
  // A variation takes what it lacks from its parent; with importAttributes its text names the variation.
  EXPECT_EQ(rows.at("T-300-M-blau"),
            "Artikelbeschreibung=T-Shirt Bio-Baumwolle M blau |MwStCode=1|Einheit=Stk.|Artikelkategorie=|"
            "Gewicht=0|Anmerkungen=|ArtikelpreisNetto=|ArtikelpreisBrutto=|");
  // A download product without tax class and parent: an empty code, always a piece.
  EXPECT_EQ(
      rows.at("E-1"),
      "Artikelbeschreibung=Kochbuch als PDF|MwStCode=|Einheit=Stk.|Artikelkategorie=|Gewicht=0|Anmerkungen=|"
      "ArtikelpreisNetto=|ArtikelpreisBrutto=9.99|");
  EXPECT_NE(ReadFile(file).find("<!--02.03.2026 10:30:00 - Transfer Artikel--><Artikelimport>"),
            std::string::npos);
  // Parents and catalogs are asked for in batches, not once per product.
  EXPECT_EQ(simulator_.RequestCount("epages:ProductService:getInfo"), 1u);
  EXPECT_EQ(simulator_.RequestCount("epages:AssignmentService:getCatalogsAssignedToProduct"), 1u);
  EXPECT_EQ(simulator_.RequestCount("epages:CatalogService:getInfo"), 1u);
}

TEST_F(EpagesProductsTest, FailedFetchesLeaveTheHostFileAsItWas) {
  struct Case {
    const char* name;
    const char* target;
    bool packages;
  };
  const Case cases[] = {
      {"search", "epages:ProductService:find", false},
      {"details", "epages:ProductService:getInfo", false},
      {"details in packages", "epages:ProductService:getInfo", true},
  };
  for (const Case& c : cases) {
    Packages(c.packages, 2);
    simulator_.Failures().ClearAll();
    simulator_.Failures().Set(c.target, Failure::SoapFault("Datenbank weg"));
    for (bool list : {true, false}) {
      const auto file = HostFile("Artikel.xml", "vorher");
      error_.clear();
      EXPECT_EQ(list ? shop_.HoleArtikellisteVomShop(error_, false) : shop_.HoleArtikelVomShop(error_, false),
                -1)
          << c.name;
      EXPECT_EQ(error_, list ? Resources::ARTICLELIST_GETINFO_ERROR() : Resources::ARTICLES_GETINFO_ERROR())
          << c.name;
      EXPECT_EQ(ReadFile(file), "vorher") << c.name;
    }
  }
  host_.EnableLogging();
  HostFile("Artikel.xml", "vorher");
  EXPECT_EQ(shop_.HoleArtikelVomShop(error_, false), -1);
  // Every package that failed is named by its first and last product.
  EXPECT_NE(host_.Log().find(
                "Fehlerhaftes Paket - /Shops/DemoShop/Products/A-100 bis /Shops/DemoShop/Products/W-200"),
            std::string::npos)
      << host_.Log();
  EXPECT_NE(host_.Log().find("Fehlerhafter Artikel - /Shops/DemoShop/Products/E-1"), std::string::npos);

  simulator_.Failures().ClearAll();
  UseResultFile(dir_ / "fehlt" / "Artikel.xml");
  EXPECT_EQ(shop_.HoleArtikelVomShop(error_, false), -1);
  EXPECT_NE(error_.find("ungültiger Dateiname"), std::string::npos) << error_;
}

TEST_F(EpagesProductsTest, ProductsTheShopCannotGiveAreLeftOutWithAText) {
  simulator_.Failures().Set("epages:ProductService:getInfo:/Shops/DemoShop/Products/W-200",
                            Failure::ItemError("gesperrt"));
  simulator_.Failures().Set("epages:AssignmentService:getCatalogsAssignedToProduct",
                            Failure::SoapFault("Kataloge weg"));
  const auto file = HostFile("Artikel.xml", "vorher");
  EXPECT_EQ(shop_.HoleArtikelVomShop(error_, false), 1);
  EXPECT_EQ(error_, Resources::ARTICLES_GETINFO_ERROR());
  const auto rows = Rows(file);
  EXPECT_EQ(rows.size(), 4u);
  EXPECT_FALSE(rows.contains("W-200"));
  EXPECT_NE(rows.at("A-100").find("Artikelkategorie=|"), std::string::npos);  // the catalog lookup failed
}

TEST_F(EpagesProductsTest, PackagesKeepTheirOrderAndParentsAreFetchedOnce) {
  simulator_.Epages().AddGeneratedProducts(245);  // with the demo's five: 250 articles
  Packages(true, 100);
  const auto file = HostFile("Artikel.xml", "vorher");
  EXPECT_EQ(shop_.HoleArtikelVomShop(error_, false), 1) << error_;
  pugi::xml_document document;
  ASSERT_TRUE(document.load_file(file.c_str()));
  std::vector<std::string> numbers;
  for (pugi::xml_node row : document.document_element().children("row"))
    numbers.push_back(row.child_value("ArtikelnummerWebshop"));
  ASSERT_EQ(numbers.size(), 250u);
  // Package by package, each from its end backwards.
  EXPECT_EQ(numbers[0], "P95");
  EXPECT_EQ(numbers[99], "A-100");
  EXPECT_EQ(numbers[100], "P195");
  EXPECT_EQ(numbers[249], "P196");
  EXPECT_EQ(simulator_.RequestCount("epages:ProductService:getInfo"), 3u);
  EXPECT_TRUE(Shows("Verarbeite Paket: 3 von 3"));
  const auto rows = Rows(file);
  EXPECT_EQ(rows.at("P10").substr(0, 36), "Artikelbeschreibung=Artikel P9 rot |");
}

}  // namespace
}  // namespace kanvio::test
