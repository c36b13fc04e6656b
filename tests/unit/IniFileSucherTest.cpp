#include <gtest/gtest.h>
#include <unistd.h>

#include "TestSupport.h"
#include "config/IniFileSucher.h"

namespace kanvio {
namespace {

namespace fs = std::filesystem;
using test::TempDir;
using test::WriteFile;

// The subfolders of folder in the order the file system lists them.
std::vector<fs::path> ListedFolders(const fs::path& folder) {
  std::vector<fs::path> folders;
  for (const auto& entry : fs::directory_iterator(folder))
    if (entry.is_directory()) folders.push_back(entry.path());
  return folders;
}

TEST(IniFileSucherTest, FileInStartFolderWinsOverEveryDeeperOne) {
  TempDir dir;
  WriteFile(dir / "a/Ledgrox.ini", "");
  WriteFile(dir / "Ledgrox.ini", "");
  WriteFile(dir / "z/Ledgrox.ini", "");
  EXPECT_EQ(IniFileSucher::SucheFile(dir.path(), "Ledgrox.ini"), dir / "Ledgrox.ini");
}

TEST(IniFileSucherTest, FolderOwnFilesComeBeforeItsSubfolders) {
  TempDir dir;
  WriteFile(dir / "host/deeper/Ledgrox.ini", "");
  WriteFile(dir / "host/Ledgrox.ini", "");
  EXPECT_EQ(IniFileSucher::SucheFile(dir.path(), "Ledgrox.ini"), dir / "host/Ledgrox.ini");
}

TEST(IniFileSucherTest, FirstListedSubtreeWinsEvenWhenItsFileLiesDeeper) {
  TempDir dir;
  WriteFile(dir / "one/deep/er/Ledgrox.ini", "");
  WriteFile(dir / "two/Ledgrox.ini", "");
  const auto first = ListedFolders(dir.path()).front();
  const fs::path expected =
      first.filename() == "one" ? dir / "one/deep/er/Ledgrox.ini" : dir / "two/Ledgrox.ini";
  EXPECT_EQ(IniFileSucher::SucheFile(dir.path(), "Ledgrox.ini"), expected);
}

TEST(IniFileSucherTest, NamesAreComparedWithoutLetterCase) {
  TempDir dir;
  WriteFile(dir / "sub/LEDGROX.INI", "");
  EXPECT_EQ(IniFileSucher::SucheFile(dir.path(), "Ledgrox.ini"), dir / "sub/LEDGROX.INI");
}

TEST(IniFileSucherTest, FolderWithTheNameIsNoMatch) {
  TempDir dir;
  fs::create_directories(dir / "Ledgrox.ini/inner");
  EXPECT_EQ(IniFileSucher::SucheFile(dir.path(), "Ledgrox.ini"), std::nullopt);
}

TEST(IniFileSucherTest, MissingStartFolderOrNoMatchYieldsNone) {
  TempDir dir;
  WriteFile(dir / "sub/VD.ini", "");
  EXPECT_EQ(IniFileSucher::SucheFile(dir / "missing", "VD.ini"), std::nullopt);
  EXPECT_EQ(IniFileSucher::SucheFile(dir / "sub/VD.ini", "VD.ini"), std::nullopt);
  EXPECT_EQ(IniFileSucher::SucheFile(dir.path(), "Ledgrox.ini"), std::nullopt);
}

TEST(IniFileSucherTest, LinkLoopDoesNotMakeTheWalkEndless) {
  TempDir dir;
  fs::create_directories(dir / "a");
  fs::create_directory_symlink(dir.path(), dir / "a/loop");
  WriteFile(dir / "b/VD.ini", "");
  EXPECT_EQ(IniFileSucher::SucheFile(dir.path(), "VD.ini"), dir / "b/VD.ini");
}

TEST(IniFileSucherTest, UnreadableFolderIsSkipped) {
  if (geteuid() == 0) GTEST_SKIP() << "root can list every folder";
  TempDir dir;
  WriteFile(dir / "a/Ledgrox.ini", "");
  WriteFile(dir / "b/Ledgrox.ini", "");
  WriteFile(dir / "c/Ledgrox.ini", "");
  const auto first = ListedFolders(dir.path()).front();
  fs::permissions(first, fs::perms::none);
  const auto found = IniFileSucher::SucheFile(dir.path(), "Ledgrox.ini");
  fs::permissions(first, fs::perms::owner_all);
  ASSERT_TRUE(found);
  EXPECT_NE(found->parent_path(), first);
}

}  // namespace
}  // namespace kanvio
