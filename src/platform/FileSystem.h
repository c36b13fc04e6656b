#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace kanvio::platform {

// Paths from and to the library's UTF-8 texts, whatever the platform's own
// path encoding is (UTF-16 on Windows).
inline std::filesystem::path PathFromUtf8(std::string_view utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}
inline std::string PathToUtf8(const std::filesystem::path& path) {
  const std::u8string utf8 = path.u8string();
  return std::string(utf8.begin(), utf8.end());
}

// Who may read what the library writes. kOwnerOnly is for files that hold
// secrets: on POSIX such a file (and its temporary file, from the first byte
// on) has mode 0600 and a folder made for it 0700, whatever the process's
// umask. On Windows the per-user folders are protected by the profile's
// permissions and both values mean the same.
enum class FileAccess { kDefault, kOwnerOnly };

// Creates folder and its missing parents; with kOwnerOnly every folder it
// creates is its owner's only. Throws Error.
void CreateFolders(const std::filesystem::path& folder, FileAccess access);

// Narrows an existing file or folder that other users may read, write or
// enter to its owner (keeping the owner's own rights); true when it did.
// Leaves alone what does not exist, what belongs to someone else and shared
// folders (sticky bit, such as /tmp). Always false on Windows. Throws Error
// when the permissions cannot be changed.
bool RestrictToOwner(const std::filesystem::path& path);

// Removes the temporary files that ReplacementFiles of target left behind
// when their process was killed: those older than min_age that no process
// holds open where the system can tell (Windows refuses to delete them).
// Returns how many it removed; never throws. Callers hold a lock that
// keeps their own writers of target away meanwhile.
int RemoveStaleTemporaryFiles(const std::filesystem::path& target, std::chrono::seconds min_age);

// Replaces target by source in one step: readers see the old or the new
// file, never a mix. Throws Error on failure (source then still exists).
void ReplaceFile(const std::filesystem::path& source, const std::filesystem::path& target);

// A file written under a temporary name beside its target that takes the
// target's place only when committed, so readers never see it half-written.
// Without Commit() the destructor removes it and the target stays as it was.
// One thread at a time.
class ReplacementFile {
 public:
  // Creates the temporary file. Throws Error.
  explicit ReplacementFile(const std::filesystem::path& target, FileAccess access = FileAccess::kDefault);
  ~ReplacementFile();
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;

  // Appends bytes, unbuffered: callers hand over large blocks. Throws Error;
  // the file content is undefined afterwards.
  void Write(std::string_view data);
  // Flushes to disk, closes and replaces the target. Throws Error; the
  // temporary file is then removed.
  void Commit();
  // Removes the temporary file; the target is untouched. Never throws.
  void Discard() noexcept;

  const std::filesystem::path& temporary_path() const { return temporary_; }

 private:
  std::filesystem::path target_;
  std::filesystem::path temporary_;
  std::intptr_t handle_;  // file descriptor or HANDLE; -1 when closed
};

// Writes data to a temporary file beside target, flushes it to disk and
// replaces target with it. Throws Error; target is untouched on failure.
void WriteFileAtomically(const std::filesystem::path& target, const std::string& data,
                         FileAccess access = FileAccess::kDefault);

// An exclusive advisory lock on a lock file shared between processes,
// held for the lifetime of the object. Blocks until granted.
class FileLock {
 public:
  explicit FileLock(const std::filesystem::path& lock_file);
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

 private:
  std::intptr_t handle_;  // file descriptor or HANDLE
};

}  // namespace kanvio::platform
