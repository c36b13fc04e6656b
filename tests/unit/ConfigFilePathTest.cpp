#include <gtest/gtest.h>

#include "HostFolders.h"
#include "config/ConfigFilePath.h"
#include "platform/DynamicLibrary.h"
#include "support/Error.h"

namespace kanvio {
namespace {

namespace fs = std::filesystem;
using test::HostFolders;
using test::ScopedEnv;

constexpr const char* kFolderVariables[] = {
    "KANVIO_INIPATH",      "KANVIO_USERDOCS",        "KANVIO_PUBLICDOCS",     "KANVIO_TEMP",
    "KANVIO_REPORTFOLDER", "KANVIO_DOCUMENTSFOLDER", "KANVIO_DATABASEFOLDER", "KANVIO_WINDOWSCONFORM"};

// Unsets the reference library's variables for the lifetime of the object.
struct WithoutFolderVariables {
  std::vector<std::unique_ptr<ScopedEnv>> unset;
  WithoutFolderVariables() {
    for (const char* name : kFolderVariables)
      unset.push_back(std::make_unique<ScopedEnv>(name, std::nullopt));
  }
};

fs::path SoftwareFolder() { return platform::ExecutablePath().parent_path().parent_path(); }

TEST(ConfigFilePathTest, EveryFunctionFillsItsField) {
  HostFolders host;
  ScopedEnv ini("KANVIO_INIPATH", "/host/ini"), user("KANVIO_USERDOCS", "/host/user"),
      pub("KANVIO_PUBLICDOCS", "/host/public"), temp("KANVIO_TEMP", "/host/temp"),
      report("KANVIO_REPORTFOLDER", "/host/reports"), docs("KANVIO_DOCUMENTSFOLDER", "/host/docs"),
      db("KANVIO_DATABASEFOLDER", "/host/db"), conform("KANVIO_WINDOWSCONFORM", "1");
  const auto paths = ConfigFilePath::GetPaths();
  ASSERT_TRUE(paths);
  EXPECT_EQ(paths->IniPath, "/host/ini");
  EXPECT_EQ(paths->UserDocs, "/host/user");
  EXPECT_EQ(paths->PublicDocs, "/host/public");
  EXPECT_EQ(paths->ProgramData, host.ProgramData().string());
  EXPECT_EQ(paths->TempDir, "/host/temp");
  EXPECT_TRUE(paths->IsWindowsConform);
  EXPECT_EQ(paths->ReportFolder, "/host/reports");
  EXPECT_EQ(paths->DocumentsFolder, "/host/docs");
  EXPECT_EQ(paths->DatabaseFolder, "/host/db");
}

TEST(ConfigFilePathTest, OnlyOneMeansWindowsConform) {
  HostFolders host;
  for (const auto& [value, expected] : {std::pair{"1", true}, {"0", false}, {"2", false}, {"-1", false}}) {
    ScopedEnv conform("KANVIO_WINDOWSCONFORM", value);
    EXPECT_EQ(ConfigFilePath::LoadPaths().IsWindowsConform, expected) << value;
  }
}

TEST(ConfigFilePathTest, LibraryIsGivenTheSoftwareFolder) {
  HostFolders host;
  WithoutFolderVariables unset;
  ScopedEnv program_data("KANVIO_PROGRAMDATA", std::nullopt);
  const auto paths = ConfigFilePath::LoadPaths();
  EXPECT_EQ(paths.ProgramData, (SoftwareFolder() / "ProgramData").string());
  EXPECT_EQ(paths.IniPath, (SoftwareFolder() / "Ini").string());
  EXPECT_EQ(paths.DatabaseFolder, (SoftwareFolder() / "Database").string());
  EXPECT_EQ(paths.TempDir, fs::temp_directory_path().string());
}

TEST(ConfigFilePathTest, LibraryWithoutGetTempYieldsEmptyTempDir) {
  HostFolders host;
  ScopedEnv library("KANVIO_PATHS_LIBRARY", KANVIO_PATHS_NO_TEMP_LIBRARY_FILE);
  const auto paths = ConfigFilePath::GetPaths();
  ASSERT_TRUE(paths);
  EXPECT_EQ(paths->TempDir, "");
  EXPECT_EQ(paths->ProgramData, host.ProgramData().string());
}

TEST(ConfigFilePathTest, MissingOrBrokenLibraryYieldsNoRecord) {
  HostFolders host;
  test::WriteFile(host.ProgramData() / "not-a-library.so", "text");
  for (const auto& file : {host.ProgramData() / "missing.so", host.ProgramData() / "not-a-library.so"}) {
    ScopedEnv library("KANVIO_PATHS_LIBRARY", file.string());
    EXPECT_EQ(ConfigFilePath::GetPaths(), std::nullopt) << file;
    EXPECT_THROW(ConfigFilePath::LoadPaths(), Error) << file;
    EXPECT_EQ(ConfigFilePath::GetConfigFilePath(), "") << file;
  }
  ScopedEnv library("KANVIO_PATHS_LIBRARY", (host.ProgramData() / "missing.so").string());
  EXPECT_THROW(ConfigFilePath::LoadPaths(), FileNotFoundError);
}

TEST(ConfigFilePathTest, ConfigFilePathJoinsProgramDataAndCreatesItsFolders) {
  HostFolders host;
  const auto place = ConfigFilePath::GetConfigFilePath();
  EXPECT_EQ(place, host.ConfigFile().string());
  EXPECT_TRUE(fs::is_directory(host.ConfigFile().parent_path()));
  EXPECT_FALSE(fs::exists(host.ConfigFile()));
}

}  // namespace
}  // namespace kanvio
