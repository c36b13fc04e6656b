#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <stdexcept>
#include <string>

#include "OrdersXmlTestSupport.h"
#include "TestSupport.h"
#include "orders/XmlStreamWriter.h"
#include "support/Error.h"

namespace kanvio::orders {
namespace {

using test_support::ParseFile;
using test_support::PassesXmllint;
using AfterFailure = XmlStreamWriter::AfterFailure;

constexpr std::string_view kBom = "\xEF\xBB\xBF";

std::size_t FilesIn(const std::filesystem::path& dir) {
  std::size_t count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir)) ++count;
  return count;
}

class XmlStreamWriterTest : public ::testing::Test {
 protected:
  test::TempDir dir_;
  std::filesystem::path target_ = dir_ / "orders.xml";
};

TEST_F(XmlStreamWriterTest, CompactDocumentIsOneLineWithEmptyElementTags) {
  XmlStreamWriter xml(target_, {.standalone = true});
  xml.WriteComment("02.03.2024 15:04:05 - Transfer & <Test>");
  xml.StartElement("Root");
  xml.WriteElementString("Fax", "");
  xml.WriteElementString("Name", "Müller & Söhne <GmbH> \"quoted\"");
  xml.StartElement("Empty");
  xml.EndElement();
  xml.EndElement();
  xml.Close();

  EXPECT_EQ(test::ReadFile(target_),
            std::string(kBom) + R"(<?xml version="1.0" encoding="utf-8" standalone="yes"?>)"
                                R"(<!--02.03.2024 15:04:05 - Transfer & <Test>--><Root><Fax />)"
                                R"(<Name>Müller &amp; Söhne &lt;GmbH&gt; "quoted"</Name><Empty /></Root>)");
}

TEST_F(XmlStreamWriterTest, IndentedDocumentPutsEveryElementOnItsOwnLine) {
  XmlStreamWriter xml(target_, {.indent = true});
  xml.StartElement("Root");
  xml.WriteAttribute("xmlns:a", "x&\"y\"");
  xml.StartElement("Outer");
  xml.WriteElementString("Leaf", "text");
  xml.WriteElementString("Fax", "");
  xml.EndElement();
  xml.StartElement("Hollow");
  xml.EndElement();
  xml.EndElement();
  xml.Close();

  EXPECT_EQ(test::ReadFile(target_), std::string(kBom) +
                                         "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
                                         "<Root xmlns:a=\"x&amp;&quot;y&quot;\">\r\n"
                                         "  <Outer>\r\n"
                                         "    <Leaf>text</Leaf>\r\n"
                                         "    <Fax />\r\n"
                                         "  </Outer>\r\n"
                                         "  <Hollow />\r\n"
                                         "</Root>");
}

TEST_F(XmlStreamWriterTest, TextThatXmlCannotHoldBecomesReplacementCharacter) {
  const std::string r = "\xEF\xBF\xBD";
  struct Case {
    std::string text, written;
  } cases[] = {
      {"tab\tline\ncr\r", "tab\tline\ncr\n"},  // line ends as every XML reader normalises them
      {"bell\x07", "bell" + r},
      {"cut \xC3", "cut " + r},
      {"latin1 \xE4rger", "latin1 " + r + "rger"},
      {"overlong \xC0\xAF", "overlong " + r + r},
      {"surrogate \xED\xA0\x80", "surrogate " + r + r + r},
      {"nonchar \xEF\xBF\xBF", "nonchar " + r + r + r},
      {"fine äß€ \xF0\x9F\x98\x80", "fine äß€ \xF0\x9F\x98\x80"},
  };
  {
    XmlStreamWriter xml(target_, {});
    xml.StartElement("Root");
    for (const auto& c : cases) xml.WriteElementString("T", c.text);
    xml.Close();
  }
  ASSERT_TRUE(PassesXmllint(target_));
  auto document = ParseFile(target_);
  auto node = document->child("Root").child("T");
  for (const auto& c : cases) {
    EXPECT_EQ(std::string(node.text().get()), c.written) << c.text;
    node = node.next_sibling("T");
  }
}

TEST_F(XmlStreamWriterTest, TargetIsReplacedOnlyWhenClosed) {
  test::WriteFile(target_, std::string(100000, 'x'));
  XmlStreamWriter xml(target_, {});
  xml.StartElement("Root");
  for (int i = 0; i < 50000; ++i) xml.WriteElementString("Element", "some text to pass the flush size");
  EXPECT_EQ(test::ReadFile(target_), std::string(100000, 'x'));
  xml.Close();

  auto document = ParseFile(target_);
  EXPECT_EQ(document->child("Root").select_nodes("Element").size(), 50000u);
  EXPECT_EQ(FilesIn(dir_.path()), 1u);
}

