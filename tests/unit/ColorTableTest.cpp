#include <gtest/gtest.h>

#include "HostFolders.h"
#include "worker/ColorTable.h"

namespace kanvio::test {
namespace {

using platform::Rgb;

TEST(ColorTableTest, ParsesHtmlAndWindowsColours) {
  const std::pair<std::string, std::optional<Rgb>> cases[] = {
      {"#225EB7", Rgb{34, 94, 183}},
      {"#ff0001", Rgb{255, 0, 1}},
      {" #000000 ", Rgb{0, 0, 0}},
      {"12017186", Rgb{34, 94, 183}},  // 0x00B75E22: blue, green, red from the high byte down
      {"255", Rgb{255, 0, 0}},
      {"", std::nullopt},
      {"#", std::nullopt},
      {"#12345", std::nullopt},
      {"#1234567", std::nullopt},
      {"#GG0000", std::nullopt},
      {"#-12345", std::nullopt},
      {"blau", std::nullopt},
      {"-5", std::nullopt},
      {"12 34", std::nullopt},
      {"99999999999", std::nullopt},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(ColorTable::ParseColor(text), expected) << text;
}

// The theme named in the host ini, found below the program data folder.
class ColorThemeTest : public ::testing::Test {
 protected:
  HostFolders host_;

  void Theme(const std::string& ini_line, const std::string& file, const std::string& colour) {
    WriteFile(host_.ProgramData() / "Ledgrox" / "Ledgrox.ini",
              "[System Configuration]\nLOG_EXCEPTIONS=true\n" + ini_line + "\n");
    WriteFile(host_.ProgramData() / "Design" / file, "[LAYOUT]\nFormPanelTitleBar_Color=" + colour + "\n");
  }
};

TEST_F(ColorThemeTest, HeaderColourComesFromTheNamedTheme) {
  Theme("ColorTheme=apptheme_gruen.dll", "apptheme_gruen.dll", "#10A020");
  ColorTable::CreateApplicationColors();
  EXPECT_EQ(ColorTable::HeaderColor(), (Rgb{16, 160, 32}));
  EXPECT_EQ(ColorTable::BackgroundColor(), (Rgb{255, 255, 255}));
  EXPECT_EQ(ColorTable::PanelColor(), (Rgb{255, 255, 255}));
}

TEST_F(ColorThemeTest, WithoutThemeNameTheDefaultThemeIsRead) {
  Theme("ColorTheme=", "apptheme_default.dll", "3153952");  // 0x302020
  ColorTable::CreateApplicationColors();
  EXPECT_EQ(ColorTable::HeaderColor(), (Rgb{32, 32, 48}));
}

TEST_F(ColorThemeTest, FailuresLeaveTheColoursUnchanged) {
  Theme("ColorTheme=apptheme_gruen.dll", "apptheme_gruen.dll", "#10A020");
  ColorTable::CreateApplicationColors();
  const std::pair<std::string, std::string> broken[] = {
      {"ColorTheme=apptheme_fehlt.dll", "#FFFFFF"},  // the named file does not exist
      {"ColorTheme=apptheme_gruen.dll", ""},         // empty value
      {"ColorTheme=apptheme_gruen.dll", "#12"},      // malformed value
  };
  for (const auto& [ini_line, colour] : broken) {
    Theme(ini_line, "apptheme_gruen.dll", colour);
    ColorTable::CreateApplicationColors();
    EXPECT_EQ(ColorTable::HeaderColor(), (Rgb{16, 160, 32})) << ini_line << " / " << colour;
  }
  EXPECT_EQ(host_.LogLines().size(), std::size(broken)) << host_.Log();
}

}  // namespace
}  // namespace kanvio::test
