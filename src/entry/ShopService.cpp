#include "entry/ShopService.h"

#include <array>
#include <charconv>
#include <chrono>
#include <utility>

#include "config/ConfigFileWriter.h"
#include "config/Settings.h"
#include "platform/Clock.h"
#include "platform/HttpClient.h"
#include "shops/IShop.h"
#include "shops/ebay/Ebay.h"
#include "support/Error.h"
#include "support/RegionalDateTime.h"
#include "support/Resources.h"
#include "support/Text.h"
#include "worker/LogFailure.h"
#include "worker/formWorker.h"

namespace kanvio {
namespace {

constexpr const char* kShopNotFound =
    "Der von Ihnen gewählte Webshop wurde im System nicht gefunden, bitte wählen Sie einen anderen aus.";
constexpr const char* kNoShopConnection =
    "Es konnte keine Verbindung zum Webshop hergestellt werden. Bitte kontrollieren Sie Ihre Einstellungen";
constexpr const char* kAmazonNoConnection =
    "Es konnte keine Verbindung zu Amazon hergestellt werden, bitte kontrollieren Sie Ihre Daten.";
constexpr const char* kAmazonUnsupported = "Diese Funktion wird von Amazon derzeitig nicht untersützt.";
constexpr const char* kEbayUnsupported = "Diese Funktion wird von eBay derzeitig nicht untersützt.";

// Tested in this order; the first text that the lower-cased name contains
// decides. "veyton" comes first: xt:Commerce Veyton is the veyton shop.
constexpr std::array<std::pair<std::string_view, std::string_view>, 10> kShopNames{{
    {"veyton", "veyton"},
    {"xt:commerce", "xtcommerce"},
    {"gambio", "gambio"},
    {"koobi", "koobi"},
    {"ecodoo", "ecodoo"},
    {"xaran", "xaran"},
    {"magento 2", "magento2"},
    {"shopware 4", "shopware4"},
    {"virtuemart 2", "virtuemart2"},
    {"angepasst", "individuell"},
}};

// The host reads an empty text after FunctionSupported as "supported", so a
// check that says no (0 or less) without a text of its own gets this one.
// The count row runs the real count, whose result says nothing about support.
constexpr const char* kUnsupported = "Der von Ihnen gewählte Webshop unterstützt diese Funktion nicht.";

struct Check {
  std::string_view name;
  std::int32_t (*call)(IShop& shop, std::string& error);
  const char* refusal;  // the text for "no" without a text; nullptr: none
};

// The connector operation behind each name that FunctionSupported answers.
constexpr std::array<Check, 11> kChecks{{
    {"GetUnimportedOrdersCount",
     [](IShop& s, std::string&) { return s.SucheAnzahlOffeneBestellungenImShop(); }, nullptr},
    {"GetOrders", [](IShop& s, std::string& e) { return s.HoleBestellungenVomShop(e, true); }, kUnsupported},
    {"GetWebshopArticleList", [](IShop& s, std::string& e) { return s.HoleArtikellisteVomShop(e, true); },
     kUnsupported},
    {"GetArticles", [](IShop& s, std::string& e) { return s.HoleArtikelVomShop(e, true); }, kUnsupported},
    // The connection check checks for real: its "no" is a missing connection.
    {"CHECKCON", [](IShop& s, std::string& e) { return s.KontrolliereVerbindungZumShop(e, true); },
     kNoShopConnection},
    {"SetArticles", [](IShop& s, std::string& e) { return s.ExportArtikelZumShop(e, true); }, kUnsupported},
    {"SetArticlePrices", [](IShop& s, std::string& e) { return s.SetzeArtikelPreise(e, true); },
     kUnsupported},
    {"SetOrderStatus", [](IShop& s, std::string& e) { return s.SetzeBestellstatus(e, true); }, kUnsupported},
    {"SetzeBestellstatusVonOrderID",
     [](IShop& s, std::string& e) { return s.SetzeBestellstatusVonOrderID(e, "", true); }, kUnsupported},
    {"SetStockValues", [](IShop& s, std::string& e) { return s.SetzeLagerbestand(e, true); }, kUnsupported},
    {"SetPriceLists", [](IShop& s, std::string& e) { return s.ExportierePreisListenzuArtikel(e, true); },
     kUnsupported},
}};

void MakeConfigFileCurrent() { ConfigFileWriter{}; }

constexpr std::int32_t kGermanySite = 77;
constexpr const char* kEbayTokenFailed = "Fehler beim Abholen des Tokens.";

// A decimal integer, blanks around it allowed. Throws Error for anything else.
std::int32_t ParseSiteId(const std::string& site) {
  const std::string trimmed = text::Trim(site);
  const char* begin = trimmed.data() + (!trimmed.empty() && trimmed.front() == '+' ? 1 : 0);
  const char* end = trimmed.data() + trimmed.size();
  std::int32_t value = 0;
  const auto result = std::from_chars(begin, end, value);
  if (trimmed.empty() || result.ec != std::errc() || result.ptr != end)
    throw Error("InitEbay: Die eBay-Site \"" + site + "\" ist keine Zahl.");
  return value;
}

// "True" or "False" in any letter case, blanks around it allowed. Throws Error for anything else.
bool ParseBoolean(const std::string& text) {
  const std::string word = text::Trim(text);
  if (text::EqualsIgnoreCase(word, "true")) return true;
  if (text::EqualsIgnoreCase(word, "false")) return false;
  throw Error("InitEbay: \"" + text + "\" ist kein Wahrheitswert für die Sandbox.");
}

LocalDateTime DaysAgo(int days) {
  platform::Clock& clock = platform::CurrentClock();
  return clock.ToLocal(clock.NowUtc() - std::chrono::days(days));
}

}  // namespace

std::unique_ptr<formWorker> ShopService::worker_;
StatusMeldungAnzeigen ShopService::statusMeldungAnzeigen_ = nullptr;

IShop* ShopService::shop() { return worker_ ? worker_->shop() : nullptr; }

std::int32_t ShopService::InitStatusMeldungAnzeigen(StatusMeldungAnzeigen callback) noexcept {
  statusMeldungAnzeigen_ = callback;
  return 1;
}

std::int32_t ShopService::DeInitStatusMeldungAnzeigen() noexcept {
  statusMeldungAnzeigen_ = nullptr;
  return 1;
}

std::string ShopService::NormaliseShopName(const std::string& shopName) {
  std::string name = text::ToLower(shopName);
  for (auto [contained, key] : kShopNames) {
    if (text::Contains(name, contained)) return std::string(key);
  }
  return name;
}

void ShopService::CreateWorkerWithShop(const std::string& erp, const std::string& shopName) {
  worker_ = std::make_unique<formWorker>(true);
  worker_->InitShop(erp, shopName, "", "", "");
}

std::int32_t ShopService::InitShop(const std::string& erp, const std::string& shopName,
                                   const std::string& shopUrl, const std::string& user,
                                   const std::string& pwd, std::string& Fehlermeldung) {
  MakeConfigFileCurrent();
  Settings settings;
  settings.set_WEBSERVICE_RESULT_FILEPATH("");
  settings.set_WEBSERVICE_INPUTORDERS_FILEPATH("");
  settings.set_WEBSERVICE_LOGIN(user);
  settings.set_WEBSERVICE_PASSWORD(pwd);
  settings.set_WEBSERVICE_URL(shopUrl);
  settings.Save();

  if (!worker_) {
    worker_ = std::make_unique<formWorker>(true);
    worker_->InitShop(erp, NormaliseShopName(shopName), shopUrl, user, pwd);
  }
  IShop* connector = shop();
  if (connector == nullptr) {
    Fehlermeldung = kShopNotFound;
    return -1;
  }

  Fehlermeldung.clear();
  std::int32_t check;
  try {
    check = connector->KontrolliereVerbindungZumShop(Fehlermeldung, false);
  } catch (...) {
    LogCaughtFailure();
    if (Fehlermeldung.empty()) Fehlermeldung = kShopNotFound;
    worker_->DropShop();
    return -1;
  }
  if (check == shop_result::kFailed) {
    Fehlermeldung = kNoShopConnection;
    worker_->DropShop();
    return -1;
  }
  return 1;
}

std::int32_t ShopService::InitAmazon(const std::string& erp, const std::string& merchantId,
                                     const std::string& language, const std::string& date,
                                     const std::string& parameter, std::string& Fehlermeldung) {
  Fehlermeldung.clear();
  MakeConfigFileCurrent();
  if (merchantId.empty()) {
    Fehlermeldung = Resources::AMAZON_MISSING_MERCHANTID_DATA();
    return -1;
  }
  Settings settings;
  settings.set_amazon_merchantId(merchantId);
  settings.set_amazon_merchant_kind("sc");
  settings.set_amazon_language(language.empty() ? "de" : language);
  settings.set_amazon_dateFrom(ParseRegionalDateTime(date).value_or(LocalDateTime::Now()));
  settings.set_amazon_parameter(text::ToLower(parameter));
  settings.Save();

  // A connection of another kind left over from an earlier Init would take
  // the Amazon operations.
  if (!worker_) {
    CreateWorkerWithShop(erp, "amazon");
  } else if (shop() == nullptr || shop()->marketplace() != Marketplace::kAmazon) {
    worker_->InitShop(erp, "amazon", "", "", "");
  }
  if (shop() == nullptr) {
    Fehlermeldung = kAmazonNoConnection;
    return -1;
  }
  return 1;
}

std::int32_t ShopService::InitEbay(const std::string& erp, const std::string& username,
                                   const std::string& site, const std::string& date,
                                   const std::string& sandbox, const std::string& parameter,
                                   std::string& fehlermeldung, std::string& token) {
  fehlermeldung.clear();
  MakeConfigFileCurrent();
  if (username.empty()) {
    fehlermeldung = Resources::EBAY_MISSING_USERNAME();
    return -1;
  }
  Settings settings;
  settings.set_ebay_username(username);
  settings.set_ebay_token(token);
  settings.set_ebay_site(site.empty() ? kGermanySite : ParseSiteId(site));
  settings.set_ebay_sandbox(ParseBoolean(sandbox));
  settings.set_ebay_parameter(text::ToLower(parameter));
  settings.set_ebay_dateFrom(ParseRegionalDateTime(date).value_or(DaysAgo(31)));
  settings.Save();

  Ebay ebay(nullptr, platform::CreateHttpClient);
  std::string check_error;
  switch (ebay.CheckEbayToken(check_error)) {
    case 1:
      break;
    case 0: {
      std::string fetched;
      if (!ebay.GetEbayToken(fetched, check_error)) {
        fehlermeldung = kEbayTokenFailed;
        return -1;
      }
      token = fetched;
      break;
    }
    default:
      // eBay could not be asked: the token may well be fine, so it stays and
      // no sign-in opens.
      fehlermeldung = kEbayConnectionFailed;
      return -1;
  }

  if (!worker_) CreateWorkerWithShop(erp, "ebay");
  if (shop() == nullptr) {
    fehlermeldung = kEbayConnectionFailed;
    return -1;
  }
  return 1;
}

std::int32_t ShopService::SetEbayImportedOrdersPath(const std::string& importedOrdersFile, std::string&) {
  Settings settings;
  settings.set_ebay_importedOrders(importedOrdersFile);
  settings.Save();
  return 1;
}

std::int32_t ShopService::FunctionSupported(const std::string& functionName, std::string& Fehlermeldung) {
  Fehlermeldung.clear();
  IShop* connector = shop();
  if (connector == nullptr) {
    Fehlermeldung = kShopNotFound;
    return -1;
  }
  if (RejectedByMarketplace(Fehlermeldung)) return 1;
  for (const Check& check : kChecks) {
    if (check.name == functionName) {
      const std::int32_t answer = check.call(*connector, Fehlermeldung);
      if (answer <= 0 && Fehlermeldung.empty() && check.refusal != nullptr) Fehlermeldung = check.refusal;
      return 1;
    }
  }
  throw Error("FunctionSupported: unbekannte Funktion \"" + functionName + "\"");
}

std::int32_t ShopService::DeInit(std::string& Fehlermeldung) {
  Fehlermeldung.clear();
  worker_.reset();
  return 1;
}

bool ShopService::RejectedByMarketplace(std::string& Fehlermeldung) {
  IShop* connector = shop();
  switch (connector ? connector->marketplace() : Marketplace::kNone) {
    case Marketplace::kAmazon:
      Fehlermeldung = kAmazonUnsupported;
      return true;
    case Marketplace::kEbay:
      Fehlermeldung = kEbayUnsupported;
      return true;
    case Marketplace::kNone:
      break;
  }
  return false;
}

std::int32_t ShopService::CallFunction(const std::string& methode, const std::string& XMLFile,
                                       std::string& Fehlermeldung) {
  Settings settings;
  settings.set_WEBSERVICE_METHODE(methode);
  settings.set_WEBSERVICE_RESULT_FILEPATH(XMLFile);
  settings.set_WEBSERVICE_INPUTORDERS_FILEPATH(XMLFile);
  settings.Save();

  if (shop() == nullptr) {
    Fehlermeldung = kShopNotFound;
    return -1;
  }
  const bool ran = worker_->ShowDialog();
  Fehlermeldung = worker_->getError();
  if (!ran) return -1;
  const std::int32_t open_orders = worker_->getOpenOrders();
  return open_orders != formWorker::kOpenOrdersSentinel ? open_orders : 1;
}

std::int32_t ShopService::ManageReportSchedule(std::string& Fehlermeldung) {
  return CallFunction("MANAGE_REPORTS_SCHEDULE", "", Fehlermeldung);
}

std::int32_t ShopService::ManageReportScheduleFBA(std::string& Fehlermeldung) {
  return CallFunction("MANAGE_FBA_REPORTS_SCHEDULE", "", Fehlermeldung);
}

std::int32_t ShopService::GetReportsFromAmazon(std::string& Fehlermeldung) {
  return CallFunction("GET_REPORTS", "", Fehlermeldung);
}

std::int32_t ShopService::GetOrders(const std::string& XMLFile, std::string& Fehlermeldung) {
  return CallFunction("GET_ORDERS", XMLFile, Fehlermeldung);
}

std::int32_t ShopService::GetArticles(const std::string& XMLFile, std::string& Fehlermeldung) {
  return CallFunction("GET_ARTICLES", XMLFile, Fehlermeldung);
}

std::int32_t ShopService::GetUnimportedOrdersCount(std::string& Fehlermeldung) {
  if (RejectedByMarketplace(Fehlermeldung)) return 0;
  return CallFunction("FIND_ORDERS", "", Fehlermeldung);
}

std::int32_t ShopService::GetWebshopArticleList(const std::string& XMLFile, std::string& Fehlermeldung) {
  if (RejectedByMarketplace(Fehlermeldung)) return 1;
  return CallFunction("GET_WEBSHOPARTICLELIST", XMLFile, Fehlermeldung);
}

std::int32_t ShopService::SetArticles(const std::string& XMLFile, std::string& Fehlermeldung) {
  if (RejectedByMarketplace(Fehlermeldung)) return 0;
  return CallFunction("SET_ARTICLES", XMLFile, Fehlermeldung);
}

std::int32_t ShopService::SetOrderStatus(const std::string& XMLFile, std::string& Fehlermeldung) {
  if (RejectedByMarketplace(Fehlermeldung)) return 0;
  return CallFunction("SET_ORDERSTATESFROMFILE", XMLFile, Fehlermeldung);
}

std::int32_t ShopService::SetStockValues(const std::string& XMLFile, std::string& Fehlermeldung) {
  if (RejectedByMarketplace(Fehlermeldung)) return 0;
  return CallFunction("SET_STOCKVALUES", XMLFile, Fehlermeldung);
}

std::int32_t ShopService::SetPriceLists(const std::string& XMLFile, std::string& Fehlermeldung) {
  if (RejectedByMarketplace(Fehlermeldung)) return 0;
  return CallFunction("SET_PRICELISTS", XMLFile, Fehlermeldung);
}

std::int32_t ShopService::SetArticlePrices(const std::string& XMLFile, std::string& Fehlermeldung) {
  if (RejectedByMarketplace(Fehlermeldung)) return 0;
  return CallFunction("SET_ARTICLEPRICES", XMLFile, Fehlermeldung);
}

}  // namespace kanvio
