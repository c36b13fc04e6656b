// List prices and price lists of the ePages connector: both change products
// the shop has, found by their article number.

#include <optional>
#include <vector>

#include "config/Logger.h"
#include "config/Settings.h"
#include "hostfiles/XmlFileCaller.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "shops/epages/CredentialBuilder.h"
#include "shops/epages/ExportSupport.h"
#include "shops/epages/ExportTally.h"
#include "shops/epages/PriceListServices.h"
#include "shops/epages/ProductRules.h"
#include "shops/epages/Products.h"
#include "shops/epages/ServiceClients.h"

namespace kanvio::epages {
namespace {

constexpr const char* kPricesRoot = "Artikelpreisexport";
constexpr const char* kListsRoot = "PreislistenExport";
constexpr const char* kPricesStopped =
    "Beim Schreiben der Artikel ist ein Fehler aufgetreten. Der Artikelexport wurde abgebrochen.";

void Status(IWorker* worker, const std::string& text, std::int32_t value) {
  if (worker) worker->setUserStatusMessage(text, value);
}

// The list prices: one update record per article the shop has.
class PriceUpdate {
 public:
  PriceUpdate(const Settings& settings, const platform::HttpClientFactory& http, IWorker* worker)
      : worker_(worker), shop_path_(ShopPath(settings)), products_(settings, http) {}

  std::int32_t Run(const ArticleMap& articles, const SyncSettings& sync, const std::filesystem::path& file,
                   std::string& productError);

 private:
  void Send();

  IWorker* worker_;
  std::string shop_path_;
  ProductServiceClient products_;
  ExportTally tally_;
  std::size_t missing_ = 0;
  std::vector<ProductRecord> batch_;
  std::vector<std::string> batch_numbers_;
};

std::int32_t PriceUpdate::Run(const ArticleMap& articles, const SyncSettings& sync,
                              const std::filesystem::path& file, std::string& productError) {
  const std::string total = std::to_string(articles.size());
  const auto end = static_cast<std::int32_t>(articles.size() + 1);
  tally_.total = articles.size();
  Status(worker_, total + " Artikelpreise zum Bereitstellen gefunden...", -1);
  if (worker_) worker_->SetMaxValue(end);
  std::int32_t counter = 1;
  try {
    for (const auto& [number, article] : articles) {
      Status(worker_, "Artikelpreis " + std::to_string(counter) + " von " + total + " wird bereitgestellt..",
             counter);
      ++counter;
      const auto match = products_.FindByAlias(number);
      if (match.failed) {
        tally_.Fail(number + ": die Produktsuche ist fehlgeschlagen");
        continue;
      }
      if (!match.path) {
        ++missing_;
        Logger::LogWarning("Artikelpreis: Artikel " + number + " ist im Shop nicht vorhanden.");
        continue;
      }
      ProductRecord record;
      record.Path = *match.path;
      record.ProductPrices = PricesOf(article, sync);
      if (sync.SyncArticlesPriceQuantity && article.ProductPriceQuantityGiven)
        record.PriceQuantity = article.ProductPriceQuantity;
      batch_.push_back(std::move(record));
      batch_numbers_.push_back(number);
      if (batch_.size() == kWriteBatch) Send();
    }
    Send();
  } catch (const std::exception& failure) {
    Logger::LogError(std::string(failure.what()) + " -> PriceUpdate");
    if (!WriteProtocols(file, kPricesRoot, {{"ROLLBACK", total, std::to_string(tally_.done)}}, productError))
      return -1;
    productError = kPricesStopped;
    return -1;
  }
  if (tally_.complete()) {
    Status(worker_, "Alle Daten wurden Erfolgreich exportiert...", end);
  } else if (tally_.done == 0 && tally_.failed == 0) {
    Status(worker_, "Keiner der " + total + " Artikel ist im Shop vorhanden...", end);
  } else {
    Status(worker_, std::to_string(tally_.done) + " von " + total + " Artikelpreisen wurden aktualisiert...",
           end);
  }
  if (!WriteProtocols(file, kPricesRoot, {tally_.Protocol()}, productError)) return -1;
  if (tally_.complete()) return 1;
  productError = std::to_string(tally_.done) + " von " + total + " Artikelpreisen wurden aktualisiert.";
  if (missing_ > 0) productError += " " + std::to_string(missing_) + " Artikel sind im Shop nicht vorhanden.";
  if (tally_.failed > 0)
    productError +=
        " " + std::to_string(tally_.failed) + " Artikel schlugen fehl, zuerst " + tally_.first_failure;
  return -1;
}

void PriceUpdate::Send() {
  if (batch_.empty()) return;
  const std::vector<ProductResult> results = products_.Update(batch_, shop_path_);
  for (std::size_t i = 0; i < results.size(); ++i) {
    if (results[i].Error) {
      tally_.Fail(batch_numbers_[i] + ": " + *results[i].Error);
    } else {
      ++tally_.done;
    }
  }
  batch_.clear();
  batch_numbers_.clear();
}

// The tax model of a list: net when the first price of its first article
// has a net price above 0, else gross; the currency of that price.
std::pair<std::string, std::string> ModelAndCurrency(const Preisliste& list) {
  if (list.Artikel.empty() || list.Artikel.front().Preise.empty()) return {"gross", "EUR"};
  const Preis& first = list.Artikel.front().Preise.front();
  return {first.VerkaufspreisNetto > 0 ? "net" : "gross", first.PreisWaehrung};
}

// The price of a scale that matches the list's tax model; the other one
// when the host gave none (logged, as it puts a price of the other kind into
// the list).
float ScalePriceOf(const Preis& price, bool net, const std::string& number, const std::string& list) {
  const float matching = net ? price.VerkaufspreisNetto : price.VerkraufspreisBrutto;
  const float other = net ? price.VerkraufspreisBrutto : price.VerkaufspreisNetto;
  if (matching != 0 || other == 0) return matching;
  Logger::LogWarning("Preisliste " + list + ", Artikel " + number + ": kein " + (net ? "Netto" : "Brutto") +
                     "preis ab Menge " + std::to_string(price.PreisGiltab) + ", der " +
                     (net ? "Brutto" : "Netto") + "preis wird gesendet.");
  return other;
}

LocalDateTime YearsLater(LocalDateTime date, int years) {
  date.year += years;
  const bool leap = (date.year % 4 == 0 && date.year % 100 != 0) || date.year % 400 == 0;
  if (date.month == 2 && date.day == 29 && !leap) date.day = 28;
  return date;
}

class PriceListExport {
 public:
  PriceListExport(const Settings& settings, const platform::HttpClientFactory& http, IWorker* worker)
      : worker_(worker),
        shop_path_(ShopPath(settings)),
        lists_(settings, http),
        assignments_(settings, http) {}

