#include "platform/FileSystem.h"

#include <windows.h>
// windows.h names its own ReplaceFile; ours is meant here.
#undef ReplaceFile

#include <atomic>
#include <thread>
#include <utility>

#include "platform/win32/SystemMessage.h"
#include "support/Error.h"

namespace kanvio::platform {
namespace {

constexpr std::intptr_t kClosed = -1;

HANDLE AsHandle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

std::filesystem::path TemporarySibling(const std::filesystem::path& target) {
  static std::atomic<unsigned> counter{0};
  return target.parent_path() /
         PathFromUtf8("." + PathToUtf8(target.filename()) + "." + std::to_string(GetCurrentProcessId()) +
                      "." + std::to_string(counter++) + ".tmp");
}

// A virus scanner or an indexer may hold the target open for a moment
// without allowing it to be replaced; such a refusal is worth a few retries.
bool IsTransientRefusal(DWORD code) { return code == ERROR_ACCESS_DENIED || code == ERROR_SHARING_VIOLATION; }

void WriteAll(HANDLE file, std::string_view data, const std::filesystem::path& path) {
  while (!data.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(data.size(), 1u << 30));
    DWORD written = 0;
    if (!WriteFile(file, data.data(), chunk, &written, nullptr))
      throw Error("Die Datei " + PathToUtf8(path) + " konnte nicht geschrieben werden: " + SystemMessage());
    data.remove_prefix(written);
  }
}

}  // namespace

void ReplaceFile(const std::filesystem::path& source, const std::filesystem::path& target) {
  constexpr int kAttempts = 20;
  for (int attempt = 1;; ++attempt) {
    if (MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      return;
    const DWORD code = GetLastError();
    if (attempt == kAttempts || !IsTransientRefusal(code))
      throw Error("Die Datei " + PathToUtf8(target) + " konnte nicht ersetzt werden: " + SystemMessage(code));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

// The per-user folders inherit the profile's permissions: owner-only files
// need nothing of their own here.
void CreateFolders(const std::filesystem::path& folder, FileAccess) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (ec) throw Error("Der Ordner " + PathToUtf8(folder) + " konnte nicht angelegt werden: " + ec.message());
}

bool RestrictToOwner(const std::filesystem::path&) { return false; }

ReplacementFile::ReplacementFile(const std::filesystem::path& target, FileAccess)
    : target_(target), temporary_(TemporarySibling(target)), handle_(kClosed) {
  HANDLE file = CreateFileW(temporary_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    throw Error("Die Datei " + PathToUtf8(temporary_) + " konnte nicht angelegt werden: " + SystemMessage());
  handle_ = reinterpret_cast<std::intptr_t>(file);
}

ReplacementFile::~ReplacementFile() { Discard(); }

void ReplacementFile::Write(std::string_view data) {
  if (handle_ == kClosed) throw Error("Die Datei " + PathToUtf8(temporary_) + " ist bereits geschlossen");
  WriteAll(AsHandle(handle_), data, temporary_);
}

void ReplacementFile::Commit() {
  if (handle_ == kClosed) throw Error("Die Datei " + PathToUtf8(temporary_) + " ist bereits geschlossen");
  try {
    HANDLE file = AsHandle(std::exchange(handle_, kClosed));
    const bool flushed = FlushFileBuffers(file);
    const DWORD code = GetLastError();
    const bool closed = CloseHandle(file);
    if (!flushed || !closed)
      throw Error("Die Datei " + PathToUtf8(temporary_) +
                  " konnte nicht gesichert werden: " + SystemMessage(flushed ? GetLastError() : code));
    ReplaceFile(temporary_, target_);
    temporary_.clear();
  } catch (...) {
    Discard();
    throw;
  }
}

void ReplacementFile::Discard() noexcept {
  if (handle_ != kClosed) CloseHandle(AsHandle(std::exchange(handle_, kClosed)));
  if (!temporary_.empty()) DeleteFileW(temporary_.c_str());
  temporary_.clear();
}

FileLock::FileLock(const std::filesystem::path& lock_file) {
  HANDLE file = CreateFileW(lock_file.c_str(), GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    throw Error("Die Sperrdatei " + PathToUtf8(lock_file) +
                " konnte nicht geöffnet werden: " + SystemMessage());
  OVERLAPPED whole_file{};
  if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole_file)) {
    const DWORD code = GetLastError();
    CloseHandle(file);
    throw Error("Die Sperrdatei " + PathToUtf8(lock_file) +
                " konnte nicht gesperrt werden: " + SystemMessage(code));
  }
  handle_ = reinterpret_cast<std::intptr_t>(file);
}

FileLock::~FileLock() {
  OVERLAPPED whole_file{};
  UnlockFileEx(AsHandle(handle_), 0, MAXDWORD, MAXDWORD, &whole_file);
  CloseHandle(AsHandle(handle_));
}

}  // namespace kanvio::platform
