#include <gtest/gtest.h>

#include "support/Text.h"
#include "support/XmlEncoding.h"

namespace kanvio::text {
namespace {

using namespace std::string_literals;

std::string Declared(const std::string& encoding, const std::string& body) {
  return "<?xml version=\"1.0\" encoding=\"" + encoding + "\"?><a>" + body + "</a>";
}

TEST(XmlEncodingTest, AnswersBecomeUtf8UnderADeclarationThatSaysSo) {
  struct Case {
    const char* name;
    std::string bytes;
    std::string transport;
    std::string expected;
  };
  const std::string munich = Declared("UTF-8", "München");
  const Case cases[] = {
      {"declared Latin-1", Declared("ISO-8859-1", "M\xFCnchen"), "", munich},
      {"transport and declaration Latin-1", Declared("ISO-8859-1", "M\xFCnchen"), "iso-8859-1", munich},
      {"transport Latin-1 wins over the declaration", Declared("windows-1252", "M\xFCnchen"), "latin1",
       munich},
      {"windows-1252", Declared("Windows-1252", "\x80 \x84Gr\xFC\xDF\x93"), "",
       Declared("UTF-8", "€ „Grüß“")},
      {"ISO-8859-15", Declared("ISO-8859-15", "\xA4 \xBD"), "", Declared("UTF-8", "€ œ")},
      {"UTF-16 with mark",
       "\xFF\xFE"s + "<\0?\0x\0m\0l\0 \0e\0n\0c\0o\0d\0i\0n\0g\0=\0'\0U\0T\0F\0-\0001\0006\0'\0?\0>\0\xFC\0"s,
       "", "<?xml encoding='UTF-8'?>ü"},
      {"UTF-16 without mark", "<\0?\0x\0m\0l\0 \0?\0>\0\xFC\0"s, "", "<?xml ?>ü"},
      {"server default UTF-8, bytes Latin-1", Declared("ISO-8859-1", "M\xFCnchen"), "utf-8", munich},
      {"server default UTF-8, bytes UTF-8", Declared("ISO-8859-1", "München"), "UTF-8", munich},
      {"UTF-8 mark over a Latin-1 declaration", "\xEF\xBB\xBF" + Declared("latin1", "München"), "", munich},
      {"declaration in single quotes and blanks",
       "<?xml version='1.0' encoding = 'iso-8859-1' standalone='yes'?><a>\xE4</a>", "",
       "<?xml version='1.0' encoding = 'UTF-8' standalone='yes'?><a>ä</a>"},
      {"UTF-8 stays as it is", munich, "", munich},
      {"no declaration stays", "<a>M\xFCnchen</a>", "", "<a>M\xFCnchen</a>"},
      {"unknown declaration stays", Declared("Shift_JIS", "\x82\xA0"), "", Declared("Shift_JIS", "\x82\xA0")},
      {"unknown transport leaves the bytes", Declared("ISO-8859-1", "\xF6"), "koi8-r",
       Declared("ISO-8859-1", "\xF6")},
      {"plain text", "42", "iso-8859-1", "42"},
      {"encoding outside the declaration", "<?xml version=\"1.0\"?><a encoding=\"latin1\">\xE4</a>", "",
       "<?xml version=\"1.0\"?><a encoding=\"latin1\">\xE4</a>"},
      {"a processing instruction is no declaration", "<?xml-stylesheet encoding=\"latin1\"?><a/>", "",
       "<?xml-stylesheet encoding=\"latin1\"?><a/>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(XmlToUtf8(c.bytes, c.transport), c.expected);
  }
}

TEST(XmlEncodingTest, MalformedUtf8IsFoundAndReplaced) {
  struct Case {
    std::string bytes;
    std::size_t first_invalid;
    std::string replaced;
  };
  const auto npos = std::string::npos;
  const Case cases[] = {
      {"plain ASCII text, longer than eight bytes", npos, "plain ASCII text, longer than eight bytes"},
      {"Grüße \xEF\xBF\xBD \xF0\x9F\x98\x80", npos, "Grüße \xEF\xBF\xBD \xF0\x9F\x98\x80"},
      {"abcdefghM\xFCnchen", 9, "abcdefghM\xEF\xBF\xBDnchen"},
      {"a\xC3", 1, "a\xEF\xBF\xBD"},
      {"\xC0\xAF", 0, "\xEF\xBF\xBD\xEF\xBF\xBD"},  // overlong slash
      {"x\xED\xA0\x80y", 1, "x\xEF\xBF\xBDy"},      // surrogate
      {"\xF4\x90\x80\x80", 0, "\xEF\xBF\xBD"},      // beyond U+10FFFF
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes);
    EXPECT_EQ(FindInvalidUtf8(c.bytes), c.first_invalid);
    EXPECT_EQ(ReplaceInvalidUtf8(c.bytes), c.replaced);
  }
}

}  // namespace
}  // namespace kanvio::text
