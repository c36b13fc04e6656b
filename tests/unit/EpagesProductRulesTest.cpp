// The value rules of the ePages product side: units and tax classes both
// ways, the price rule, tag removal, variation texts, categories; and the
// records the product services send.
#include <gtest/gtest.h>

#include "net/SoapClient.h"
#include "shops/epages/ProductRules.h"
#include "shops/epages/ProductTypes.h"

namespace kanvio::epages {
namespace {

TEST(EpagesProductRulesTest, UnitsBothWays) {
  struct Case {
    std::optional<std::string> host;
    const char* path;
  };
  const Case exports[] = {
      {"Stk.", "/Units/piece"},
      {"Kiste(n)", "/Units/piece/box"},
      {"KISTE(N)", "/Units/piece/box"},
      {" kg ", "/Units/gram/kilogram"},
      {"Terabyte", "/Units/byte/terrabyte"},
      {"FUß", "/Units/metre/foot"},
      {"m²", "/Units/squaremetre"},
      {"VKE", "/Units/piece/unit"},
      {"Eimer", "/Units/piece"},
      {"m/s", "/Units/piece"},  // the last part "s" is no unit
      {"/kg", "/Units/gram/kilogram"},
      {"", "/Units/piece"},
      {std::nullopt, "/Units/piece"},
  };
  for (const Case& c : exports) EXPECT_EQ(UnitPathOf(c.host), c.path) << c.host.value_or("(none)");

  const std::pair<const char*, const char*> imports[] = {
      {"/Units/piece/box", "Kiste(n)"},
      {"/Shops/S/Units/gram/kilogram", "kg"},
      {"/Units/byte/terrabyte", "Terabyte"},
      {"/Units/gram/tone", "Tonne"},
      {"/Units/piece", "Stk."},
      {"/Units/PIECE/Unit ", "VKE"},
      {"/Units/metre/furlong", ""},
      {"", ""},
  };
  for (const auto& [path, host] : imports) EXPECT_EQ(HostUnitOf(path), host) << path;
}

TEST(EpagesProductRulesTest, TaxClassesBothWays) {
  EXPECT_EQ(TaxClassOf(1), "/TaxMatrixGermany/normal");
  EXPECT_EQ(TaxClassOf(2), "/TaxMatrixGermany/reduced");
  for (float other : {0.0f, 3.0f, 19.0f, -1.0f, 1900.0f, 1.5f})
    EXPECT_EQ(TaxClassOf(other), "/TaxMatrixGermany/none");

  const std::pair<std::optional<std::string>, const char*> codes[] = {
      {"/TaxMatrixGermany/normal", "1"},
      {"/Shops/S/TaxMatrixGermany/NORMAL", "1"},
      {"/TaxMatrixGermany/reduced", "2"},
      {"/Steuer/ÄrmelReDUCED", "2"},
      {"/TaxMatrix/none", "0"},
      {"", "0"},
      {std::nullopt, "0"},
  };
  for (const auto& [tax_class, code] : codes)
    EXPECT_EQ(TaxCodeOf(tax_class), code) << tax_class.value_or("-");
}

TEST(EpagesProductRulesTest, PricesFollowTheFlagsAndWhatTheRowGave) {
  struct Case {
    const char* name;
    bool net_flag, gross_flag, net_given, gross_given;
    float gross;
    std::vector<std::string> models;
  };
  const Case cases[] = {
      {"both", true, true, true, true, 11.9f, {"net", "gross"}},
      {"gross 0 sends net only", true, true, true, true, 0, {"net"}},
      {"net only", true, false, true, false, 11.9f, {"net"}},
      {"gross only", false, true, false, true, 11.9f, {"gross"}},
      {"none", false, false, true, true, 11.9f, {}},
      // Another row set the flags; this one left its prices out.
      {"not given", true, true, false, false, 0, {}},
      {"gross given alone", true, true, false, true, 11.9f, {"gross"}},
  };
  for (const Case& c : cases) {
    Article article;
    article.ArtikelpreisNetto = 10;
    article.ArtikelpreisBrutto = c.gross;
    article.ArtikelPreisWaehrung = "CHF";
    article.ArtikelpreisNettoGiven = c.net_given;
    article.ArtikelpreisBruttoGiven = c.gross_given;
    SyncSettings sync;
    sync.SyncArtikelPreisNetto = c.net_flag;
    sync.SyncArtikelPreisBrutto = c.gross_flag;
    std::vector<std::string> models;
    for (const ProductPrice& price : PricesOf(article, sync)) {
      models.push_back(price.TaxModel);
      EXPECT_EQ(price.CurrencyID, "CHF") << c.name;
      EXPECT_EQ(price.Price, price.TaxModel == "net" ? 10 : c.gross) << c.name;
    }
    EXPECT_EQ(models, c.models) << c.name;
  }
}

TEST(EpagesProductRulesTest, TextsCategoriesAndPaths) {
  EXPECT_EQ(WithoutTags("<p>Baumwolle<br/>100 %</p>"), "Baumwolle100 %");
  EXPECT_EQ(WithoutTags("<p\nclass=\"x\">a</p>"), "a");
  EXPECT_EQ(WithoutTags("3 < 4 und 5 > 2"), "3  2");
  EXPECT_EQ(WithoutTags("offen <b"), "offen <b");
  EXPECT_EQ(WithoutTags(""), "");

  EXPECT_EQ(VariationText({{"Farbe", "Red"}, {"Größe", "XL"}}), "Red XL ");
  EXPECT_EQ(VariationText({{"Farbe", std::nullopt}}), " ");
  EXPECT_EQ(VariationText({}), "");

  EXPECT_TRUE(IsUsableCategory("Tassen"));
  EXPECT_TRUE(IsUsableCategory("Tee & Kaffee"));
  for (auto unusable :
       {std::optional<std::string>(), std::optional<std::string>(""), std::optional<std::string>("  "),
        std::optional<std::string>("Küche/Tassen"), std::optional<std::string>("/")})
    EXPECT_FALSE(IsUsableCategory(unusable)) << unusable.value_or("(none)");

  EXPECT_EQ(LastPart("/Shops/S/Products/A-1"), "A-1");
  EXPECT_EQ(LastPart("A-1"), "A-1");
  EXPECT_EQ(LastPart("/Shops/S/Products/"), "");
}

TEST(EpagesProductRulesTest, CreateAndUpdateSendOnlyWhatIsSet) {
  ProductRecord record;
  record.Alias = "A-1";
  record.Path = "/Shops/S/Products/A-1";
  record.IsNew = true;
  record.Name = {{"de", "Becher"}};
  record.ProductPrices = {{12.5f, "EUR", "gross"}, {std::nullopt, "EUR", "net"}};
  net::SoapWriter create;
  WriteProductCreates(create, {record});
  const std::string created = create.xml();
  EXPECT_NE(created.find("<Alias xsi:type=\"xsd:string\">A-1</Alias>"), std::string::npos) << created;
  EXPECT_EQ(created.find("<Path"), std::string::npos);
  EXPECT_NE(created.find("soapenc:arrayType=\"pt:TProductPrice[2]\""), std::string::npos);
  EXPECT_NE(created.find("<Price xsi:type=\"xsd:float\">12.5</Price>"), std::string::npos);
  EXPECT_NE(created.find("<Price xsi:nil=\"true\"/>"), std::string::npos);
  for (const char* absent : {"IsDownloadProduct", "TaxClass", "Weight", "StockLevel", "Description"})
    EXPECT_EQ(created.find(absent), std::string::npos) << absent;

  ProductRecord stock;
  stock.Path = "/Shops/S/Products/A-1";
  stock.StockLevel = 0;
  net::SoapWriter update;
  WriteProductUpdates(update, {stock});
  EXPECT_EQ(
      update.xml(),
      "<Products xsi:type=\"soapenc:Array\" soapenc:arrayType=\"pt:TUpdate_Input[1]\"><item "
      "xsi:type=\"pt:TUpdate_Input\"><Path xsi:type=\"xsd:string\">/Shops/S/Products/A-1</Path><StockLevel "
      "xsi:type=\"xsd:float\">0</StockLevel></item></Products>");
}

TEST(EpagesProductRulesTest, WriterDropsWhatXmlCannotCarry) {
  net::SoapWriter writer;
  writer.String("Name", std::string("a\x01"
                                    "b\tc\nd\re\x1f<f>",
                                    13));
  writer.Base64Binary("Content", platform::Bytes{0x89, 'P', 'N', 'G'});
  writer.DateTimeUtc("ValidFrom", LocalDateTime{2024, 2, 29, 23, 5, 0});
  EXPECT_EQ(writer.xml(),
            "<Name xsi:type=\"xsd:string\">ab\tc\nd&#13;e&lt;f&gt;</Name>"
            "<Content xsi:type=\"xsd:base64Binary\">iVBORw==</Content>"
            "<ValidFrom xsi:type=\"xsd:dateTime\">2024-02-29T23:05:00Z</ValidFrom>");
}

}  // namespace
}  // namespace kanvio::epages
