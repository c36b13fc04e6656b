// The C boundary: COM strings in and out, and the one place where every
// failure is caught. Nothing unwinds into the host.
#include "marlixKanvio/exports.h"

#include <cstring>
#include <string>
#include <string_view>

#include "entry/ShopService.h"
#include "marlixKanvio/comstrings.h"
#include "platform/CodePage.h"
#include "support/Text.h"
#include "worker/LogFailure.h"

namespace {

using kanvio::ShopService;

std::string Utf8(BSTR text) {
  if (text == nullptr) return {};
  return kanvio::text::Utf16ToUtf8(
      std::u16string_view(reinterpret_cast<const char16_t*>(text), SysStringLen(text)));
}

BSTR NewBstr(const std::string& utf8) noexcept {
  try {
    const std::u16string utf16 = kanvio::text::Utf8ToUtf16(utf8);
    return SysAllocStringLen(reinterpret_cast<const OLECHAR*>(utf16.data()),
                             static_cast<uint32_t>(utf16.size()));
  } catch (...) {
    return nullptr;
  }
}

// The ANSI text of GetReports, from the COM task allocator.
char* NewAnsiText(const std::string& utf8) noexcept {
  try {
    const std::string narrow = kanvio::platform::Utf8ToNarrow(utf8);
    auto* text = static_cast<char*>(CoTaskMemAlloc(narrow.size() + 1));
    if (text != nullptr) std::memcpy(text, narrow.c_str(), narrow.size() + 1);
    return text;
  } catch (...) {
    return nullptr;
  }
}

void Store(BSTR* out, const std::string& text) noexcept {
  if (out != nullptr) *out = NewBstr(text);
}

void Store(char** out, const std::string& text) noexcept {
  if (out != nullptr) *out = NewAnsiText(text);
}

// Runs body(error) and hands its result and error text to the host. A
// failure that escapes is logged and answered with -1 and failure_text.
template <class Out, class Body>
int32_t Guard(Out* out, std::string_view failure_text, Body&& body) noexcept {
  std::string error;
  int32_t result;
  try {
    result = body(error);
  } catch (...) {
    kanvio::LogCaughtFailure();
    result = -1;
    try {
      error = failure_text;
    } catch (...) {
      error.clear();
    }
  }
  Store(out, error);
  return result;
}

template <class Out, class Body>
int32_t Guard(Out* out, Body&& body) noexcept {
  return Guard(out, std::string_view(), std::forward<Body>(body));
}

// Replaces the host's token when the library has another one.
void UpdateToken(BSTR* token, const std::string& before, const std::string& after) {
  if (token == nullptr || after == before) return;
  BSTR fresh = NewBstr(after);
  if (fresh == nullptr) throw std::bad_alloc();
  SysFreeString(*token);
  *token = fresh;
}

}  // namespace

