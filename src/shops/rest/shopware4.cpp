#include "shops/rest/shopware4.h"

#include <pugixml.hpp>
#include <vector>

#include "config/Logger.h"
#include "config/Settings.h"
#include "platform/FileSystem.h"
#include "shops/ShopCaller.h"
#include "shops/ShopRequests.h"
#include "shops/rest/AnyKanvio.h"
#include "support/Error.h"
#include "support/Text.h"

namespace kanvio {
namespace {

const ShopCaller::Registrar kRegistration("shopware4", [](IWorker& worker) {
  return std::make_unique<shopware4>(&worker);
});

// Beside the host's file, so that the host learns how many articles may be
// missing after pages failed.
void WriteErrorFile(std::int64_t missing_articles) {
  auto path = platform::PathFromUtf8(Settings().WEBSERVICE_RESULT_FILEPATH());
  path.replace_extension(".error");
  platform::WriteFileAtomically(
      path, "[ArtikelimportFehler]\r\nAnzahl=" + std::to_string(missing_articles) + "\r\n");
}

}  // namespace

std::string shopware4::BasePath(const std::string& erp) const {
  if (erp == "ledgrox") return "/MarlixKanvio/";
  if (erp == "vd") return "/MarlixKanvioVD/";
  return "";
}

std::int32_t shopware4::HoleArtikelVomShop(std::string& error, bool funcCheck) {
  if (funcCheck) return 1;
  try {
    Session session(*this);
    const auto limit = ArticlesImportLimit(session);
    if (!limit) return SimpleDownload("getArticles", error, true);
    return DownloadPages(session, *limit);
  } catch (const std::exception& e) {
    error = e.what();
    Logger::LogError(e);
    return -1;
  }
}

std::optional<std::int64_t> shopware4::ArticlesImportLimit(Session& session) {
  try {
    const std::string answer = text::StripUtf8Bom(session.Fetch("getPluginConfiguration"));
    pugi::xml_document document;
    if (!document.load_buffer(answer.data(), answer.size(), pugi::parse_default, pugi::encoding_utf8))
      throw XmlError(
          "Die Konfiguration der Shop-Erweiterung ist kein XML; die Artikel werden ohne Pakete geholt.");
    const auto element = document.select_node("/PluginConfiguration/ArticlesImportLimit").node();
    const auto limit = ParseWholeNumber(element.text().get());
    if (limit && *limit > 0) return limit;
  } catch (const std::exception& e) {
    Logger::LogError(e);
  }
  return std::nullopt;
}

// Failed pages do not fail the download: the articles of the other pages
// are saved, and the .error file tells the host how many may be missing.
std::int32_t shopware4::DownloadPages(Session& session, std::int64_t limit) {
  const auto count = ParseWholeNumber(session.Get("getArticlesCount"));
  if (!count || *count < 0) return 0;
  const std::int64_t pages = ArticlePages::Count(*count, limit);
  if (worker_) worker_->SetMaxValue(static_cast<std::int32_t>(pages));
  ArticlePages texts;
  int failed = 0;
  for (std::int64_t i = 0; i < pages; ++i) {
    if (worker_)
      worker_->setUserStatusMessage(
          "Hole Artikelpaket: " + std::to_string(i + 1) + " von " + std::to_string(pages),
          static_cast<std::int32_t>(i + 1));
    std::string page;
    try {
      page =
          session.Get("getArticles?offset=" + std::to_string(limit * i) + "&limit=" + std::to_string(limit));
    } catch (const std::exception& e) {
      Logger::LogError(e);
      ++failed;
      continue;
    }
    texts.Add(std::move(page));
  }
  AnyKanvio::SaveAsMergedXml(texts.Texts(), failed);
  if (failed > 0) WriteErrorFile(failed * limit);
  return 1;
}

}  // namespace kanvio
