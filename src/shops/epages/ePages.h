#pragma once
// The connector of shops on the ePages shop software, reached through its
// SOAP web services: orders, the open-order query, the connection check,
// order states, and the product operations (article export, prices, price
// lists, stock, article list and article import). The probe of every
// operation but the connection check answers 1 without a request.

#include <cstdint>
#include <string>

#include "platform/HttpClient.h"
#include "shops/IShop.h"
#include "shops/IWorker.h"

namespace kanvio {

class ePages : public IShop {
 public:
  // worker may be absent; the operations then show no progress.
  explicit ePages(IWorker* worker = nullptr, platform::HttpClientFactory http = platform::CreateHttpClient)
      : worker_(worker), http_(std::move(http)) {}

  std::int32_t HoleBestellungenVomShop(std::string& error, bool funcCheck) override;
  std::int32_t HoleArtikellisteVomShop(std::string& error, bool funcCheck) override;
  std::int32_t HoleArtikelVomShop(std::string& error, bool funcCheck) override;
  std::int32_t KontrolliereVerbindungZumShop(std::string& error, bool funcCheck) override;
  std::int32_t ExportArtikelZumShop(std::string& error, bool funcCheck) override;
  std::int32_t SetzeBestellstatus(std::string& error, bool funcCheck) override;
  // Not offered: throws Error for every call, the probe included.
  std::int32_t SetzeBestellstatusVonOrderID(std::string& error, const std::string& orderID,
                                            bool funcCheck) override;
  std::int32_t SetzeLagerbestand(std::string& error, bool funcCheck) override;
  std::int32_t SetzeArtikelPreise(std::string& error, bool funcCheck) override;
  std::int32_t ExportierePreisListenzuArtikel(std::string& error, bool funcCheck) override;
  // 1 when the shop has open orders, 0 when not, -1 on failure.
  std::int32_t SucheAnzahlOffeneBestellungenImShop() override;

 protected:
  IWorker* worker_;
  platform::HttpClientFactory http_;
};

// The same connector under the name "strato"; the partner variant is chosen
// by the shop's address, not by the class.
class strato : public ePages {
 public:
  using ePages::ePages;
};

}  // namespace kanvio
