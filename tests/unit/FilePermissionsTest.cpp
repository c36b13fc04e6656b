// The POSIX permissions of files that hold secrets. On Windows the profile's
// permissions protect them and these functions change nothing.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "TestSupport.h"
#include "platform/FileSystem.h"

namespace kanvio::platform {
namespace {

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
TEST(FilePermissionsTest, OwnerOnlyFilesAndFoldersIgnoreTheUmask) {
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

TEST(FilePermissionsTest, RestrictToOwnerNarrowsOnlyWhatOthersCanReach) {
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

}  // namespace
}  // namespace kanvio::platform
