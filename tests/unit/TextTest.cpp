#include <gtest/gtest.h>

#include "support/Text.h"

namespace kanvio::text {
namespace {

TEST(TextTest, Utf16RoundTripKeepsUmlautsAndAstralCharacters) {
  const std::string s = "Händler ÄÖÜß € \xF0\x9F\x98\x80";
  EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(s)), s);
  EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x98\x80").size(), 2u);
}

TEST(TextTest, MalformedInputBecomesReplacementCharacter) {
  EXPECT_EQ(Utf8ToUtf16("a\xC3"), std::u16string(u"a\uFFFD"));
  EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), std::u16string(u"\uFFFD\uFFFD"));  // overlong slash
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
  EXPECT_EQ(Utf8ToUtf16("\xF8\x80\x80"), std::u16string(u"\uFFFD\uFFFD\uFFFD"));  // no lead byte at all
}

TEST(TextTest, ByteOrderMarksAreHonouredAndRemoved) {
  EXPECT_EQ(DecodeToUtf8("\xEF\xBB\xBFxy"), "xy");
  EXPECT_EQ(DecodeToUtf8(std::string("\xFF\xFE"
                                     "A\0\xE4\0",
                                     6)),
            "Aä");
  EXPECT_EQ(DecodeToUtf8(std::string("\xFE\xFF\0A", 4)), "A");
  EXPECT_EQ(DecodeToUtf8("plain"), "plain");
}

TEST(TextTest, LowerCasesLatinLettersButNotOtherText) {
  EXPECT_EQ(ToLower("XT:Commerce VEYTON ÄÖÜ"), "xt:commerce veyton äöü");
  EXPECT_EQ(ToLower("×ß€"), "×ß€");
  EXPECT_TRUE(EqualsIgnoreCase("System Configuration", "SYSTEM configuration"));
}

}  // namespace
}  // namespace kanvio::text
