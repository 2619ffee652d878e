// Brushes, pens and the shapes drawn with them: rectangles, lines and polygons.
// Shapes are drawn with the context's current pen and brush, in logical coordinates.
#pragma once

#include "qvplatform/gdi.h"
#include "qvplatform/region.h"  // the polygon fill modes

// Brush styles. Only solid and hollow brushes exist here.
constexpr UINT BS_SOLID = 0;
constexpr UINT BS_NULL = 1;
constexpr UINT BS_HOLLOW = BS_NULL;

// Pen styles. Dashed styles draw solid lines.
constexpr UINT PS_SOLID = 0;
constexpr UINT PS_DASH = 1;
constexpr UINT PS_DOT = 2;
constexpr UINT PS_NULL = 5;

struct LOGBRUSH {
    UINT lbStyle;
    COLORREF lbColor;
    UINT_PTR lbHatch;
};

struct LOGPEN {
    UINT lopnStyle;
    POINT lopnWidth;  // x is the width in pixels; y is unused
    COLORREF lopnColor;
};

QVP_API HBRUSH CreateSolidBrush(COLORREF color);
QVP_API HBRUSH CreateBrushIndirect(const LOGBRUSH* plbrush);
// Pens are one pixel wide whatever `width` says; a width of 0 means one pixel too.
QVP_API HPEN CreatePen(int iStyle, int cWidth, COLORREF color);
QVP_API HPEN CreatePenIndirect(const LOGPEN* plpen);

// Fills [left, right) x [top, bottom) with `hbr`; the context's brush is not used.
QVP_API int FillRect(HDC hdc, const RECT* lprc, HBRUSH hbr);
// Fills with `color` and leaves it as the context's background colour, as the framework's
// CDC::FillSolidRect does.
QVP_API BOOL FillSolidRect(HDC hdc, const RECT* lprc, COLORREF color);

// The outline with the pen covers columns left .. right - 1 and rows top .. bottom - 1;
// the inside is filled with the brush.
QVP_API BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom);
QVP_API BOOL MoveToEx(HDC hdc, int x, int y, LPPOINT lppt);
// Draws from the current position to (x, y), leaving out the end point, which becomes the
// new current position.
QVP_API BOOL LineTo(HDC hdc, int x, int y);
// Fills the closed outline through the points with the brush under the context's fill mode
// (a pixel is inside when its centre is, as for polygon regions), then draws the outline
// with the pen, every vertex included. FALSE for fewer than 2 points or a coordinate
// beyond +-(2^27 - 1).
QVP_API BOOL Polygon(HDC hdc, const POINT* apt, int cpt);
// The open outline through the points with the pen, the last point left out.
QVP_API BOOL Polyline(HDC hdc, const POINT* apt, int cpt);
