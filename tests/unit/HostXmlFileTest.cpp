// The encodings of the host's files: read as the text they hold, sent as UTF-8.
#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "hostfiles/HostXmlFile.h"
#include "hostfiles/RecordFields.h"
#include "hostfiles/ResultProtocol.h"
#include "hostfiles/XmlPackages.h"
#include "support/Error.h"

namespace kanvio {
namespace {

using namespace std::string_literals;

std::string Export(const std::string& declaration, const std::string& name) {
  return declaration + "<Artikelexport><row><Artikelbeschreibung>" + name +
         "</Artikelbeschreibung></row></Artikelexport>";
}

std::string Utf16Le(const std::string& ascii_with_latin1) {
  std::string wide = "\xFF\xFE";
  for (char c : ascii_with_latin1) wide += std::string{c, '\0'};
  return wide;
}

TEST(HostXmlFileTest, FilesAreReadAndSentAsTheTextTheyHold) {
  struct Case {
    const char* name;
    std::string content;
  };
  const Case cases[] = {
      {"UTF-8", Export("<?xml version=\"1.0\" encoding=\"UTF-8\"?>", "Käse € „Brot“")},
      {"UTF-8 with mark", "\xEF\xBB\xBF" + Export("", "Käse € „Brot“")},
      {"no declaration", Export("", "Käse € „Brot“")},
      {"windows-1252",
       Export("<?xml version=\"1.0\" encoding=\"windows-1252\"?>", "K\xE4se \x80 \x84\x42rot\x93")},
      {"cp1252", Export("<?xml version='1.0' encoding='CP1252'?>", "K\xE4se \x80 \x84\x42rot\x93")},
      {"ISO-8859-15",
       Export("<?xml version=\"1.0\" encoding=\"ISO-8859-15\"?>", "K\xE4se \xA4 &#8222;Brot&#8220;")},
      // Latin-1 has no "€" or "„": the host writes references.
      {"Latin-1 alias",
       Export("<?xml version=\"1.0\" encoding=\"iso8859-1\"?>", "K\xE4se &#8364; &#8222;Brot&#8220;")},
      {"UTF-16",
       Utf16Le(Export("<?xml version=\"1.0\" encoding=\"UTF-16\"?>", "K\xE4se &#8364; &#8222;Brot&#8220;"))},
  };
  test::TempDir dir;
  const auto file = dir / "artikel.xml";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::WriteFile(file, c.content);
    const HostXmlFile host_file = HostXmlFile::LoadForReading(file);
    const std::string expected = "Käse € „Brot“";
    EXPECT_EQ(InnerText(host_file.Root().child("row").child("Artikelbeschreibung")), expected);

    const std::string text = HostXmlFile::LoadText(file);
    EXPECT_NE(text.find("<Artikelbeschreibung>Käse "), std::string::npos) << text;
    EXPECT_FALSE(text.starts_with("\xEF\xBB\xBF"));
    if (text.starts_with("<?xml")) {
      EXPECT_NE(text.find("UTF-8"), std::string::npos) << text;
    }

    const XmlPackages packages(file, "Artikelexport", "row", "Artikelexport", 10);
    EXPECT_EQ(packages.Text(0), "<Artikelexport><row><Artikelbeschreibung>" + expected +
                                    "</Artikelbeschreibung></row></Artikelexport>");
  }
}

TEST(HostXmlFileTest, TextThatIsNotWhatTheFileClaimsFailsWithItsLineAndTheFileTakesARollback) {
  struct Case {
    const char* name;
    std::string content;
    std::string message_part;
  };
  const Case cases[] = {
      {"windows-1252 without declaration", "<Artikelexport>\n<row>\nK\xE4se</row></Artikelexport>",
       "nicht in UTF-8 geschrieben (ungültiges Zeichen in Zeile 3)"},
      {"unknown encoding",
       "<?xml version=\"1.0\" encoding=\"ISO-8859-2\"?><Artikelexport><row>\xB1</row></Artikelexport>",
       "Kodierung \"ISO-8859-2\""},
  };
  test::TempDir dir;
  const auto file = dir / "artikel.xml";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::WriteFile(file, c.content);
    try {
      HostXmlFile::LoadForReading(file);
      ADD_FAILURE() << "no failure";
    } catch (const XmlError& e) {
      EXPECT_NE(std::string(e.what()).find(c.message_part), std::string::npos) << e.what();
    }
    EXPECT_THROW(HostXmlFile::LoadText(file), XmlError);
    // The editing form keeps the bytes it does not know: the protocol goes in, nothing else changes.
    ResultProtocol::AppendRollback(file, "Artikelexport");
    const std::string edited = test::ReadFile(file);
    EXPECT_EQ(edited.substr(0, c.content.size() - 16), c.content.substr(0, c.content.size() - 16));
    EXPECT_NE(edited.find("<Export_Status>ROLLBACK</Export_Status>"), std::string::npos);
  }
}

}  // namespace
}  // namespace kanvio
