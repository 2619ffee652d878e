// Geometry of the hex grid: the outline of a hex in pixels, the hex under a pixel, the
// vertical offset of a column and the distance between two hexes in hex steps.
//
// A hex position is a POINT whose x is the column and y the row. Columns are 40 pixels
// apart and rows 40 pixels apart; each hex fills a 50 x 40 box whose top-left corner is
// (40 * column, 40 * row), and odd columns hang 20 pixels lower. A column is odd when
// column % 2 == 1 (truncating remainder), so negative columns never count as odd. The
// functions accept any position and do no range checks against a map.
//
// These are plain C functions with C linkage, exported by their plain names. This
// platform has no standard-call convention and no decorated names such as
// `_SetXYToHex@8`.
#pragma once

#include "qvdll/export.h"
#include "qvplatform/types.h"

// Number of points of a hex outline written by SetXYToHex.
inline constexpr int HEX_OUTLINE_POINTS = 8;

// 20 when the column is odd, else 0.
QVDLL_FUNC int GetHexHeightOffset(int nColumn);

// Writes the 8-point outline of the hex `pHex` into `pOutline`, which must hold 8 points:
// the hexagon traced from the left end of its top edge and closed, then the top-left
// corner of its box. Does nothing when either pointer is null.
QVDLL_FUNC void SetXYToHex(const POINT* pHex, POINT* pOutline);

// Nonzero when the pixel lies inside the hex (the hex's outline filled with the winding
// rule, tested at the pixel's centre). Note the order: hex first, pixel second. FALSE
// when either pointer is null.
QVDLL_FUNC BOOL CheckPos(const POINT* pHex, const POINT* pPixel);

// The hex under a pixel of the map picture: of the three hexes that reach into the
// pixel's 40 x 40 cell, the first that holds it (the cell's own, the one to its left,
// the one above). A pixel none of them holds, as in the corners beside column 0's left
// point, gives the cell's own hex. The result may lie outside any map (row -1 above odd
// columns, negative columns left of the picture); check it against the map's size. A
// null pointer gives (-1, -1).
QVDLL_FUNC POINT GetMousePosToHexPos(const POINT* pPixel);

// Number of steps between neighbouring hexes from (x1, y1) to (x2, y2). Exact and
// symmetric for positions with non-negative coordinates.
QVDLL_FUNC int GetHexPointToPointLength(int x1, int y1, int x2, int y2);
