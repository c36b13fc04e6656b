#include "shops/php/PHPShop.h"

#include "shops/ShopCaller.h"
#include "shops/php/PHPShopMapper.h"

namespace kanvio {

const char* const PHPShop::kShopSystems[13] = {"xtcommerce", "gambio",  "veyton",     "oscommerce", "prestashop",
                                              "virtuemart", "virtuemart2", "xaran", "koobi",      "ecodoo",
                                              "individuell", "shopware", "magento"};

namespace {

struct Registration {
  Registration() {
    for (const char* key : PHPShop::kShopSystems)
      ShopCaller::Register(key, [key](IWorker& worker) { return std::make_unique<PHPShop>(key, &worker); });
  }
} const kRegistration;

}  // namespace

PHPShop::PHPShop(std::string name, IWorker* worker, platform::HttpClientFactory http)
    : name_(std::move(name)), worker_(worker), http_(std::move(http)) {}

PHPFileConnector PHPShop::Connector() const { return PHPFileConnector(http_); }

std::int32_t PHPShop::Offered(const char* function, std::string& error) {
  return Connector().Check_Function(function, error, true) > 0 ? 1 : 0;
}

std::int32_t PHPShop::HoleBestellungenVomShop(std::string& error, bool funcCheck) {
  if (funcCheck) return Offered("daten_holen", error);
  auto php = Connector();
  return PHPShopMapper::HoleBestellungenVomShop(php, error);
}

std::int32_t PHPShop::HoleArtikellisteVomShop(std::string& error, bool funcCheck) {
  if (funcCheck) return Offered("hole_Artikelliste_fuer_export", error);
  auto php = Connector();
  return PHPShopMapper::HoleArtikelListeVomShop(php, error);
}

std::int32_t PHPShop::HoleArtikelVomShop(std::string& error, bool funcCheck) {
  if (funcCheck) return Offered("artikeldaten_shop_zu_ledgrox", error);
  auto php = Connector();
  return PHPShopMapper::HoleArtikelVomShop(php, error);
}

std::int32_t PHPShop::KontrolliereVerbindungZumShop(std::string& error, bool) { return Connector().Check_Con(error); }

std::int32_t PHPShop::ExportArtikelZumShop(std::string& error, bool funcCheck) {
  if (funcCheck) return Offered("artikeldaten_ledgrox_zu_shop", error);
  auto php = Connector();
  return PHPShopMapper::ExportiereArtikelZumShop(php, error, worker_);
}

std::int32_t PHPShop::SetzeBestellstatus(std::string& error, bool funcCheck) {
  if (funcCheck) return Offered("status_aendern", error);
  auto php = Connector();
  return PHPShopMapper::SetzeBestellstatus(php, error);
}

std::int32_t PHPShop::SetzeBestellstatusVonOrderID(std::string& error, const std::string&, bool) {
  return Connector().Check_Function("NOT_IMPLEMENTED", error, true);
}

std::int32_t PHPShop::SetzeLagerbestand(std::string& error, bool funcCheck) {
  if (funcCheck) return Offered("setze_lagerbestand_im_shop", error);
  auto php = Connector();
  return PHPShopMapper::ExportiereLagerbestaendeZumShop(php, error);
}

std::int32_t PHPShop::SetzeArtikelPreise(std::string& error, bool funcCheck) {
  if (funcCheck) return Offered("setze_Artikelpreise_im_shop", error);
  auto php = Connector();
  return PHPShopMapper::ExportiereArtikelpreiseZumShop(php, error, worker_);
}

std::int32_t PHPShop::ExportierePreisListenzuArtikel(std::string& error, bool) {
  return Connector().Check_Function("NOT_IMPLEMENTED", error, true);
}

std::int32_t PHPShop::SucheAnzahlOffeneBestellungenImShop() {
  auto php = Connector();
  return PHPShopMapper::SucheAnzahlOffeneBestellungenImShop(php);
}

}  // namespace kanvio
