// Device contexts, bitmaps and block transfers of the software graphics layer.
//
// Pixels: a colour bitmap holds 32 bits per pixel, the value 0x00RRGGBB (bytes B, G, R, 0 in
// memory, rows top first, no padding): the "display format". A monochrome bitmap holds one
// bit per pixel; a 0 bit is black and a 1 bit is white. COLORREF values (0x00BBGGRR) are
// converted at the boundary. A colour that has to land on a monochrome bitmap (a brush, the
// text colour, SetPixel) becomes white when R + G + B >= 383, the nearer of the two.
//
// Coordinates given to drawing calls are logical: the device position is the logical one plus
// the context's viewport origin. Every call refuses a null, stale or foreign handle.
#pragma once

#include "qvplatform/gdiobj.h"

// The bitmap description filled by GetObjectA. On this 64-bit platform the record is 32
// bytes (bmBits is a pointer of 8 bytes after 4 bytes of padding); a caller that passes 24
// bytes, the size on the platform the library was written for, gets every field but bmBits.
struct BITMAP {
    LONG bmType;        // always 0
    LONG bmWidth;       // pixels
    LONG bmHeight;      // pixels
    LONG bmWidthBytes;  // bytes per row in the GetBitmapBits layout (even)
    WORD bmPlanes;      // always 1
    WORD bmBitsPixel;   // 1 or 32
    LPVOID bmBits;      // always null: pixels are reached through GetBitmapBits
};
using PBITMAP = BITMAP*;
using LPBITMAP = BITMAP*;

// Raster operations: bits 16 to 23 are the truth table over pattern (0xF0), source (0xCC)
// and destination (0xAA); only they are used, so all 256 codes work.
constexpr DWORD SRCCOPY = 0x00CC0020;
constexpr DWORD SRCPAINT = 0x00EE0086;
constexpr DWORD SRCAND = 0x008800C6;
constexpr DWORD SRCINVERT = 0x00660046;
constexpr DWORD SRCERASE = 0x00440328;
constexpr DWORD NOTSRCCOPY = 0x00330008;
constexpr DWORD NOTSRCERASE = 0x001100A6;
constexpr DWORD MERGECOPY = 0x00C000CA;
constexpr DWORD MERGEPAINT = 0x00BB0226;
constexpr DWORD PATCOPY = 0x00F00021;
constexpr DWORD PATPAINT = 0x00FB0A09;
constexpr DWORD PATINVERT = 0x005A0049;
constexpr DWORD DSTINVERT = 0x00550009;
constexpr DWORD BLACKNESS = 0x00000042;
constexpr DWORD WHITENESS = 0x00FF0062;

// Background modes.
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

// Stretch modes: how StretchBlt merges source pixels that fall on one destination pixel.
// BLACKONWHITE ANDs them, WHITEONBLACK ORs them, COLORONCOLOR keeps the first. HALFTONE
// here behaves as COLORONCOLOR (no averaging, so colours stay exact).
constexpr int BLACKONWHITE = 1;
constexpr int WHITEONBLACK = 2;
constexpr int COLORONCOLOR = 3;
constexpr int HALFTONE = 4;
constexpr int STRETCH_ANDSCANS = BLACKONWHITE;
constexpr int STRETCH_ORSCANS = WHITEONBLACK;
constexpr int STRETCH_DELETESCANS = COLORONCOLOR;
constexpr int STRETCH_HALFTONE = HALFTONE;

// Stock objects.
constexpr int WHITE_BRUSH = 0;
constexpr int LTGRAY_BRUSH = 1;
constexpr int GRAY_BRUSH = 2;
constexpr int DKGRAY_BRUSH = 3;
constexpr int BLACK_BRUSH = 4;
constexpr int NULL_BRUSH = 5;
constexpr int HOLLOW_BRUSH = NULL_BRUSH;
constexpr int WHITE_PEN = 6;
constexpr int BLACK_PEN = 7;
constexpr int NULL_PEN = 8;
constexpr int OEM_FIXED_FONT = 10;
constexpr int ANSI_FIXED_FONT = 11;
constexpr int ANSI_VAR_FONT = 12;
constexpr int SYSTEM_FONT = 13;
constexpr int DEVICE_DEFAULT_FONT = 14;
constexpr int SYSTEM_FIXED_FONT = 16;
constexpr int DEFAULT_GUI_FONT = 17;

// Object types reported by GetObjectType.
constexpr DWORD OBJ_PEN = 1;
constexpr DWORD OBJ_BRUSH = 2;
constexpr DWORD OBJ_DC = 3;
constexpr DWORD OBJ_FONT = 6;
constexpr DWORD OBJ_BITMAP = 7;
constexpr DWORD OBJ_REGION = 8;
constexpr DWORD OBJ_MEMDC = 10;

constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;
constexpr int GDI_ERROR = -1;

// Device capability indexes answered by GetDeviceCaps.
constexpr int BITSPIXEL = 12;
constexpr int PLANES = 14;
constexpr int LOGPIXELSX = 88;
constexpr int LOGPIXELSY = 90;

// ---- Device contexts ----

// A memory context compatible with `hdc`, or with the screen when `hdc` is null. It starts
// with a shared 1 x 1 monochrome bitmap selected, the stock white brush, black pen and
// system font, white background, black text, opaque mode, ALTERNATE, BLACKONWHITE.
QVP_API HDC CreateCompatibleDC(HDC hdc);
// A context for the screen ("DISPLAY" or null driver). There is no screen to draw on, so
// drawing into it changes nothing, but bitmaps made compatible with it are colour.
QVP_API HDC CreateDCA(LPCSTR pszDriver, LPCSTR pszDevice, LPCSTR pszPort, const void* pdm);
// A context drawing into `hbmSurface`, a colour bitmap that the window layer keeps as a
// window's picture. The surface stays selected for the context's life and cannot be
// replaced with SelectObject. Null if the bitmap is stale, monochrome or selected elsewhere.
QVP_API HDC CreateSurfaceDC(HBITMAP hbmSurface);
// Deletes any context; the objects it had selected become deletable again.
QVP_API BOOL DeleteDC(HDC hdc);

