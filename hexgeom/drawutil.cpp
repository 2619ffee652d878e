#include "qvdll/drawutil.h"

#include <qvplatform/font.h>

namespace {

// The bitmap's description; false for anything else. GetObjectA alone would describe a
// brush or a font in the same bytes, and their fields would pass for a size.
bool DescribeBitmap(HBITMAP hBitmap, BITMAP& bm) {
    return GetObjectType(hBitmap) == OBJ_BITMAP && GetObjectA(hBitmap, sizeof bm, &bm) != 0;
}

}  // namespace

HBITMAP CreateMask(HBITMAP hbmSource, COLORREF crTransparent) {
    BITMAP bm{};
    if (!DescribeBitmap(hbmSource, bm)) return nullptr;
    HBITMAP hbmMask = CreateBitmap(bm.bmWidth, bm.bmHeight, 1, 1, nullptr);
    if (!hbmMask) return nullptr;

    HDC hdcSource = CreateCompatibleDC(nullptr);
    HDC hdcMask = CreateCompatibleDC(nullptr);
    HGDIOBJ hOldSource = SelectObject(hdcSource, hbmSource);
    HGDIOBJ hOldMask = SelectObject(hdcMask, hbmMask);
    // A source selected into another context cannot be read here; a mask made without
    // it would be all black and look like a good one.
    bool bMade = hOldSource && hOldMask;
    if (bMade) {
        // Colour to monochrome: pixels of the background colour become white, others black.
        SetBkColor(hdcSource, crTransparent);
        bMade = BitBlt(hdcMask, 0, 0, bm.bmWidth, bm.bmHeight, hdcSource, 0, 0, SRCCOPY);
    }
    if (hOldSource) SelectObject(hdcSource, hOldSource);
    if (hOldMask) SelectObject(hdcMask, hOldMask);
    DeleteDC(hdcSource);
    DeleteDC(hdcMask);
    if (!bMade) {
        DeleteObject(hbmMask);
        return nullptr;
    }
    return hbmMask;
}

SIZE GetBitmapSize(HBITMAP hBitmap) {
    BITMAP bm{};
    if (!DescribeBitmap(hBitmap, bm)) return {0, 0};
    return {bm.bmWidth, bm.bmHeight};
}

int DrawShadowText(HDC hdc, LPCSTR lpszText, RECT rect, UINT uFormat, COLORREF crShadow,
                   COLORREF crText) {
    SetBkMode(hdc, TRANSPARENT);
    SetTextColor(hdc, crShadow);
    DrawTextA(hdc, lpszText, -1, &rect, uFormat);
    rect.left -= 1;
    rect.top -= 1;
    rect.right -= 1;
    rect.bottom -= 1;
    SetTextColor(hdc, crText);
    return DrawTextA(hdc, lpszText, -1, &rect, uFormat);
}
