// The article list and the article import of the ePages connector: the
// shop's products written into the files the host reads. A file is written
// only when every product could be asked for; otherwise the host's file
// stays as it was, so that a host never takes a failed fetch for a shop
// without articles.

#include <array>
#include <filesystem>
#include <map>
#include <optional>
#include <vector>

#include "config/ConfigFileReader.h"
#include "config/Logger.h"
#include "config/Settings.h"
#include "hostfiles/BatchSize.h"
#include "orders/XmlStreamWriter.h"
#include "platform/FileSystem.h"
#include "shops/epages/CategoryServices.h"
#include "shops/epages/ProductRules.h"
#include "shops/epages/Products.h"
#include "shops/epages/ServiceClients.h"
#include "support/DateFormat.h"
#include "support/InvariantNumber.h"
#include "support/Resources.h"
#include "support/Text.h"

namespace kanvio::epages {
namespace {

constexpr std::chrono::milliseconds kCatalogTimeout{300'000};

// Empty in every row.
constexpr std::array<std::string_view, 20> kCustomFields = {
    "IndividuellesFeld1",  "IndividuellesFeld2",  "IndividuellesFeld3",  "IndividuellesFeld4",
    "IndividuellesFeld5",  "IndividuellesFeld6",  "IndividuellesFeld7",  "IndividuellesFeld8",
    "IndividuellesFeld9",  "IndividuellesFeld10", "IndividuellesFeld11", "IndividuellesFeld12",
    "IndividuellesFeld13", "IndividuellesFeld14", "IndividuellesFeld15", "IndividuellesFeld16",
    "IndividuellesFeld17", "IndividuellesFeld18", "IndividuellesFeld19", "IndividuellesFeld20"};

void Status(IWorker* worker, const std::string& text, std::int32_t value) {
  if (worker) worker->setUserStatusMessage(text, value);
}

bool HasText(const std::optional<std::string>& text) { return text && !text->empty(); }

// "Products/A" for "/Shops/S/Products/A" and for "Products/A": the shop may
// name a parent either way.
std::string_view Relative(std::string_view path) {
  if (path.starts_with("/Shops/")) {
    const auto slash = path.find('/', 7);
    return slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
  }
  return path.starts_with("/") ? path.substr(1) : path;
}

// The products fetched, found by path, with the parents that the fetch did
// not bring.
class Fetched {
 public:
  explicit Fetched(std::vector<ProductInfo> products) : products_(std::move(products)) {
    for (const ProductInfo& product : products_)
      by_path_.emplace(std::string(Relative(product.Path)), &product);
  }

  const std::vector<ProductInfo>& products() const { return products_; }

  // Fetches the missing parents in one batched call; a failure is logged and
  // leaves those products without parent.
  void FetchMissingParents(ProductServiceClient& client) {
    std::vector<std::string> missing;
    std::map<std::string, bool> asked;
    for (const ProductInfo& product : products_) {
      if (HasParent(product) && !Find(*product.SuperProduct) &&
          asked.emplace(*product.SuperProduct, true).second)
        missing.push_back(*product.SuperProduct);
    }
    if (missing.empty()) return;
    std::string ignored;
    auto parents = client.GetInfo(missing, ignored);
    if (!parents) {
      Logger::LogError(
          "Die Hauptartikel von " + std::to_string(missing.size()) +
          " Variationen konnten nicht abgerufen werden; sie werden ohne Hauptartikel geschrieben.");
      return;
    }
    parents_ = std::move(*parents);
    for (const ProductInfo& parent : parents_) by_path_.emplace(std::string(Relative(parent.Path)), &parent);
  }

  const ProductInfo* ParentOf(const ProductInfo& product) const {
    return HasParent(product) ? Find(*product.SuperProduct) : nullptr;
  }

 private:
  static bool HasParent(const ProductInfo& product) {
    return product.SuperProduct && !product.SuperProduct->empty();
  }
  const ProductInfo* Find(const std::string& path) const {
    const auto found = by_path_.find(std::string(Relative(path)));
    return found == by_path_.end() ? nullptr : found->second;
  }

  std::vector<ProductInfo> products_;
  std::vector<ProductInfo> parents_;  // fetched on their own; set once
  std::map<std::string, const ProductInfo*> by_path_;
};

std::string NameOf(const ProductInfo* product) { return product ? FirstValue(product->Name) : std::string(); }

// The names of the first catalog of each product, by product path; empty
// for products without catalog and for those whose lookup failed (logged).
std::map<std::string, std::string> CatalogNames(const Settings& settings,
                                                const platform::HttpClientFactory& http,
                                                const std::vector<ProductInfo>& products) {
  std::map<std::string, std::string> names;
  std::map<std::string, std::string> first_catalog;  // product path -> catalog path
  AssignmentService assignments(settings, http, kCatalogTimeout);
  for (std::size_t begin = 0; begin < products.size(); begin += kGetInfoBatch) {
    std::vector<std::string> paths;
    for (std::size_t i = begin; i < std::min(products.size(), begin + kGetInfoBatch); ++i)
      paths.push_back(products[i].Path);
    try {
      const auto answers = assignments.GetCatalogsAssignedToProduct(paths);
      for (std::size_t i = 0; i < answers.size(); ++i) {
        const ProductCatalogs& answer = answers[i];
        const std::string& product = answer.Product.empty() && i < paths.size() ? paths[i] : answer.Product;
        if (answer.Error) {
          Logger::LogError("Kategorie des Artikels " + product + " nicht ermittelt: " + *answer.Error);
        } else if (!answer.Catalogs.empty()) {
          first_catalog.emplace(std::string(Relative(product)), answer.Catalogs.front());
        }
      }
    } catch (const std::exception& failure) {
      Logger::LogError("Kategorien von " + std::to_string(paths.size()) + " Artikeln ab " + paths.front() +
                       " nicht ermittelt: " + failure.what());
    }
  }
  std::vector<std::string> catalogs;
  std::map<std::string, bool> seen;
  for (const auto& [product, catalog] : first_catalog)
    if (seen.emplace(catalog, true).second) catalogs.push_back(catalog);
  std::map<std::string, std::string> catalog_names;
  CatalogService catalog_service(settings, http, kCatalogTimeout);
  for (std::size_t begin = 0; begin < catalogs.size(); begin += kGetInfoBatch) {
    const std::vector<std::string> batch(
        catalogs.begin() + static_cast<std::ptrdiff_t>(begin),
        catalogs.begin() + static_cast<std::ptrdiff_t>(std::min(catalogs.size(), begin + kGetInfoBatch)));
    try {
      for (const CatalogInfo& catalog : catalog_service.GetInfo(batch)) {
        if (catalog.Error) {
          Logger::LogError("Katalog " + catalog.Path + " nicht abgerufen: " + *catalog.Error);
          continue;
        }
        catalog_names.emplace(std::string(Relative(catalog.Path)), FirstValue(catalog.Name));
      }
    } catch (const std::exception& failure) {
      Logger::LogError("Kataloge ab " + batch.front() + " nicht abgerufen: " + failure.what());
    }
  }
  for (const auto& [product, catalog] : first_catalog) {
    const auto name = catalog_names.find(std::string(Relative(catalog)));
    if (name != catalog_names.end()) names.emplace(product, name->second);
  }
  return names;
}

// The host's tax code of a product of the import; nullopt leaves the
// element out.
std::optional<std::string> TaxCode(const ProductInfo& product, const ProductInfo* parent) {
  if (product.IsDownloadProduct) {
    if (HasText(product.TaxClass)) return TaxCodeOf(product.TaxClass);
    if (parent && HasText(parent->TaxClass)) return TaxCodeOf(parent->TaxClass);
    return std::string();
  }
  if (!parent) return TaxCodeOf(product.TaxClass);
  if (HasText(product.TaxClass)) return TaxCodeOf(product.TaxClass);
  if (HasText(parent->TaxClass)) return TaxCodeOf(parent->TaxClass);
  return std::nullopt;
}

std::string HostUnit(const ProductInfo& product, const ProductInfo* parent) {
  if (product.IsDownloadProduct) return "Stk.";
  if (product.OrderUnit) return product.OrderUnit->empty() ? "Stk." : HostUnitOf(*product.OrderUnit);
  return parent && HasText(parent->OrderUnit) ? HostUnitOf(*parent->OrderUnit) : std::string();
}

class ArticleFiles {
 public:
  ArticleFiles(const Settings& settings, const platform::HttpClientFactory& http, IWorker* worker, bool list)
      : settings_(settings), http_(http), worker_(worker), list_(list), client_(settings, http) {}

  std::int32_t Run(std::string& productError);

 private:
  // The products in the order the host gets them; nullopt when a request
  // failed (logged, productError set).
  std::optional<std::vector<ProductInfo>> Fetch(const std::vector<std::string>& paths,
                                                std::string& productError);
  void WriteList(orders::XmlStreamWriter& xml, const Fetched& fetched);
  void WriteArticles(orders::XmlStreamWriter& xml, const Fetched& fetched);
  const std::string& FailureText() const {
    return list_ ? Resources::ARTICLELIST_GETINFO_ERROR() : Resources::ARTICLES_GETINFO_ERROR();
  }

  const Settings& settings_;
  const platform::HttpClientFactory& http_;
  IWorker* worker_;
  bool list_;
  ProductServiceClient client_;
};

std::int32_t ArticleFiles::Run(std::string& productError) {
  const std::string file = settings_.WEBSERVICE_RESULT_FILEPATH();
  const auto paths = client_.TryFind({});
  if (!paths) {
    productError = FailureText();
    return -1;
  }
  Status(
      worker_,
      std::to_string(paths->size()) + (list_ ? " Artikel gefunden... Ermittle Daten für aktuellen Vorgang..."
                                             : " Artikel gefunden... Ermittle Daten für Artikelimport..."),
      -1);
  const std::filesystem::path target = platform::PathFromUtf8(file);
  std::error_code failure;
  if (file.empty() || !std::filesystem::is_directory(target.parent_path(), failure)) {
    productError = "XML Import-Datei " + std::string(list_ ? "Artikelliste " : "Artikel ") + file +
                   ": ungültiger Dateiname.";
    return -1;
  }
  auto products = Fetch(*paths, productError);
  if (!products) return -1;
  Fetched fetched(std::move(*products));
  fetched.FetchMissingParents(client_);
  orders::XmlStreamWriter xml(target, {.standalone = true, .indent = false});
  xml.WriteComment(date_format::German(LocalDateTime::Now()) +
                   (list_ ? " - Transfer Artikelliste" : " - Transfer Artikel"));
  if (list_) {
    WriteList(xml, fetched);
  } else {
    WriteArticles(xml, fetched);
  }
  xml.Close();
  return 1;
}

std::optional<std::vector<ProductInfo>> ArticleFiles::Fetch(const std::vector<std::string>& paths,
                                                            std::string& productError) {
  if (list_ || !ConfigFileReader::GetValueFromGenerellConfig("PackageSplitting")) {
    auto products = client_.GetInfo(paths, productError);
    if (!products) productError = FailureText();
    return products;
  }
  const int amount = ConfiguredBatchSize();
  CheckBatchSize(amount);
  const auto size = static_cast<std::size_t>(amount);
  const std::size_t packages = (paths.size() + size - 1) / size;
  if (worker_) worker_->SetMaxValue(static_cast<std::int32_t>(packages));
  std::vector<ProductInfo> products;
  bool failed = false;
  for (std::size_t k = 0; k < packages; ++k) {
    Status(worker_, "Verarbeite Paket: " + std::to_string(k + 1) + " von " + std::to_string(packages),
           static_cast<std::int32_t>(k + 1));
    const std::vector<std::string> package(
        paths.begin() + static_cast<std::ptrdiff_t>(k * size),
        paths.begin() + static_cast<std::ptrdiff_t>(std::min(paths.size(), (k + 1) * size)));
    auto fetched = client_.GetInfo(package, productError);
    if (!fetched) {
      // The others are still asked for, so that the log names every package that fails.
      failed = true;
      Logger::LogWarning(package.size() == 1
                             ? "Fehlerhafter Artikel - " + package.front()
                             : "Fehlerhaftes Paket - " + package.front() + " bis " + package.back());
      continue;
    }
    for (ProductInfo& product : *fetched) products.push_back(std::move(product));
  }
  if (!failed) return products;
  productError = FailureText();
  return std::nullopt;
}

void ArticleFiles::WriteList(orders::XmlStreamWriter& xml, const Fetched& fetched) {
  const std::size_t count = fetched.products().size();
  if (worker_) worker_->SetMaxValue(static_cast<std::int32_t>(count));
  xml.StartElement("ArtikelListeWebshop");
  std::size_t i = 0;
  for (const ProductInfo& product : fetched.products()) {
    ++i;
    Status(
        worker_,
        "Daten für Artikel " + std::to_string(i) + " von " + std::to_string(count) + " werden abgerufen...",
        static_cast<std::int32_t>(i));
    const ProductInfo* parent = fetched.ParentOf(product);
    const std::string parent_name = NameOf(parent);
    xml.StartElement("row");
    xml.WriteElementString("ArtikelnummerWebshop", product.Alias);
    xml.WriteElementString("Artikelbeschreibung",
                           !parent_name.empty()
                               ? parent_name + " " + VariationText(product.VariationAttributes)
                               : FirstValue(product.Name));
    xml.EndElement();
  }
  xml.EndElement();
}

void ArticleFiles::WriteArticles(orders::XmlStreamWriter& xml, const Fetched& fetched) {
  const bool import_attributes =
      ConfigFileReader::GetValueFromShop("strato", "articleimport", "importAttributes");
  const std::map<std::string, std::string> categories = CatalogNames(settings_, http_, fetched.products());
  const std::size_t count = fetched.products().size();
  if (worker_) worker_->SetMaxValue(static_cast<std::int32_t>(count));
  xml.StartElement("Artikelimport");
  std::size_t i = 0;
  for (const ProductInfo& product : fetched.products()) {
    ++i;
    Status(
        worker_,
        "Daten für Artikel " + std::to_string(i) + " von " + std::to_string(count) + " werden verarbeitet...",
        static_cast<std::int32_t>(i));
    const ProductInfo* parent = fetched.ParentOf(product);
    const std::string parent_name = NameOf(parent);
    std::string description;
    if (import_attributes && parent) {
      description = !parent_name.empty() ? parent_name + " " + VariationText(product.VariationAttributes)
                                         : NameOf(&product);
    } else {
      description = !parent_name.empty() ? parent_name : NameOf(&product);
    }
    xml.StartElement("row");
    xml.WriteElementString("Artikelnummer", "");
    xml.WriteElementString("ArtikelnummerWebshop", product.Alias);
    xml.WriteElementString("Artikelbeschreibung", description);
    if (const auto code = TaxCode(product, parent)) xml.WriteElementString("MwStCode", *code);
    xml.WriteElementString("Einheit", HostUnit(product, parent));
    const auto category = categories.find(std::string(Relative(product.Path)));
    xml.WriteElementString("Artikelkategorie",
                           category == categories.end() ? std::string() : category->second);
    xml.WriteElementString("Gewicht", invariant::SingleRoundTrip(product.Weight.value_or(0)));
    xml.WriteElementString("Volumen", "");
    xml.WriteElementString("Anmerkungen", WithoutTags(FirstValue(product.Description)));
    if (product.ProductPrices.empty()) {
      xml.WriteElementString("ArtikelpreisNetto", "");
      xml.WriteElementString("ArtikelpreisBrutto", "");
    } else {
      const ProductPrice& price = product.ProductPrices.front();
      const std::string amount = price.Price ? invariant::SingleRoundTrip(*price.Price) : std::string();
      const std::string model = text::ToLower(price.TaxModel);
      if (model == "net" || model == "gross") {
        xml.WriteElementString("ArtikelpreisNetto", model == "net" ? amount : std::string());
        xml.WriteElementString("ArtikelpreisBrutto", model == "gross" ? amount : std::string());
      }
    }
    xml.WriteElementString("Artikelbild", "");
    for (const std::string_view field : kCustomFields) xml.WriteElementString(field, "");
    xml.EndElement();
  }
  xml.EndElement();
}

std::int32_t Fetch(std::string& error, IWorker* worker, const platform::HttpClientFactory& http, bool list) {
  std::string productError = error;
  std::int32_t result = -1;
  try {
    const Settings settings;
    ArticleFiles files(settings, http, worker, list);
    result = files.Run(productError);
  } catch (const std::exception& failure) {
    Logger::LogError(std::string(list ? "writeXmlArticlelist" : "writeXmlArticles") + " Fehler -> " +
                     failure.what());
    productError = list ? Resources::ARTICLELIST_GETINFO_ERROR() : Resources::ARTICLES_GETINFO_ERROR();
    result = -1;
  }
  error = productError;
  return result;
}

}  // namespace

std::int32_t Products::GetWebshopArticleList(std::string& error, IWorker* worker,
                                             const platform::HttpClientFactory& http) {
  return Fetch(error, worker, http, true);
}

std::int32_t Products::GetArticles(std::string& error, IWorker* worker,
                                   const platform::HttpClientFactory& http) {
  return Fetch(error, worker, http, false);
}

}  // namespace kanvio::epages
