/* The 20 functions a host calls.
 *
 * Contract, common to every function below:
 * - Each returns a 32-bit result code and never lets a failure escape: a
 *   failure is written to the error log and answered with a code (mostly -1).
 * - Text inputs are BSTRs owned by the host; the library only reads them.
 *   NULL is taken as the empty text.
 * - The error text (Fehlermeldung) is an out-parameter: whatever it points to
 *   on entry is ignored, and before returning the library always stores a
 *   newly allocated BSTR there (the empty text when there is no error). The
 *   host frees it with SysFreeString.
 * - Exception: GetReports stores a zero-terminated text in the system's ANSI
 *   code page, allocated with CoTaskMemAlloc; the host frees it with
 *   CoTaskMemFree.
 * - InitEbay's token is in/out: the library may free the host's BSTR and
 *   store a new one; the host frees whatever the parameter holds afterwards.
 * - The host calls one function at a time, from one thread. Operations block
 *   until their progress window has closed.
 *
 * Order of calls: optionally InitStatusAnzeige; one of Init, InitAmazon,
 * InitEbay; any number of operations and FunctionSupported; DeInit. */
#ifndef MARLIXKANVIO_EXPORTS_H
#define MARLIXKANVIO_EXPORTS_H

#include <stdint.h>

#include "marlixKanvio/comstrings.h"

#ifdef _WIN32
#define KANVIO_CALL __stdcall
/* marlixKanvio.def names the exports, undecorated. */
#define KANVIO_EXPORT
#else
#define KANVIO_CALL
#if defined(KANVIO_BUILDING_LIBRARY)
#define KANVIO_EXPORT __attribute__((visibility("default")))
#else
#define KANVIO_EXPORT
#endif
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* The host's status callback; the library stores it but never calls it. */
typedef void(KANVIO_CALL* StatusMeldungAnzeigen)(const void* text);

/* Store or forget the status callback. Always 1. */
KANVIO_EXPORT int32_t KANVIO_CALL InitStatusAnzeige(StatusMeldungAnzeigen callback);
KANVIO_EXPORT int32_t KANVIO_CALL DeInitStatusAnzeige(void);

/* Connects an Amazon seller account. 1 connected, -1 failure. */
KANVIO_EXPORT int32_t KANVIO_CALL InitAmazon(BSTR erp, BSTR merchantId, BSTR language, BSTR date,
                                             BSTR parameter, BSTR* Fehlermeldung);
/* Amazon report operations; 1 once the window has closed. */
KANVIO_EXPORT int32_t KANVIO_CALL ManageReportSchedule(BSTR* Fehlermeldung);
KANVIO_EXPORT int32_t KANVIO_CALL ManageReportScheduleFBA(BSTR* Fehlermeldung);
KANVIO_EXPORT int32_t KANVIO_CALL GetReports(char** Fehlermeldung);

/* Writes the orders file XMLFile. 1 once the window has closed; a failure
 * of the shop reaches the host through the error text only. Like every
 * operation, -1 with a text when the operation could not be started. */
KANVIO_EXPORT int32_t KANVIO_CALL GetOrders(BSTR XMLFile, BSTR* Fehlermeldung);

/* Connects an eBay seller account; token is in/out. 1 connected, -1 failure. */
KANVIO_EXPORT int32_t KANVIO_CALL InitEbay(BSTR erp, BSTR username, BSTR site, BSTR date, BSTR sandbox,
                                           BSTR parameter, BSTR* fehlermeldung, BSTR* token);
/* Stores the path of the host's list of imported eBay orders. 1 or -1. */
KANVIO_EXPORT int32_t KANVIO_CALL SetEbayImportedOrdersPath(BSTR importedOrdersFile, BSTR* Fehlermeldung);

/* Connects a web shop and checks the connection. 1 connected (possibly
 * with a warning in the error text), -1 failure. */
KANVIO_EXPORT int32_t KANVIO_CALL Init(BSTR erp, BSTR shopName, BSTR shopUrl, BSTR user, BSTR pwd,
                                       BSTR* Fehlermeldung);
/* 1 when the question could be asked (the answer is in the error text:
 * empty means supported), -1 without connection or for an unknown name. */
KANVIO_EXPORT int32_t KANVIO_CALL FunctionSupported(BSTR functionName, BSTR* Fehlermeldung);

/* The number of open orders (-1 on failure, with a text). */
KANVIO_EXPORT int32_t KANVIO_CALL GetUnimportedOrdersCount(BSTR* Fehlermeldung);
/* Operations on files: the library writes XMLFile (GetWebshopArticleList,
 * GetArticles) or reads the file the host wrote (the others). */
KANVIO_EXPORT int32_t KANVIO_CALL GetWebshopArticleList(BSTR XMLFile, BSTR* Fehlermeldung);
KANVIO_EXPORT int32_t KANVIO_CALL GetArticles(BSTR XMLFile, BSTR* Fehlermeldung);
KANVIO_EXPORT int32_t KANVIO_CALL SetArticles(BSTR XMLFile, BSTR* Fehlermeldung);
KANVIO_EXPORT int32_t KANVIO_CALL SetOrderStatus(BSTR XMLFile, BSTR* Fehlermeldung);

/* Releases the connection; a new initialisation may follow. 1 or -1. */
KANVIO_EXPORT int32_t KANVIO_CALL DeInit(BSTR* Fehlermeldung);

KANVIO_EXPORT int32_t KANVIO_CALL SetStockValues(BSTR XMLFile, BSTR* Fehlermeldung);
KANVIO_EXPORT int32_t KANVIO_CALL SetPriceLists(BSTR XMLFile, BSTR* Fehlermeldung);
KANVIO_EXPORT int32_t KANVIO_CALL SetArticlePrices(BSTR XMLFile, BSTR* Fehlermeldung);

#ifdef __cplusplus
}
#endif

#endif /* MARLIXKANVIO_EXPORTS_H */
