// Merging the pages of a paged article download.
#include <gtest/gtest.h>

#include <pugixml.hpp>

#include "HostFolders.h"
#include "TestSupport.h"
#include "shops/MergedArticleFile.h"

namespace kanvio {
namespace {

// Found by fuzzing the configuration file, and as true of pages: written
// indented, a page nested very deep would grow with the square of its depth.
// Such a page is skipped and counted like one that is not XML.
TEST(MergedArticleFileTest, PageNestedTooDeepIsCountedAndLeftOut) {
  test::HostFolders host;
  test::TempDir dir;
  std::string deep = "<Artikelimport><row><Beschreibung>";
  for (int i = 0; i < 2000; ++i) deep += "<b>";
  for (int i = 0; i < 2000; ++i) deep += "</b>";
  deep += "</Beschreibung></row></Artikelimport>";
  const std::vector<std::string> pages = {
      "<Artikelimport><row><ArtikelnummerWebshop>A-1</ArtikelnummerWebshop></row>"
      "</Artikelimport>",
      deep, "kein XML"};
  int errors = 0;
  MergedArticleFile::SaveAsMergedXml(pages, "", dir.path() / "articles.xml", errors);
  EXPECT_EQ(errors, 2);
  pugi::xml_document merged;
  ASSERT_TRUE(merged.load_file((dir.path() / "articles.xml").c_str()));
  EXPECT_EQ(merged.select_nodes("/Artikelimport/row").size(), 1u);
}

}  // namespace
}  // namespace kanvio
