#include "qvplatform/rect.h"

#include <algorithm>

BOOL SetRect(RECT* pRect, int left, int top, int right, int bottom) {
    if (!pRect) return FALSE;
    *pRect = RECT{left, top, right, bottom};
    return TRUE;
}

BOOL SetRectEmpty(RECT* pRect) { return SetRect(pRect, 0, 0, 0, 0); }

BOOL CopyRect(RECT* pDst, const RECT* pSrc) {
    if (!pDst || !pSrc) return FALSE;
    *pDst = *pSrc;
    return TRUE;
}

BOOL OffsetRect(RECT* pRect, int dx, int dy) {
    return pRect && SetRect(pRect, pRect->left + dx, pRect->top + dy, pRect->right + dx, pRect->bottom + dy);
}

BOOL InflateRect(RECT* pRect, int dx, int dy) {
    return pRect && SetRect(pRect, pRect->left - dx, pRect->top - dy, pRect->right + dx, pRect->bottom + dy);
}

BOOL IsRectEmpty(const RECT* pRect) {
    return !pRect || pRect->right <= pRect->left || pRect->bottom <= pRect->top;
}

BOOL IntersectRect(RECT* pDst, const RECT* pSrc1, const RECT* pSrc2) {
    if (!pDst || !pSrc1 || !pSrc2) return FALSE;
    const RECT r{std::max(pSrc1->left, pSrc2->left), std::max(pSrc1->top, pSrc2->top),
                 std::min(pSrc1->right, pSrc2->right), std::min(pSrc1->bottom, pSrc2->bottom)};
    if (IsRectEmpty(&r)) {
        SetRectEmpty(pDst);
        return FALSE;
    }
    *pDst = r;
    return TRUE;
}

BOOL UnionRect(RECT* pDst, const RECT* pSrc1, const RECT* pSrc2) {
    if (!pDst || !pSrc1 || !pSrc2) return FALSE;
    if (IsRectEmpty(pSrc1) && IsRectEmpty(pSrc2)) {
        SetRectEmpty(pDst);
        return FALSE;
    }
    if (IsRectEmpty(pSrc1)) return CopyRect(pDst, pSrc2);
    if (IsRectEmpty(pSrc2)) return CopyRect(pDst, pSrc1);
    *pDst = RECT{std::min(pSrc1->left, pSrc2->left), std::min(pSrc1->top, pSrc2->top),
                 std::max(pSrc1->right, pSrc2->right), std::max(pSrc1->bottom, pSrc2->bottom)};
    return TRUE;
}

BOOL PtInRect(const RECT* pRect, POINT pt) {
    return pRect && pt.x >= pRect->left && pt.x < pRect->right && pt.y >= pRect->top && pt.y < pRect->bottom;
}

BOOL EqualRect(const RECT* pRect1, const RECT* pRect2) {
    return pRect1 && pRect2 && pRect1->left == pRect2->left && pRect1->top == pRect2->top &&
           pRect1->right == pRect2->right && pRect1->bottom == pRect2->bottom;
}
