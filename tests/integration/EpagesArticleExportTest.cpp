// The ePages article export against the shop simulator's SOAP services.
#include "EpagesProductsFixture.h"
#include "support/Resources.h"

namespace kanvio::test {
namespace {

using shopsim::Failure;

constexpr const char* kCreate = "epages:ProductService:create";
constexpr const char* kCreateItem = "pt:TCreate_Input\">";

std::string NewRows(int from, int count, const std::string& fields = "") {
  std::string rows;
  for (int i = from; i < from + count; ++i)
    rows += ExportRow("N-" + std::to_string(i),
                      "<Artikelbeschreibung>Neu " + std::to_string(i) + "</Artikelbeschreibung>" + fields);
  return rows;
}

TEST_F(EpagesProductsTest, ExportCreatesNewArticlesWithTheirFieldsAndLeavesExistingOnes) {
  WriteFile(dir_ / "bilder" / "becher.png", "PNG-Daten");
  const auto file = ArticleFile(
      ExportRow(
          "N-1",
          "<Artikelbeschreibung>Becher groß&lt;br&gt;Langtext</Artikelbeschreibung><MwStCode>2</MwStCode>"
          "<Einheit>Kiste(n)</Einheit><Artikelkategorie>Tassen</Artikelkategorie><Gewicht>1,5</Gewicht>"
          "<ArtikelpreisNetto>10</ArtikelpreisNetto><ArtikelpreisBrutto>10,70</ArtikelpreisBrutto>"
          "<ArtikelpreisWaehrung>CHF</ArtikelpreisWaehrung>"
          "<ArtikelPreisBeziehtSichAufMenge>2</ArtikelPreisBeziehtSichAufMenge>"
          "<Artikelbild>bilder/becher.png</Artikelbild>") +
      ExportRow("A-100",
                "<Artikelbeschreibung>Schon da</Artikelbeschreibung><Artikelbild>bilder/becher.png"
                "</Artikelbild>") +
      ExportRow("N-2",
                "<Artikelbeschreibung>Ohne Preis</Artikelbeschreibung><Einheit>Eimer</Einheit>"
                "<ArtikelpreisBrutto>KVX_IGNORE</ArtikelpreisBrutto>"));
  EXPECT_EQ(shop_.ExportArtikelZumShop(error_, false), 1) << error_;
  EXPECT_EQ(error_, "");
  EXPECT_EQ(Protocols(file), (std::vector<std::string>{"SUCCESS/3/3"}));

  const auto created = Product("N-1");
  ASSERT_TRUE(created);
  EXPECT_EQ(created->name, "Becher groß");
  EXPECT_EQ(created->description, "<br>Langtext");
  EXPECT_EQ(created->tax_class, "/TaxMatrixGermany/reduced");
  EXPECT_EQ(created->order_unit, "/Units/piece/box");
  EXPECT_EQ(created->weight, 1.5f);
  EXPECT_EQ(created->weight_unit, "/Units/gram/kilogram");
  EXPECT_EQ(created->price_quantity, 2.0f);
  EXPECT_TRUE(created->is_new);
  ASSERT_EQ(created->prices.size(), 2u);
  EXPECT_EQ(created->prices[0].tax_model, "net");
  EXPECT_EQ(created->prices[1].price, 10.7f);
  EXPECT_EQ(created->prices[1].currency, "CHF");
  EXPECT_EQ(created->product_type, "/Shops/DemoShop/ProductTypes/Tassen");
  EXPECT_EQ(Shop().CatalogsOf("/Shops/DemoShop/Products/N-1"),
            (std::vector<std::string>{"/Shops/DemoShop/Categories/Tassen"}));
  // Only the created product gets its image, named without the local folder.
  ASSERT_EQ(created->images.size(), 1u);
  EXPECT_EQ(created->images[0].file_name, "becher.png");
  EXPECT_EQ(created->images[0].bytes, 9u);
  EXPECT_TRUE(Product("A-100")->images.empty());
  EXPECT_EQ(Product("A-100")->name, "Kaffeebecher Steingut");
  // A price the row marked to be left alone is not sent as 0; an odd unit is a piece.
  EXPECT_TRUE(Product("N-2")->prices.empty());
  EXPECT_EQ(Product("N-2")->order_unit, "/Units/piece");

  const auto requests = simulator_.Requests();
  const auto create =
      std::find_if(requests.begin(), requests.end(), [](auto& r) { return r.target == kCreate; });
  ASSERT_NE(create, requests.end());
  EXPECT_NE(create->body.find("<IsDownloadProduct xsi:type=\"xsd:boolean\">false</IsDownloadProduct>"),
            std::string::npos);
  EXPECT_EQ(simulator_.RequestCount("epages:CatalogService:getRoot"), 1u);
  EXPECT_EQ(simulator_.RequestCount("epages:CatalogService:create"), 0u);  // "Tassen" exists
  EXPECT_EQ(simulator_.RequestCount("epages:CatalogService:update"), 0u);  // under the same alias
  EXPECT_TRUE(Shows("3 Artikel zum Export gefunden..."));
  EXPECT_TRUE(Shows("Artikel 3 von 3 wird exportiert.."));
  EXPECT_TRUE(Shows("Alle Daten wurden Erfolgreich exportiert..."));
}

TEST_F(EpagesProductsTest, BatchesNeverExceedAHundredRecordsAndEachPackageHasItsProtocol) {
  struct Case {
    const char* name;
    bool packages;
    int amount;
    int existing;  // of the shop's own, before the new ones
    int fresh;
    std::vector<std::size_t> creates;
    std::vector<std::string> protocols;
  };
  const Case cases[] = {
      {"no packages", false, 100, 0, 250, {100, 100, 50}, {"SUCCESS/250/250"}},
      // The written counter stopped restarting here and sent 150 at once.
      {"existing first", false, 100, 100, 150, {100, 50}, {"SUCCESS/250/250"}},
      {"packages of 100",
       true,
       100,
       0,
       250,
       {100, 100, 50},
       {"SUCCESS/100/100", "SUCCESS/100/100", "SUCCESS/50/50"}},
      {"packages of 250", true, 250, 0, 250, {100, 100, 50}, {"SUCCESS/250/250"}},
      {"packages of 30", true, 30, 20, 40, {10, 30}, {"SUCCESS/30/30", "SUCCESS/30/30"}},
  };
  for (const Case& c : cases) {
    for (int i = 1; i <= c.existing; ++i) Shop().Add(shopsim::MakeProduct("E-" + std::to_string(i), "alt"));
    std::string rows;
    for (int i = 1; i <= c.existing; ++i)
      rows += ExportRow("E-" + std::to_string(i), "<Artikelbeschreibung>alt</Artikelbeschreibung>");
    const auto file = ArticleFile(
        rows + NewRows(1000 * (&c - cases), c.fresh, "<Artikelkategorie>Paket</Artikelkategorie>"));
    Packages(c.packages, c.amount);
    simulator_.ClearRequests();
    EXPECT_EQ(shop_.ExportArtikelZumShop(error_, false), 1) << c.name << error_;
    EXPECT_EQ(RecordsPerRequest(kCreate, kCreateItem), c.creates) << c.name;
    EXPECT_EQ(Protocols(file), c.protocols) << c.name;
    // The products of each package go into their catalog once it is sent.
    EXPECT_EQ(simulator_.RequestCount("epages:AssignmentService:assignProductToCatalog"), c.creates.size())
        << c.name;
  }
  EXPECT_EQ(Shop().CatalogsOf("/Shops/DemoShop/Products/N-4039"),
            (std::vector<std::string>{"/Shops/DemoShop/Categories/Paket"}));
  // Once per export: created in the first, refused as existing and updated in the last.
  EXPECT_EQ(simulator_.RequestCount("epages:ProductTypeService:create"), 1u);
  EXPECT_EQ(simulator_.RequestCount("epages:ProductTypeService:update"), 1u);
}

TEST_F(EpagesProductsTest, LargeExportsListTheShopOnceAndDecideByTheLastPathPart) {
  Shop().Add(shopsim::MakeProduct("E-1", "alt"));
  auto variation = shopsim::MakeProduct("E-2", "Variante");
  variation.sub_path = "E-0/SubProducts/";
  Shop().Add(variation);
  struct Case {
    const char* prefix;
    std::optional<Failure> listing;
    std::size_t finds;
  };
  const Case cases[] = {
      {"L-", std::nullopt, 1},
      // A listing that fails is no empty shop: every article is searched on its own.
      {"S-", Failure::Drop().Times(1), 1 + 500},
  };
  for (const Case& c : cases) {
    const std::string prefix = c.prefix;
    Shop().Add(shopsim::MakeProduct(prefix + "10", "schon da"));  // the new one P-1 is a part of its alias
    std::string rows = ExportRow("E-1", "<Artikelbeschreibung>a</Artikelbeschreibung>") +
                       ExportRow("E-2", "<Artikelbeschreibung>b</Artikelbeschreibung>");
    for (int i = 1; i <= 498; ++i)
      rows += ExportRow(prefix + std::to_string(i), "<Artikelbeschreibung>neu</Artikelbeschreibung>");
    const auto file = ArticleFile(rows);
    if (c.listing) simulator_.Failures().Set("epages:ProductService:find", *c.listing);
    simulator_.ClearRequests();
    EXPECT_EQ(shop_.ExportArtikelZumShop(error_, false), 1) << c.prefix << error_;
    EXPECT_EQ(simulator_.RequestCount("epages:ProductService:find"), c.finds) << c.prefix;
    EXPECT_EQ(RecordsPerRequest(kCreate, kCreateItem), (std::vector<std::size_t>{100, 100, 100, 100, 97}))
        << c.prefix;
    EXPECT_EQ(Protocols(file), (std::vector<std::string>{"SUCCESS/500/500"})) << c.prefix;
    EXPECT_EQ(Product(prefix + "10")->name, "schon da") << c.prefix;
    EXPECT_TRUE(Product(prefix + "1") && Product(prefix + "498")) << c.prefix;
  }
  EXPECT_EQ(Product("E-1")->name, "alt");
}

TEST_F(EpagesProductsTest, EachSendIsPlacedBeforeTheNextSoNothingWaitsForTheEnd) {
  WriteFile(dir_ / "bild.png", "PNG");
  ArticleFile(
      NewRows(1, 250, "<Artikelkategorie>Paket</Artikelkategorie><Artikelbild>bild.png</Artikelbild>"));
  EXPECT_EQ(shop_.ExportArtikelZumShop(error_, false), 1) << error_;
  std::string order;
  for (const auto& request : simulator_.Requests()) {
    if (request.target == kCreate) order += 'c';
    if (request.target == "epages:AssignmentService:assignProductToCatalog") order += 'a';
    if (request.target == "epages:ProductImageService:upload" && order.back() != 'i') order += 'i';
  }
  EXPECT_EQ(order, "caicaicai");
  EXPECT_EQ(simulator_.RequestCount("epages:ProductImageService:upload"), 250u);
  EXPECT_EQ(Shop().CatalogsOf("/Shops/DemoShop/Products/N-250"),
            (std::vector<std::string>{"/Shops/DemoShop/Categories/Paket"}));
}

TEST_F(EpagesProductsTest, EveryFailureIsCountedAndReportedWithTheRealNumbers) {
  const std::string rows =
      ExportRow("A-100", "<Artikelbeschreibung>da</Artikelbeschreibung>") + NewRows(1, 3);
  // A search that fails is no "not found": the article is not created twice.
  simulator_.Failures().Set("epages:ProductService:find", Failure::SoapFault("Suche gestört"));
  auto file = ArticleFile(rows);
  EXPECT_EQ(shop_.ExportArtikelZumShop(error_, false), -1);
  EXPECT_EQ(simulator_.RequestCount(kCreate), 0u);
  EXPECT_EQ(Protocols(file), (std::vector<std::string>{"ROLLBACK/4/0"}));
  EXPECT_NE(error_.find("4 von 4 Artikeln konnten nicht exportiert werden"), std::string::npos) << error_;
  EXPECT_TRUE(Shows("4 von 4 Artikeln konnten nicht exportiert werden..."));

  // One record the shop refuses: the others are created and placed, the count says so.
  simulator_.Failures().ClearAll();
  simulator_.Failures().Set(std::string(kCreate) + ":N-2", Failure::ItemError("Name zu lang"));
  error_.clear();
  file = ArticleFile(rows);
  EXPECT_EQ(shop_.ExportArtikelZumShop(error_, false), -1);
  EXPECT_EQ(Protocols(file), (std::vector<std::string>{"ROLLBACK/4/3"}));
  EXPECT_NE(error_.find("N-2: Name zu lang"), std::string::npos) << error_;
  EXPECT_TRUE(Product("N-1") && Product("N-3"));
  EXPECT_FALSE(Product("N-2"));
}

TEST_F(EpagesProductsTest, CategoriesThatCannotBeCatalogsAreLeftOutAndEachIsMadeOnce) {
  const auto file = ArticleFile(
      ExportRow("N-1",
                "<Artikelbeschreibung>a</Artikelbeschreibung><Artikelkategorie>Becher</Artikelkategorie>") +
      ExportRow("N-2", "<Artikelbeschreibung>b</Artikelbeschreibung><Artikelkategorie> </Artikelkategorie>") +
      ExportRow("N-3",
                "<Artikelbeschreibung>c</Artikelbeschreibung><Artikelkategorie>Küche/Tassen"
                "</Artikelkategorie>") +
      ExportRow("N-4",
                "<Artikelbeschreibung>d</Artikelbeschreibung><Artikelkategorie>Becher</Artikelkategorie>"));
  host_.EnableLogging();
  EXPECT_EQ(shop_.ExportArtikelZumShop(error_, false), 1) << error_;
  EXPECT_EQ(Protocols(file), (std::vector<std::string>{"SUCCESS/4/4"}));
  EXPECT_EQ(simulator_.RequestCount("epages:ProductTypeService:create"), 1u);
  EXPECT_EQ(simulator_.RequestCount("epages:CatalogService:create"), 1u);
  EXPECT_EQ(Product("N-4")->product_type, "/Shops/DemoShop/ProductTypes/Becher");
  for (const char* plain : {"N-2", "N-3"}) {
    EXPECT_EQ(Product(plain)->product_type, "") << plain;
    EXPECT_TRUE(Shop().CatalogsOf(std::string("/Shops/DemoShop/Products/") + plain).empty()) << plain;
  }
  // Nothing renamed the root or reached into another catalog.
  for (const auto& catalog : Shop().Catalogs()) EXPECT_NE(catalog.name, "") << catalog.path;
  EXPECT_NE(host_.Log().find("Küche/Tassen"), std::string::npos);
}

TEST_F(EpagesProductsTest, ImagesThatCannotBeReadAreSkippedWithALogLine) {
  WriteFile(dir_ / "gross.png", "x");
  const auto absolute = (dir_ / "gross.png").string();
  ArticleFile(
      ExportRow("N-1",
                "<Artikelbeschreibung>a</Artikelbeschreibung><Artikelbild>" + absolute + "</Artikelbild>") +
      ExportRow("N-2", "<Artikelbeschreibung>b</Artikelbeschreibung><Artikelbild>fehlt.png</Artikelbild>") +
      ExportRow("N-3", "<Artikelbeschreibung>c</Artikelbeschreibung><Artikelbild/>"));
  host_.EnableLogging();
  EXPECT_EQ(shop_.ExportArtikelZumShop(error_, false), 1) << error_;
  ASSERT_EQ(Product("N-1")->images.size(), 1u);
  EXPECT_EQ(Product("N-1")->images[0].file_name, "gross.png");
  EXPECT_TRUE(Product("N-2")->images.empty());
  EXPECT_EQ(simulator_.RequestCount("epages:ProductImageService:upload"), 1u);
  EXPECT_NE(host_.Log().find("fehlt.png zu Artikel N-2"), std::string::npos) << host_.Log();
}

TEST_F(EpagesProductsTest, ARequestThatFailsStopsTheExportWithTheCountSoFar) {
  Packages(true, 2);
  const auto file =
      ArticleFile(ExportRow("A-100", "<Artikelbeschreibung>da</Artikelbeschreibung>") + NewRows(1, 1) +
                  NewRows(2, 2, "<Artikelkategorie>Gestört</Artikelkategorie>"));
  simulator_.Failures().Set("epages:ProductTypeService", Failure::Drop());
  EXPECT_EQ(shop_.ExportArtikelZumShop(error_, false), -1);
  EXPECT_EQ(error_,
            "Beim Schreiben der Artikel ist ein Fehler aufgetreten. Der Artikelexport wurde abgebrochen.");
  EXPECT_EQ(Protocols(file), (std::vector<std::string>{"SUCCESS/2/2", "ROLLBACK/2/0"}));
  EXPECT_TRUE(Product("N-1"));
  EXPECT_FALSE(Product("N-2"));
}

TEST_F(EpagesProductsTest, FilesThatCannotBeExportedGetATextAndLoseNothing) {
  struct Case {
    const char* name;
    std::string content;  // empty: no file at all
    std::int32_t result;
    const char* text;
    std::vector<std::string> protocols;
  };
  const Case cases[] = {
      {"no file", "", -1, "wurde nicht gefunden", {}},
      {"row without number",
       "<Artikelexport><row><Artikelbeschreibung>x</Artikelbeschreibung></row></Artikelexport>",
       -2,
       "Es wurde eine Artikelnummer nicht gefunden. Artikelexport wird abgebrochen.",
       {"ROLLBACK/0/0"}},
      {"row without name",
       "<Artikelexport>" + ExportRow("N-9", "") + "</Artikelexport>",
       -2,
       "Es wurde zu einem Artikel kein Name gefunden. Artikelexport wird abgebrochen.",
       {"ROLLBACK/1/0"}},
      {"bad number",
       "<Artikelexport>" +
           ExportRow("N-9",
                     "<Artikelbeschreibung>x</Artikelbeschreibung><Gewicht>viel"
                     "</Gewicht>") +
           "</Artikelexport>",
       -2,
       "Das Gewicht hat kein gültiges Format... Artikelexport wird beendet",
       {"ROLLBACK/1/0"}},
      {"no rows", "<Artikelexport/>", 0, "", {}},
  };
  for (const Case& c : cases) {
    const auto file = dir_ / "Artikelexport.xml";
    std::filesystem::remove(file);
    UseResultFile(file, c.content);
    error_.clear();
    EXPECT_EQ(shop_.ExportArtikelZumShop(error_, false), c.result) << c.name;
    EXPECT_NE(error_.find(c.text), std::string::npos) << c.name << ": " << error_;
    if (!c.content.empty()) {
      EXPECT_EQ(Protocols(file), c.protocols) << c.name;
    }
  }
  EXPECT_EQ(simulator_.RequestCount(kCreate), 0u);

  ArticleFile(NewRows(1, 1));
  StoreConnection("ledgrox", "epages", simulator_.ShopUrl() + "/epages/Store.soap", "admin", "demo");
  EXPECT_EQ(shop_.ExportArtikelZumShop(error_, false), -1);
  EXPECT_EQ(error_,
            "Es konnte keine Verbindung zum Webshop hergestellt werden, bitte kontrollieren Sie Ihre Daten.");
  EXPECT_EQ(simulator_.RequestCount("epages"), 0u);
}

}  // namespace
}  // namespace kanvio::test
