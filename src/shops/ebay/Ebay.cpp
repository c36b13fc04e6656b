#include "shops/ebay/Ebay.h"

#include <fmt/format.h>

#include "config/Logger.h"
#include "config/Settings.h"
#include "net/EbayTradingClient.h"
#include "orders/XmlSaver.h"
#include "platform/FileSystem.h"
#include "shops/ShopCaller.h"
#include "shops/ebay/EbayConfig.h"
#include "shops/ebay/EbayParameter.h"
#include "shops/ebay/OrderManagement.h"
#include "shops/ebay/ReportManagement.h"
#include "shops/ebay/TokenCaller.h"
#include "support/Error.h"
#include "support/Resources.h"

namespace kanvio {
namespace {

const ShopCaller::Registrar kRegistration("ebay", [](IWorker& worker) {
  return std::make_unique<Ebay>(&worker, platform::CreateHttpClient);
});

// A failure of the orders file, apart from the failures of eBay.
class SaveError : public Error {
 public:
  using Error::Error;
};

void LogQuietly(const std::exception& failure) {
  try {
    Logger::LogError(failure);
  } catch (...) {
    // The result code reports the failure; a log that cannot be written changes nothing.
  }
}

// Writes the records as they come: the document takes the place of the
// host's file only once complete, and no file is made for no order.
class OrdersFile {
 public:
  explicit OrdersFile(std::string path) : path_(std::move(path)) {}

  void Add(const orders::EbayOrder& record) {
    try {
      if (!document_)
        document_.emplace(platform::PathFromUtf8(path_), "OrderNotification", /*remove_namespaces=*/true);
      document_->Add(orders::EbayOrder::kXmlName, record);
    } catch (const std::exception& e) {
      throw SaveError(Failure(e));
    }
  }

  void Close() {
    if (!document_) return;
    try {
      document_->Close();
    } catch (const std::exception& e) {
      throw SaveError(Failure(e));
    }
  }

 private:
  std::string Failure(const std::exception& e) const {
    return "Die eBay-Bestellungen konnten nicht in die Datei \"" + path_ +
           "\" geschrieben werden: " + e.what();
  }

  std::string path_;
  std::optional<orders::XmlSaverDocument> document_;
};

}  // namespace

Ebay::Ebay(IWorker* worker, platform::HttpClientFactory http) : worker_(worker), http_(std::move(http)) {}

bool Ebay::GetEbayToken(std::string& token, std::string& error) {
  token.clear();
  if (worker_) worker_->setUserStatusMessage("eBay-Token nicht gefunden. Stelle Verbindung her.", -1);
  try {
    if (TokenCaller(http_).GetToken(token, error) <= 0) return false;
    Settings settings;
    settings.set_ebay_token(token);
    settings.Save();
    return true;
  } catch (const std::exception& e) {
    LogQuietly(e);
  }
  return false;
}

std::int32_t Ebay::CheckEbayToken(std::string& error) {
  if (worker_) worker_->setUserStatusMessage("eBay-Token wird geprüft...", -1);
  if (Settings().ebay_token().empty()) return 0;
  return TokenCaller(http_).GetTokenStatus(error);
}

std::int32_t Ebay::HoleBestellungenVomShop(std::string& error, bool funcCheck) {
  if (funcCheck) return 1;
  try {
    return ImportOrders(error);
  } catch (const SaveError& e) {
    LogQuietly(e);
    error = e.what();
  } catch (const std::exception& e) {
    LogQuietly(e);
    error = Resources::ORDER_GETINFO_ERROR();
  }
  return -1;
}

std::int32_t Ebay::ImportOrders(std::string& error) {
  if (Settings().ebay_token().empty()) {
    std::string token, step_error;
    if (!GetEbayToken(token, step_error)) {
      LogQuietly(Error("eBay: Ohne Token können keine Bestellungen abgeholt werden. " + step_error));
      error = Resources::EBAY_MISSING_TOKEN();
      return -1;
    }
  }
  const Settings settings;
  net::EbayTradingClient client(http_());
  ReportManagement reports(client, EbayApi::BuildApiContext(settings), worker_);
  // Each order is converted and written as soon as it is fetched: the import
  // holds one order at a time, not all of them until the end.
  OrdersFile file(settings.WEBSERVICE_RESULT_FILEPATH());
  const auto formatting = EbayParameter::Formatting(settings.ebay_parameter());
  const OrderManagement::Sink write = [&](const orders::EbayOrder& record) { file.Add(record); };
  std::int32_t written = 0;
  bool converting = false;
  std::optional<orders::EbayOrder> record;
  const std::int32_t result =
      reports.GetReports(settings, [&](service::EbayOrder& order, std::int32_t number, std::int32_t total) {
        if (worker_ && !converting) worker_->setUserStatusMessage("Verarbeite eBay Bestellungen...", -1);
        converting = true;
        if (worker_)
          worker_->setUserStatusMessage(fmt::format("Verarbeite eBay Bestellung {0} von {1}", number, total),
                                        number);
        if (OrderManagement::ConvertOrderTo(order, formatting, write, record)) ++written;
      });
  if (result < 0) {
    error = Resources::ORDER_GETINFO_ERROR();
    return -1;
  }
  if (written == 0) return 0;
  file.Close();
  return 1;
}

std::int32_t Ebay::HoleArtikellisteVomShop(std::string&, bool) { return 0; }
std::int32_t Ebay::HoleArtikelVomShop(std::string&, bool) { return 0; }
std::int32_t Ebay::KontrolliereVerbindungZumShop(std::string&, bool) { return 0; }
std::int32_t Ebay::ExportArtikelZumShop(std::string&, bool) { return 0; }
std::int32_t Ebay::SetzeBestellstatus(std::string&, bool) { return 0; }
std::int32_t Ebay::SetzeBestellstatusVonOrderID(std::string&, const std::string&, bool) { return 0; }
std::int32_t Ebay::SetzeLagerbestand(std::string&, bool) { return 0; }
std::int32_t Ebay::SetzeArtikelPreise(std::string&, bool) { return 0; }
std::int32_t Ebay::ExportierePreisListenzuArtikel(std::string&, bool) { return 0; }
std::int32_t Ebay::SucheAnzahlOffeneBestellungenImShop() { return 0; }

}  // namespace kanvio
