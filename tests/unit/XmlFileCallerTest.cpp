// Reading the host's upload files into records.
#include <gtest/gtest.h>

#include <functional>
#include <pugixml.hpp>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "config/Settings.h"
#include "hostfiles/HostXmlFile.h"
#include "hostfiles/XmlFileCaller.h"
#include "support/Error.h"

namespace kanvio {
namespace {

std::string ArticleFile(const std::string& rows) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Artikelexport>\n" + rows + "</Artikelexport>\n";
}

std::string Row(const std::string& number, const std::string& fields) {
  return "<row><ArtikelnummerWebshop>" + number + "</ArtikelnummerWebshop>" + fields + "</row>\n";
}

// The protocols appended to a file, as "status/total/transferred".
std::vector<std::string> Protocols(const std::filesystem::path& file) {
  pugi::xml_document document;
  EXPECT_TRUE(document.load_file(file.c_str())) << "file no longer parses";
  std::vector<std::string> found;
  for (pugi::xml_node p : document.document_element().children("Exportprotokoll"))
    found.push_back(std::string(p.child_value("Export_Status")) + "/" +
                    p.child_value("Anzahl_Datensaetze_Gesamt") + "/" +
                    p.child_value("Anzahl_Datensaetze_Erfolgreich_Uebergeben"));
  return found;
}

class XmlFileCallerTest : public ::testing::Test {
 protected:
  std::filesystem::path Write(const std::string& content) {
    test::WriteFile(file_, content);
    return file_;
  }

  std::optional<ArticleMap> Articles(const std::string& content) {
    return XmlFileCaller::ReadXmlArticles(Write(content), error_, sync_);
  }
  const Article& Only(const std::optional<ArticleMap>& articles) {
    static const Article kNone;
    if (!articles || articles->size() != 1) {
      ADD_FAILURE() << "expected exactly one article";
      return kNone;
    }
    return articles->begin()->second;
  }