TEST_F(XmlStreamWriterTest, WriterEndedByFailureLeavesTargetAsItWas) {
  test::WriteFile(target_, "old");
  try {
    XmlStreamWriter xml(target_, {.after_failure = AfterFailure::kDiscard});
    xml.StartElement("Root");
    xml.WriteElementString("A", "1");
    throw std::runtime_error("conversion failed");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(test::ReadFile(target_), "old");
  EXPECT_EQ(FilesIn(dir_.path()), 1u);
}

TEST_F(XmlStreamWriterTest, KeptPartialDocumentIsClosedAndWellFormed) {
  test::WriteFile(target_, "old");
  try {
    XmlStreamWriter xml(target_, {.standalone = true, .after_failure = AfterFailure::kKeepPartial});
    xml.WriteComment("partial");
    xml.StartElement("Root");
    xml.StartElement("Order");
    xml.WriteElementString("A", "1");
    xml.StartElement("Customer");
    xml.StartElement("Empty");
    throw std::runtime_error("lookup failed");
  } catch (const std::runtime_error&) {
  }
  ASSERT_TRUE(PassesXmllint(target_));
  auto document = ParseFile(target_);
  EXPECT_EQ(std::string(document->child("Root").child("Order").child("A").text().get()), "1");
  EXPECT_TRUE(document->child("Root").child("Order").child("Customer").child("Empty"));
  EXPECT_EQ(FilesIn(dir_.path()), 1u);
}

TEST_F(XmlStreamWriterTest, DiscardedDocumentLeavesTheTargetEvenWhenPartsWouldBeKept) {
  test::WriteFile(target_, "old");
  {
    XmlStreamWriter xml(target_, {.after_failure = AfterFailure::kKeepPartial});
    xml.StartElement("Root");
    xml.WriteElementString("A", "1");
    xml.Discard();
    EXPECT_THROW(xml.WriteElementString("B", "2"), Error);
  }
  EXPECT_EQ(test::ReadFile(target_), "old");
  EXPECT_EQ(FilesIn(dir_.path()), 1u);
}

TEST_F(XmlStreamWriterTest, DocumentWithoutRootNeverReplacesTarget) {
  test::WriteFile(target_, "old");
  {
    XmlStreamWriter xml(target_, {.after_failure = AfterFailure::kKeepPartial});
    xml.WriteComment("failed before the root");
  }
  EXPECT_EQ(test::ReadFile(target_), "old");
  XmlStreamWriter xml(target_, {});
  EXPECT_THROW(xml.Close(), Error);
  EXPECT_EQ(test::ReadFile(target_), "old");
  EXPECT_EQ(FilesIn(dir_.path()), 1u);
}

TEST_F(XmlStreamWriterTest, FailedUnitLeavesNoMarkupEvenBeyondTheFlushSize) {
  XmlStreamWriter xml(target_, {});
  xml.StartElement("Root");
  xml.WriteElementString("Before", "");
  EXPECT_THROW(xml.WriteUnit([&] {
    xml.StartElement("Order");
    for (int i = 0; i < 100000; ++i) xml.WriteElementString("Line", "written and taken back");
    throw Error("conversion failed");
  }),
               Error);
  xml.WriteElementString("After", "");
  xml.Close();

  auto document = ParseFile(target_);
  EXPECT_EQ(test_support::ChildNames(document->child("Root")), (std::vector<std::string>{"Before", "After"}));
}

TEST_F(XmlStreamWriterTest, MisuseIsRefused) {
  XmlStreamWriter xml(target_, {});
  EXPECT_THROW(xml.WriteComment("a--b"), Error);
  EXPECT_THROW(xml.WriteComment("ends with -"), Error);
  EXPECT_THROW(xml.WriteAttribute("a", "b"), Error);
  EXPECT_THROW(xml.EndElement(), Error);
  xml.StartElement("Root");
  xml.EndElement();
  EXPECT_THROW(xml.StartElement("SecondRoot"), Error);
  EXPECT_THROW(xml.WriteElementString("SecondRoot", ""), Error);
  xml.Close();
  EXPECT_THROW(xml.StartElement("Late"), Error);
  EXPECT_THROW(XmlStreamWriter(dir_ / "missing" / "orders.xml", {}), Error);
}

// A full disk: the file cannot be completed, so nothing may replace the target,
// not even with kKeepPartial.
TEST_F(XmlStreamWriterTest, FileThatCannotBeWrittenNeverReplacesTarget) {
  test::WriteFile(target_, "old");
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 64 * 1024;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  bool failed = false;
  try {
    XmlStreamWriter xml(target_, {.after_failure = AfterFailure::kKeepPartial});
    xml.StartElement("Root");
    for (int i = 0; i < 100000; ++i) xml.WriteElementString("Element", "more than the file may hold");
  } catch (const Error&) {
    failed = true;
  }
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, old_handler);
  EXPECT_TRUE(failed);
  EXPECT_EQ(test::ReadFile(target_), "old");
  EXPECT_EQ(FilesIn(dir_.path()), 1u);
}

}  // namespace
}  // namespace kanvio::orders