  // True when the list and every price of it went through.
  bool Export(const Preisliste& list);

 private:
  bool SetPrices(const Preisliste& list, const std::string& list_path, bool net);

  IWorker* worker_;
  std::string shop_path_;
  PriceListService lists_;
  PriceListAssignmentService assignments_;
};

bool PriceListExport::Export(const Preisliste& list) {
  const auto [model, currency] = ModelAndCurrency(list);
  const std::string path = shop_path_ + "/PriceLists/" + list.Name;
  PriceListRecord record;
  record.Alias = list.Name;
  record.TaxModel = model;
  record.CurrencyID = currency;
  record.Name = {{"de", list.Name}};
  // With their zone: the shop must not read the start as its own local time.
  const LocalDateTime now = platform::UtcCalendar(platform::CurrentClock().NowUtc());
  record.ValidFromUtc = now;
  record.ValidToUtc = YearsLater(now, 80);
  const ObjectResult created = lists_.Create(record);
  if (created.Error) {
    // The usual refusal: the list exists; its validity stays as it is.
    const ObjectResult updated = lists_.Update({{}, path, {}, model, {}, {}, {{"de", list.Name}}});
    if (updated.Error) {
      Status(worker_, "Preisliste " + list.Name + " wurde nicht aktualisiert. Daten sind Fehlerhaft...", -1);
      Logger::LogError("Preisliste " + list.Name + " weder angelegt (" + *created.Error +
                       ") noch aktualisiert (" + *updated.Error + ").");
      return false;
    }
  }
  return SetPrices(list, created.Error || created.Path.empty() ? path : created.Path, model == "net");
}

bool PriceListExport::SetPrices(const Preisliste& list, const std::string& list_path, bool net) {
  bool all = true;
  for (const Article& article : list.Artikel) {
    Status(worker_, "Artikel: " + article.Artikelnummer + " wird zur Preisliste hinzugefügt...", -1);
    ScalePrices prices{shop_path_ + "/Products/" + article.Artikelnummer, list_path, {}, {}};
    for (const Preis& price : article.Preise)
      prices.Prices.push_back(
          {price.PreisGiltab, ScalePriceOf(price, net, article.Artikelnummer, list.Name)});
    const std::vector<ScalePrices> answers = assignments_.SetScalePrices({prices});
    const std::optional<std::string> error =
        answers.empty() ? std::optional<std::string>("Keine Antwort des Shops") : answers.front().Error;
    if (!error) {
      Status(worker_, "Artikel zur Preisliste hinzugefügt", -1);
      continue;
    }
    all = false;
    Status(worker_, "Artikel wurde nicht zur Preisliste hinzugefügt. Artikel nicht im Shop Vorhanden", -1);
    Logger::LogError("Preisliste " + list.Name + ", Artikel " + article.Artikelnummer + ": " + *error);
  }
  return all;
}

}  // namespace

std::int32_t Products::SetArticlePrices(std::string& error, IWorker* worker,
                                        const platform::HttpClientFactory& http) {
  const Settings settings;
  const std::filesystem::path file = platform::PathFromUtf8(settings.WEBSERVICE_RESULT_FILEPATH());
  std::optional<PriceUpdate> run;
  try {
    run.emplace(settings, http, worker);
  } catch (const std::exception& failure) {
    return FailToConnect(failure, file, kPricesRoot, error);
  }
  std::string read_error;
  SyncSettings sync;
  std::optional<ArticleMap> articles;
  try {
    articles = XmlFileCaller::ReadXmlArticlePrices(file, read_error, sync);
  } catch (const std::exception& failure) {
    return FailToRead(failure, error);
  }
  if (!articles || !read_error.empty())
    return RefuseFile(file, kPricesRoot, articles ? articles->size() : 0, read_error, error);
  if (articles->empty()) return 0;
  std::string productError = error;
  const std::int32_t result = run->Run(*articles, sync, file, productError);
  error = productError;
  return result;
}

std::int32_t Products::SetPriceLists(std::string& error, IWorker* worker,
                                     const platform::HttpClientFactory& http) {
  const Settings settings;
  const std::filesystem::path file = platform::PathFromUtf8(settings.WEBSERVICE_RESULT_FILEPATH());
  std::string read_error;
  SyncSettings sync;
  std::optional<std::vector<Preisliste>> lists;
  try {
    lists = XmlFileCaller::ReadXmlPriceLists(file, read_error, sync);
  } catch (const std::exception& failure) {
    return FailToRead(failure, error);
  }
  if (!lists) {
    // The reader appended its ROLLBACK; without a text the host would take -1 for success.
    error = read_error.empty() ? "Die Preislistendatei " + platform::PathToUtf8(file) +
                                     " konnte nicht gelesen werden; es wurde keine Preisliste exportiert."
                               : read_error;
    return -1;
  }
  if (lists->empty()) {
    if (read_error.empty()) return 0;
    error = read_error;
    return -1;
  }
  const std::string total = std::to_string(lists->size());
  std::size_t done = 0;
  try {
    PriceListExport run(settings, http, worker);
    if (worker) worker->SetMaxValue(static_cast<std::int32_t>(lists->size()));
    std::int32_t counter = 1;
    for (const Preisliste& list : *lists) {
      Status(worker, "Aktualisiere Preisliste: " + list.Name, counter++);
      if (run.Export(list)) ++done;
    }
  } catch (const std::exception& failure) {
    Logger::LogError(std::string(failure.what()) + " -> Products.SetPriceLists");
    if (!WriteProtocols(file, kListsRoot, {{"ROLLBACK", total, std::to_string(done)}}, error)) return -1;
    error = "Beim Preislistenexport ist ein Fehler aufgetreten: " + std::string(failure.what());
    return -1;
  }
  Status(worker, "Aktualisieren der Preislisten abgeschlossen...", -1);
  const bool complete = done == lists->size() && read_error.empty();
  if (!WriteProtocols(file, kListsRoot, {{complete ? "SUCCESS" : "ROLLBACK", total, std::to_string(done)}},
                      error))
    return -1;
  if (complete) return 1;
  error = read_error.empty() ? std::to_string(lists->size() - done) + " von " + total +
                                   " Preislisten wurden nicht vollständig exportiert; Einzelheiten stehen im "
                                   "Fehlerprotokoll."
                             : read_error;
  return -1;
}

}  // namespace kanvio::epages
