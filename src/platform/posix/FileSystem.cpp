#include "platform/FileSystem.h"

#include <fcntl.h>
#include <sys/file.h>
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

}  // namespace

void ReplaceFile(const std::filesystem::path& source, const std::filesystem::path& target) {
  if (std::rename(source.c_str(), target.c_str()) != 0)
    throw Error("Die Datei " + target.string() + " konnte nicht ersetzt werden: " + SystemMessage());
}

ReplacementFile::ReplacementFile(const std::filesystem::path& target)
    : target_(target), temporary_(TemporarySibling(target)) {
  int fd = open(temporary_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0)
    throw Error("Die Datei " + temporary_.string() + " konnte nicht angelegt werden: " + SystemMessage());
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
