#pragma once
// The contract every shop and marketplace connector implements. Operations
// take their file paths and connection data from the settings store; error
// receives a German text for the host (the empty text means none);
// funcCheck = true only asks whether the operation is supported.

#include <cstdint>
#include <string>

namespace kanvio {

// Result codes that mean the same in every connector. Counts are returned as
// themselves.
namespace shop_result {
inline constexpr std::int32_t kDone = 1;
inline constexpr std::int32_t kNothing = 0;  // nothing to do, nothing found, or not offered (marketplaces)
inline constexpr std::int32_t kFailed = -1;
inline constexpr std::int32_t kNotOffered = -2;  // the shop lacks the function; error says so
}  // namespace shop_result

// The marketplaces get their own answers from the entry layer.
enum class Marketplace { kNone, kAmazon, kEbay };

class IShop {
 public:
  virtual ~IShop() = default;

  virtual std::int32_t HoleBestellungenVomShop(std::string& error, bool funcCheck) = 0;
  virtual std::int32_t HoleArtikellisteVomShop(std::string& error, bool funcCheck) = 0;
  virtual std::int32_t HoleArtikelVomShop(std::string& error, bool funcCheck) = 0;
  virtual std::int32_t KontrolliereVerbindungZumShop(std::string& error, bool funcCheck) = 0;
  virtual std::int32_t ExportArtikelZumShop(std::string& error, bool funcCheck) = 0;
  virtual std::int32_t SetzeBestellstatus(std::string& error, bool funcCheck) = 0;
  virtual std::int32_t SetzeBestellstatusVonOrderID(std::string& error, const std::string& orderID,
                                                    bool funcCheck) = 0;
  virtual std::int32_t SetzeLagerbestand(std::string& error, bool funcCheck) = 0;
  virtual std::int32_t SetzeArtikelPreise(std::string& error, bool funcCheck) = 0;
  virtual std::int32_t ExportierePreisListenzuArtikel(std::string& error, bool funcCheck) = 0;
  // The number of open orders, or -1 on failure.
  virtual std::int32_t SucheAnzahlOffeneBestellungenImShop() = 0;

  virtual Marketplace marketplace() const { return Marketplace::kNone; }
};

}  // namespace kanvio
