// The article export of the ePages connector: the articles of the host's
// article export file that the shop lacks are created, placed in their
// categories and given their images.

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <unordered_set>
#include <vector>

#include "config/ConfigFileReader.h"
#include "config/Logger.h"
#include "config/Settings.h"
#include "hostfiles/BatchSize.h"
#include "hostfiles/XmlFileCaller.h"
#include "platform/FileSystem.h"
#include "shops/epages/CategoryServices.h"
#include "shops/epages/CredentialBuilder.h"
#include "shops/epages/ExportSupport.h"
#include "shops/epages/ExportTally.h"
#include "shops/epages/ProductImageService.h"
#include "shops/epages/ProductRules.h"
#include "shops/epages/Products.h"
#include "shops/epages/ServiceClients.h"
#include "support/Text.h"

namespace kanvio::epages {
namespace {

constexpr const char* kRoot = "Artikelexport";
constexpr const char* kExportStopped =
    "Beim Schreiben der Artikel ist ein Fehler aufgetreten. Der Artikelexport wurde abgebrochen.";
// Larger files are no product images; reading them would only fill memory.
constexpr std::uintmax_t kMaxImageBytes = 32u << 20;
// From this many articles on, one listing of the shop's products costs less
// than a search per article; below it, a small export into a large shop
// would fetch far more than it asks about.
constexpr std::size_t kListFrom = 500;

// The product type and the catalog of each category, made sure of once per
// export: the shop does not change them meanwhile but through this export.
class Categories {
 public:
  Categories(const Settings& settings, const platform::HttpClientFactory& http, std::string shop_path)
      : types_(settings, http), catalogs_(settings, http), shop_path_(std::move(shop_path)) {}

  // The path of the category's product type, nullopt when the shop took
  // neither its creation nor its update. Throws when a request fails.
  const std::optional<std::string>& Prepare(const std::string& category) {
    const auto [known, inserted] = classes_.try_emplace(category);
    if (inserted) {
      known->second = ProductType(category);
      Catalog(category);
    }
    return known->second;
  }

  std::string CatalogPath(const std::string& category) const {
    return shop_path_ + "/Categories/" + category;
  }

 private:
  std::optional<std::string> ProductType(const std::string& category) {
    const std::vector<LocalizedValue> name{{"de", category}};
    const std::string path = shop_path_ + "/ProductTypes/" + category;
    const ObjectResult created = types_.Create(category, name);
    if (!created.Error) return created.Path.empty() ? path : created.Path;
    // The usual refusal: the type exists already.
    const ObjectResult updated = types_.Update(path, name);
    if (!updated.Error) return updated.Path.empty() ? path : updated.Path;
    Logger::LogError("Produkttyp " + category + " konnte weder angelegt noch aktualisiert werden: " +
                     *created.Error + " / " + *updated.Error);
    return std::nullopt;
  }

  void Catalog(const std::string& category) {
    if (!root_) root_ = catalogs_.GetRoot();
    const std::vector<LocalizedValue> name{{"de", category}};
    const ObjectResult exists = catalogs_.Exists(CatalogPath(category));
    if (!exists.Error && exists.exists.value_or(false)) {
      if (LastPart(exists.Path) == category) return;
      const ObjectResult renamed = catalogs_.Update(exists.Path, name);
      if (renamed.Error) Logger::LogError("Katalog " + exists.Path + " nicht umbenannt: " + *renamed.Error);
      return;
    }
    const ObjectResult created = catalogs_.Create({category, *root_, true, name});
    if (created.Error) Logger::LogError("Katalog " + category + " nicht angelegt: " + *created.Error);
  }

