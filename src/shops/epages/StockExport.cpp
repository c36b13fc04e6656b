// Stock values of the ePages connector: stock and alert levels of the
// products the host's stock file names.

#include <optional>
#include <vector>

#include "config/Logger.h"
#include "config/Settings.h"
#include "hostfiles/ResultProtocol.h"
#include "hostfiles/XmlFileCaller.h"
#include "platform/FileSystem.h"
#include "shops/epages/CredentialBuilder.h"
#include "shops/epages/ExportSupport.h"
#include "shops/epages/ExportTally.h"
#include "shops/epages/Products.h"
#include "shops/epages/ServiceClients.h"

namespace kanvio::epages {
namespace {

constexpr const char* kRoot = "LagerbestandExport";
// The reader's mark of a value the host did not give.
constexpr float kNoStockValue = -32758;

void Status(IWorker* worker, const std::string& text, std::int32_t value) {
  if (worker) worker->setUserStatusMessage(text, value);
}

ProductRecord StockRecord(const Lagerbestand& stock, const SyncSettings& sync, std::string path) {
  ProductRecord record;
  record.Path = std::move(path);
  // A record that did not give a value leaves the shop's as it is, whatever other records gave.
  if (sync.SyncLagerbestand && stock.LagerBestandAktuellGiven && stock.LagerBestandAktuell != kNoStockValue)
    record.StockLevel = stock.LagerBestandAktuell;
  if (sync.SyncMindestbestand && stock.LagerMindestBestandGiven &&
      stock.LagerMindestBestand != kNoStockValue && stock.LagerMindestBestand != 0)
    record.StockLevelAlert = stock.LagerMindestBestand;
  return record;
}

}  // namespace

std::int32_t Products::UpdateStock(std::string& error, IWorker* worker,
                                   const platform::HttpClientFactory& http) {
  Status(worker, "Setze Lagerbestand der Artikel...", -1);
  const Settings settings;
  const std::filesystem::path file = platform::PathFromUtf8(settings.WEBSERVICE_RESULT_FILEPATH());
  std::string read_error;
  SyncSettings sync;
  std::optional<std::vector<Lagerbestand>> stock;
  try {
    stock = XmlFileCaller::ReadXmlStockValues(file, read_error, sync);
  } catch (const std::exception& failure) {
    return FailToRead(failure, error);
  }
  if (!stock) {
    // An unreadable file is a failure, not "no stock values": the host must not take it for done.
    try {
      ResultProtocol::AppendRollback(file, kRoot);
    } catch (const std::exception& failure) {
      Logger::LogError(failure);
    }
    error = read_error.empty() ? "Die Lagerbestandsdatei konnte nicht gelesen werden." : read_error;
    return -1;
  }
  if (stock->empty()) {
    Status(worker, "Keine Lagerbestände zum Exportieren gefunden...", -1);
    return 0;
  }
  ExportTally tally;
  tally.total = stock->size();
  const std::string total = std::to_string(tally.total);
  try {
    const std::string shop_path = ShopPath(settings);
    ProductServiceClient products(settings, http);
    if (worker) worker->SetMaxValue(static_cast<std::int32_t>(tally.total));
    std::vector<ProductRecord> records;
    std::vector<std::string> numbers;
    std::int32_t i = 1;
    for (const Lagerbestand& record : *stock) {
      const std::string& number = record.ArtikelnummerWebshop;
      Status(worker, "Exportiere Lagerbestand zu Artikel " + number + "...", i++);
      const auto match = products.FindByAlias(number);
      if (match.failed) {
        tally.Fail(number + ": die Produktsuche ist fehlgeschlagen");
        continue;
      }
      // Not found: the path it would have; the shop's answer tells.
      records.push_back(StockRecord(record, sync, match.path.value_or(shop_path + "/Products/" + number)));
      numbers.push_back(number);
    }
    const std::vector<ProductResult> results = products.UpdateStock(records);
    for (std::size_t k = 0; k < results.size(); ++k) {
      if (results[k].Error) {
        tally.Fail(numbers[k] + ": " + *results[k].Error);
      } else {
        ++tally.done;
      }
    }
  } catch (const std::exception& failure) {
    Logger::LogError(std::string(failure.what()) + " -> Products.UpdateStock");
    if (!WriteProtocols(file, kRoot, {{"ROLLBACK", total, std::to_string(tally.done)}}, error)) return -1;
    error = "Beim Export der Lagerbestände ist ein Fehler aufgetreten: " + std::string(failure.what());
    return -1;
  }
  if (!WriteProtocols(file, kRoot, {tally.Protocol()}, error)) return -1;
  if (!read_error.empty()) error = read_error;
  if (tally.complete()) return 1;
  error = std::to_string(tally.failed) + " von " + total +
          " Lagerbeständen wurden nicht aktualisiert. Erster Fehler: " + tally.first_failure;
  return -1;
}

}  // namespace kanvio::epages
