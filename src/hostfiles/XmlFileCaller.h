#pragma once
// Readers of the host's upload files. Each reader resets sync_settings and
// sets a flag for every kind of data the file carries; texts for the user go
// to product_error, which a reader never clears.
//
// A reader that returns nullopt has given up; when the whole read failed it
// has also appended a ROLLBACK protocol to the file. Should even that fail
// (the file is missing or not XML), the failure is thrown to the caller and
// the file is left untouched.
//
// The forms without a path read the file named by WEBSERVICE_RESULT_FILEPATH.
// Called on the worker's background task.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "hostfiles/ArticleMap.h"
#include "hostfiles/Containers.h"

namespace kanvio {

class XmlFileCaller {
 public:
  // Rows of Artikelexport by article number in file order; a repeated
  // number keeps the first row.
  static std::optional<ArticleMap> ReadXmlArticles(std::string& product_error, SyncSettings& sync_settings);
  static std::optional<ArticleMap> ReadXmlArticles(const std::filesystem::path& file,
                                                   std::string& product_error, SyncSettings& sync_settings);

  // Rows of Artikelpreisexport; a repeated article number fails the read.
  static std::optional<ArticleMap> ReadXmlArticlePrices(std::string& product_error,
                                                        SyncSettings& sync_settings);
  static std::optional<ArticleMap> ReadXmlArticlePrices(const std::filesystem::path& file,
                                                        std::string& product_error,
                                                        SyncSettings& sync_settings);

  static std::optional<std::vector<Lagerbestand>> ReadXmlStockValues(std::string& product_error,
                                                                     SyncSettings& sync_settings);
  static std::optional<std::vector<Lagerbestand>> ReadXmlStockValues(const std::filesystem::path& file,
                                                                     std::string& product_error,
                                                                     SyncSettings& sync_settings);

  static std::optional<std::vector<Preisliste>> ReadXmlPriceLists(std::string& product_error,
                                                                  SyncSettings& sync_settings);
  static std::optional<std::vector<Preisliste>> ReadXmlPriceLists(const std::filesystem::path& file,
                                                                  std::string& product_error,
                                                                  SyncSettings& sync_settings);
};

}  // namespace kanvio
