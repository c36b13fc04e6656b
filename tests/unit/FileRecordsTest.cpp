// Reading a host file's records a slice at a time must give exactly what
// reading the whole document gives: the same records in the same order, the
// same room reserved, the same error for a broken file.
#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "hostfiles/FileRecords.h"
#include "hostfiles/HostXmlFile.h"
#include "support/Error.h"

namespace kanvio {
namespace {

constexpr const char* kNumber = "ArtikelnummerWebshop";
constexpr const char* kName = "Artikelbeschreibung";

std::string Describe(const RecordFields& fields) {
  std::string text = "[";
  for (const char* name : {kNumber, kName})
    text += fields[name] ? InnerText(fields[name]) + "|" : std::string("-|");
  return text + "]";
}

// The records as text, or the error; slice_bytes 0 reads the whole document.
std::string Outcome(const std::filesystem::path& file, std::size_t slice_bytes) {
  std::string seen;
  try {
    if (slice_bytes == 0) {
      const HostXmlFile host_file = HostXmlFile::LoadForReading(file);
      std::size_t count = 0;
      for (pugi::xml_node child = host_file.Root().first_child(); child; child = child.next_sibling())
        count += child.type() == pugi::node_element;
      seen = std::to_string(count) + ":";
      ForEachRecord(host_file.Document(), "row", {kNumber, kName}, [&](const RecordFields& fields) {
        seen += Describe(fields);
        return true;
      });
    } else {
      ForEachFileRecord(
          file, "row", {kNumber, kName}, [&](std::size_t count) { seen = std::to_string(count) + ":"; },
          [&](const RecordFields& fields) {
            seen += Describe(fields);
            return true;
          },
          slice_bytes);
    }
  } catch (const XmlError& failure) {
    return std::string("XmlError: ") + failure.what() + " line " + std::to_string(failure.line());
  } catch (const Error& failure) {
    return std::string("Error: ") + failure.what();
  }
  return seen;
}

std::string Row(const std::string& number, const std::string& name) {
  return "<row><ArtikelnummerWebshop>" + number + "</ArtikelnummerWebshop><Artikelbeschreibung>" + name +
         "</Artikelbeschreibung></row>\n";
}

TEST(FileRecordsTest, SlicesGiveWhatTheWholeDocumentGives) {
  const std::string rows = Row("A1", "Käse &amp; Brot") + Row("A2", "x") + Row("A3", "y");
  struct Case {
    const char* name;
    std::string content;
  };
  const Case cases[] = {
      {"plain", "<?xml version=\"1.0\"?>\n<Artikelexport>\n" + rows + "</Artikelexport>\n"},
      {"comments and instructions everywhere",
       "<!-- <row> --><?pi <row>?>\n<Artikelexport><!-- </Artikelexport> -->" + Row("A1", "a") +
           "<?pi </row>?>" + Row("A2", "b") + "</Artikelexport><!-- end --><?pi x?>\n"},
      {"openings that look closed", "<Artikelexport><!--> " + Row("A1", "hidden") + " --><?pi?>" + rows +
                                        "<?>" + Row("A9", "hidden") + "?></Artikelexport>"},
      {"CDATA holding markup",
       "<Artikelexport><row><ArtikelnummerWebshop>A1</ArtikelnummerWebshop><Artikelbeschreibung>"
       "<![CDATA[</row><row>]]>b</Artikelbeschreibung></row>" +
           rows + "</Artikelexport>"},
      {"quoted > and / in attributes, an empty row",
       "<Artikelexport a=\"1>2\" b='/'><row c=\"/>\"/><row d='>'>" + Row("A1", "a").substr(5) +
           "</Artikelexport>"},
      {"nested and wrapped rows", "<Artikelexport><row><ArtikelnummerWebshop>A1</ArtikelnummerWebshop>" +
                                      Row("A2", "inner") + "</row><Gruppe>" + rows +
                                      "</Gruppe>text &lt; between</Artikelexport>"},
      {"byte-order mark and windows-1252",
       "\xEF\xBB\xBF<?xml version=\"1.0\"?><Artikelexport>" + Row("A1", "K\xC3\xA4se") + "</Artikelexport>"},
      {"windows-1252", "<?xml version=\"1.0\" encoding=\"windows-1252\"?><Artikelexport>" +
                           Row("A1", "K\xE4se \x80") + "</Artikelexport>"},
      {"DOCTYPE", "<!DOCTYPE Artikelexport><Artikelexport>" + rows + "</Artikelexport>"},
      {"root named like the records", "<row>" + rows + "</row>"},
      {"empty roots", "<Artikelexport/>"},
      {"no content", "<Artikelexport>  </Artikelexport>"},
      {"UTF-16", std::string("\xFF\xFE<\0A\0/\0>\0", 10)},
      // Broken files: the same error, named with its line.
      {"broken in a later slice", "<Artikelexport>\n" + rows + "<row><a>1</b></row></Artikelexport>"},
      {"unclosed row", "<Artikelexport>\n" + rows + "<row></Artikelexport>"},
      {"wrong end tag", "<Artikelexport>\n" + rows + "</Other>"},
      {"bad root attribute", "<Artikelexport a=1>" + rows + "</Artikelexport>"},
      {"no end", "<Artikelexport>" + rows},
      {"text after the root", "<Artikelexport>" + rows + "</Artikelexport>tail"},
      {"element after the root", "<Artikelexport></Artikelexport>" + Row("Z9", "z")},
      {"text before the root", "lead<Artikelexport>" + rows + "</Artikelexport>"},
      {"a bare <", "<Artikelexport>" + rows + "a < b</Artikelexport>"},
      {"unterminated comment", "<Artikelexport>" + rows + "<!-- </Artikelexport>"},
      {"not UTF-8", "<Artikelexport>" + Row("A1", "K\xE4se") + "</Artikelexport>"},
  };
  test::TempDir dir;
  const auto file = dir / "artikel.xml";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::WriteFile(file, c.content);
    const std::string whole = Outcome(file, 0);
    for (std::size_t slice_bytes : {std::size_t{1}, std::size_t{40}, kRecordSliceBytes})
      EXPECT_EQ(Outcome(file, slice_bytes), whole) << "slices of " << slice_bytes;
  }
  EXPECT_EQ(Outcome(file, 0).substr(0, 9), "XmlError:");  // the cases reach the error path
}

TEST(FileRecordsTest, ReadingStopsWhereTheCallerSays) {
  test::TempDir dir;
  const auto file = dir / "artikel.xml";
  test::WriteFile(file,
                  "<Artikelexport>" + Row("A1", "a") + Row("A2", "b") + Row("A3", "c") + "</Artikelexport>");
  int calls = 0;
  ForEachFileRecord(
      file, "row", {kNumber}, [](std::size_t count) { EXPECT_EQ(count, 3u); },
      [&](const RecordFields&) { return ++calls < 2; }, 1);
  EXPECT_EQ(calls, 2);
  // A file broken after the stop is still a broken file.
  test::WriteFile(file, "<Artikelexport>" + Row("A1", "a") + Row("A2", "b") + "<row></Artikelexport>");
  EXPECT_THROW(ForEachFileRecord(
                   file, "row", {kNumber}, [](std::size_t) {}, [](const RecordFields&) { return false; }, 1),
               XmlError);
  EXPECT_THROW(ForEachFileRecord(
                   dir / "missing.xml", "row", {kNumber}, [](std::size_t) {},
                   [](const RecordFields&) { return true; }),
               FileNotFoundError);
}

}  // namespace
}  // namespace kanvio
