#include "qvdll/hexgeom.h"

#include <cstdint>

#include "qvplatform/gdiobj.h"
#include "qvplatform/region.h"

namespace {

constexpr int kPitch = 40;
constexpr int kOddColumnDrop = 20;

// The outline of a hex relative to the top-left corner of its 50 x 40 box. The first
// seven points trace the hexagon and close it; the eighth adds only a zero-area segment
// along the top edge's line, but every outline carries it.
constexpr POINT kHexOutline[HEX_OUTLINE_POINTS] = {
    {10, 0}, {0, 20}, {10, 40}, {40, 40}, {50, 20}, {40, 0}, {10, 0}, {0, 0},
};

// Grid arithmetic is 32-bit and wraps around for positions far outside any map, as the
// hosts have always seen it; computing in 64 bits and wrapping keeps that defined.
constexpr int Wrap(std::int64_t value) {
    return static_cast<int>(static_cast<std::uint32_t>(value));
}

constexpr int WrappingAbs(int value) {
    return value < 0 ? Wrap(-std::int64_t{value}) : value;
}

constexpr bool IsOddColumn(int nColumn) {
    return nColumn % 2 == 1;
}

}  // namespace

int GetHexHeightOffset(int nColumn) {
    return IsOddColumn(nColumn) ? kOddColumnDrop : 0;
}

void SetXYToHex(const POINT* pHex, POINT* pOutline) {
    if (!pHex || !pOutline) return;
    const std::int64_t left = std::int64_t{kPitch} * pHex->x;
    const std::int64_t top = std::int64_t{kPitch} * pHex->y + GetHexHeightOffset(pHex->x);
    for (int i = 0; i < HEX_OUTLINE_POINTS; ++i)
        pOutline[i] = POINT{Wrap(left + kHexOutline[i].x), Wrap(top + kHexOutline[i].y)};
}

BOOL CheckPos(const POINT* pHex, const POINT* pPixel) {
    if (!pHex || !pPixel) return FALSE;
    POINT outline[HEX_OUTLINE_POINTS];
    SetXYToHex(pHex, outline);
    HRGN hRgn = CreatePolygonRgn(outline, HEX_OUTLINE_POINTS, WINDING);
    if (!hRgn) return FALSE;
    const BOOL bInside = PtInRegion(hRgn, pPixel->x, pPixel->y);
    DeleteObject(hRgn);
    return bInside;
}

POINT GetMousePosToHexPos(const POINT* pPixel) {
    if (!pPixel) return POINT{-1, -1};
    // A pixel of the 40 x 40 cell (c0, r0) can only lie in the cell's own hex, the hex
    // to its left, or the one above that reaches down into it; they are tried in that
    // order, and a pixel none of them claims goes to the cell's own hex.
    const int c0 = pPixel->x / kPitch;
    const int r0 = pPixel->y / kPitch;
    const POINT candidates[] = {
        {c0, r0},
        {c0 - 1, r0},
        IsOddColumn(c0) ? POINT{c0, r0 - 1} : POINT{c0 - 1, r0 - 1},
    };
    for (const POINT& hex : candidates)
        if (CheckPos(&hex, pPixel)) return hex;
    return candidates[0];
}

int GetHexPointToPointLength(int x1, int y1, int x2, int y2) {
    const int dx = WrappingAbs(Wrap(std::int64_t{x1} - x2));
    if (dx % 2 == 0) {
        const int dy = WrappingAbs(Wrap(std::int64_t{y2} - y1));
        return dx / 2 >= dy ? dx : Wrap(std::int64_t{dx / 2} + dy);
    }
    // An odd number of columns apart the two hexes sit half a row out of step: e is 1
    // when the second hex is in an even column, half a row higher than the first.
    const int e = x2 % 2 == 0 ? 1 : 0;
    const int d = Wrap(std::int64_t{y2} - y1);
    const int h = (dx - 1) / 2;
    if (d < e - h - 1) return Wrap(std::int64_t{dx} - 1 + e - h - d);
    if (d <= h + e) return dx;
    return Wrap(std::int64_t{dx} + d - h - e);
}
