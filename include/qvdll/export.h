// Export markers of the library. The library is built with hidden visibility,
// so exactly the classes and functions marked here are visible to hosts.
//
// The exported plain functions are plain C functions here: this platform has no
// standard-call convention and no decorated names (no `_SetXYToHex@8`). Hosts
// call them by their plain names, e.g. `SetXYToHex`.
#pragma once

#define QVDLL_API __attribute__((visibility("default")))

#ifdef __cplusplus
#define QVDLL_EXTERN_C extern "C"
#else
#define QVDLL_EXTERN_C
#endif

// Marks an exported plain function.
#define QVDLL_FUNC QVDLL_EXTERN_C QVDLL_API
