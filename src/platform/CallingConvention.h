#pragma once
// Calling convention of functions that cross a module boundary to or from
// the host: __stdcall on 32-bit Windows, the platform's only one elsewhere.

#if defined(_WIN32) && !defined(_WIN64)
#define KANVIO_STDCALL __stdcall
#else
#define KANVIO_STDCALL
#endif
