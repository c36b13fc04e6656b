#include "platform/FileSystem.h"

#include <cctype>
#include <system_error>

namespace kanvio::platform {
namespace {

// ".<name>.<process>.<counter>.tmp", as ReplacementFile names them.
bool IsTemporaryOf(const std::string& candidate, const std::string& target_name) {
  const std::string prefix = "." + target_name + ".";
  const std::string suffix = ".tmp";
  if (candidate.size() <= prefix.size() + suffix.size() || !candidate.starts_with(prefix) ||
      !candidate.ends_with(suffix))
    return false;
  const std::string middle =
      candidate.substr(prefix.size(), candidate.size() - prefix.size() - suffix.size());
  const std::size_t dot = middle.find('.');
  if (dot == 0 || dot == std::string::npos || dot + 1 == middle.size()) return false;
  for (std::size_t i = 0; i < middle.size(); ++i)
    if (i != dot && !std::isdigit(static_cast<unsigned char>(middle[i]))) return false;
  return true;
}

}  // namespace

void WriteFileAtomically(const std::filesystem::path& target, const std::string& data, FileAccess access) {
  ReplacementFile file(target, access);
  file.Write(data);
  file.Commit();
}

int RemoveStaleTemporaryFiles(const std::filesystem::path& target, std::chrono::seconds min_age) {
  const std::string target_name = PathToUtf8(target.filename());
  const auto now = std::filesystem::file_time_type::clock::now();
  int removed = 0;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(target.parent_path(), ec), end; !ec && it != end;
       it.increment(ec)) {
    if (!IsTemporaryOf(PathToUtf8(it->path().filename()), target_name)) continue;
    std::error_code file_ec;
    if (!it->is_regular_file(file_ec)) continue;
    const auto written = it->last_write_time(file_ec);
    if (file_ec || now - written < min_age) continue;
    if (std::filesystem::remove(it->path(), file_ec)) ++removed;
  }
  return removed;
}

}  // namespace kanvio::platform
