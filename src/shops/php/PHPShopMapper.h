#pragma once
// Contract operations of the PHP shops as protocol calls: ask the scripts
// whether the shop offers the function, then run the operation.

#include <cstdint>
#include <string>

#include "shops/IWorker.h"
#include "shops/php/PHPFileConnector.h"

namespace kanvio {

class PHPShopMapper {
 public:
  static std::int32_t HoleBestellungenVomShop(PHPFileConnector& php, std::string& error);
  static std::int32_t HoleArtikelListeVomShop(PHPFileConnector& php, std::string& error);
  static std::int32_t HoleArtikelVomShop(PHPFileConnector& php, std::string& error);
  static std::int32_t ExportiereArtikelZumShop(PHPFileConnector& php, std::string& error, IWorker* worker);
  static std::int32_t SetzeBestellstatus(PHPFileConnector& php, std::string& error);
  static std::int32_t ExportiereLagerbestaendeZumShop(PHPFileConnector& php, std::string& error);
  static std::int32_t ExportiereArtikelpreiseZumShop(PHPFileConnector& php, std::string& error, IWorker* worker);
  static std::int32_t SucheAnzahlOffeneBestellungenImShop(PHPFileConnector& php);
};

}  // namespace kanvio
