#pragma once
// The entry layer: one function per export, on UTF-8 texts. The C glue
// (Exports.cpp) converts the COM strings and catches what escapes: it logs
// the failure and answers -1 with the function's failure text (empty unless
// named below).
//
// State lives for the whole process and is shared without locks: the host
// calls one export at a time, from one thread.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "marlixKanvio/exports.h"

namespace kanvio {

class IShop;
class formWorker;

class ShopService {
 public:
  static constexpr std::string_view kEbayConnectionFailed =
      "Es konnte keine Verbindung zu eBay hergestellt werden, bitte kontrollieren Sie Ihre Daten.";
  static constexpr std::string_view kImportedOrdersPathFailed =
      "Der Pfad für die breits Importierten eBay-Bestellungen konnte nicht gesetzt werden.";

  static std::int32_t InitStatusMeldungAnzeigen(StatusMeldungAnzeigen callback) noexcept;
  static std::int32_t DeInitStatusMeldungAnzeigen() noexcept;

  static std::int32_t InitShop(const std::string& erp, const std::string& shopName,
                               const std::string& shopUrl, const std::string& user, const std::string& pwd,
                               std::string& Fehlermeldung);
  static std::int32_t InitAmazon(const std::string& erp, const std::string& merchantId,
                                 const std::string& language, const std::string& date,
                                 const std::string& parameter, std::string& Fehlermeldung);
  // token is in/out: the valid token on success.
  static std::int32_t InitEbay(const std::string& erp, const std::string& username, const std::string& site,
                               const std::string& date, const std::string& sandbox,
                               const std::string& parameter, std::string& fehlermeldung, std::string& token);
  static std::int32_t SetEbayImportedOrdersPath(const std::string& importedOrdersFile,
                                                std::string& Fehlermeldung);
  static std::int32_t FunctionSupported(const std::string& functionName, std::string& Fehlermeldung);
  static std::int32_t DeInit(std::string& Fehlermeldung);

  // Operations: each blocks until the worker window has closed. When the
  // operation's task cannot be started they answer -1 with a text.
  static std::int32_t ManageReportSchedule(std::string& Fehlermeldung);
  static std::int32_t ManageReportScheduleFBA(std::string& Fehlermeldung);
  static std::int32_t GetReportsFromAmazon(std::string& Fehlermeldung);
  static std::int32_t GetOrders(const std::string& XMLFile, std::string& Fehlermeldung);
  static std::int32_t GetUnimportedOrdersCount(std::string& Fehlermeldung);
  static std::int32_t GetWebshopArticleList(const std::string& XMLFile, std::string& Fehlermeldung);
  static std::int32_t GetArticles(const std::string& XMLFile, std::string& Fehlermeldung);
  static std::int32_t SetArticles(const std::string& XMLFile, std::string& Fehlermeldung);
  static std::int32_t SetOrderStatus(const std::string& XMLFile, std::string& Fehlermeldung);
  static std::int32_t SetStockValues(const std::string& XMLFile, std::string& Fehlermeldung);
  static std::int32_t SetPriceLists(const std::string& XMLFile, std::string& Fehlermeldung);
  static std::int32_t SetArticlePrices(const std::string& XMLFile, std::string& Fehlermeldung);

  // The factory key for a shop name as the host spells it ("xt:Commerce Veyton" -> "veyton"), lower case.
  static std::string NormaliseShopName(const std::string& shopName);

 private:
  static std::int32_t CallFunction(const std::string& methode, const std::string& XMLFile,
                                   std::string& Fehlermeldung);
  // The early answer of the operations that the marketplaces do not offer.
  static bool RejectedByMarketplace(std::string& Fehlermeldung);
  static void CreateWorkerWithShop(const std::string& erp, const std::string& shopName);
  // The connector of the current connection; the worker owns it.
  static IShop* shop();

  static std::unique_ptr<formWorker> worker_;
  static StatusMeldungAnzeigen statusMeldungAnzeigen_;
};

}  // namespace kanvio
