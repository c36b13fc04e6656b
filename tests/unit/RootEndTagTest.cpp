// Finding the root's end tag in a text without parsing it into nodes.
#include <gtest/gtest.h>

#include <pugixml.hpp>
#include <random>
#include <string>

#include "hostfiles/RootEndTag.h"

namespace kanvio {
namespace {

using namespace std::string_literals;

constexpr unsigned kEditingOptions = (pugi::parse_full | pugi::parse_ws_pcdata) & ~pugi::parse_eol;

TEST(RootEndTagTest, PlainFilesGiveTheRootAndItsEndTag) {
  // The end tag starts where head ends.
  const std::pair<std::string, std::string> cases[] = {
      {"<R>", "</R>"},
      {"\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"Utf-8\" standalone='yes' ?>\r\n<R>\r\n", "</R>\r\n"},
      {"<?xml?><!DOCTYPE R><R>", "</R>"},
      {"<!-- a -- b --><?host v?>\n<!DOCTYPE R>\n<R a='1' b = \"&amp;\t>\"><x:y.z-1 c=\"\"/>\n", "</R\n>"},
      {"<R><![CDATA[</R>]]><!--</R>--><?p </R>?><Größe>XL</Größe><R>i</R>", "</R><!--x--><?y?>\n"},
  };
  for (const auto& [head, tail] : cases) {
    const std::string xml = head + tail;
    const std::optional<RootEndTag> end = FindRootEndTag(xml);
    ASSERT_TRUE(end) << xml;
    EXPECT_EQ(end->offset, head.size()) << xml;
    EXPECT_EQ(end->name, "R") << xml;
  }
}

// Some are well-formed; the editing form decides those.
TEST(RootEndTagTest, OtherTextsAreDeclined) {
  const char* const cases[] = {
      "<R/>",
      "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><R></R>",
      "<?xml version=\"1.0\" xencoding=\"latin1\"?><R></R>",
      "<?xml version=\"1?>\"?><R></R>",
      "<!-- a --><?xml version=\"1.0\"?><R></R>",
      "<!DOCTYPE R [<!ENTITY e \"x\">]><R></R>",
      "<R></R><R></R>",
      "<R></R>text",
      "<R></R><![CDATA[x]]>",
      "text<R></R>",
      "<R><?XML version=\"1.0\"?></R>",
      "<R a=\"1\"b=\"2\"></R>",
      "<R a=\"<\"></R>",
      "<R><a></b></R>",
      "<R><a></R>",
      "<R><!-- a -></R>",
      "<R><?p\"?></R>",
      "<R></R><!-- a",
      "<R><1/></R>",
      "",
  };
  for (const char* xml : cases) EXPECT_FALSE(FindRootEndTag(xml)) << xml;
  EXPECT_FALSE(FindRootEndTag("<R>a\0b</R>"s)) << "the parser ends the text at a NUL";
}

// A text the scan takes must be one the editing form takes, with the same
// root, whose last child anything inserted at the end tag becomes. Broken
// variants of a file with every part the scan knows test that.
TEST(RootEndTagTest, WhatTheScanTakesTheEditingFormTakesAlike) {
  const std::string file =
      "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<!DOCTYPE R>\n<!-- c -->\n<?p x?>\n"
      "<R x='1'>\n <row a=\"b\"><A>K&amp;K</A><![CDATA[x]]><?p q?><!--d--></row>\r\n <R/>\n"
      "\t<\xC3\xA4:x-y.z>t</\xC3\xA4:x-y.z></R >\n<!-- e --><?z?>\n";
  const std::string alphabet = "<>/?!-[]&;\"'= \t\r\nxmlRA1:.\xC3";
  std::mt19937 random(20240611);
  int taken = 0;
  for (int i = 0; i < 100000; ++i) {
    std::string xml = file;
    for (int change = 0; change < 2; ++change) {
      const std::size_t at = random() % xml.size();
      const char c = alphabet[random() % alphabet.size()];
      if (random() % 2)
        xml[at] = c;
      else
        xml.insert(at, 1, c);
    }
    const std::optional<RootEndTag> end = FindRootEndTag(xml);
    if (!end) continue;
    ++taken;
    const std::string root(end->name);
    xml.insert(end->offset, "<Mark/>");
    pugi::xml_document document;
    const pugi::xml_parse_result parsed = document.load_buffer(xml.data(), xml.size(), kEditingOptions);
    ASSERT_TRUE(parsed && parsed.encoding == pugi::encoding_utf8) << xml;
    ASSERT_EQ(document.document_element().name(), root) << xml;
    ASSERT_EQ(std::string_view(document.document_element().last_child().name()), "Mark") << xml;
    int roots = 0;
    for (const pugi::xml_node node : document.children()) roots += node.type() == pugi::node_element;
    ASSERT_EQ(roots, 1) << xml;
  }
  EXPECT_GT(taken, 1000) << "too few variants taken to tell anything";
}

}  // namespace
}  // namespace kanvio
