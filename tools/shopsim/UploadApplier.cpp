#include "UploadApplier.h"

#include <array>
#include <pugixml.hpp>
#include <span>
#include <string>
#include <vector>

namespace kanvio::shopsim {
namespace {

constexpr std::array<const char*, 5> kPriceFields = {"ArtikelpreisNetto", "ArtikelpreisBrutto",
                                                     "ArtikelpreisWaehrung",
                                                     "ArtikelPreisBeziehtSichAufMenge", "Einkaufspreis"};
struct UploadFormat {
  const char* root;
  const char* record;
  std::span<const char* const> fields;
  bool creates_articles;
};

UploadFormat FormatOf(UploadKind kind) {
  switch (kind) {
    case UploadKind::kArticles:
      return {"Artikelexport", "row", kArticleFields, true};
    case UploadKind::kArticlePrices:
      return {"Artikelpreisexport", "row", kPriceFields, false};
    case UploadKind::kStockValues:
      break;
  }
  return {"LagerbestandExport", "Artikel", kStockFields, false};
}

bool IsIgnoreMarker(const std::string& value) { return value == "KVX_IGNORE" || value == "KVXIGNORE"; }

// The first element of that name anywhere below the record.
pugi::xml_node FindField(pugi::xml_node record, const char* name) {
  return record.find_node([name](pugi::xml_node node) { return std::string_view(node.name()) == name; });
}

ArticleUpdate ReadRecord(pugi::xml_node record, const UploadFormat& format) {
  ArticleUpdate update;
  update.number = FindField(record, "ArtikelnummerWebshop").text().as_string();
  for (const char* name : format.fields) {
    const auto field = FindField(record, name);
    if (!field) continue;
    std::string value = field.text().as_string();
    if (!IsIgnoreMarker(value)) update.fields[name] = std::move(value);
  }
  return update;
}

}  // namespace

UploadOutcome UploadApplier::Apply(UploadKind kind, std::string_view body, ShopState& shop) {
  const auto format = FormatOf(kind);
  pugi::xml_document document;
  if (!document.load_buffer(body.data(), body.size()) ||
      std::string_view(document.document_element().name()) != format.root) {
    return {true, 0, 0};
  }

  const auto records = document.select_nodes((std::string("//") + format.record).c_str());
  const std::string rollback_article = shop.RollbackArticle();
  std::vector<ArticleUpdate> updates;
  bool roll_back = false;
  for (const auto& record : records) {
    auto update = ReadRecord(record.node(), format);
    if (!rollback_article.empty() && update.number == rollback_article) roll_back = true;
    if (!update.number.empty()) updates.push_back(std::move(update));
  }
  if (roll_back) return {true, records.size(), 0};
  return {false, records.size(), shop.StoreUpdates(updates, format.creates_articles)};
}

}  // namespace kanvio::shopsim
