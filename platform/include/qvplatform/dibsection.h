// Device-independent bitmap sections: a colour bitmap whose pixels the caller writes in
// place, so that a decoder fills a new picture without an intermediate copy.
#pragma once

#include "qvplatform/gdi.h"

struct BITMAPINFOHEADER {
    DWORD biSize;  // sizeof(BITMAPINFOHEADER)
    LONG biWidth;
    LONG biHeight;  // negative: rows top first
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};

struct RGBQUAD {
    BYTE rgbBlue;
    BYTE rgbGreen;
    BYTE rgbRed;
    BYTE rgbReserved;
};

struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
};

constexpr DWORD BI_RGB = 0;
constexpr UINT DIB_RGB_COLORS = 0;

// A colour bitmap of the header's size and, in `*ppvBits`, its pixels: rows top first
// without padding, four bytes a pixel (blue, green, red, then a byte that must stay 0),
// which is the display format itself. The pointer stays valid until the bitmap is
// deleted. Only top-down (negative height) 32-bit BI_RGB sections in memory exist here
// (`hSection` null); anything else, or a size past the bitmap limits, gives null with
// `*ppvBits` null. The pixels start black.
QVP_API HBITMAP CreateDIBSection(HDC hdc, const BITMAPINFO* pbmi, UINT usage, void** ppvBits,
                                 HANDLE hSection, DWORD offset);
