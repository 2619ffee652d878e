// BMP pictures in and out: LoadImageA from files and module resources, a reader of BMP
// bytes in memory, and writers of BMP and PNG files for tools and tests.
//
// The reader takes BMP files and packed device-independent bitmaps (a resource without the
// 14-byte file header) of 1, 4, 8, 16, 24 and 32 bits per pixel, with palettes, bottom-up
// or top-down rows, and bit-field masks, and run-length compressed pictures of 8 and 4 bits
// (bottom-up, as that format has them). Every size and offset is checked against the bytes
// present: a truncated or inconsistent picture gives null, and nothing is allocated beyond
// what the bytes can fill: run-length data is checked whole first, and may describe at most
// 16384 pixels per byte of it (an end of row finishes a wide row in two bytes; a picture
// skipped over with moves past that is refused). Pixels that run-length data skips (a
// move, an early end of row or picture) take palette index 0; runs past a row's end are
// cut there. Palette indexes past the palette draw black.
#pragma once

#include <span>
#include <vector>

#include "qvplatform/gdi.h"

constexpr UINT IMAGE_BITMAP = 0;
constexpr UINT IMAGE_ICON = 1;
constexpr UINT IMAGE_CURSOR = 2;

constexpr UINT LR_DEFAULTCOLOR = 0x0000;
constexpr UINT LR_MONOCHROME = 0x0001;  // a monochrome bitmap: colours to the nearer of B/W
constexpr UINT LR_LOADFROMFILE = 0x0010;
constexpr UINT LR_LOADTRANSPARENT = 0x0020;   // ignored
constexpr UINT LR_DEFAULTSIZE = 0x0040;       // ignored for bitmaps: 0 x 0 is the own size
constexpr UINT LR_CREATEDIBSECTION = 0x2000;  // ignored: every bitmap is in display format

// A bitmap in the display format (colour, or monochrome with LR_MONOCHROME). With
// LR_LOADFROMFILE `name` is a path; `\` separates folders and a name differing only in
// letter case from an existing file finds it. Otherwise `name` is a resource number
// (MAKEINTRESOURCE) of module `hInst`. A nonzero cx or cy scales the picture to that width
// or height. Null for any other image type, a missing file or resource, or a bad picture.
QVP_API HANDLE LoadImageA(HINSTANCE hInst, LPCSTR name, UINT type, int cx, int cy, UINT fuLoad);

// The picture in `bytes` (a BMP file or a packed bitmap) as a new bitmap; `fuLoad` may hold
// LR_MONOCHROME. Null for a bad picture.
QVP_API HBITMAP CreateBitmapFromBmp(std::span<const BYTE> bytes, UINT fuLoad = 0);

// The bitmap as the bytes of a bottom-up BMP file of 24 or 32 bits per pixel (monochrome
// bitmaps as black and white). Empty for a bad handle or depth.
QVP_API std::vector<BYTE> EncodeBitmapBmp(HBITMAP hbm, int bitsPerPixel = 24);
QVP_API BOOL SaveBitmapBmp(HBITMAP hbm, LPCSTR path, int bitsPerPixel = 24);
// An 8-bit RGB PNG file.
QVP_API BOOL SaveBitmapPng(HBITMAP hbm, LPCSTR path);