extern "C" {

int32_t KANVIO_CALL InitStatusAnzeige(StatusMeldungAnzeigen callback) {
  return ShopService::InitStatusMeldungAnzeigen(callback);
}

int32_t KANVIO_CALL DeInitStatusAnzeige(void) { return ShopService::DeInitStatusMeldungAnzeigen(); }

int32_t KANVIO_CALL InitAmazon(BSTR erp, BSTR merchantId, BSTR language, BSTR date, BSTR parameter,
                               BSTR* Fehlermeldung) {
  return Guard(Fehlermeldung, [&](std::string& error) {
    return ShopService::InitAmazon(Utf8(erp), Utf8(merchantId), Utf8(language), Utf8(date), Utf8(parameter),
                                   error);
  });
}

int32_t KANVIO_CALL ManageReportSchedule(BSTR* Fehlermeldung) {
  return Guard(Fehlermeldung, [](std::string& error) { return ShopService::ManageReportSchedule(error); });
}

int32_t KANVIO_CALL ManageReportScheduleFBA(BSTR* Fehlermeldung) {
  return Guard(Fehlermeldung, [](std::string& error) { return ShopService::ManageReportScheduleFBA(error); });
}

int32_t KANVIO_CALL GetReports(char** Fehlermeldung) {
  return Guard(Fehlermeldung, [](std::string& error) { return ShopService::GetReportsFromAmazon(error); });
}

int32_t KANVIO_CALL GetOrders(BSTR XMLFile, BSTR* Fehlermeldung) {
  return Guard(Fehlermeldung,
               [&](std::string& error) { return ShopService::GetOrders(Utf8(XMLFile), error); });
}

int32_t KANVIO_CALL InitEbay(BSTR erp, BSTR username, BSTR site, BSTR date, BSTR sandbox, BSTR parameter,
                             BSTR* fehlermeldung, BSTR* token) {
  return Guard(fehlermeldung, ShopService::kEbayConnectionFailed, [&](std::string& error) {
    const std::string before = token != nullptr ? Utf8(*token) : std::string();
    std::string value = before;
    const int32_t result = ShopService::InitEbay(Utf8(erp), Utf8(username), Utf8(site), Utf8(date),
                                                 Utf8(sandbox), Utf8(parameter), error, value);
    UpdateToken(token, before, value);
    return result;
  });
}

int32_t KANVIO_CALL SetEbayImportedOrdersPath(BSTR importedOrdersFile, BSTR* Fehlermeldung) {
  return Guard(Fehlermeldung, ShopService::kImportedOrdersPathFailed, [&](std::string& error) {
    return ShopService::SetEbayImportedOrdersPath(Utf8(importedOrdersFile), error);
  });
}

int32_t KANVIO_CALL Init(BSTR erp, BSTR shopName, BSTR shopUrl, BSTR user, BSTR pwd, BSTR* Fehlermeldung) {
  return Guard(Fehlermeldung, [&](std::string& error) {
    return ShopService::InitShop(Utf8(erp), Utf8(shopName), Utf8(shopUrl), Utf8(user), Utf8(pwd), error);
  });
}

int32_t KANVIO_CALL FunctionSupported(BSTR functionName, BSTR* Fehlermeldung) {
  return Guard(Fehlermeldung,
               [&](std::string& error) { return ShopService::FunctionSupported(Utf8(functionName), error); });
}

int32_t KANVIO_CALL GetUnimportedOrdersCount(BSTR* Fehlermeldung) {
  return Guard(Fehlermeldung,
               [](std::string& error) { return ShopService::GetUnimportedOrdersCount(error); });
}

int32_t KANVIO_CALL GetWebshopArticleList(BSTR XMLFile, BSTR* Fehlermeldung) {
  return Guard(Fehlermeldung,
               [&](std::string& error) { return ShopService::GetWebshopArticleList(Utf8(XMLFile), error); });
}

int32_t KANVIO_CALL GetArticles(BSTR XMLFile, BSTR* Fehlermeldung) {
  return Guard(Fehlermeldung,
               [&](std::string& error) { return ShopService::GetArticles(Utf8(XMLFile), error); });
}

int32_t KANVIO_CALL SetArticles(BSTR XMLFile, BSTR* Fehlermeldung) {
  return Guard(Fehlermeldung,
               [&](std::string& error) { return ShopService::SetArticles(Utf8(XMLFile), error); });
}

int32_t KANVIO_CALL SetOrderStatus(BSTR XMLFile, BSTR* Fehlermeldung) {
  return Guard(Fehlermeldung,
               [&](std::string& error) { return ShopService::SetOrderStatus(Utf8(XMLFile), error); });
}

int32_t KANVIO_CALL DeInit(BSTR* Fehlermeldung) {
  return Guard(Fehlermeldung, [](std::string& error) { return ShopService::DeInit(error); });
}

int32_t KANVIO_CALL SetStockValues(BSTR XMLFile, BSTR* Fehlermeldung) {
  return Guard(Fehlermeldung,
               [&](std::string& error) { return ShopService::SetStockValues(Utf8(XMLFile), error); });
}

int32_t KANVIO_CALL SetPriceLists(BSTR XMLFile, BSTR* Fehlermeldung) {
  return Guard(Fehlermeldung,
               [&](std::string& error) { return ShopService::SetPriceLists(Utf8(XMLFile), error); });
}

int32_t KANVIO_CALL SetArticlePrices(BSTR XMLFile, BSTR* Fehlermeldung) {
  return Guard(Fehlermeldung,
               [&](std::string& error) { return ShopService::SetArticlePrices(Utf8(XMLFile), error); });
}

}  // extern "C"
