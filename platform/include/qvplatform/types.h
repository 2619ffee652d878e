// Basic types of the platform layer, with the widths the library's formats rely on.
// LONG is 32 bits here as everywhere in the library: `long` is 64 bits on this
// platform and never appears in a record.
#pragma once

#include <cstdint>

#define QVP_API __attribute__((visibility("default")))

using BOOL = std::int32_t;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using ULONG = std::uint32_t;
using UINT = std::uint32_t;
using INT = std::int32_t;
using LONGLONG = std::int64_t;
using ULONGLONG = std::uint64_t;
using COLORREF = DWORD;
using LPCSTR = const char*;
using LPSTR = char*;
using LPVOID = void*;
using LPCVOID = const void*;
using UINT_PTR = std::uintptr_t;
using INT_PTR = std::intptr_t;
using LPARAM = std::intptr_t;
using WPARAM = std::uintptr_t;
using LRESULT = std::intptr_t;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

struct POINT {
    LONG x;
    LONG y;
};

struct SIZE {
    LONG cx;
    LONG cy;
};

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};

using LPPOINT = POINT*;
using LPRECT = RECT*;
using LPCRECT = const RECT*;

// Handles are opaque and distinct per kind; every one converts to the generic
// object handle as it does on the platform the library was written for.
#define QVP_DECLARE_HANDLE(name) \
    struct name##__;             \
    using name = name##__*

QVP_DECLARE_HANDLE(HDC);
QVP_DECLARE_HANDLE(HBITMAP);
QVP_DECLARE_HANDLE(HFONT);
QVP_DECLARE_HANDLE(HBRUSH);
QVP_DECLARE_HANDLE(HPEN);
QVP_DECLARE_HANDLE(HRGN);
QVP_DECLARE_HANDLE(HINSTANCE);
QVP_DECLARE_HANDLE(HWND);
using HMODULE = HINSTANCE;
using HGDIOBJ = void*;
using HANDLE = void*;
using FARPROC = void (*)();

constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b) {
    return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) |
           (static_cast<COLORREF>(b) << 16);
}
constexpr BYTE GetRValue(COLORREF c) { return static_cast<BYTE>(c); }
constexpr BYTE GetGValue(COLORREF c) { return static_cast<BYTE>(c >> 8); }
constexpr BYTE GetBValue(COLORREF c) { return static_cast<BYTE>(c >> 16); }

constexpr WORD LOWORD(DWORD v) { return static_cast<WORD>(v); }
constexpr WORD HIWORD(DWORD v) { return static_cast<WORD>(v >> 16); }

// Resource identifiers: a small number passed where a name is expected.
inline LPCSTR MAKEINTRESOURCE(UINT id) { return reinterpret_cast<LPCSTR>(static_cast<UINT_PTR>(id)); }
inline bool IS_INTRESOURCE(LPCSTR name) { return (reinterpret_cast<UINT_PTR>(name) >> 16) == 0; }
