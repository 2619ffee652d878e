// The hex under a pixel of the map picture, computed directly from the shape of the grid
// rather than by testing candidate hexes: the reference that GetMousePosToHexPos is
// checked and measured against.
#pragma once

#include <cstdlib>

#include "qvplatform/types.h"

namespace hexref {

inline int FloorDiv(int a, int b) {
    return a / b - (a % b != 0 && a < 0 ? 1 : 0);
}

inline int Drop(int nColumn) {
    return nColumn % 2 == 1 ? 20 : 0;
}

inline int RowInColumn(int nColumn, int py) {
    return FloorDiv(py - Drop(nColumn), 40);
}

// For pixels with px >= 0 and py >= 0. The strip 10 pixels wide at the left of each
// 40-pixel column is shared between the column's pointed left end and the pointed right
// end of the column before; right of the strip only the column itself reaches. The
// sides slope 1 across for 2 down, so no pixel centre ever lies on one.
inline POINT HexUnderPixel(int px, int py) {
    const int c = px / 40;
    const int lx = px % 40;
    if (lx >= 10) return POINT{c, RowInColumn(c, py)};
    // Twice the centre's height within its hex of column c, odd, in 1..79; the left side
    // of the hex lies |yh2 - 40| / 4 in from the box's left edge.
    const int yh2 = ((2 * py + 1 - 2 * Drop(c)) % 80 + 80) % 80;
    const int reach = std::abs(yh2 - 40);
    if (4 * lx + 2 > reach) return POINT{c, RowInColumn(c, py)};
    if (c > 0) return POINT{c - 1, RowInColumn(c - 1, py)};
    // Column -1 does not count as odd, so its hexes sit level with column 0's instead of
    // interlocking with them: near each row's middle both claim the strip and column 0
    // wins; near each row's top and bottom neither does and the pixel goes to column 0.
    if (4 * lx + 2 < 40 - reach) return POINT{-1, py / 40};
    return POINT{0, py / 40};
}

}  // namespace hexref
