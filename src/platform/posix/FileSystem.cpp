#include "platform/FileSystem.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

#include "support/Error.h"

namespace kanvio::platform {
namespace {

std::string SystemMessage() { return std::strerror(errno); }

std::filesystem::path TemporarySibling(const std::filesystem::path& target) {
  static std::atomic<unsigned> counter{0};
  return target.parent_path() /
         ("." + target.filename().string() + "." + std::to_string(getpid()) + "." +
          std::to_string(counter++) + ".tmp");
}

void WriteAll(int fd, const std::string& data, const std::filesystem::path& path) {
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

void WriteFileAtomically(const std::filesystem::path& target, const std::string& data) {
  const auto temp = TemporarySibling(target);
  int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) throw Error("Die Datei " + temp.string() + " konnte nicht angelegt werden: " + SystemMessage());
  try {
    WriteAll(fd, data, temp);
    if (fsync(fd) != 0) throw Error("Die Datei " + temp.string() + " konnte nicht gesichert werden");
    close(fd);
    fd = -1;
    ReplaceFile(temp, target);
  } catch (...) {
    if (fd >= 0) close(fd);
    unlink(temp.c_str());
    throw;
  }
}

FileLock::FileLock(const std::filesystem::path& lock_file) {
  int fd = open(lock_file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) throw Error("Die Sperrdatei " + lock_file.string() + " konnte nicht geöffnet werden: " + SystemMessage());
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
