#pragma once
// The thirteen PHP shop systems. They behave alike and differ only in the
// name the scripts receive (shp_system, from the settings store), so one
// class carries the name instead of thirteen copies.

#include <memory>
#include <string>

#include "platform/HttpClient.h"
#include "shops/IShop.h"
#include "shops/IWorker.h"
#include "shops/php/PHPFileConnector.h"

namespace kanvio {

class PHPShop : public IShop {
 public:
  // The factory keys this class serves.
  static const char* const kShopSystems[13];

  PHPShop(std::string name, IWorker* worker, platform::HttpClientFactory http = platform::CreateHttpClient);

  const std::string& name() const { return name_; }

  std::int32_t HoleBestellungenVomShop(std::string& error, bool funcCheck) override;
  std::int32_t HoleArtikellisteVomShop(std::string& error, bool funcCheck) override;
  std::int32_t HoleArtikelVomShop(std::string& error, bool funcCheck) override;
  std::int32_t KontrolliereVerbindungZumShop(std::string& error, bool funcCheck) override;
  std::int32_t ExportArtikelZumShop(std::string& error, bool funcCheck) override;
  std::int32_t SetzeBestellstatus(std::string& error, bool funcCheck) override;
  std::int32_t SetzeBestellstatusVonOrderID(std::string& error, const std::string& orderID, bool funcCheck) override;
  std::int32_t SetzeLagerbestand(std::string& error, bool funcCheck) override;
  std::int32_t SetzeArtikelPreise(std::string& error, bool funcCheck) override;
  std::int32_t ExportierePreisListenzuArtikel(std::string& error, bool funcCheck) override;
  std::int32_t SucheAnzahlOffeneBestellungenImShop() override;

 private:
  std::int32_t Offered(const char* function, std::string& error);
  PHPFileConnector Connector() const;

  std::string name_;
  IWorker* worker_;
  platform::HttpClientFactory http_;
};

}  // namespace kanvio
