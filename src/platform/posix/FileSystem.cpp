#include "platform/FileSystem.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <utility>

#include "support/Error.h"

namespace kanvio::platform {
namespace {

std::string SystemMessage() { return std::strerror(errno); }

std::filesystem::path TemporarySibling(const std::filesystem::path& target) {
  static std::atomic<unsigned> counter{0};
  return target.parent_path() / ("." + target.filename().string() + "." + std::to_string(getpid()) + "." +
                                 std::to_string(counter++) + ".tmp");
}

void WriteAll(int fd, std::string_view data, const std::filesystem::path& path) {
  std::size_t done = 0;
  while (done < data.size()) {
    ssize_t n = write(fd, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw Error("Die Datei " + path.string() + " konnte nicht geschrieben werden: " + SystemMessage());
    }
    done += static_cast<std::size_t>(n);
  }
}

constexpr mode_t kOwnerFile = 0600;
constexpr mode_t kOwnerFolder = 0700;

}  // namespace

void CreateFolders(const std::filesystem::path& folder, FileAccess access) {
  if (access == FileAccess::kDefault) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) throw Error("Der Ordner " + folder.string() + " konnte nicht angelegt werden: " + ec.message());
    return;
  }
  std::filesystem::path partial;
  for (const auto& part : folder) {
    partial /= part;
    std::error_code ignored;
    if (std::filesystem::is_directory(partial, ignored)) continue;
    if (mkdir(partial.c_str(), kOwnerFolder) == 0) {
      if (chmod(partial.c_str(), kOwnerFolder) != 0)
        throw Error("Der Ordner " + partial.string() + " konnte nicht geschützt werden: " + SystemMessage());
    } else if (errno != EEXIST) {
      throw Error("Der Ordner " + partial.string() + " konnte nicht angelegt werden: " + SystemMessage());
    }
  }
}

bool RestrictToOwner(const std::filesystem::path& path) {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0 || status.st_uid != geteuid()) return false;
  const bool folder = S_ISDIR(status.st_mode);
  if ((folder && (status.st_mode & S_ISVTX) != 0) || (status.st_mode & 077) == 0) return false;
  if (chmod(path.c_str(), status.st_mode & 07700) != 0)
    throw Error("Die Zugriffsrechte von " + path.string() +
                " konnten nicht eingeschränkt werden: " + SystemMessage());
  return true;
}

void ReplaceFile(const std::filesystem::path& source, const std::filesystem::path& target) {
  if (std::rename(source.c_str(), target.c_str()) != 0)
    throw Error("Die Datei " + target.string() + " konnte nicht ersetzt werden: " + SystemMessage());
}

ReplacementFile::ReplacementFile(const std::filesystem::path& target, FileAccess access)
    : target_(target), temporary_(TemporarySibling(target)) {
  const mode_t mode = access == FileAccess::kOwnerOnly ? kOwnerFile : 0644;
  int fd = open(temporary_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
  if (fd < 0)
    throw Error("Die Datei " + temporary_.string() + " konnte nicht angelegt werden: " + SystemMessage());
  // The umask can only take rights away; this gives the owner back the ones it took.
  if (access == FileAccess::kOwnerOnly && fchmod(fd, mode) != 0) {
    const std::string message = SystemMessage();
    close(fd);
    unlink(temporary_.c_str());
    throw Error("Die Datei " + temporary_.string() + " konnte nicht geschützt werden: " + message);
  }
  handle_ = fd;
}

ReplacementFile::~ReplacementFile() { Discard(); }

void ReplacementFile::Write(std::string_view data) {
  if (handle_ < 0) throw Error("Die Datei " + temporary_.string() + " ist bereits geschlossen");
  WriteAll(static_cast<int>(handle_), data, temporary_);
}

void ReplacementFile::Commit() {
  if (handle_ < 0) throw Error("Die Datei " + temporary_.string() + " ist bereits geschlossen");
  try {
    const int fd = static_cast<int>(std::exchange(handle_, -1));
    const bool synced = fsync(fd) == 0;
    const bool closed = close(fd) == 0;
    if (!synced || !closed)
      throw Error("Die Datei " + temporary_.string() + " konnte nicht gesichert werden: " + SystemMessage());
    ReplaceFile(temporary_, target_);
    temporary_.clear();
  } catch (...) {
    Discard();
    throw;
  }
}

void ReplacementFile::Discard() noexcept {
  if (handle_ >= 0) close(static_cast<int>(std::exchange(handle_, -1)));
  if (!temporary_.empty()) unlink(temporary_.c_str());
  temporary_.clear();
}

FileLock::FileLock(const std::filesystem::path& lock_file) {
  int fd = open(lock_file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0)
    throw Error("Die Sperrdatei " + lock_file.string() + " konnte nicht geöffnet werden: " + SystemMessage());
  while (flock(fd, LOCK_EX) != 0) {
    if (errno == EINTR) continue;
    close(fd);
    throw Error("Die Sperrdatei " + lock_file.string() + " konnte nicht gesperrt werden: " + SystemMessage());
  }
  handle_ = fd;
}

FileLock::~FileLock() {
  flock(static_cast<int>(handle_), LOCK_UN);
  close(static_cast<int>(handle_));
}

}  // namespace kanvio::platform
