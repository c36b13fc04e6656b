#include <gtest/gtest.h>

#include "TestSupport.h"
#include "platform/IniReader.h"

namespace kanvio::platform {
namespace {

TEST(IniReaderTest, ReadsAsThePrivateProfileFunctionDoes) {
  test::TempDir dir;
  const auto ini = dir / "Ledgrox.ini";
  test::WriteFile(ini,
                  "; a comment\r\n"
                  "[System Configuration]\r\n"
                  "LOG_EXCEPTIONS = true\r\n"
                  "ColorTheme=\"apptheme_blue.dll\"\r\n"
                  "Padded =   a value with spaces   \r\n"
                  "Empty=\r\n"
                  "Long=" +
                      std::string(1500, 'x') +
                      "\r\n"
                      "[LAYOUT]\r\n"
                      "FormPanelTitleBar_Color=#225EB7\r\n");
  const struct {
    const char* section;
    const char* key;
    std::string expected;
  } cases[] = {
      {"system configuration", "log_exceptions", "true"},
      {"System Configuration", "ColorTheme", "apptheme_blue.dll"},
      {"System Configuration", "Padded", "a value with spaces"},
      {"System Configuration", "Empty", ""},
      {"System Configuration", "Long", std::string(kMaxIniValue, 'x')},
      {"LAYOUT", "FormPanelTitleBar_Color", "#225EB7"},
      {"LAYOUT", "ColorTheme", "fallback"},
      {"No Such Section", "LOG_EXCEPTIONS", "fallback"},
      {"System Configuration", "NoSuchKey", "fallback"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ReadIniValue(ini, c.section, c.key, "fallback"), c.expected) << c.section << "/" << c.key;
}

TEST(IniReaderTest, MissingFileGivesTheFallback) {
  test::TempDir dir;
  EXPECT_EQ(ReadIniValue(dir / "missing.ini", "System Configuration", "LOG_EXCEPTIONS", "no"), "no");
  EXPECT_EQ(ReadIniValue(dir / "missing.ini", "System Configuration", "LOG_EXCEPTIONS"), "");
}

}  // namespace
}  // namespace kanvio::platform