  test::TempDir dir_;
  std::filesystem::path file_ = dir_ / "upload.xml";
  std::string error_;
  SyncSettings sync_;
};

struct FieldCase {
  const char* name;
  std::string fields;
  std::function<void(const Article&, const SyncSettings&, const std::string& error)> check;
};

TEST_F(XmlFileCallerTest, ArticleFieldsConvertAndFlagAsTheHostMeansThem) {
  const FieldCase cases[] = {
      {"description split at the first marker",
       "<Artikelbeschreibung>Tisch&lt;br&gt;Eiche&lt;br&gt;massiv</Artikelbeschreibung>",
       [](const Article& a, const SyncSettings& s, const std::string&) {
         EXPECT_EQ(a.Artikelbeschreibung, "Tisch");
         EXPECT_EQ(a.Anmerkungen, "<br>Eiche<br>massiv");
         EXPECT_TRUE(s.SyncBeschreibung);
       }},
      {"marker inside CDATA", "<Artikelbeschreibung><![CDATA[Stuhl<br>Buche]]></Artikelbeschreibung>",
       [](const Article& a, const SyncSettings& s, const std::string&) {
         EXPECT_EQ(a.Artikelbeschreibung, "Stuhl");
         EXPECT_EQ(a.Anmerkungen, "<br>Buche");
         EXPECT_TRUE(s.SyncBeschreibung);
       }},
      {"description without marker", "<Artikelbeschreibung>KVX_IGNORE</Artikelbeschreibung>",
       [](const Article& a, const SyncSettings& s, const std::string&) {
         EXPECT_EQ(a.Artikelbeschreibung, "KVX_IGNORE");
         EXPECT_FALSE(a.Anmerkungen);
         EXPECT_FALSE(s.SyncBeschreibung);
       }},
      {"weight with full stop and comma alike", "<Gewicht>1.5</Gewicht><Volumen>1,5</Volumen>",
       [](const Article& a, const SyncSettings& s, const std::string&) {
         EXPECT_FLOAT_EQ(a.Gewicht, 1.5f);
         EXPECT_FLOAT_EQ(a.Volumen, 1.5f);
         EXPECT_TRUE(s.SyncGewicht && s.SyncVolumen);
       }},
      {"tax code without comma rule groups thousands",
       "<MwStCode>19.00</MwStCode><ArtikelPreisBeziehtSichAufMenge>2,5</ArtikelPreisBeziehtSichAufMenge>",
       [](const Article& a, const SyncSettings& s, const std::string&) {
         EXPECT_FLOAT_EQ(a.Mwstcode, 1900);
         EXPECT_FLOAT_EQ(a.ProductPriceQuantity, 2.5f);
         EXPECT_TRUE(s.SyncMwst && s.SyncArticlesPriceQuantity);
       }},
      {"ignored unit stays absent", "<Einheit>KVX_IGNORE</Einheit><Artikelkategorie></Artikelkategorie>",
       [](const Article& a, const SyncSettings& s, const std::string&) {
         EXPECT_FALSE(a.Einheit);
         EXPECT_FALSE(s.SyncEinheit);
         EXPECT_EQ(a.ArtikelKategorie, "");
         EXPECT_TRUE(s.SyncKategorie);
       }},
      {"empty price is zero and flagged",
       "<ArtikelpreisNetto/><ArtikelpreisBrutto>KVX_IGNORE</ArtikelpreisBrutto>",
       [](const Article& a, const SyncSettings& s, const std::string& e) {
         EXPECT_FLOAT_EQ(a.ArtikelpreisNetto, 0);
         EXPECT_TRUE(s.SyncArtikelPreisNetto);
         EXPECT_FALSE(s.SyncArtikelPreisBrutto);
         EXPECT_EQ(e, "");
       }},
      {"currency text and notes element",
       "<ArtikelpreisWaehrung>US-Dollar</ArtikelpreisWaehrung><Anmerkungen/>",
       [](const Article& a, const SyncSettings& s, const std::string&) {
         EXPECT_EQ(a.ArtikelPreisWaehrung, "USD");
         EXPECT_TRUE(s.SyncBeschreibung);
         EXPECT_FALSE(a.Anmerkungen);
       }},
      {"field found at any depth, first one wins",
       "<Bild><Artikelbild>a.jpg</Artikelbild></Bild><Artikelbild>b.jpg</Artikelbild>",
       [](const Article& a, const SyncSettings& s, const std::string&) {
         EXPECT_EQ(a.Artikelbild, "a.jpg");
         EXPECT_TRUE(s.SyncArtikelBild);
       }},
      {"bad numbers give zero, no flag, last message",
       "<MwStCode>x</MwStCode><Einkaufspreis>1,2,3</Einkaufspreis><Gewicht>2</Gewicht>",
       [](const Article& a, const SyncSettings& s, const std::string& e) {
         EXPECT_FLOAT_EQ(a.Mwstcode, 0);
         EXPECT_FALSE(s.SyncMwst || s.SyncEinkaufspreis);
         EXPECT_FLOAT_EQ(a.Gewicht, 2);
         EXPECT_EQ(e, "Der Einkaufspreis hat kein gültiges Format... Artikelexport wird beendet");
       }},
      {"number beyond single precision is bad", "<Volumen>1e60</Volumen>",
       [](const Article& a, const SyncSettings& s, const std::string& e) {
         EXPECT_FLOAT_EQ(a.Volumen, 0);
         EXPECT_FALSE(s.SyncVolumen);
         EXPECT_EQ(e, "Das Volumen hat kein gültiges Format... Artikelexport wird beendet");
       }},
  };
  for (const FieldCase& c : cases) {
    SCOPED_TRACE(c.name);
    error_.clear();
    // The case's own description, if any, comes first and wins.
    const auto articles =
        Articles(ArticleFile(Row("A-1", c.fields + "<Artikelbeschreibung>Name</Artikelbeschreibung>")));
    c.check(Only(articles), sync_, error_);
  }
}

TEST_F(XmlFileCallerTest, ArticlesKeepFileOrderAndTheFirstOfTwoEqualNumbers) {
  const auto articles = Articles(ArticleFile(Row("B", "<Artikelbeschreibung>erst</Artikelbeschreibung>") +
                                             Row("A", "<Artikelbeschreibung>a</Artikelbeschreibung>") +
                                             Row("B", "<Artikelbeschreibung>zweit</Artikelbeschreibung>") +
                                             Row("C", "<Artikelbeschreibung>c</Artikelbeschreibung>")));
  ASSERT_TRUE(articles);
  std::vector<std::string> order;
  for (const auto& [number, article] : *articles) order.push_back(number);
  EXPECT_EQ(order, (std::vector<std::string>{"B", "A", "C"}));
  EXPECT_EQ(articles->Find("B")->Artikelbeschreibung, "erst");
  EXPECT_EQ(error_, "");
}

TEST_F(XmlFileCallerTest, ArticleWithoutNameIsReadButReported) {
  const auto articles = Articles(ArticleFile(Row("A", "<Einheit>Stk</Einheit>")));
  EXPECT_EQ(Only(articles).Einheit, "Stk");
  EXPECT_FALSE(Only(articles).Artikelbeschreibung);
  EXPECT_EQ(error_, "Es wurde zu einem Artikel kein Name gefunden. Artikelexport wird abgebrochen.");
}

TEST_F(XmlFileCallerTest, ArticleWithoutNumberStopsWithoutProtocol) {
  const std::string content =
      ArticleFile(Row("A", "") + "<row><Artikelbeschreibung>x</Artikelbeschreibung></row>");
  EXPECT_FALSE(Articles(content));
  EXPECT_EQ(error_, "Es wurde eine Artikelnummer nicht gefunden. Artikelexport wird abgebrochen.");
  EXPECT_EQ(test::ReadFile(file_), content);
}

TEST_F(XmlFileCallerTest, FreshSyncSettingsForEveryRead) {
  sync_.SyncUrl = sync_.SyncGewicht = true;
  ASSERT_TRUE(Articles(ArticleFile("")));
  EXPECT_FALSE(sync_.SyncUrl || sync_.SyncGewicht);
}

TEST_F(XmlFileCallerTest, RepeatedPriceRowFailsTheReadWithRollback) {
  const auto rows =
      Row("P", "<ArtikelpreisNetto>1.5</ArtikelpreisNetto><ArtikelpreisWaehrung/>") + Row("Q", "");
  const auto prices = XmlFileCaller::ReadXmlArticlePrices(
      Write("<Artikelpreisexport>" + rows + "</Artikelpreisexport>"), error_, sync_);
  ASSERT_TRUE(prices);
  EXPECT_FLOAT_EQ(prices->Find("P")->ArtikelpreisNetto, 1.5f);
  EXPECT_EQ(prices->Find("P")->ArtikelPreisWaehrung, "EUR");
  EXPECT_TRUE(sync_.SyncArtikelPreisNetto);

  EXPECT_FALSE(XmlFileCaller::ReadXmlArticlePrices(
      Write("<Artikelpreisexport>" + rows + Row("P", "") + "</Artikelpreisexport>"), error_, sync_));
  EXPECT_NE(error_.find("P"), std::string::npos) << error_;
  EXPECT_EQ(Protocols(file_), (std::vector<std::string>{"ROLLBACK/0/0"}));
}

TEST_F(XmlFileCallerTest, StockFieldsHonourBothMarkersAndTheEmptyValue) {
  const auto stock = XmlFileCaller::ReadXmlStockValues(
      Write("<LagerbestandExport>"
            "<Artikel><ArtikelnummerWebshop>S1</ArtikelnummerWebshop><LagerBestandAktuell/>"
            "<LagerMindestBestand>KVXIGNORE</LagerMindestBestand><LagerWiederbeschaffungsdauer/></Artikel>"
            "<Artikel><ArtikelnummerWebshop>S2</ArtikelnummerWebshop>"
            "<LagerMindestBestand>KVX_IGNORE</LagerMindestBestand></Artikel>"
            "</LagerbestandExport>"),
      error_, sync_);
  ASSERT_TRUE(stock);
  ASSERT_EQ(stock->size(), 2u);
  EXPECT_FLOAT_EQ((*stock)[0].LagerBestandAktuell, -32758);
  EXPECT_FLOAT_EQ((*stock)[0].LagerMindestBestand, 0);
  EXPECT_EQ((*stock)[0].LagerWiederbeschaffungsDauer, "nil");
  EXPECT_FALSE((*stock)[1].LagerWiederbeschaffungsDauer);
  EXPECT_FALSE(sync_.SyncLagerbestand || sync_.SyncMindestbestand || sync_.SyncWiederbeschaffungsdauer);
}

// The sync flags belong to the file; whether a row gave its own value is
// kept per record, so that a row without it sends nothing.
TEST_F(XmlFileCallerTest, EachRecordKnowsWhichNumbersItGave) {
  const auto articles = Articles(ArticleFile(
      Row("A",
          "<Artikelbeschreibung>a</Artikelbeschreibung><ArtikelpreisBrutto>1,5</ArtikelpreisBrutto>"
          "<Gewicht/>") +
      Row("B",
          "<Artikelbeschreibung>b</Artikelbeschreibung><ArtikelpreisBrutto>KVX_IGNORE</"
          "ArtikelpreisBrutto>")));
  ASSERT_TRUE(articles);
  EXPECT_TRUE(sync_.SyncArtikelPreisBrutto && sync_.SyncGewicht);
  EXPECT_TRUE(articles->Find("A")->ArtikelpreisBruttoGiven && articles->Find("A")->GewichtGiven);
  EXPECT_FALSE(articles->Find("B")->ArtikelpreisBruttoGiven || articles->Find("B")->GewichtGiven);

  const auto stock = XmlFileCaller::ReadXmlStockValues(
      Write("<LagerbestandExport><Artikel><ArtikelnummerWebshop>S1</ArtikelnummerWebshop>"
            "<LagerBestandAktuell>0</LagerBestandAktuell></Artikel><Artikel><ArtikelnummerWebshop>S2"
            "</ArtikelnummerWebshop><LagerBestandAktuell>KVX_IGNORE</LagerBestandAktuell></Artikel>"
            "</LagerbestandExport>"),
      error_, sync_);
  ASSERT_TRUE(stock);
  EXPECT_TRUE((*stock)[0].LagerBestandAktuellGiven);
  EXPECT_FALSE((*stock)[1].LagerBestandAktuellGiven || (*stock)[1].LagerMindestBestandGiven);
}

TEST_F(XmlFileCallerTest, BadStockNumberEndsTheReadWithoutProtocol) {
  const std::pair<std::string, const char*> cases[] = {
      // The comma rule turns "1.250,5" into "1,250,5", which is no number.
      {"<LagerBestandAktuell>1.250,5</LagerBestandAktuell>",
       "Der aktuelle Lagerbestand hat kein gültiges Format... Lagerbestand Export wird beendet"},
      {"<LagerMindestBestand>viele</LagerMindestBestand>",
       "Der Mindestlagerbestand hat kein gültiges Format... Lagerbestand Export wird beendet"},
  };
  for (const auto& [field, message] : cases) {
    const std::string content =
        "<LagerbestandExport><Artikel><ArtikelnummerWebshop>S</ArtikelnummerWebshop>" + field +
        "</Artikel></LagerbestandExport>";
    EXPECT_FALSE(XmlFileCaller::ReadXmlStockValues(Write(content), error_, sync_));
    EXPECT_EQ(error_, message);
    EXPECT_EQ(test::ReadFile(file_), content);
  }
}

TEST_F(XmlFileCallerTest, StockValuesAreReadAndFlagged) {
  const auto stock = XmlFileCaller::ReadXmlStockValues(
      Write("<LagerbestandExport><Artikel><ArtikelnummerWebshop>S</ArtikelnummerWebshop>"
            "<LagerBestandAktuell>12.5</LagerBestandAktuell><LagerMindestBestand>3</LagerMindestBestand>"
            "<LagerWiederbeschaffungsdauer>5 "
            "Tage</LagerWiederbeschaffungsdauer></Artikel></LagerbestandExport>"),
      error_, sync_);
  ASSERT_TRUE(stock);
  EXPECT_FLOAT_EQ(stock->at(0).LagerBestandAktuell, 12.5f);
  EXPECT_FLOAT_EQ(stock->at(0).LagerMindestBestand, 3);
  EXPECT_EQ(stock->at(0).LagerWiederbeschaffungsDauer, "5 Tage");
  EXPECT_TRUE(sync_.SyncLagerbestand && sync_.SyncMindestbestand && sync_.SyncWiederbeschaffungsdauer);

  EXPECT_FALSE(XmlFileCaller::ReadXmlStockValues(Write("<LagerbestandExport><Artikel><LagerBestandAktuell>1</"
                                                       "LagerBestandAktuell></Artikel></LagerbestandExport>"),
                                                 error_, sync_));
  EXPECT_EQ(error_, "Es wurde keine Artikelnummer gefunden. Lagerbestandexport wird abgebrochen.");
}

TEST_F(XmlFileCallerTest, PriceListWithoutNameIsSkippedAndTheOthersRead) {
  const auto lists = XmlFileCaller::ReadXmlPriceLists(
      Write("<PreislistenExport>"
            "<Preisliste><Name>Händler</Name>"
            "<Artikel><ArtikelnummerWebshop>A</ArtikelnummerWebshop>"
            "<Preis><ArtikelpreisWaehrung>US-Dollar</ArtikelpreisWaehrung><VerkaufsPreisNetto>9.5</"
            "VerkaufsPreisNetto>"
            "<VerkaufsPreisBrutto/><PreisGiltAb>10</PreisGiltAb></Preis>"
            "<Preis><ArtikelpreisWaehrung/><VerkaufsPreisBrutto>KVX_IGNORE</VerkaufsPreisBrutto></Preis></"
            "Artikel>"
            "<Artikel><Preis><VerkaufsPreisNetto>1</VerkaufsPreisNetto></Preis></Artikel></Preisliste>"
            "<Preisliste><Name></Name></Preisliste>"
            "<Preisliste><Name>Leer</Name></Preisliste>"
            "</PreislistenExport>"),
      error_, sync_);
  ASSERT_TRUE(lists);
  ASSERT_EQ(lists->size(), 2u);
  EXPECT_EQ(error_, "Nicht alle Preislisten wurden angelegt, da bei einigen der Name fehlte.");
  const Preisliste& list = lists->at(0);
  EXPECT_EQ(list.Name, "Händler");
  ASSERT_EQ(list.Artikel.size(), 1u);
  ASSERT_EQ(list.Artikel[0].Preise.size(), 2u);
  const Preis& first = list.Artikel[0].Preise[0];
  EXPECT_EQ(first.PreisWaehrung, "USD");
  EXPECT_FLOAT_EQ(first.VerkaufspreisNetto, 9.5f);
  EXPECT_FLOAT_EQ(first.VerkraufspreisBrutto, 0);
  EXPECT_FLOAT_EQ(first.PreisGiltab, 10);
  EXPECT_EQ(list.Artikel[0].Preise[1].PreisWaehrung, "EUR");
  EXPECT_TRUE(lists->at(1).Artikel.empty());
}

TEST_F(XmlFileCallerTest, BadPriceListNumberRollsBackAndKeepsTheErrorText) {
  error_ = "vorher";
  EXPECT_FALSE(XmlFileCaller::ReadXmlPriceLists(
      Write("<PreislistenExport><Preisliste><Name>L</Name><Artikel><ArtikelnummerWebshop>A</"
            "ArtikelnummerWebshop>"
            "<Preis><PreisGiltAb>ab 10</PreisGiltAb></Preis></Artikel></Preisliste></PreislistenExport>"),
      error_, sync_));
  EXPECT_EQ(error_, "vorher");
  EXPECT_EQ(Protocols(file_), (std::vector<std::string>{"ROLLBACK/0/0"}));
}

// A file that cannot be read cannot take a protocol either: the failure goes
// to the caller and the file stays exactly as it was.
TEST_F(XmlFileCallerTest, UnreadableFilesThrowAndStayUntouched) {
  using Reader = std::function<void(const std::filesystem::path&, std::string&, SyncSettings&)>;
  const std::pair<const char*, Reader> readers[] = {
      {"articles", [](auto& f, auto& e, auto& s) { XmlFileCaller::ReadXmlArticles(f, e, s); }},
      {"prices", [](auto& f, auto& e, auto& s) { XmlFileCaller::ReadXmlArticlePrices(f, e, s); }},
      {"stock", [](auto& f, auto& e, auto& s) { XmlFileCaller::ReadXmlStockValues(f, e, s); }},
      {"price lists", [](auto& f, auto& e, auto& s) { XmlFileCaller::ReadXmlPriceLists(f, e, s); }},
  };
  const std::pair<const char*, std::string> contents[] = {
      {"not XML", "Artikelnummer;Preis\nA;1,5\n"},
      {"truncated", ArticleFile(Row("A", "")).substr(0, 70)},
      {"empty", ""},
  };
  for (const auto& [reader_name, read] : readers) {
    for (const auto& [content_name, content] : contents) {
      SCOPED_TRACE(std::string(reader_name) + ", " + content_name);
      Write(content);
      EXPECT_THROW(read(file_, error_, sync_), XmlError);
      EXPECT_EQ(test::ReadFile(file_), content);
    }
    std::filesystem::remove(file_);
    EXPECT_THROW(read(file_, error_, sync_), FileNotFoundError);
    EXPECT_FALSE(std::filesystem::exists(file_));
    EXPECT_THROW(read(dir_.path(), error_, sync_), Error);
  }
}

TEST_F(XmlFileCallerTest, FailedReadOfFileWithOtherRootThrowsAndLeavesIt) {
  const std::string content = "<Preise>" + Row("P", "") + Row("P", "") + "</Preise>";
  Write(content);
  EXPECT_THROW(XmlFileCaller::ReadXmlArticlePrices(file_, error_, sync_), XmlError);
  EXPECT_EQ(test::ReadFile(file_), content);
}

TEST_F(XmlFileCallerTest, Latin1FilesAreReadAsUtf8) {
  const auto articles =
      Articles("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><Artikelexport>" +
               Row("M\xFC", "<Artikelbeschreibung>K\xE4se</Artikelbeschreibung>") + "</Artikelexport>");
  EXPECT_EQ(Only(articles).Artikelnummer, "Mü");
  EXPECT_EQ(Only(articles).Artikelbeschreibung, "Käse");
}

TEST_F(XmlFileCallerTest, FormsWithoutPathReadTheFileOfTheOperation) {
  test::ScopedEnv store("KANVIO_USER_CONFIG_DIR", (dir_ / "store").string());
  test::ScopedEnv deployment("KANVIO_DEPLOYMENT_CONFIG", (dir_ / "deployment.config").string());
  const auto file = dir_ / "Lagerbestände.xml";
  Settings settings;
  settings.set_WEBSERVICE_RESULT_FILEPATH(PathToUtf8(file));
  settings.Save();
  test::WriteFile(file,
                  "<LagerbestandExport><Artikel><ArtikelnummerWebshop>S</ArtikelnummerWebshop></Artikel>"
                  "</LagerbestandExport>");
  const auto stock = XmlFileCaller::ReadXmlStockValues(error_, sync_);
  ASSERT_TRUE(stock);
  EXPECT_EQ(stock->at(0).ArtikelnummerWebshop, "S");
}

}  // namespace
}  // namespace kanvio
