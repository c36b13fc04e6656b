#include "config/IniFileSucher.h"

#include <vector>

#include "platform/FileSystem.h"
#include "support/Text.h"

namespace kanvio {

std::optional<std::filesystem::path> IniFileSucher::SucheFile(const std::filesystem::path& path,
                                                              const std::string& name) {
  std::error_code ec;
  std::filesystem::directory_iterator it(path, ec);
  if (ec) return std::nullopt;
  std::vector<std::filesystem::path> folders;
  for (; it != std::filesystem::directory_iterator(); it.increment(ec)) {
    const auto& entry = *it;
    std::error_code type_ec;
    if (entry.is_directory(type_ec)) {
      if (!entry.is_symlink(type_ec)) folders.push_back(entry.path());
    } else if (text::EqualsIgnoreCase(platform::PathToUtf8(entry.path().filename()), name)) {
      return entry.path();
    }
  }
  if (ec) return std::nullopt;
  for (const auto& folder : folders) {
    if (auto found = SucheFile(folder, name)) return found;
  }
  return std::nullopt;
}

}  // namespace kanvio
