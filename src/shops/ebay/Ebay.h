#pragma once
// The eBay marketplace connector. It imports the seller's sold orders into
// the orders file (HoleBestellungenVomShop) and keeps the seller's token
// (GetEbayToken, GetEbayTokenStatus, which the eBay initialisation runs).
// Every other operation of the contract does nothing and answers 0.

#include <cstdint>
#include <string>

#include "platform/HttpClient.h"
#include "shops/IShop.h"
#include "shops/IWorker.h"

namespace kanvio {

class Ebay : public IShop {
 public:
  // worker may be absent (the initialisation's token check has no window).
  Ebay(IWorker* worker, platform::HttpClientFactory http);

  // Signs in for a new token and stores it in ebay_token. False when that
  // failed; error then holds the failed step's text.
  bool GetEbayToken(std::string& token, std::string& error);
  // 1 the stored token is active; 0 it is not (or there is none): a new one
  // needs a sign-in; -1 eBay could not be asked.
  std::int32_t CheckEbayToken(std::string& error);
  bool GetEbayTokenStatus(std::string& error) { return CheckEbayToken(error) > 0; }

  // 1 orders written to WEBSERVICE_RESULT_FILEPATH; 0 no new order (no file
  // written); -1 with a German text when no token could be got, the sold
  // list could not be read or the file could not be written.
  std::int32_t HoleBestellungenVomShop(std::string& error, bool funcCheck) override;
  std::int32_t HoleArtikellisteVomShop(std::string& error, bool funcCheck) override;
  std::int32_t HoleArtikelVomShop(std::string& error, bool funcCheck) override;
  std::int32_t KontrolliereVerbindungZumShop(std::string& error, bool funcCheck) override;
  std::int32_t ExportArtikelZumShop(std::string& error, bool funcCheck) override;
  std::int32_t SetzeBestellstatus(std::string& error, bool funcCheck) override;
  std::int32_t SetzeBestellstatusVonOrderID(std::string& error, const std::string& orderID,
                                            bool funcCheck) override;
  std::int32_t SetzeLagerbestand(std::string& error, bool funcCheck) override;
  std::int32_t SetzeArtikelPreise(std::string& error, bool funcCheck) override;
  std::int32_t ExportierePreisListenzuArtikel(std::string& error, bool funcCheck) override;
  std::int32_t SucheAnzahlOffeneBestellungenImShop() override;

  Marketplace marketplace() const override { return Marketplace::kEbay; }

 private:
  std::int32_t ImportOrders(std::string& error);

  IWorker* worker_;
  platform::HttpClientFactory http_;
};

}  // namespace kanvio
