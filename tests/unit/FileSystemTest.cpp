#include <gtest/gtest.h>
#include <sys/stat.h>

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

// The process's umask for the life of the object.
class ScopedUmask {
 public:
  explicit ScopedUmask(mode_t mask) : old_(umask(mask)) {}
  ~ScopedUmask() { umask(old_); }
  ScopedUmask(const ScopedUmask&) = delete;
  ScopedUmask& operator=(const ScopedUmask&) = delete;

 private:
  mode_t old_;
};

mode_t Mode(const std::filesystem::path& path) {
  struct stat status {};
  EXPECT_EQ(stat(path.c_str(), &status), 0) << path;
  return status.st_mode & 07777;
}

// Files that hold secrets are their owner's from the first byte on, whatever the umask.
TEST(FileSystemTest, OwnerOnlyFilesAndFoldersIgnoreTheUmask) {
  struct Case {
    FileAccess access;
    mode_t mask;
    mode_t file;
  };
  const Case cases[] = {{FileAccess::kOwnerOnly, 0, 0600},
                        {FileAccess::kOwnerOnly, 0277, 0600},
                        {FileAccess::kDefault, 022, 0644}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mask);
    test::TempDir dir;
    const ScopedUmask mask(c.mask);
    ReplacementFile file(dir / "user.config", c.access);
    EXPECT_EQ(Mode(file.temporary_path()), c.file);
    file.Write("geheim");
    file.Commit();
    EXPECT_EQ(Mode(dir / "user.config"), c.file);
  }
  test::TempDir dir;
  const ScopedUmask mask(0);
  CreateFolders(dir / "a" / "b", FileAccess::kOwnerOnly);
  EXPECT_EQ(Mode(dir / "a"), 0700u);
  EXPECT_EQ(Mode(dir / "a" / "b"), 0700u);
}

TEST(FileSystemTest, RestrictToOwnerNarrowsOnlyWhatOthersCanReach) {
  struct Case {
    const char* name;
    bool folder;
    mode_t before;
    bool narrowed;
    mode_t after;
  };
  const Case cases[] = {
      {"open file", false, 0644, true, 0600},       {"group file", false, 0640, true, 0600},
      {"private file", false, 0600, false, 0600},   {"read-only file", false, 0444, true, 0400},
      {"open folder", true, 0755, true, 0700},      {"private folder", true, 0700, false, 0700},
      {"shared folder", true, 01777, false, 01777},
  };
  test::TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto path = dir / c.name;
    if (c.folder)
      std::filesystem::create_directory(path);
    else
      test::WriteFile(path, "x");
    ASSERT_EQ(chmod(path.c_str(), c.before), 0);
    EXPECT_EQ(RestrictToOwner(path), c.narrowed);
    EXPECT_EQ(Mode(path), c.after);
  }
  EXPECT_FALSE(RestrictToOwner(dir / "missing"));
}

TEST(FileSystemTest, StaleTemporaryFilesOfTheTargetAreRemovedOthersStay) {
  using std::chrono::minutes;
  struct Case {
    const char* name;
    minutes age;
    bool removed;
  };
  const Case cases[] = {
      {".user.config.4711.0.tmp", minutes(2), true},
      {".user.config.4711.1.tmp", minutes(0), false},
      {".user.config.tmp", minutes(2), false},
      {".user.config.12.x.tmp", minutes(2), false},
      {".other.config.4711.0.tmp", minutes(2), false},
      {"user.config.broken-20240101-000000", minutes(2), false},
      {"user.config", minutes(2), false},
  };
  test::TempDir dir;
  const auto now = std::filesystem::file_time_type::clock::now();
  for (const Case& c : cases) {
    test::WriteFile(dir / c.name, "teil");
    std::filesystem::last_write_time(dir / c.name, now - c.age);
  }
  EXPECT_EQ(RemoveStaleTemporaryFiles(dir / "user.config", std::chrono::minutes(1)), 1);
  for (const Case& c : cases) EXPECT_EQ(std::filesystem::exists(dir / c.name), !c.removed) << c.name;
  EXPECT_EQ(RemoveStaleTemporaryFiles(dir / "missing-folder" / "user.config", std::chrono::minutes(1)), 0);
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
