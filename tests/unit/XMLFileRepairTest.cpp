#include "config/XMLFileRepair.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include "TestSupport.h"
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
  }
}

TEST(XMLFileRepairTest, MissingFileRaises) {
  test::TempDir dir;
  EXPECT_THROW(XMLFileRepair(dir / "none.xml"), Error);
}

}  // namespace
}  // namespace kanvio
