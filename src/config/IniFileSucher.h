#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace kanvio {

class IniFileSucher {
 public:
  // The first file called name (compared without regard to letter case) below
  // path, depth first: a folder's own files before its subfolders, both in the
  // order the file system lists them. A folder that cannot be listed is
  // skipped; none when path itself cannot be listed. Links to folders are not
  // followed, so a loop of links cannot make the walk endless.
  static std::optional<std::filesystem::path> SucheFile(const std::filesystem::path& path,
                                                        const std::string& name);
};

}  // namespace kanvio
