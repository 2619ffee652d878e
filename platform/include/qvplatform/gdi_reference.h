// Slow, plainly correct versions of the block transfers, one pixel and one bit at a time.
// Tests run them beside the real ones on the same input and compare the pictures.
#pragma once

#include "qvplatform/gdi.h"

QVP_API BOOL ReferenceBitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1,
                             DWORD rop);
QVP_API BOOL ReferenceStretchBlt(HDC hdcDest, int xDest, int yDest, int wDest, int hDest,
                                 HDC hdcSrc, int xSrc, int ySrc, int wSrc, int hSrc, DWORD rop);
