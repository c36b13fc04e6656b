#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "TestSupport.h"
#include "platform/FileSystem.h"
#include "support/Error.h"

namespace kanvio::platform {
namespace {

std::vector<std::string> Names(const std::filesystem::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir))
    names.push_back(PathToUtf8(entry.path().filename()));
  std::sort(names.begin(), names.end());
  return names;
}

TEST(FileSystemTest, WriteFileAtomicallyCreatesAndReplacesLeavingNothingElse) {
  test::TempDir dir;
  const auto target = dir / "Bestellungen.xml";
  WriteFileAtomically(target, "first");
  WriteFileAtomically(target, std::string("second\0with a zero byte\r\n", 25));
  EXPECT_EQ(test::ReadFile(target), std::string("second\0with a zero byte\r\n", 25));
  EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"Bestellungen.xml"});
}

TEST(FileSystemTest, UncommittedReplacementLeavesTargetAsItWas) {
  test::TempDir dir;
  const auto target = dir / "user.config";
  test::WriteFile(target, "old");
  {
    ReplacementFile file(target);
    file.Write("half of the new ");
    EXPECT_TRUE(std::filesystem::exists(file.temporary_path()));
  }
  EXPECT_EQ(test::ReadFile(target), "old");
  EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"user.config"});
}

TEST(FileSystemTest, ReplacementWrittenInPartsCommitsWhole) {
  test::TempDir dir;
  const auto target = dir.path() / PathFromUtf8("Prüfdatei.xml");
  ReplacementFile file(target);
  file.Write("<a>");
  file.Write(std::string(100'000, 'x'));
  file.Write("</a>");
  file.Commit();
  EXPECT_EQ(test::ReadFile(target).size(), 100'007u);
  EXPECT_THROW(file.Write("late"), Error);
  EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"Prüfdatei.xml"});
}

TEST(FileSystemTest, FailuresThrowAndKeepWhatExists) {
  test::TempDir dir;
  EXPECT_THROW(WriteFileAtomically(dir / "no-such-folder" / "file.xml", "x"), Error);
  // A folder cannot be replaced by a file: the source must survive the refusal.
  std::filesystem::create_directories(dir / "folder" / "inside");
  test::WriteFile(dir / "source", "kept");
  EXPECT_THROW(ReplaceFile(dir / "source", dir / "folder"), Error);
  EXPECT_EQ(test::ReadFile(dir / "source"), "kept");
}

TEST(FileSystemTest, LockCanBeTakenAgainOnceReleased) {
  test::TempDir dir;
  const auto lock_file = dir / "user.config.lock";
  { FileLock first(lock_file); }
  { FileLock second(lock_file); }
  EXPECT_TRUE(std::filesystem::exists(lock_file));
  EXPECT_THROW(FileLock(dir / "no-such-folder" / "x.lock"), Error);
}

}  // namespace
}  // namespace kanvio::platform
