#include "hostfiles/SplittedArticleBuilder.h"

#include "config/Settings.h"

namespace kanvio {
namespace {

std::filesystem::path HostFilePath() { return PathFromUtf8(Settings().WEBSERVICE_RESULT_FILEPATH()); }

}  // namespace

XmlPackages SplittedArticleBuilder<>::SplitArticleExport(const std::filesystem::path& file, int amount) {
  return XmlPackages(file, "Artikelexport", "row", "Artikelexport", amount);
}

XmlPackages SplittedArticleBuilder<>::SplitArticlePriceExport(const std::filesystem::path& file, int amount) {
  return XmlPackages(file, "Artikelpreisexport", "row", "Artikelpreisexport", amount);
}

XmlPackages SplittedArticleBuilder<>::SplitStockExport(const std::filesystem::path& file, int amount) {
  return XmlPackages(file, "LagerbestandExport", "Artikel", "LagerbestandExport", amount);
}

XmlPackages SplittedArticleBuilder<>::SplitArticleExport() {
  return SplitArticleExport(HostFilePath(), ConfiguredBatchSize());
}

XmlPackages SplittedArticleBuilder<>::SplitArticlePriceExport() {
  return SplitArticlePriceExport(HostFilePath(), ConfiguredBatchSize());
}

XmlPackages SplittedArticleBuilder<>::SplitStockExport() {
  return SplitStockExport(HostFilePath(), ConfiguredBatchSize());
}

}  // namespace kanvio
