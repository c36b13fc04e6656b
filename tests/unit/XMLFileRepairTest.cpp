#include <gtest/gtest.h>

#include <pugixml.hpp>
#include <regex>

#include "TestSupport.h"
#include "config/XMLFileRepair.h"
#include "support/Error.h"

namespace kanvio {
namespace {

std::string Report(const std::string& line7, const std::string& line9) {
  return "<?xml version=\"1.0\"?>\n<Report>\n<Order>\n<Id>1</Id>\n<Buyer>\n<Name>Max</Name>\n" + line7 +
         "\n<Street>Weg 1</Street>\n" + line9 + "\n</Buyer>\n</Order>\n</Report>\n";
}

TEST(XMLFileRepairTest, BareAmpersandIsEscapedAndEntitiesStay) {
  test::TempDir dir;
  const auto file = dir / "report.xml";
  test::WriteFile(file, Report("<Company>Müller & Söhne</Company>", "<Note>A &amp; B &#38; C</Note>"));
  XMLFileRepair repair(file);
  EXPECT_EQ(repair.corrected_lines(), 1);
  const std::string repaired = test::ReadFile(file);
  EXPECT_NE(repaired.find("Müller &amp; Söhne"), std::string::npos);
  EXPECT_NE(repaired.find("A &amp; B &#38; C"), std::string::npos);
  EXPECT_EQ(repaired.substr(0, 3), "\xEF\xBB\xBF");
  EXPECT_NE(repaired.find("</Company>\r\n"), std::string::npos);
  pugi::xml_document doc;
  ASSERT_TRUE(doc.load_file(file.c_str()));
  EXPECT_STREQ(doc.select_node("//Company").node().child_value(), "Müller & Söhne");
}

// Only bare ampersands are faults: references of every form, and whatever
// comments and CDATA sections hold, are data and stay as they are.
TEST(XMLFileRepairTest, OnlyBareAmpersandsAreEscaped) {
  struct Case {
    const char* name;
    std::string line7;
    std::string line9;
    int corrected;
    std::string repaired7;
    std::string repaired9;
  };
  const Case cases[] = {
      {"bare one, references after it", "<Company>A & B</Company>",
       "<Note>&#x41; &#12345; &#65; &amp; &auml;</Note>", 1, "<Company>A &amp; B</Company>",
       "<Note>&#x41; &#12345; &#65; &amp; &auml;</Note>"},
      {"CDATA and comment after the bare one", "<Company>A & B</Company>",
       "<Note><![CDATA[x & y]]><!-- a & b --></Note>", 1, "<Company>A &amp; B</Company>",
       "<Note><![CDATA[x & y]]><!-- a & b --></Note>"},
      {"CDATA over several lines", "<Company>A & B<![CDATA[1 &", "2 & 3]]> & C</Company>", 2,
       "<Company>A &amp; B<![CDATA[1 &", "2 & 3]]> &amp; C</Company>"},
      {"in an attribute", "<Company url=\"x?a=1&b=2\">A</Company>", "<Note/>", 1,
       "<Company url=\"x?a=1&amp;b=2\">A</Company>", "<Note/>"},
      {"processing instruction, sections side by side", "<Company>A & B<?pi a & b?></Company>",
       "<Note><!-- x --><![CDATA[&]]>&amp;<!--&-->&</Note>", 2, "<Company>A &amp; B<?pi a & b?></Company>",
       "<Note><!-- x --><![CDATA[&]]>&amp;<!--&-->&amp;</Note>"},
      {"not quite references", "<Company>&#; &#x; &; &#12a;</Company>", "<Note/>", 1,
       "<Company>&amp;#; &amp;#x; &amp;; &amp;#12a;</Company>", "<Note/>"},
  };
  test::TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto file = dir / "report.xml";
    test::WriteFile(file, Report(c.line7, c.line9));
    XMLFileRepair repair(file);
    EXPECT_EQ(repair.corrected_lines(), c.corrected);
    std::string expected = "\xEF\xBB\xBF" + Report(c.repaired7, c.repaired9);
    expected = std::regex_replace(expected, std::regex("\n"), "\r\n");
    EXPECT_EQ(test::ReadFile(file), expected);
    pugi::xml_document doc;
    EXPECT_TRUE(doc.load_file(file.c_str()));
    // From bytes already read: the same repair, and the bytes follow the file.
    test::WriteFile(file, Report(c.line7, c.line9));
    std::string bytes = test::ReadFile(file);
    EXPECT_EQ(XMLFileRepair(file, bytes).corrected_lines(), c.corrected);
    EXPECT_EQ(test::ReadFile(file), expected);
    EXPECT_EQ(bytes, expected);
  }
}

TEST(XMLFileRepairTest, WellFormedAndUnrepairableFilesStayUntouched) {
  test::TempDir dir;
  const std::string good = Report("<Company>A &amp; B</Company>", "<Note/>");
  const std::string broken = Report("<Company>A</Compan>", "<Note/>");
  for (const auto& content : {good, broken}) {
    const auto file = dir / "f.xml";
    test::WriteFile(file, content);
    XMLFileRepair repair(file);
    EXPECT_EQ(repair.corrected_lines(), 0);
    EXPECT_EQ(test::ReadFile(file), content);
    std::string bytes = content;
    EXPECT_EQ(XMLFileRepair(file, bytes).corrected_lines(), 0);
    EXPECT_EQ(bytes, content);
  }
}

// Found by fuzzing: a zero byte before the first tag made the parser read
// the file as UTF-16, and the error's offset pointed past the file's end.
TEST(XMLFileRepairTest, FileThatLooksLikeUtf16IsRepairedAsUtf8) {
  test::TempDir dir;
  const auto file = dir / "report.xml";
  test::WriteFile(file, std::string("\0<a>&\n</a>\n", 11));
  XMLFileRepair repair(file);
  EXPECT_EQ(repair.corrected_lines(), 1);
  EXPECT_EQ(test::ReadFile(file), std::string("\xEF\xBB\xBF\0<a>&amp;\r\n</a>\r\n", 20));
}

TEST(XMLFileRepairTest, MissingFileRaises) {
  test::TempDir dir;
  EXPECT_THROW(XMLFileRepair(dir / "none.xml"), Error);
}

}  // namespace
}  // namespace kanvio
