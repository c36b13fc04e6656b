#include <gtest/gtest.h>

#include "HostFolders.h"
#include "config/KanvioPaths.h"
#include "config/Settings.h"

namespace kanvio {
namespace {

namespace fs = std::filesystem;
using test::HostFolders;
using test::WriteFile;

void SetErpSystem(const std::string& erp) {
  Settings settings;
  settings.set_ERP_SYSTEM(erp);
  settings.Save();
}

TEST(KanvioPathsTest, HostIniFileFollowsTheErpSystem) {
  HostFolders host;
  WriteFile(host.ProgramData() / "Ledgrox/Ledgrox.ini", "");
  WriteFile(host.ProgramData() / "VD/VD.ini", "");
  const struct {
    const char* erp;
    const char* ini;
  } cases[] = {{"vd", "VD.ini"}, {"ledgrox", "Ledgrox.ini"}, {"", "Ledgrox.ini"}, {"sage", "Ledgrox.ini"}};
  for (const auto& c : cases) {
    SetErpSystem(c.erp);
    const auto ini = KanvioPaths::SoftwareIni();
    ASSERT_TRUE(ini) << c.erp;
    EXPECT_EQ(ini->filename(), c.ini) << c.erp;
  }
}

TEST(KanvioPathsTest, MissingHostIniFileYieldsNone) {
  HostFolders host;
  WriteFile(host.ProgramData() / "VD/VD.ini", "");
  EXPECT_EQ(KanvioPaths::SoftwareIni(), std::nullopt);
}

TEST(KanvioPathsTest, DesignDllIsSearchedBelowProgramData) {
  HostFolders host;
  WriteFile(host.ProgramData() / "Design/Themes/DarkTheme.dll", "");
  EXPECT_EQ(KanvioPaths::DesignDll("darktheme.DLL"), host.ProgramData() / "Design/Themes/DarkTheme.dll");
  EXPECT_EQ(KanvioPaths::DesignDll("LightTheme.dll"), std::nullopt);
}

TEST(KanvioPathsTest, OwnFilesLieBelowProgramData) {
  HostFolders host;
  EXPECT_EQ(KanvioPaths::programmDataPath(), host.ProgramData());
  EXPECT_EQ(KanvioPaths::LogFileName(), host.ProgramData() / "Logs" / "kvxError.log");
  EXPECT_EQ(KanvioPaths::AmazonPath(), host.ProgramData() / "Webshop/ImportFiles/Amazon/");
  Settings settings;
  settings.set_amazon_report_file_path("Berichte/Amazon");
  settings.Save();
  EXPECT_EQ(KanvioPaths::AmazonPath(), host.ProgramData() / "Berichte/Amazon");
}

}  // namespace
}  // namespace kanvio
