/* COM strings as the host and the library exchange them.
 *
 * A BSTR points at UTF-16 code units preceded by a 4-byte byte length and
 * followed by a 16-bit terminator. Whoever receives a BSTR from the other
 * side frees it with SysFreeString; the one ANSI out-text of GetReports is
 * freed with CoTaskMemFree.
 *
 * On Windows these are the system's own functions (oleaut32, ole32). On
 * other systems the library exports functions of the same names and layout,
 * so a host loaded against the library allocates and frees with them. */
#ifndef MARLIXKANVIO_COMSTRINGS_H
#define MARLIXKANVIO_COMSTRINGS_H

#include <stddef.h>
#include <stdint.h>

#ifdef _WIN32
#include <windows.h>
/* oleauto.h needs windows.h first. */
#include <oleauto.h>
#else

#ifdef __cplusplus
extern "C" {
#else
/* char16_t is a keyword in C++ only; C11 declares it here. */
#include <uchar.h>
#endif

typedef char16_t OLECHAR;
typedef OLECHAR* BSTR;

#if defined(KANVIO_BUILDING_LIBRARY)
#define KANVIO_COM_API __attribute__((visibility("default")))
#else
#define KANVIO_COM_API
#endif

/* Returns a new BSTR holding a copy of the zero-terminated text, or NULL
 * when text is NULL or memory runs out. */
KANVIO_COM_API BSTR SysAllocString(const OLECHAR* text);
/* Returns a new BSTR of length code units; copies them from text unless
 * text is NULL (then the content is zero). */
KANVIO_COM_API BSTR SysAllocStringLen(const OLECHAR* text, uint32_t length);
/* Length in code units as stored in the prefix; 0 for NULL. */
KANVIO_COM_API uint32_t SysStringLen(BSTR text);
/* Frees a BSTR made by SysAllocString*; NULL is ignored. */
KANVIO_COM_API void SysFreeString(BSTR text);
KANVIO_COM_API void* CoTaskMemAlloc(size_t size);
KANVIO_COM_API void CoTaskMemFree(void* block);

#ifdef __cplusplus
}
#endif

#endif /* _WIN32 */
#endif /* MARLIXKANVIO_COMSTRINGS_H */
