/* A host written in C includes the public headers. Each export is assigned
 * to a pointer of the type a C host would declare for it, so a declaration
 * that C reads differently from C++ fails to compile. */
#include "marlixKanvio/comstrings.h"
#include "marlixKanvio/exports.h"

typedef int32_t(KANVIO_CALL* ErrorOnly)(BSTR*);
typedef int32_t(KANVIO_CALL* WithText)(BSTR, BSTR*);

static void KANVIO_CALL ShowStatus(const void* text) { (void)text; }

int32_t(KANVIO_CALL* const init_status)(StatusMeldungAnzeigen) = InitStatusAnzeige;
int32_t(KANVIO_CALL* const deinit_status)(void) = DeInitStatusAnzeige;
int32_t(KANVIO_CALL* const init_amazon)(BSTR, BSTR, BSTR, BSTR, BSTR, BSTR*) = InitAmazon;
int32_t(KANVIO_CALL* const get_reports)(char**) = GetReports;
int32_t(KANVIO_CALL* const init_ebay)(BSTR, BSTR, BSTR, BSTR, BSTR, BSTR, BSTR*, BSTR*) = InitEbay;
int32_t(KANVIO_CALL* const init)(BSTR, BSTR, BSTR, BSTR, BSTR, BSTR*) = Init;

const ErrorOnly error_only[] = {ManageReportSchedule, ManageReportScheduleFBA, GetUnimportedOrdersCount,
                                DeInit};
const WithText with_text[] = {GetOrders,         SetEbayImportedOrdersPath,
                              FunctionSupported, GetWebshopArticleList,
                              GetArticles,       SetArticles,
                              SetOrderStatus,    SetStockValues,
                              SetPriceLists,     SetArticlePrices};

const StatusMeldungAnzeigen callback = ShowStatus;

/* The COM string functions as a host calls them. */
uint32_t LengthOfCopy(const OLECHAR* text) {
  BSTR copy = SysAllocString(text);
  uint32_t length = SysStringLen(copy);
  SysFreeString(copy);
  return length;
}
