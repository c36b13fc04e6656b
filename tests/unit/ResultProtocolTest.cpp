// Appending result protocols to the host's upload files.
#include <gtest/gtest.h>

#include <pugixml.hpp>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "hostfiles/HostXmlFile.h"
#include "hostfiles/ResultProtocol.h"
#include "hostfiles/StringXmlWriter.h"
#include "support/Error.h"

namespace kanvio {
namespace {

using namespace std::string_literals;

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
      // Found by fuzzing: bytes of an encoding that is not converted, and
      // characters no XML document may hold, would leave the host's file
      // unreadable once appended.
      {"<Exportprotokoll><Export_Status>SUCCESS\xE4</Export_Status><Anzahl_Datensaetze_Gesamt>1&#1;"
       "</Anzahl_Datensaetze_Gesamt><Anzahl_Datensaetze_Erfolgreich_Uebergeben>\t1\r\n"
       "</Anzahl_Datensaetze_Erfolgreich_Uebergeben></Exportprotokoll>",
       "SUCCESS\xEF\xBF\xBD/1/\t1\n"},
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

  const std::string expected =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n<!-- vom Host -->\r\n"
      "<Artikelexport>\r\n  <row><A>K&amp;K &lt;Grün&gt;</A></row>\r\n" +
      std::string(kSuccess) +
      "<Exportprotokoll><Export_Status>ROLLBACK</Export_Status><Anzahl_Datensaetze_Gesamt>0</"
      "Anzahl_Datensaetze_Gesamt>"
      "<Anzahl_Datensaetze_Erfolgreich_Uebergeben>0</Anzahl_Datensaetze_Erfolgreich_Uebergeben></"
      "Exportprotokoll>"
      "</Artikelexport>\r\n";
  EXPECT_EQ(test::ReadFile(file), expected);
}

// Found by fuzzing: a protocol filled with bytes that are not UTF-8, or with
// characters no XML document may hold, made the host's file unreadable
// whichever form wrote it.
TEST(ResultProtocolTest, AnyProtocolValuesLeaveTheFileReadable) {
  const ExportProtocol raw{"ROLL\xBEml\x01", "1\x1F", "\t2"};
  using Writer =
      void (*)(const std::filesystem::path&, const std::string&, const std::vector<ExportProtocol>&);
  for (Writer write : {Writer{&ResultProtocol::Write}, Writer{&ResultProtocol::WriteByEditing}}) {
    test::TempDir dir;
    const auto file = dir / "artikel.xml";
    test::WriteFile(file, "<?xml version=\"1.0\"?>\n<Artikelexport><row/></Artikelexport>");
    write(file, "Artikelexport", {raw});
    const auto written = HostXmlFile::LoadForReading(file);
    const auto protocol = written.Root().child("Exportprotokoll");
    EXPECT_STREQ(protocol.child_value("Export_Status"), "ROLL\xEF\xBF\xBDml");
    EXPECT_STREQ(protocol.child_value("Anzahl_Datensaetze_Gesamt"), "1");
  }
}

// The document as the editing form sees it, white space in elements included.
std::string Content(const std::string& bytes) {
  pugi::xml_document document;
  const unsigned options = (pugi::parse_full | pugi::parse_ws_pcdata) & ~pugi::parse_eol;
  if (!document.load_buffer(bytes.data(), bytes.size(), options)) return "not well-formed";
  std::string text;
  StringXmlWriter writer(text);
  document.save(writer, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
  return text;
}

// A plain UTF-8 file is kept byte for byte around the inserted protocols;
// every file ends with the content the editing form gives it. The files kept
// for the editing form have white space between top-level nodes, which only
// it drops, so a splice taken there by mistake shows.
TEST(ResultProtocolTest, InsertedProtocolsGiveTheContentOfAnEditedFile) {
  const std::vector<ExportProtocol> protocols = {{"SUCCESS", "12 & <13>", "\"11\" 'B'"}, {}};
  const std::string inserted =
      "<Exportprotokoll><Export_Status>SUCCESS</Export_Status>"
      "<Anzahl_Datensaetze_Gesamt>12 &amp; &lt;13&gt;</Anzahl_Datensaetze_Gesamt>"
      "<Anzahl_Datensaetze_Erfolgreich_Uebergeben>\"11\" 'B'</Anzahl_Datensaetze_Erfolgreich_Uebergeben>"
      "</Exportprotokoll>"
      "<Exportprotokoll><Export_Status>ROLLBACK</Export_Status>"
      "<Anzahl_Datensaetze_Gesamt>0</Anzahl_Datensaetze_Gesamt>"
      "<Anzahl_Datensaetze_Erfolgreich_Uebergeben>0</Anzahl_Datensaetze_Erfolgreich_Uebergeben>"
      "</Exportprotokoll>";
  // A file kept byte for byte gets the protocols between head and tail.
  struct Case {
    const char* name;
    std::string head;
    std::string tail;
    bool kept;
  };
  const Case cases[] = {
      {"no declaration", "<Artikelexport>\n  <row><A>Größe XL</A></row>\n", "</Artikelexport>\n", true},
      {"declared utf-8, CRLF",
       "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<Artikelexport>\r\n  <row/>\r\n",
       "</Artikelexport>\r\n", true},
      {"byte-order mark, no encoding declared", "\xEF\xBB\xBF<?xml version='1.0'?>\n<Artikelexport><row/>",
       "</Artikelexport>", true},
      {"nodes before and after the root",
       "<!-- a -->\n<?host v=2?>\n<!DOCTYPE Artikelexport>\n<Artikelexport><row/>",
       "</Artikelexport>\n<!-- </Artikelexport> -->\n<?ende </Artikelexport>?>\n", true},
      {"white space in the end tag", "<Artikelexport><row/>", "</Artikelexport \r\n>\n", true},
      {"empty root", "<Artikelexport>", "</Artikelexport>", true},
      {"end tag as data", "<Artikelexport><A>&lt;/Artikelexport&gt;</A><![CDATA[</Artikelexport>]]>",
       "</Artikelexport>", true},
      {"inner element of the root's name", "<Artikelexport><Artikelexport>x</Artikelexport>\n",
       "</Artikelexport>", true},
      {"self-closing root", "<?xml version=\"1.0\"?>\n<Artikelexport/>\n", "", false},
      {"Latin-1",
       "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<Artikelexport>M\xFChle</Artikelexport>\n", "",
       false},
      {"Windows-1252",
       "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n<Artikelexport>\x80</Artikelexport>\n", "", false},
      {"text after the root", "<Artikelexport></Artikelexport>\n<!-- c -->\nEnde\n", "", false},
      {"doctype after the root", "<Artikelexport></Artikelexport>\n<!-- c -->\n<!DOCTYPE A>\n", "", false},
      {"second root", "<Artikelexport></Artikelexport>\n<Artikelexport></Artikelexport>\n", "", false},
  };
  test::TempDir dir;
  for (const auto& [name, head, tail, kept] : cases) {
    SCOPED_TRACE(name);
    test::WriteFile(dir / "spliced.xml", head + tail);
    test::WriteFile(dir / "edited.xml", head + tail);
    ResultProtocol::Write(dir / "spliced.xml", "Artikelexport", protocols);
    ResultProtocol::WriteByEditing(dir / "edited.xml", "Artikelexport", protocols);
    const std::string spliced = test::ReadFile(dir / "spliced.xml");
    const std::string edited = test::ReadFile(dir / "edited.xml");
    EXPECT_EQ(Content(spliced), Content(edited));
    EXPECT_EQ(spliced, kept ? head + inserted + tail : edited);
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2)
      << "temporary file left behind";
}

TEST(ResultProtocolTest, UnusableFileIsLeftByteForByte) {
  test::TempDir dir;
  const auto file = dir / "upload.xml";
  const std::pair<const char*, std::string> cases[] = {
      {"other root", "<Artikelpreisexport><row/></Artikelpreisexport>"},
      {"not XML", "ArtikelnummerWebshop;Preis\r\n"},
      {"truncated", "<Artikelexport><row><A>1</A></row><ro"},
      {"other root, declared", "<?xml version=\"1.0\"?>\n<Artikelpreisexport></Artikelpreisexport>\n"},
      {"no root", "<?xml version=\"1.0\"?>\n<!-- leer -->\n"},
      {"end tag of another name", "<Artikelexport><row></Artikelexport>"},
      {"comment after the root open", "<Artikelexport></Artikelexport>\n<!-- offen"},
      // A parse that checks less than the editing form would take these.
      {"declaration in the root", "<Artikelexport><?xml version=\"1.0\"?></Artikelexport>"},
      {"declaration attribute unquoted", "<?xml version=1.0?>\n<Artikelexport></Artikelexport>"},
      {"instruction target followed by a quote", "<Artikelexport><?p\"x?></Artikelexport>"},
      {"NUL in the root", "<Artikelexport>A\0B</Artikelexport>"s},
      // Found by fuzzing: the text before the declaration would be dropped,
      // and the declaration's unknown encoding then made the file unreadable.
      {"text before the declaration",
       "Preis<?xml version=\"1.0\" encoding=\"ISO-8859x\"?>\n<Artikelexport><row/></Artikelexport>"},
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
  EXPECT_THROW(ResultProtocol::AppendRollback(dir.path(), "Artikelexport"), Error);
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
