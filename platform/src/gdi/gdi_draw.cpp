// Brushes, pens, filled rectangles and lines.
#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <vector>

#include "gdi_draw_internal.h"
#include "polygon_scan.h"

namespace qvp::detail {

void FillDevice(DcObject& dc, RECT rect, COLORREF color) {
    if (!IntersectRect(rect, dc.DeviceBounds())) return;
    BitmapObject& bitmap = *dc.m_state.bitmap;
    const Pixel value = bitmap.FromColor(color);
    // wmemset stores 32-bit units with the C library's vector and string-store routines,
    // several times faster than a plain loop on a map-sized picture. Rows spanning the whole
    // width lie back to back and are filled in one go.
    static_assert(sizeof(wchar_t) == sizeof(Pixel));
    const auto fill = [value](Pixel* p, std::size_t n) {
        std::wmemset(reinterpret_cast<wchar_t*>(p), static_cast<wchar_t>(value), n);
    };
    const auto width = static_cast<std::size_t>(rect.right - rect.left);
    if (width == static_cast<std::size_t>(bitmap.m_nWidth))
        fill(bitmap.Row(rect.top), width * static_cast<std::size_t>(rect.bottom - rect.top));
    else
        for (int y = rect.top; y < rect.bottom; ++y) fill(bitmap.Row(y) + rect.left, width);
}

void LineDevice(DcObject& dc, POINT from, POINT to, COLORREF color) {
    RECT bounds = dc.DeviceBounds();
    if (IsEmpty(bounds)) return;
    BitmapObject& bitmap = *dc.m_state.bitmap;
    Pixel value = bitmap.FromColor(color);
    // Bresenham over the major axis, leaving out the end point.
    long long dx = std::llabs(static_cast<long long>(to.x) - from.x);
    long long dy = std::llabs(static_cast<long long>(to.y) - from.y);
    int sx = to.x > from.x ? 1 : -1, sy = to.y > from.y ? 1 : -1;
    long long steps = std::max(dx, dy), err = 0;
    long long x = from.x, y = from.y;
    for (long long i = 0; i < steps; ++i) {
        if (x >= bounds.left && x < bounds.right && y >= bounds.top && y < bounds.bottom)
            bitmap.Row(static_cast<int>(y))[x] = value;
        if (dx >= dy) {
            x += sx;
            err += 2 * dy;
            if (err > dx) {
                y += sy;
                err -= 2 * dx;
            }
        } else {
            y += sy;
            err += 2 * dx;
            if (err > dy) {
                x += sx;
                err -= 2 * dy;
            }
        }
    }
}

const PenObject* DrawingPen(const DcObject& dc) {
    const PenObject* pen = dc.m_state.pen.get();
    return pen && pen->m_log.lopnStyle != PS_NULL ? pen : nullptr;
}

const BrushObject* DrawingBrush(const DcObject& dc) {
    const BrushObject* brush = dc.m_state.brush.get();
    return brush && brush->m_log.lbStyle != BS_NULL ? brush : nullptr;
}

}  // namespace qvp::detail

using namespace qvp::detail;

HBRUSH CreateSolidBrush(COLORREF color) {
    LOGBRUSH log{BS_SOLID, color, 0};
    return CreateBrushIndirect(&log);
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* plbrush) {
    if (!plbrush || (plbrush->lbStyle != BS_SOLID && plbrush->lbStyle != BS_NULL)) return nullptr;
    auto brush = std::make_unique<BrushObject>();
    brush->m_log = {plbrush->lbStyle, plbrush->lbColor & 0xFFFFFF, 0};
    return AddObject<HBRUSH>(std::move(brush));
}

HPEN CreatePen(int iStyle, int cWidth, COLORREF color) {
    LOGPEN log{static_cast<UINT>(iStyle), {cWidth, 0}, color};
    return CreatePenIndirect(&log);
}

HPEN CreatePenIndirect(const LOGPEN* plpen) {
    if (!plpen || plpen->lopnStyle > PS_NULL) return nullptr;
    auto pen = std::make_unique<PenObject>();
    pen->m_log = {plpen->lopnStyle, {1, 0}, plpen->lopnColor & 0xFFFFFF};
    return AddObject<HPEN>(std::move(pen));
}

int FillRect(HDC hdc, const RECT* lprc, HBRUSH hbr) {
    auto* dc = Table().Get<DcObject>(hdc);
    auto* brush = Table().Get<BrushObject>(hbr);
    if (!dc || !brush || !lprc) return 0;
    if (brush->m_log.lbStyle == BS_NULL) return 1;
    POINT a = dc->ToDevice(lprc->left, lprc->top), b = dc->ToDevice(lprc->right, lprc->bottom);
    FillDevice(*dc, {a.x, a.y, b.x, b.y}, brush->m_log.lbColor);
    return 1;
}

