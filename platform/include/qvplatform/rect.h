// Rectangle helpers. A rectangle holds the pixels from (left, top) up to, but
// not including, (right, bottom).
#pragma once

#include "qvplatform/types.h"

QVP_API BOOL SetRect(RECT* pRect, int left, int top, int right, int bottom);
QVP_API BOOL SetRectEmpty(RECT* pRect);
QVP_API BOOL CopyRect(RECT* pDst, const RECT* pSrc);
QVP_API BOOL OffsetRect(RECT* pRect, int dx, int dy);
QVP_API BOOL InflateRect(RECT* pRect, int dx, int dy);
// FALSE, with an empty result, when the two do not overlap.
QVP_API BOOL IntersectRect(RECT* pDst, const RECT* pSrc1, const RECT* pSrc2);
QVP_API BOOL UnionRect(RECT* pDst, const RECT* pSrc1, const RECT* pSrc2);
QVP_API BOOL IsRectEmpty(const RECT* pRect);
QVP_API BOOL PtInRect(const RECT* pRect, POINT pt);
QVP_API BOOL EqualRect(const RECT* pRect1, const RECT* pRect2);