  ProductTypeService types_;
  CatalogService catalogs_;
  std::string shop_path_;
  std::optional<std::string> root_;
  std::map<std::string, std::optional<std::string>> classes_;
};

// The bytes of an article's image file, nullopt (logged) when it cannot be
// read. A relative name is taken from the folder of the host's file.
std::optional<platform::Bytes> ImageBytes(const std::filesystem::path& image, const std::string& number) {
  std::error_code failure;
  const auto size = std::filesystem::file_size(image, failure);
  if (failure || size > kMaxImageBytes || !std::filesystem::is_regular_file(image, failure)) {
    Logger::LogWarning("Artikelbild " + platform::PathToUtf8(image) + " zu Artikel " + number +
                       " ist nicht lesbar und wurde übersprungen.");
    return std::nullopt;
  }
  std::ifstream in(image, std::ios::binary);
  platform::Bytes bytes(static_cast<std::size_t>(size));
  if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size))) {
    Logger::LogWarning("Artikelbild " + platform::PathToUtf8(image) + " zu Artikel " + number +
                       " konnte nicht gelesen werden und wurde übersprungen.");
    return std::nullopt;
  }
  return bytes;
}

class ArticleExport {
 public:
  ArticleExport(const Settings& settings, const platform::HttpClientFactory& http, IWorker* worker,
                std::filesystem::path file)
      : http_(http),
        settings_(settings),
        worker_(worker),
        file_(std::move(file)),
        shop_path_(ShopPath(settings)),
        products_(settings, http) {}

  // Takes the articles so that they are gone before the host's file is
  // loaded again for the protocols.
  std::int32_t Run(ArticleMap articles, const SyncSettings& sync, std::string& productError);

 private:
  struct Pending {
    const Article* article;
    std::string path;
  };

  // Whether the shop has a product with exactly this alias; nullopt when
  // that cannot be known.
  std::optional<bool> Exists(const std::string& number);
  void ListShopProducts();

  void Status(const std::string& text, std::int32_t value) const {
    if (worker_) worker_->setUserStatusMessage(text, value);
  }
  void Export(const Article& article);
  void Release(ArticleMap& articles) {
    batch_.clear();
    batch_articles_.clear();
    created_.clear();
    articles = ArticleMap();
  }
  ProductRecord Record(const Article& article);
  void Send();
  void Place();
  void Assign();
  void UploadImages();

  const platform::HttpClientFactory& http_;
  const Settings& settings_;
  IWorker* worker_;
  std::filesystem::path file_;
  std::string shop_path_;
  ProductServiceClient products_;
  std::optional<Categories> categories_;
  const SyncSettings* sync_ = nullptr;
  std::size_t total_ = 0;
  std::size_t counter_ = 1;
  bool created_any_ = false;
  ExportTally package_;
  std::vector<ProductRecord> batch_;
  std::vector<const Article*> batch_articles_;
  std::vector<Pending> created_;  // of the last send
  // The last path part of every product the shop had when the export began,
  // when it was listed.
  std::optional<std::unordered_set<std::string>> aliases_;
};

std::int32_t ArticleExport::Run(ArticleMap articles, const SyncSettings& sync, std::string& productError) {
  sync_ = &sync;
  total_ = articles.size();
  const auto total_text = std::to_string(total_);
  Status(total_text + " Artikel zum Export gefunden...", -1);
  if (worker_) worker_->SetMaxValue(static_cast<std::int32_t>(total_ + 1));
  std::vector<ExportProtocol> protocols;
  ExportTally run;
  try {
    std::size_t package_size = total_;
    if (ConfigFileReader::GetValueFromGenerellConfig("PackageSplitting")) {
      const int amount = ConfiguredBatchSize();
      CheckBatchSize(amount);
      package_size = static_cast<std::size_t>(amount);
    }
    if (sync.SyncKategorie) categories_.emplace(settings_, http_, shop_path_);
    if (total_ >= kListFrom) ListShopProducts();
    auto next = articles.begin();
    while (next != articles.end()) {
      package_ = ExportTally{};
      package_.total = std::min<std::size_t>(package_size, static_cast<std::size_t>(articles.end() - next));
      for (std::size_t i = 0; i < package_.total; ++i, ++next) Export(next->second);
      Send();
      protocols.push_back(package_.Protocol());
      run.Add(package_);
      package_ = ExportTally{};
    }
  } catch (const std::exception& failure) {
    Logger::LogError(std::string(failure.what()) + " -> ArticleExport");
    // The package it stopped in, or the whole file when it stopped before the first.
    protocols.push_back({"ROLLBACK", std::to_string(package_.total > 0 ? package_.total : total_),
                         std::to_string(package_.done)});
    Release(articles);
    if (!WriteProtocols(file_, kRoot, protocols, productError)) return -1;
    productError = kExportStopped;
    return -1;
  }
  const auto end = static_cast<std::int32_t>(total_ + 1);
  if (run.failed > 0) {
    Status(std::to_string(run.failed) + " von " + total_text + " Artikeln konnten nicht exportiert werden...",
           end);
  } else if (created_any_) {
    Status("Alle Daten wurden Erfolgreich exportiert...", end);
  } else {
    Status("Alle " + total_text + " Artikel waren im Shop bereits vorhanden...", end);
  }
  Release(articles);
  if (!WriteProtocols(file_, kRoot, protocols, productError)) return -1;
  if (run.failed == 0) return 1;
  productError = std::to_string(run.failed) + " von " + total_text +
                 " Artikeln konnten nicht exportiert werden. Erster Fehler: " + run.first_failure;
  return -1;
}

