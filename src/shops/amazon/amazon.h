#pragma once
// The Amazon connector: orders come as reports that Amazon generates on a
// schedule; the connector switches the schedules on, downloads new reports
// and turns them into the orders file. Operations the marketplace does not
// offer answer 0 without a text.

#include <cstdint>
#include <string>

#include "platform/HttpClient.h"
#include "shops/IAmazonShop.h"
#include "shops/IWorker.h"

namespace kanvio {

class ReportCaller;

class amazon : public IAmazonShop {
 public:
  explicit amazon(IWorker& worker, platform::HttpClientFactory http = platform::CreateHttpClient);

  // The orders of the downloaded reports into WEBSERVICE_RESULT_FILEPATH:
  // 1 orders written, 0 none, -1 (with a text) failed without writing any.
  std::int32_t HoleBestellungenVomShop(std::string& error, bool funcCheck) override;
  // Switches the order report schedule on, as AktiviereAutoReportErzeugung.
  std::int32_t HoleArtikelVomShop(std::string& error, bool funcCheck) override;
  std::int32_t HoleArtikellisteVomShop(std::string& error, bool funcCheck) override;
  std::int32_t KontrolliereVerbindungZumShop(std::string& error, bool funcCheck) override;
  std::int32_t ExportArtikelZumShop(std::string& error, bool funcCheck) override;
  std::int32_t SetzeBestellstatus(std::string& error, bool funcCheck) override;
  std::int32_t SetzeBestellstatusVonOrderID(std::string& error, const std::string& orderID,
                                            bool funcCheck) override;
  std::int32_t SetzeLagerbestand(std::string& error, bool funcCheck) override;
  std::int32_t SetzeArtikelPreise(std::string& error, bool funcCheck) override;
  std::int32_t ExportierePreisListenzuArtikel(std::string& error, bool funcCheck) override;
  std::int32_t SucheAnzahlOffeneBestellungenImShop() override;

  // 1 when Amazon confirmed the schedule; otherwise 0 (not confirmed) or -1
  // (the call failed), both with a text.
  std::int32_t AktiviereAutoReportErzeugung(std::string& error, bool funcCheck) override;
  std::int32_t AktiviereAutoFbaReportErzeugung(std::string& error, bool funcCheck) override;
  // Sets both schedules until they once succeeded, then downloads new
  // shipment and order reports: 1 when any download succeeded, 0 when there
  // was nothing new, -1 (with a text) when the downloads failed.
  std::int32_t HoleBerichteVonAmazon(std::string& error) override;

 private:
  std::int32_t Schedule(std::string& error, bool shipments);
  std::int32_t Schedule(ReportCaller& caller, std::string& error, bool shipments);

  IWorker& worker_;
  platform::HttpClientFactory http_;
};

}  // namespace kanvio
