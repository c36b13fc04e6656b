#include <gtest/gtest.h>

#include "platform/CodePage.h"

namespace kanvio::platform {
namespace {

TEST(CodePageTest, GermanTextRoundTripsAndForeignLettersBecomeQuestionMarks) {
  for (const std::string text : {"", "Bestellung 4711", "Prüfung äöüß ÄÖÜ 12,99 €"})
    EXPECT_EQ(NarrowToUtf8(Utf8ToNarrow(text)), text);
  // A code page without the letter must not swap in a look-alike ("l").
  const std::string foreign = NarrowToUtf8(Utf8ToNarrow("ł"));
  EXPECT_TRUE(foreign == "ł" || foreign == "?") << foreign;
}

}  // namespace
}  // namespace kanvio::platform