void ArticleExport::Export(const Article& article) {
  const std::string& number = article.Artikelnummer;
  // Built only for a window that shows it: ten thousand texts nobody reads cost.
  if (worker_)
    Status("Artikel " + std::to_string(counter_) + " von " + std::to_string(total_) + " wird exportiert..",
           static_cast<std::int32_t>(counter_));
  ++counter_;
  const std::optional<bool> exists = Exists(number);
  if (!exists) {
    // Not knowing is not "not there": creating it could make it twice.
    package_.Fail(number + ": die Produktsuche ist fehlgeschlagen");
    return;
  }
  if (*exists) {
    ++package_.done;
    return;
  }
  batch_.push_back(Record(article));
  batch_articles_.push_back(&article);
  if (batch_.size() == kWriteBatch) Send();
}

std::optional<bool> ArticleExport::Exists(const std::string& number) {
  if (aliases_) return aliases_->contains(number);
  const auto match = products_.FindByAlias(number);
  if (match.failed) return std::nullopt;
  return match.path.has_value();
}

// The same answer a search per alias gives: a product exists when the last
// part of its path is the alias. Products created meanwhile by others are
// refused by the shop on create and counted as failed.
void ArticleExport::ListShopProducts() {
  const auto paths = products_.TryFind({});
  if (!paths) {
    Logger::LogWarning(
        "Die Produkte des Shops konnten nicht aufgelistet werden; jeder Artikel wird einzeln gesucht.");
    return;
  }
  aliases_.emplace();
  aliases_->reserve(paths->size());
  for (const std::string& path : *paths) {
    const auto slash = path.rfind('/');
    if (slash != std::string::npos && slash + 1 < path.size()) aliases_->emplace(path, slash + 1);
  }
}

ProductRecord ArticleExport::Record(const Article& article) {
  const SyncSettings& sync = *sync_;
  ProductRecord record;
  record.Alias = article.Artikelnummer;
  record.IsNew = true;
  // Sent on creation only: an update must never turn a download product into a plain one.
  record.IsDownloadProduct = false;
  record.Name = {{"de", article.Artikelbeschreibung.value_or(std::string())}};
  if (sync.SyncMwst && article.MwstcodeGiven) record.TaxClass = TaxClassOf(article.Mwstcode);
  record.OrderUnit = UnitPathOf(article.Einheit);
  if (categories_) {
    if (IsUsableCategory(article.ArtikelKategorie)) {
      const std::string& category = *article.ArtikelKategorie;
      record.Class = categories_->Prepare(category);
    } else if (article.ArtikelKategorie && !text::Trim(*article.ArtikelKategorie).empty()) {
      Logger::LogWarning(
          "Artikel " + article.Artikelnummer + ": die Kategorie \"" + *article.ArtikelKategorie +
          "\" enthält \"/\" und kann kein Katalog sein; der Artikel wird ohne Kategorie angelegt.");
    }
  }
  if (sync.SyncGewicht && article.GewichtGiven) {
    record.Weight = article.Gewicht;
    record.WeightUnit = "/Units/gram/kilogram";
  }
  if (sync.SyncBeschreibung && article.Anmerkungen) record.Description = {{"de", *article.Anmerkungen}};
  record.ProductPrices = PricesOf(article, sync);
  if (sync.SyncArticlesPriceQuantity && article.ProductPriceQuantityGiven)
    record.PriceQuantity = article.ProductPriceQuantity;
  return record;
}

