#include "shops/php/PHPShopMapper.h"

namespace kanvio {
namespace {

constexpr const char* kNotOffered = "Ihre Webshop Schnittstelle unterstützt diese Funktion nicht.";
constexpr const char* kNotOfferedShort = "Ihre Webshop Schnittstelle unterstützt diese Funktion nicht";

// A check that fails without an answer does not stop the operation: the
// operation itself then decides. Only a clear "not offered" does. The host
// gets the reason as its error text.
template <typename Operation>
std::int32_t IfOffered(PHPFileConnector& php, const char* function, std::string& error, const char* refusal,
                       Operation&& operation) {
  if (php.Check_Function(function, error, true) == -1) {
    error = refusal;
    return -1;
  }
  return operation();
}

}  // namespace

std::int32_t PHPShopMapper::HoleBestellungenVomShop(PHPFileConnector& php, std::string& error) {
  return IfOffered(php, "daten_holen", error, kNotOffered, [&] { return php.GET_ORDERS_FROM_PHP_FILE(error); });
}

std::int32_t PHPShopMapper::HoleArtikelListeVomShop(PHPFileConnector& php, std::string& error) {
  return IfOffered(php, "hole_Artikelliste_fuer_export", error, kNotOfferedShort,
                   [&] { return php.GET_ARTICLELIST_FROM_SHOP(true); });
}

std::int32_t PHPShopMapper::HoleArtikelVomShop(PHPFileConnector& php, std::string& error) {
  return IfOffered(php, "artikeldaten_shop_zu_ledgrox", error, kNotOfferedShort,
                   [&] { return php.GET_ARTICLES_FROM_PHP_FILE(error, true, false); });
}

std::int32_t PHPShopMapper::ExportiereArtikelZumShop(PHPFileConnector& php, std::string& error, IWorker* worker) {
  return IfOffered(php, "artikeldaten_ledgrox_zu_shop", error, kNotOfferedShort,
                   [&] { return php.SEND_ARTICLES_TO_PHP_FILE(error, worker, true); });
}

std::int32_t PHPShopMapper::ExportiereLagerbestaendeZumShop(PHPFileConnector& php, std::string& error) {
  return IfOffered(php, "setze_lagerbestand_im_shop", error, kNotOffered,
                   [&] { return php.SEND_STOCKVALUES_TO_SHOP(error, true); });
}

std::int32_t PHPShopMapper::ExportiereArtikelpreiseZumShop(PHPFileConnector& php, std::string& error,
                                                           IWorker* worker) {
  return IfOffered(php, "setze_Artikelpreise_im_shop", error, kNotOfferedShort,
                   [&] { return php.SEND_ARTICLEPRICES_TO_SHOP(error, worker, true); });
}

// The order states and the count ask with a text of their own, so a failed
// check leaves the host's text alone and a "not offered" says nothing.
std::int32_t PHPShopMapper::SetzeBestellstatus(PHPFileConnector& php, std::string& error) {
  std::string check_error;
  if (php.Check_Function("status_aendern", check_error, true) == -1) return -1;
  return php.SEND_ORDER_STATUS(error);
}

std::int32_t PHPShopMapper::SucheAnzahlOffeneBestellungenImShop(PHPFileConnector& php) {
  std::string own_error;
  if (php.Check_Function("pruefeOffeneBestellungenImShop", own_error, true) == -1) return -1;
  return php.CHECK_AMOUNT_OPEN_ORDERS(own_error);
}

}  // namespace kanvio
