#include "shops/amazon/amazon.h"

#include "config/KanvioPaths.h"
#include "config/Logger.h"
#include "config/Settings.h"
#include "orders/OrderXmlWriter.h"
#include "platform/FileSystem.h"
#include "shops/ShopCaller.h"
#include "shops/amazon/OrderCaller.h"
#include "shops/amazon/OrderManagement.h"
#include "shops/amazon/ReportCaller.h"
#include "shops/amazon/ReportManagement.h"

namespace kanvio {
namespace {

const ShopCaller::Registrar kRegistration("amazon",
                                          [](IWorker& worker) { return std::make_unique<amazon>(worker); });

std::int32_t Failed(std::string& error, const std::string& text) {
  Logger::LogError(text);
  error = text;
  return -1;
}

}  // namespace

amazon::amazon(IWorker& worker, platform::HttpClientFactory http) : worker_(worker), http_(std::move(http)) {}

std::int32_t amazon::Schedule(ReportCaller& caller, std::string& error, bool shipments) {
  const std::string what = shipments ? "FBA-Bestellberichte" : "Bestellberichte";
  try {
    const long long confirmed = shipments ? caller.ManageReportScheduleFBA() : caller.ManageReportSchedule();
    if (confirmed > 0) return 1;
    error = "Amazon hat die automatische Erzeugung der " + what + " nicht bestätigt.";
    Logger::LogWarning(error);
    return 0;
  } catch (const std::exception& e) {
    return Failed(error,
                  "Die automatische Erzeugung der " + what + " konnte nicht aktiviert werden: " + e.what());
  }
}

std::int32_t amazon::Schedule(std::string& error, bool shipments) {
  try {
    ReportCaller caller(http_);
    return Schedule(caller, error, shipments);
  } catch (const std::exception& e) {
    return Failed(error, std::string("Die Amazon-Einstellungen konnten nicht gelesen werden: ") + e.what());
  }
}

std::int32_t amazon::AktiviereAutoReportErzeugung(std::string& error, bool funcCheck) {
  return funcCheck ? 1 : Schedule(error, false);
}

std::int32_t amazon::AktiviereAutoFbaReportErzeugung(std::string& error, bool funcCheck) {
  return funcCheck ? 1 : Schedule(error, true);
}

std::int32_t amazon::HoleArtikelVomShop(std::string& error, bool funcCheck) {
  return AktiviereAutoReportErzeugung(error, funcCheck);
}

std::int32_t amazon::HoleBerichteVonAmazon(std::string& error) {
  try {
    ReportCaller caller(http_);
    Settings settings;
    if (!settings.amazon_reportgenerator_done()) {
      // Both are asked every time until both succeeded once.
      std::string ignored;
      const bool shipments = Schedule(caller, ignored, true) == 1;
      const bool orders = Schedule(caller, ignored, false) == 1;
      if (shipments && orders) {
        settings.set_amazon_reportgenerator_done(true);
        settings.Save();
      }
    }
    std::string shipment_failure, order_failure;
    const std::int32_t shipments = ReportManagement::getFBAReports(caller, shipment_failure);
    const std::int32_t orders = ReportManagement::getReports(caller, order_failure);
    if (shipments > 0 || orders > 0) return 1;
    if (orders < 0) return Failed(error, order_failure);
    if (shipments < 0) return Failed(error, shipment_failure);
    return 0;
  } catch (const std::exception& e) {
    return Failed(error, std::string("Die Amazon-Berichte konnten nicht abgeholt werden: ") + e.what());
  }
}

std::int32_t amazon::HoleBestellungenVomShop(std::string& error, bool funcCheck) {
  if (funcCheck) return 1;
  try {
    OrderCaller caller(http_);
    orders::OrderXmlWriter writer(platform::PathFromUtf8(Settings().WEBSERVICE_RESULT_FILEPATH()),
                                  orders::OrderXmlOptions::Amazon());
    OrderManagement management(&worker_, caller, writer, KanvioPaths::AmazonPath());
    int total = 0;
    const std::int32_t shipments = management.getOrdersForFBA(total);
    const std::int32_t reports = management.getOrdersByXML(total);
    writer.Close();
    // Only now that the orders are in the host's file may the reports go.
    management.FinishReports();
    if (shipments > 0 || reports > 0) return 1;
    if (shipments < 0 || reports < 0)
      return Failed(error, "Die Amazon-Bestellungen konnten nicht abgeholt werden: " + management.failure());
    return 0;
  } catch (const std::exception& e) {
    return Failed(error, std::string("Die Amazon-Bestellungen konnten nicht abgeholt werden: ") + e.what());
  }
}

std::int32_t amazon::HoleArtikellisteVomShop(std::string&, bool) { return 0; }
std::int32_t amazon::KontrolliereVerbindungZumShop(std::string&, bool) { return 0; }
std::int32_t amazon::ExportArtikelZumShop(std::string&, bool) { return 0; }
std::int32_t amazon::SetzeBestellstatus(std::string&, bool) { return 0; }
std::int32_t amazon::SetzeBestellstatusVonOrderID(std::string&, const std::string&, bool) { return 0; }
std::int32_t amazon::SetzeLagerbestand(std::string&, bool) { return 0; }
std::int32_t amazon::SetzeArtikelPreise(std::string&, bool) { return 0; }
std::int32_t amazon::ExportierePreisListenzuArtikel(std::string&, bool) { return 0; }
std::int32_t amazon::SucheAnzahlOffeneBestellungenImShop() { return 0; }

}  // namespace kanvio
