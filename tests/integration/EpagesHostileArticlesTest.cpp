// Large and hostile article files for the ePages export, against a shop in
// the same process that checks every request it gets.
#include <gtest/gtest.h>

#include <atomic>
#include <pugixml.hpp>

#include "HostFolders.h"
#include "ShopTestSupport.h"
#include "TestSupport.h"
#include "config/ConfigFileWriter.h"
#include "config/Logger.h"
#include "platform/HttpClient.h"
#include "shops/epages/ePages.h"

namespace kanvio::test {
namespace {

// Finds nothing and creates everything; counts what it got and notes every
// request that is no well-formed XML or carries a control character.
class CheckingShop : public platform::HttpClient {
 public:
  struct Seen {
    std::atomic<std::size_t> finds{0}, creates{0}, records{0}, bad{0};
  };
  explicit CheckingShop(Seen& seen) : seen_(seen) {}

  platform::HttpResponse Send(const platform::HttpRequest& request) override {
    pugi::xml_document document;
    const bool control = std::any_of(request.body.begin(), request.body.end(), [](char c) {
      return static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r';
    });
    if (control || !document.load_buffer(request.body.data(), request.body.size())) ++seen_.bad;
    platform::HttpResponse response;
    response.status = 200;
    response.content_type = "text/xml; charset=utf-8";
    std::string answer;
    if (request.body.find(":find ") != std::string::npos) {
      ++seen_.finds;
      answer = "<findResponse><Products/></findResponse>";
    } else if (request.body.find(":create ") != std::string::npos) {
      ++seen_.creates;
      answer = "<createResponse><Products>";
      for (const auto& item : document.select_nodes("//*[local-name()='Alias']")) {
        ++seen_.records;
        answer += std::string("<Product><Path>/Shops/S/Products/") + item.node().child_value() +
                  "</Path></Product>";
      }
      answer += "</Products></createResponse>";
    } else {
      answer = "<otherResponse/>";
    }
    response.body = "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"><soap:Body>" +
                    answer + "</soap:Body></soap:Envelope>";
    return response;
  }

 private:
  Seen& seen_;
};

class EpagesHostileArticlesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StoreConnection("ledgrox", "epages", "http://shop.invalid/epages/Store.soap", "/Shops/S/Users/u", "pw");
    ConfigFileWriter make_config_file;
  }

  std::int32_t Export(const std::string& rows) {
    UseResultFile(file_,
                  "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Artikelexport>" + rows + "</Artikelexport>");
    const Logger::Session log_session;  // as the worker opens one per operation
    ePages shop(&worker_, [this] { return std::make_unique<CheckingShop>(seen_); });
    return shop.ExportArtikelZumShop(error_, false);
  }

  HostFolders host_;
  TempDir dir_;
  std::filesystem::path file_ = dir_ / "Artikelexport.xml";
  CheckingShop::Seen seen_;
  RecordingWorker worker_;
  std::string error_;
};

TEST_F(EpagesHostileArticlesTest, TwoHundredThousandRowsGoOutInPackagesOfAtMostAHundred) {
  std::string rows;
  rows.reserve(200'000 * 120);
  for (int i = 1; i <= 200'000; ++i)
    rows += "<row><ArtikelnummerWebshop>H-" + std::to_string(i) +
            "</ArtikelnummerWebshop><Artikelbeschreibung>Art " + std::to_string(i) +
            "</Artikelbeschreibung><ArtikelpreisBrutto>1,99</ArtikelpreisBrutto></row>";
  EXPECT_EQ(Export(rows), 1) << error_;
  EXPECT_EQ(seen_.finds, 1u);  // one listing of the shop, no search per article
  EXPECT_EQ(seen_.creates, 2'000u);
  EXPECT_EQ(seen_.records, 200'000u);
  EXPECT_EQ(seen_.bad, 0u);
  const std::string text = ReadFile(file_);
  std::size_t protocols = 0;
  for (auto pos = text.find("<Export_Status>SUCCESS"); pos != std::string::npos;
       pos = text.find("<Export_Status>S", pos + 1))
    ++protocols;
  EXPECT_EQ(protocols, 2'000u);  // one per package of the default configuration
}

TEST_F(EpagesHostileArticlesTest, MarkupControlCharactersHugeTextsAndOddValuesReachTheShopAsSafeRequests) {
  const std::string huge(10u << 20, 'x');
  const std::string rows =
      "<row><ArtikelnummerWebshop>X-1</ArtikelnummerWebshop><Artikelbeschreibung><![CDATA[<script>alert(1)</"
      "script>"
      "&amp; "
      "</Artikelbeschreibung>]]></Artikelbeschreibung><Einheit>m/s</Einheit><MwStCode>19.00</MwStCode></row>"
      "<row><ArtikelnummerWebshop>X-&#1;2</"
      "ArtikelnummerWebshop><Artikelbeschreibung>Steuer&#1;&#31;zeichen&#9;"
      "</Artikelbeschreibung><Einheit>&#8;</Einheit><MwStCode>-1</MwStCode><Artikelbild>&#2;bild.png"
      "</Artikelbild></row>"
      "<row><ArtikelnummerWebshop>X-3</ArtikelnummerWebshop><Artikelbeschreibung>Name&lt;br&gt;" +
      huge + "</Artikelbeschreibung><Einheit>" + std::string(5000, 'E') +
      "</Einheit><Gewicht>1e30</Gewicht><ArtikelpreisNetto>-0,01</ArtikelpreisNetto></row>";
  host_.EnableLogging();
  EXPECT_EQ(Export(rows), 1) << error_;
  EXPECT_EQ(seen_.records, 3u);
  EXPECT_EQ(seen_.bad, 0u);
  EXPECT_NE(ReadFile(file_).find("<Export_Status>SUCCESS</Export_Status><Anzahl_Datensaetze_Gesamt>3"),
            std::string::npos);

  // A number the reader cannot take ends the export before the shop hears of it.
  seen_.finds = 0;
  error_.clear();
  EXPECT_EQ(Export("<row><ArtikelnummerWebshop>X-4</ArtikelnummerWebshop><Artikelbeschreibung>a"
                   "</Artikelbeschreibung><MwStCode>normal</MwStCode></row>"),
            -2);
  EXPECT_EQ(error_, "Der MwStCode hat kein gültiges Format... Artikelexport wird beendet");
  EXPECT_EQ(seen_.finds, 0u);
  EXPECT_NE(host_.Log().find("Export MwStCode -> "), std::string::npos);
}

}  // namespace
}  // namespace kanvio::test