// Selects a bitmap, font, brush or pen and returns the object it displaces, or null on
// failure (a stale handle, a region, or a bitmap already selected into another context).
QVP_API HGDIOBJ SelectObject(HDC hdc, HGDIOBJ h);
QVP_API HGDIOBJ GetCurrentObject(HDC hdc, UINT type);  // type: OBJ_BITMAP, OBJ_FONT, ...
QVP_API HGDIOBJ GetStockObject(int i);
QVP_API DWORD GetObjectType(HGDIOBJ h);  // 0 for a stale handle
// Fills BITMAP (bitmaps), LOGFONTA (fonts), LOGBRUSH (brushes) or LOGPEN (pens); returns
// the bytes written, the size needed when `pv` is null, 0 on failure or a short buffer.
QVP_API int GetObjectA(HGDIOBJ h, int c, LPVOID pv);

// The setters return the previous value (0 or CLR_INVALID on failure).
QVP_API int SetBkMode(HDC hdc, int mode);
QVP_API int GetBkMode(HDC hdc);
QVP_API COLORREF SetBkColor(HDC hdc, COLORREF color);
QVP_API COLORREF GetBkColor(HDC hdc);
QVP_API COLORREF SetTextColor(HDC hdc, COLORREF color);
QVP_API COLORREF GetTextColor(HDC hdc);
QVP_API int SetPolyFillMode(HDC hdc, int mode);  // ALTERNATE or WINDING (region.h)
QVP_API int GetPolyFillMode(HDC hdc);
QVP_API int SetStretchBltMode(HDC hdc, int mode);
QVP_API int GetStretchBltMode(HDC hdc);
QVP_API BOOL SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT lppt);
QVP_API BOOL GetViewportOrgEx(HDC hdc, LPPOINT lppt);
QVP_API BOOL OffsetViewportOrgEx(HDC hdc, int x, int y, LPPOINT lppt);
QVP_API int GetDeviceCaps(HDC hdc, int index);

// Clipping to a rectangle, in logical coordinates. Every drawing call stays inside it.
QVP_API int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom);
QVP_API int GetClipBox(HDC hdc, LPRECT lprect);  // NULLREGION, SIMPLEREGION or ERROR
constexpr int ERROR = 0;
constexpr int NULLREGION = 1;
constexpr int SIMPLEREGION = 2;

// Saves the whole drawing state (selections included) on the context's own stack.
// SaveDC returns the new depth; RestoreDC takes a depth, or a negative count back.
QVP_API int SaveDC(HDC hdc);
QVP_API BOOL RestoreDC(HDC hdc, int nSavedDC);

// ---- Bitmaps ----

// The largest bitmap this layer makes, for callers that check a size before asking.
constexpr int QVP_MAX_BITMAP_SIDE = 32767;
constexpr long long QVP_MAX_BITMAP_PIXELS = 1LL << 26;  // 64 megapixels

// Width and height must lie in 1 .. 32767 and the picture below 64 megapixels; a 0 width
// or height gives a 1 x 1 monochrome bitmap, as on the platform the library comes from.
// The format is the one of the bitmap selected into `hdc` (monochrome for a fresh memory
// context, whose default bitmap is monochrome); colour for a screen context and for null.
// The new pixels are black.
QVP_API HBITMAP CreateCompatibleBitmap(HDC hdc, int cx, int cy);
// One plane; 1 bit per pixel makes a monochrome bitmap, 24 or 32 a colour one. `lpBits`,
// when given, holds rows in the GetBitmapBits layout for that depth (24-bit rows B, G, R,
// padded to an even length); otherwise the pixels are black.
QVP_API HBITMAP CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitCount,
                             const void* lpBits);
// The pixels in the bitmap's own layout: 32-bit rows of 0x00RRGGBB for colour; 1-bit rows,
// leftmost pixel in the top bit, padded to 16 bits, for monochrome. Copies at most `cb`
// bytes and returns how many.
QVP_API LONG GetBitmapBits(HBITMAP hbm, LONG cb, LPVOID lpvBits);
QVP_API LONG SetBitmapBits(HBITMAP hbm, DWORD cb, const void* lpBits);

// In logical coordinates of the context's bitmap; CLR_INVALID outside it.
QVP_API COLORREF GetPixel(HDC hdc, int x, int y);
// Returns the colour actually set (black or white on a monochrome bitmap).
QVP_API COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color);

// ---- Block transfers ----

// Combines source, destination and the selected brush by `rop`. Colour to monochrome: a
// source pixel equal to the source context's background colour becomes white, any other
// black. Monochrome to colour: black becomes the destination context's text colour, white
// its background colour. The transfer is clipped to both bitmaps; pixels whose source lies
// outside the source bitmap are left alone. The source may be null when `rop` ignores it.
// A null brush with a `rop` that uses the pattern draws nothing.
QVP_API BOOL BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop);
QVP_API BOOL PatBlt(HDC hdc, int x, int y, int w, int h, DWORD rop);
// As BitBlt, scaling the source rectangle to the destination's; negative extents mirror.
// The destination context's stretch mode decides how merged pixels combine.
QVP_API BOOL StretchBlt(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc,
                        int xSrc, int ySrc, int wSrc, int hSrc, DWORD rop);
