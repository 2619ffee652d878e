#include "qvdll/hexgeom.h"

#include <cstdint>

#include "qvplatform/gdiobj.h"
#include "qvplatform/region.h"

namespace {

constexpr int kPitch = 40;
constexpr int kOddColumnDrop = 20;
constexpr int kBandWidth = 10;  // where the pointed ends of neighbouring columns interlock

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

// Beyond this the grid arithmetic nears the 32-bit wrap; the mouse search then
// leaves every candidate to the region test itself.
constexpr int kExactRange = 1 << 25;

// The region test of CheckPos worked out for the one shape it ever sees: whether the
// centre of the pixel lies inside the hexagon of the hex. In doubled coordinates
// relative to the hex's box the centre is (X, Y), both odd, and the hexagon is
// 0 < Y < 80 with the slanted sides 2X = 40 - Y, 2X = Y - 40 (left) and their mirror
// images (right); odd centres never fall on a side, so no boundary rule is involved.
// The tests check this against CheckPos for every pixel of a map picture.
bool PixelCentreInHex(const POINT& hex, const POINT& pixel) {
    const int left = kPitch * hex.x;
    const int top = kPitch * hex.y + (IsOddColumn(hex.x) ? kOddColumnDrop : 0);
    const int x2 = 2 * (pixel.x - left) + 1;
    const int y2 = 2 * (pixel.y - top) + 1;
    if (y2 <= 0 || y2 >= 80 || x2 <= 0 || x2 >= 100) return false;
    const int slant = y2 < 40 ? 40 - y2 : y2 - 40;
    return 2 * x2 > slant && 2 * (100 - x2) > slant;
}

bool FarFromOrigin(const POINT& p) {
    return p.x <= -kExactRange || p.x >= kExactRange || p.y <= -kExactRange || p.y >= kExactRange;
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
    // Right of the 10-pixel band where two columns interlock only the column's own
    // hexes reach: the cell's hex, or in the upper half of an odd column the hex
    // above it, which hangs down that far.
    if (pPixel->x >= 0 && pPixel->y >= 0 && pPixel->x % kPitch >= kBandWidth)
        return IsOddColumn(c0) && pPixel->y % kPitch < kOddColumnDrop ? POINT{c0, r0 - 1}
                                                                       : POINT{c0, r0};
    const POINT candidates[] = {
        {c0, r0},
        {c0 - 1, r0},
        IsOddColumn(c0) ? POINT{c0, r0 - 1} : POINT{c0 - 1, r0 - 1},
    };
    if (FarFromOrigin(*pPixel)) {
        for (const POINT& hex : candidates)
            if (CheckPos(&hex, pPixel)) return hex;
        return candidates[0];
    }
    for (const POINT& hex : candidates)
        if (PixelCentreInHex(hex, *pPixel)) return hex;
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
