#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace kanvio {

// Writes the pages of a paged article download as one articles file: root
// "Artikelimport" holding the "row" elements of every page in order. With a
// password the pages are cipher texts of the shop side and are deciphered
// first. A page that cannot be deciphered or parsed is logged, counted in
// error_count and skipped. The file is replaced whole; a failure to save is
// logged only.
class MergedArticleFile {
 public:
  static void SaveAsMergedXml(const std::vector<std::string>& pages, const std::string& password,
                              const std::filesystem::path& target, int& error_count);
};

}  // namespace kanvio
