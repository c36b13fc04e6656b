// Cutting upload files into XML packages.
#include <fmt/format.h>
#include <gtest/gtest.h>

#include <pugixml.hpp>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "hostfiles/SplittedArticleBuilder.h"
#include "hostfiles/XmlPackages.h"
#include "support/Error.h"

namespace kanvio {
namespace {

std::string Rows(int count, const char* element = "row") {
  std::string rows;
  for (int i = 0; i < count; ++i)
    rows += fmt::format("\n  <{0}><ArtikelnummerWebshop>{1}</ArtikelnummerWebshop></{0}>", element, i);
  return rows;
}

// The article numbers in one package; fails unless the package is a document of root alone.
std::vector<int> NumbersIn(const std::string& package, const char* root, const char* row = "row") {
  EXPECT_EQ(package.find("<?xml"), std::string::npos);
  pugi::xml_document document;
  EXPECT_TRUE(document.load_string(package.c_str())) << package;
  EXPECT_STREQ(document.document_element().name(), root);
  std::vector<int> numbers;
  for (pugi::xml_node node : document.document_element().children()) {
    EXPECT_STREQ(node.name(), row);
    numbers.push_back(std::stoi(node.child_value("ArtikelnummerWebshop")));
  }
  return numbers;
}

class XmlPackagesTest : public ::testing::Test {
 protected:
  std::filesystem::path Write(const std::string& content) {
    test::WriteFile(file_, content);
    return file_;
  }
  test::TempDir dir_;
  std::filesystem::path file_ = dir_ / "upload.xml";
};

TEST_F(XmlPackagesTest, RowsAreCutInOrderWithAShorterLastPackage) {
  const XmlPackages packages = SplittedArticleBuilder<>::SplitArticleExport(
      Write("<?xml version=\"1.0\"?>\n<Artikelexport>" + Rows(250) + "\n</Artikelexport>"), 100);
  ASSERT_EQ(packages.size(), 3u);
  std::vector<std::size_t> sizes;
  int expected = 0;
  packages.ForEach([&](std::size_t index, const std::string& text) {
    EXPECT_EQ(text, packages.Text(index));
    const std::vector<int> numbers = NumbersIn(text, "Artikelexport");
    sizes.push_back(numbers.size());
    for (int number : numbers) EXPECT_EQ(number, expected++);
  });
  EXPECT_EQ(sizes, (std::vector<std::size_t>{100, 100, 50}));
  EXPECT_THROW(packages.Text(3), std::out_of_range);
}

TEST_F(XmlPackagesTest, OnlyRowsDirectlyInsideTheExportElementCount) {
  const XmlPackages packages = SplittedArticleBuilder<>::SplitArticlePriceExport(
      Write("<Daten><Artikelpreisexport>" + Rows(2) +
            "<Kopf><row><ArtikelnummerWebshop>99</ArtikelnummerWebshop></row></Kopf>"
            "</Artikelpreisexport><Artikelpreisexport>" +
            Rows(1) + "</Artikelpreisexport></Daten>"),
      10);
  ASSERT_EQ(packages.size(), 1u);
  EXPECT_EQ(NumbersIn(packages.Text(0), "Artikelpreisexport"), (std::vector<int>{0, 1, 0}));
}

TEST_F(XmlPackagesTest, StockFilesAreCutByTheirArticleElements) {
  const XmlPackages packages = SplittedArticleBuilder<>::SplitStockExport(
      Write("<LagerbestandExport>" + Rows(3, "Artikel") + "</LagerbestandExport>"), 2);
  ASSERT_EQ(packages.size(), 2u);
  EXPECT_EQ(NumbersIn(packages.Text(1), "LagerbestandExport", "Artikel"), (std::vector<int>{2}));
}

TEST_F(XmlPackagesTest, FileWithoutRowsGivesNoPackage) {
  for (const char* content : {"<Artikelexport/>", "<Artikelexport><Exportprotokoll/></Artikelexport>",
                              "<Anderes>"
                              "<row/></Anderes>"}) {
    const XmlPackages packages = SplittedArticleBuilder<>::SplitArticleExport(Write(content), 100);
    EXPECT_EQ(packages.size(), 0u) << content;
    int calls = 0;
    packages.ForEach([&](std::size_t, const std::string&) { ++calls; });
    EXPECT_EQ(calls, 0);
  }
}

// The package is what the shop stores: markup in texts must survive the copy.
TEST_F(XmlPackagesTest, RowContentIsCopiedFaithfully) {
  const XmlPackages packages = SplittedArticleBuilder<>::SplitArticleExport(
      Write("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><Artikelexport><row nr=\"1\">"
            "<Artikelbeschreibung>T&amp;T &lt;b&gt; K\xE4se<![CDATA[<br>Notiz]]> Ende</Artikelbeschreibung>"
            "<Leer/></row></Artikelexport>"),
      5);
  ASSERT_EQ(packages.size(), 1u);
  EXPECT_EQ(
      packages.Text(0),
      "<Artikelexport><row nr=\"1\"><Artikelbeschreibung>T&amp;T &lt;b&gt; Käse<![CDATA[<br>Notiz]]> Ende"
      "</Artikelbeschreibung><Leer/></row></Artikelexport>");
}

TEST_F(XmlPackagesTest, UnusableInputIsRefusedBeforeAnyPackage) {
  Write("<Artikelexport>" + Rows(3) + "</Artikelexport>");
  for (int amount : {0, -5}) {
    try {
      SplittedArticleBuilder<>::SplitArticleExport(dir_ / "fehlt.xml", amount);
      ADD_FAILURE() << "no failure for " << amount;
    } catch (const Error& e) {
      EXPECT_NE(std::string(e.what()).find("PackageSplittingAmount"), std::string::npos) << e.what();
    }
  }
  EXPECT_THROW(SplittedArticleBuilder<>::SplitArticleExport(dir_ / "fehlt.xml", 10), FileNotFoundError);
  EXPECT_THROW(SplittedArticleBuilder<>::SplitArticleExport(Write("<Artikelexport>" + Rows(3)), 10),
               XmlError);
}

}  // namespace
}  // namespace kanvio