BOOL FillSolidRect(HDC hdc, const RECT* lprc, COLORREF color) {
    auto* dc = Table().Get<DcObject>(hdc);
    if (!dc || !lprc) return FALSE;
    dc->m_state.bkColor = color & 0xFFFFFF;
    POINT a = dc->ToDevice(lprc->left, lprc->top), b = dc->ToDevice(lprc->right, lprc->bottom);
    FillDevice(*dc, {a.x, a.y, b.x, b.y}, color);
    return TRUE;
}

BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom) {
    auto* dc = Table().Get<DcObject>(hdc);
    if (!dc) return FALSE;
    POINT a = dc->ToDevice(std::min(left, right), std::min(top, bottom));
    POINT b = dc->ToDevice(std::max(left, right), std::max(top, bottom));
    const PenObject* pen = DrawingPen(*dc);
    // Without a pen the filled area is one pixel smaller, as the outline would have
    // covered the last column and row.
    RECT inside = pen ? RECT{a.x + 1, a.y + 1, b.x - 1, b.y - 1} : RECT{a.x, a.y, b.x - 1, b.y - 1};
    if (const BrushObject* brush = DrawingBrush(*dc)) FillDevice(*dc, inside, brush->m_log.lbColor);
    if (pen && b.x > a.x && b.y > a.y) {
        COLORREF c = pen->m_log.lopnColor;
        FillDevice(*dc, {a.x, a.y, b.x, a.y + 1}, c);
        FillDevice(*dc, {a.x, b.y - 1, b.x, b.y}, c);
        FillDevice(*dc, {a.x, a.y, a.x + 1, b.y}, c);
        FillDevice(*dc, {b.x - 1, a.y, b.x, b.y}, c);
    }
    return TRUE;
}

BOOL MoveToEx(HDC hdc, int x, int y, LPPOINT lppt) {
    auto* dc = Table().Get<DcObject>(hdc);
    if (!dc) return FALSE;
    if (lppt) *lppt = dc->m_state.currentPos;
    dc->m_state.currentPos = {x, y};
    return TRUE;
}

BOOL LineTo(HDC hdc, int x, int y) {
    auto* dc = Table().Get<DcObject>(hdc);
    if (!dc) return FALSE;
    const POINT& from = dc->m_state.currentPos;
    if (const PenObject* pen = DrawingPen(*dc))
        LineDevice(*dc, dc->ToDevice(from.x, from.y), dc->ToDevice(x, y), pen->m_log.lopnColor);
    dc->m_state.currentPos = {x, y};
    return TRUE;
}

namespace {

// The points in device coordinates, or nothing when one lies beyond what scanning takes.
std::vector<POINT> DevicePoints(const DcObject& dc, const POINT* apt, int cpt) {
    std::vector<POINT> points;
    for (int i = 0; i < cpt; ++i) {
        POINT p = dc.ToDevice(apt[i].x, apt[i].y);
        if (std::abs(p.x) > kMaxPolygonCoord || std::abs(p.y) > kMaxPolygonCoord) return {};
        points.push_back(p);
    }
    return points;
}

}  // namespace

BOOL Polygon(HDC hdc, const POINT* apt, int cpt) {
    auto* dc = Table().Get<DcObject>(hdc);
    if (!dc || !apt || cpt < 2) return FALSE;
    std::vector<POINT> points = DevicePoints(*dc, apt, cpt);
    if (points.empty()) return FALSE;
    if (const BrushObject* brush = DrawingBrush(*dc)) {
        RECT bounds = dc->DeviceBounds();
        FillRule rule =
            dc->m_state.polyFillMode == WINDING ? FillRule::Winding : FillRule::Alternate;
        if (!IsEmpty(bounds))
            for (const PixelSpan& span : ScanPolygon(points, rule, bounds))
                FillDevice(*dc, {span.left, span.y, span.right, span.y + 1}, brush->m_log.lbColor);
    }
    if (const PenObject* pen = DrawingPen(*dc))
        for (std::size_t i = 0; i < points.size(); ++i)
            LineDevice(*dc, points[i], points[(i + 1) % points.size()], pen->m_log.lopnColor);
    return TRUE;
}

BOOL Polyline(HDC hdc, const POINT* apt, int cpt) {
    auto* dc = Table().Get<DcObject>(hdc);
    if (!dc || !apt || cpt < 2) return FALSE;
    std::vector<POINT> points = DevicePoints(*dc, apt, cpt);
    if (points.empty()) return FALSE;
    if (const PenObject* pen = DrawingPen(*dc))
        for (std::size_t i = 0; i + 1 < points.size(); ++i)
            LineDevice(*dc, points[i], points[i + 1], pen->m_log.lopnColor);
    return TRUE;
}