void ArticleExport::Send() {
  if (batch_.empty()) return;
  const std::vector<ProductResult> results = products_.Create(batch_, shop_path_);
  for (std::size_t i = 0; i < results.size(); ++i) {
    const Article& article = *batch_articles_[i];
    if (results[i].Error) {
      package_.Fail(article.Artikelnummer + ": " + *results[i].Error);
      continue;
    }
    ++package_.done;
    created_any_ = true;
    created_.push_back({&article, results[i].Path.empty() ? shop_path_ + "/Products/" + article.Artikelnummer
                                                          : results[i].Path});
  }
  batch_.clear();
  batch_articles_.clear();
  Place();
}

// The products of each send go into their catalogs and get their images
// right after it, so that nothing of a large export waits for its end.
void ArticleExport::Place() {
  if (created_.empty()) return;
  Status("Artikelkategorien zu Artikel hinzufügen...", -1);
  if (categories_) Assign();
  Status("Artikelkategorien hinzugefügt...", -1);
  if (sync_->SyncArtikelBild) {
    Status("Exportiere Artikelbilder...", -1);
    UploadImages();
  }
  created_.clear();
}

// One request: a send holds at most kWriteBatch products.
void ArticleExport::Assign() {
  std::vector<CatalogAssignment> assignments;
  assignments.reserve(created_.size());
  for (const Pending& product : created_) {
    const auto& category = product.article->ArtikelKategorie;
    if (IsUsableCategory(category))
      assignments.push_back({categories_->CatalogPath(*category), product.path, {}});
  }
  AssignmentService service(settings_, http_);
  if (assignments.empty()) return;
  for (const CatalogAssignment& answer : service.AssignProductToCatalog(assignments)) {
    if (answer.Error)
      Logger::LogError("Produkt " + answer.Product + " nicht dem Katalog " + answer.Catalog +
                       " zugeordnet: " + *answer.Error);
  }
}

void ArticleExport::UploadImages() {
  std::optional<ProductImageService> service;
  for (const Pending& product : created_) {
    const Article& article = *product.article;
    if (!article.Artikelbild || text::Trim(*article.Artikelbild).empty()) continue;
    const std::filesystem::path image = file_.parent_path() / platform::PathFromUtf8(*article.Artikelbild);
    const auto bytes = ImageBytes(image, article.Artikelnummer);
    if (!bytes) continue;
    if (!service) service.emplace(settings_, http_);
    // The shop gets the file's own name, never a path of this computer.
    const std::string name = platform::PathToUtf8(image.filename());
    try {
      if (const auto error = service->Upload(product.path, name, *bytes))
        Logger::LogError("Artikelbild " + name + " zu Artikel " + article.Artikelnummer +
                         " nicht hochgeladen: " + *error);
    } catch (const std::exception& failure) {
      Logger::LogError("Artikelbild " + name + " zu Artikel " + article.Artikelnummer +
                       " nicht hochgeladen: " + failure.what());
    }
  }
}

}  // namespace

std::int32_t Products::SetArticles(std::string& error, IWorker* worker,
                                   const platform::HttpClientFactory& http) {
  const Settings settings;
  const std::filesystem::path file = platform::PathFromUtf8(settings.WEBSERVICE_RESULT_FILEPATH());
  std::optional<ArticleExport> run;
  try {
    run.emplace(settings, http, worker, file);
  } catch (const std::exception& failure) {
    return FailToConnect(failure, file, kRoot, error);
  }
  std::string read_error;
  SyncSettings sync;
  std::optional<ArticleMap> articles;
  try {
    articles = XmlFileCaller::ReadXmlArticles(file, read_error, sync);
  } catch (const std::exception& failure) {
    return FailToRead(failure, error);
  }
  if (!articles || !read_error.empty())
    return RefuseFile(file, kRoot, articles ? articles->size() : 0, read_error, error);
  if (articles->empty()) return 0;
  std::string productError = error;
  const std::int32_t result = run->Run(std::move(*articles), sync, productError);
  error = productError;
  return result;
}

}  // namespace kanvio::epages
