#include "polygon_scan.h"

#include <algorithm>

namespace qvp::detail {

namespace {

// A non-horizontal edge, stored from its upper end `lo` to its lower end `hi`, with
// the direction the outline runs along it (+1 downwards, -1 upwards).
struct Edge {
    POINT lo;
    POINT hi;
    int direction;
};

// The edge from vertex i to the next, or false when it is horizontal (a horizontal
// edge never meets a row of pixel centres).
bool EdgeAt(std::span<const POINT> points, std::size_t i, Edge& edge) {
    const POINT& a = points[i];
    const POINT& b = points[i + 1 == points.size() ? 0 : i + 1];
    if (a.y == b.y) return false;
    edge = a.y < b.y ? Edge{a, b, +1} : Edge{b, a, -1};
    return true;
}

// Whether the edge meets the centre line of pixel row y.
bool EdgeSpansRow(const Edge& edge, LONG y) {
    return edge.lo.y <= y && y < edge.hi.y;
}

bool RuleHolds(FillRule rule, int winding) {
    return rule == FillRule::Winding ? winding != 0 : (winding & 1) != 0;
}

std::int64_t CeilDiv(std::int64_t numerator, std::int64_t positiveDenominator) {
    std::int64_t quotient = numerator / positiveDenominator;
    return quotient + (numerator % positiveDenominator > 0 ? 1 : 0);
}

// The first pixel of row y whose centre lies at or right of the edge's crossing with
// the row's centre line. In doubled coordinates the crossing is at 2x = n / d, and a
// centre 2px + 1 is at or right of it when px >= (n - d) / 2d.
std::int64_t FirstPixelFromCrossing(const Edge& edge, LONG y) {
    const std::int64_t d = std::int64_t{edge.hi.y} - edge.lo.y;
    const std::int64_t n = 2 * std::int64_t{edge.lo.x} * d +
                           (std::int64_t{edge.hi.x} - edge.lo.x) *
                               (2 * std::int64_t{y} + 1 - 2 * std::int64_t{edge.lo.y});
    return CeilDiv(n - d, 2 * d);
}

struct Crossing {
    std::int64_t firstPixel;
    int direction;
};

// Turns one row's crossings into runs of inside pixels clipped to [left, right).
void EmitRow(std::vector<Crossing>& crossings, FillRule rule, LONG y, const RECT& clip,
             std::vector<PixelSpan>& spans) {
    std::sort(crossings.begin(), crossings.end(),
              [](const Crossing& a, const Crossing& b) { return a.firstPixel < b.firstPixel; });
    int winding = 0;
    bool inside = false;
    std::int64_t runStart = 0;
    for (std::size_t i = 0; i < crossings.size();) {
        // Crossings that start at the same pixel leave no pixel between them.
        const std::int64_t at = crossings[i].firstPixel;
        for (; i < crossings.size() && crossings[i].firstPixel == at; ++i)
            winding += crossings[i].direction;
        const bool nowInside = RuleHolds(rule, winding);
        if (nowInside && !inside) {
            runStart = at;
        } else if (!nowInside && inside) {
            const std::int64_t left = std::max<std::int64_t>(runStart, clip.left);
            const std::int64_t right = std::min<std::int64_t>(at, clip.right);
            if (left < right)
                spans.push_back({y, static_cast<LONG>(left), static_cast<LONG>(right)});
        }
        inside = nowInside;
    }
}

}  // namespace

std::optional<RECT> PolygonPixelBounds(std::span<const POINT> points) {
    if (points.empty()) return RECT{0, 0, 0, 0};
    RECT bounds{points[0].x, points[0].y, points[0].x, points[0].y};
    for (const POINT& p : points) {
        bounds.left = std::min(bounds.left, p.x);
        bounds.right = std::max(bounds.right, p.x);
        bounds.top = std::min(bounds.top, p.y);
        bounds.bottom = std::max(bounds.bottom, p.y);
    }
    if (bounds.left < -kMaxPolygonCoord || bounds.right > kMaxPolygonCoord ||
        bounds.top < -kMaxPolygonCoord || bounds.bottom > kMaxPolygonCoord)
        return std::nullopt;
    return bounds;
}

bool PolygonContainsPixel(std::span<const POINT> points, FillRule rule, LONG x, LONG y) {
    // Counts the crossings strictly right of the centre, the same crossings that
    // ScanPolygon places after the pixel.
    const std::int64_t cx = 2 * std::int64_t{x} + 1;
    const std::int64_t cy = 2 * std::int64_t{y} + 1;
    int winding = 0;
    Edge edge;
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (!EdgeAt(points, i, edge) || !EdgeSpansRow(edge, y)) continue;
        // The crossing lies right of the centre when the centre is on the left of the
        // edge taken downwards; compared exactly by the sign of a cross product.
        const std::int64_t along =
            (std::int64_t{edge.hi.x} - edge.lo.x) * (cy - 2 * std::int64_t{edge.lo.y});
        const std::int64_t across =
            (cx - 2 * std::int64_t{edge.lo.x}) * (std::int64_t{edge.hi.y} - edge.lo.y);
        if (along > across) winding += edge.direction;
    }
    return RuleHolds(rule, winding);
}

std::vector<PixelSpan> ScanPolygon(std::span<const POINT> points, FillRule rule, const RECT& clip) {
    std::vector<PixelSpan> spans;
    const std::optional<RECT> bounds = PolygonPixelBounds(points);
    if (!bounds) return spans;
    std::vector<Edge> edges;
    Edge edge;
    for (std::size_t i = 0; i < points.size(); ++i)
        if (EdgeAt(points, i, edge)) edges.push_back(edge);
    if (edges.empty()) return spans;
    std::sort(edges.begin(), edges.end(),
              [](const Edge& a, const Edge& b) { return a.lo.y < b.lo.y; });

    const LONG top = std::max(bounds->top, clip.top);
    const LONG bottom = std::min(bounds->bottom, clip.bottom);
    std::vector<Edge> active;
    std::vector<Crossing> crossings;
    auto next = edges.begin();
    for (LONG y = top; y < bottom; ++y) {
        // Edges enter when the row reaches their upper end and leave past their lower end.
        for (; next != edges.end() && next->lo.y <= y; ++next) active.push_back(*next);
        std::erase_if(active, [y](const Edge& e) { return !EdgeSpansRow(e, y); });
        crossings.clear();
        for (const Edge& e : active)
            crossings.push_back({FirstPixelFromCrossing(e, y), e.direction});
        EmitRow(crossings, rule, y, clip, spans);
    }
    return spans;
}

}  // namespace qvp::detail
