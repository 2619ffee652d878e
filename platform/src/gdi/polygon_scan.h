// Scan conversion of polygons at pixel centres. Polygon regions and polygon fills both
// use it, so a region's point test and a filled polygon cover exactly the same pixels.
//
// The rule: pixel (x, y) is inside when its centre (x + 0.5, y + 0.5) is inside the
// closed outline under the fill rule. Vertices are integers, so a centre never meets a
// vertex or a horizontal or vertical edge; a centre lying exactly on a slanted edge
// belongs to the run of pixels that starts there (runs are closed on the left and open
// on the right), so two polygons sharing an edge never both claim a pixel.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "qvplatform/types.h"

namespace qvp::detail {

enum class FillRule : std::uint8_t {
    Alternate,  // inside where a ray crosses the outline an odd number of times
    Winding,    // inside where the outline winds around the point a nonzero number of times
};

// Vertex coordinates beyond this magnitude are refused (as the system's own graphics
// interface does). Within it every product of the exact integer arithmetic fits 64 bits.
inline constexpr LONG kMaxPolygonCoord = (LONG{1} << 27) - 1;

// Rectangle of pixels that can be inside: [left, right) x [top, bottom), empty for an
// empty outline. Nothing when a vertex lies beyond +-kMaxPolygonCoord.
std::optional<RECT> PolygonPixelBounds(std::span<const POINT> points);

// One run of inside pixels on row y: left <= x < right.
struct PixelSpan {
    LONG y;
    LONG left;
    LONG right;
};

// The point test: whether pixel (x, y) is inside. Needs no allocation. The outline is
// closed from the last vertex back to the first; its vertices must be within range.
QVP_API bool PolygonContainsPixel(std::span<const POINT> points, FillRule rule, LONG x, LONG y);

// Every run of inside pixels within `clip`, row by row from the top, left to right
// within a row; neighbouring runs are merged. No runs for an outline with a vertex out
// of range. Exported for the platform's own tests.
QVP_API std::vector<PixelSpan> ScanPolygon(std::span<const POINT> points, FillRule rule,
                                           const RECT& clip);

}  // namespace qvp::detail
