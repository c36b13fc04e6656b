// Appending result protocols to the host's upload files.
#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "hostfiles/ResultProtocol.h"
#include "support/Error.h"

namespace kanvio {
namespace {

std::string Summary(const ExportProtocol& p) {
  return p.Export_Status + "/" + p.Anzahl_Datensaetze_Gesamt + "/" +
         p.Anzahl_Datensaetze_Erfolgreich_Uebergeben;
}

const char* const kSuccess =
    "<Exportprotokoll><Export_Status>SUCCESS</Export_Status><Anzahl_Datensaetze_Gesamt>100</"
    "Anzahl_Datensaetze_Gesamt>"
    "<Anzahl_Datensaetze_Erfolgreich_Uebergeben>98</Anzahl_Datensaetze_Erfolgreich_Uebergeben></"
    "Exportprotokoll>";

TEST(ResultProtocolTest, AnswerValuesAreTakenInOrderUntilOneIsMissing) {
  const std::pair<std::string, const char*> cases[] = {
      {kSuccess, "SUCCESS/100/98"},
      {"\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + std::string(kSuccess) + "\n",
       "SUCCESS/100/98"},
      {"<Exportprotokoll><Export_Status>ROLLBACK</Export_Status>"
       "<Anzahl_Datensaetze_Erfolgreich_Uebergeben>5</Anzahl_Datensaetze_Erfolgreich_Uebergeben></"
       "Exportprotokoll>",
       "ROLLBACK/0/0"},
      {"<Exportprotokoll><Export_Status>SUCCESS</Export_Status></Exportprotokoll>", "SUCCESS/0/0"},
      {"<Antwort><Export_Status>SUCCESS</Export_Status></Antwort>", "ROLLBACK/0/0"},
      {"SUCCESS", "ROLLBACK/0/0"},
      {"<html><body>Fatal error</body>", "ROLLBACK/0/0"},
      {"", "ROLLBACK/0/0"},
  };
  for (const auto& [answer, expected] : cases)
    EXPECT_EQ(Summary(ResultProtocol::FromAnswer(answer)), expected) << answer;
}

TEST(ResultProtocolTest, ProtocolsAreAppendedAsLastChildrenAndTheRestIsKept) {
  test::TempDir dir;
  const auto file = dir / "artikel.xml";
  const std::string original =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n<!-- vom Host -->\r\n"
      "<Artikelexport>\r\n  <row><A>K&amp;K &lt;Grün&gt;</A></row>\r\n</Artikelexport>\r\n";
  test::WriteFile(file, original);

  EXPECT_TRUE(ResultProtocol::Append(file, "Artikelexport", kSuccess));
  ResultProtocol::AppendRollback(file, "Artikelexport");

  // Only white space between the top-level nodes is not kept.
  const std::string expected =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?><!-- vom Host -->"
      "<Artikelexport>\r\n  <row><A>K&amp;K &lt;Grün&gt;</A></row>\r\n" +
      std::string(kSuccess) +
      "<Exportprotokoll><Export_Status>ROLLBACK</Export_Status><Anzahl_Datensaetze_Gesamt>0</"
      "Anzahl_Datensaetze_Gesamt>"
      "<Anzahl_Datensaetze_Erfolgreich_Uebergeben>0</Anzahl_Datensaetze_Erfolgreich_Uebergeben></"
      "Exportprotokoll>"
      "</Artikelexport>";
  EXPECT_EQ(test::ReadFile(file), expected);
}

TEST(ResultProtocolTest, UnusableFileIsLeftByteForByte) {
  test::TempDir dir;
  const auto file = dir / "upload.xml";
  const std::pair<const char*, std::string> cases[] = {
      {"other root", "<Artikelpreisexport><row/></Artikelpreisexport>"},
      {"not XML", "ArtikelnummerWebshop;Preis\r\n"},
      {"truncated", "<Artikelexport><row><A>1</A></row><ro"},
  };
  for (const auto& [name, content] : cases) {
    SCOPED_TRACE(name);
    test::WriteFile(file, content);
    EXPECT_FALSE(ResultProtocol::Append(file, "Artikelexport", kSuccess));
    EXPECT_THROW(ResultProtocol::AppendRollback(file, "Artikelexport"), XmlError);
    EXPECT_EQ(test::ReadFile(file), content);
  }
  EXPECT_FALSE(ResultProtocol::Append(dir / "fehlt.xml", "Artikelexport", kSuccess));
  EXPECT_FALSE(std::filesystem::exists(dir / "fehlt.xml"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1)
      << "temporary file left behind";
}

// Rewriting a file in another encoding than it declares would corrupt every umlaut.
TEST(ResultProtocolTest, FileKeepsItsEncodingAndByteOrderMark) {
  test::TempDir dir;
  const std::pair<std::string, std::string> cases[] = {
      {"<?xml version=\"1.0\" "
       "encoding=\"ISO-8859-1\"?><LagerbestandExport><A>M\xFChle</A></LagerbestandExport>",
       "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><LagerbestandExport><A>M\xFChle</A>"},
      {"\xEF\xBB\xBF<LagerbestandExport><A>Mühle</A></LagerbestandExport>",
       "\xEF\xBB\xBF<LagerbestandExport><A>Mühle</A>"},
      {std::string("\xFF\xFE<\0L\0/\0>\0", 10), std::string("\xFF\xFE<\0L\0>\0<\0E\0", 12)},
  };
  for (const auto& [content, start] : cases) {
    const auto file = dir / "lager.xml";
    test::WriteFile(file, content);
    const std::string root = content[0] == '\xFF' ? "L" : "LagerbestandExport";
    ResultProtocol::AppendRollback(file, root);
    EXPECT_EQ(test::ReadFile(file).substr(0, start.size()), start);
  }
}

}  // namespace
}  // namespace kanvio
