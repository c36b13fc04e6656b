#include "shops/epages/ePages.h"

#include "shops/ShopCaller.h"
#include "shops/epages/Orders.h"
#include "shops/epages/Products.h"
#include "shops/epages/Status.h"
#include "support/Error.h"

namespace kanvio {
namespace {

const ShopCaller::Registrar kEpages("epages",
                                    [](IWorker& worker) { return std::make_unique<ePages>(&worker); });
const ShopCaller::Registrar kStrato("strato",
                                    [](IWorker& worker) { return std::make_unique<strato>(&worker); });

}  // namespace

std::int32_t ePages::HoleBestellungenVomShop(std::string& error, bool funcCheck) {
  return funcCheck ? 1 : epages::Orders::GetOrders(error, worker_, http_);
}

std::int32_t ePages::SucheAnzahlOffeneBestellungenImShop() { return epages::Orders::FindOrders(http_); }

std::int32_t ePages::KontrolliereVerbindungZumShop(std::string& error, bool) {
  return epages::Orders::CheckConnection(error, http_);
}

std::int32_t ePages::SetzeBestellstatus(std::string& error, bool funcCheck) {
  return funcCheck ? 1 : epages::Status::SetOrdersStatuses(error, http_);
}

std::int32_t ePages::SetzeBestellstatusVonOrderID(std::string&, const std::string&, bool) {
  throw Error("SetzeBestellstatusVonOrderID ist für ePages-Shops nicht implementiert.");
}

std::int32_t ePages::HoleArtikellisteVomShop(std::string& error, bool funcCheck) {
  return funcCheck ? 1 : epages::Products::GetWebshopArticleList(error, worker_, http_);
}
std::int32_t ePages::HoleArtikelVomShop(std::string& error, bool funcCheck) {
  return funcCheck ? 1 : epages::Products::GetArticles(error, worker_, http_);
}
std::int32_t ePages::ExportArtikelZumShop(std::string& error, bool funcCheck) {
  return funcCheck ? 1 : epages::Products::SetArticles(error, worker_, http_);
}
std::int32_t ePages::SetzeLagerbestand(std::string& error, bool funcCheck) {
  return funcCheck ? 1 : epages::Products::UpdateStock(error, worker_, http_);
}
std::int32_t ePages::SetzeArtikelPreise(std::string& error, bool funcCheck) {
  return funcCheck ? 1 : epages::Products::SetArticlePrices(error, worker_, http_);
}
std::int32_t ePages::ExportierePreisListenzuArtikel(std::string& error, bool funcCheck) {
  return funcCheck ? 1 : epages::Products::SetPriceLists(error, worker_, http_);
}

}  // namespace kanvio
