// Three small drawing tasks on raw graphics handles, shared by the library's pictures and
// the host programs: a transparency mask from a bitmap, a bitmap's size, and text with a
// one-pixel shadow. They keep no state.
//
// Plain C functions exported by their plain names (no `_CreateMask@8`: this platform has
// no standard-call decoration).
#pragma once

#include <qvplatform/gdi.h>

#include "qvdll/export.h"

// A new monochrome bitmap of the source's size: white where the source has the
// transparent colour, black elsewhere. The caller deletes it. The source is not changed
// and must not be selected into a device context. Null when the source is not a bitmap
// (a null, stale or foreign handle), when it is selected into a context, or when the mask
// cannot be made.
QVDLL_FUNC HBITMAP CreateMask(HBITMAP hbmSource, COLORREF crTransparent);

// Width and height in pixels; (0, 0) for a handle that is not a bitmap.
QVDLL_FUNC SIZE GetBitmapSize(HBITMAP hBitmap);

// Draws `lpszText` (code page 932, zero-terminated) into `rect` with DrawTextA's `uFormat`
// twice: in the shadow colour, then in the text colour one pixel up and to the left, so
// the shadow shows one pixel right of and below the text. Leaves the context in
// transparent background mode with the text colour set. Returns the second DrawTextA's
// result (the text height, 0 on failure).
QVDLL_FUNC int DrawShadowText(HDC hdc, LPCSTR lpszText, RECT rect, UINT uFormat, COLORREF crShadow,
                              COLORREF crText);
