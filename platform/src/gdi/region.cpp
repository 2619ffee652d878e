#include "qvplatform/region.h"

#include <array>
#include <memory>
#include <vector>

#include "handle_table.h"
#include "polygon_scan.h"

using qvp::detail::FillRule;
using qvp::detail::HandleTable;

namespace {

// A region keeps its polygon and answers point tests analytically at the pixel centre,
// which costs no rasterisation however large the polygon.
class RegionObject final : public qvp::detail::HandleObject {
public:
    static constexpr qvp::detail::ObjectKind kKind = qvp::detail::ObjectKind::Region;

    RegionObject(std::span<const POINT> points, FillRule rule, const RECT& bounds)
        : m_rule(rule), m_nCount(points.size()), m_bounds(bounds) {
        if (points.size() > m_inline.size())
            m_heap.assign(points.begin(), points.end());
        else
            std::copy(points.begin(), points.end(), m_inline.begin());
    }

    qvp::detail::ObjectKind Kind() const override { return kKind; }

    bool Contains(LONG x, LONG y) const {
        if (x < m_bounds.left || x >= m_bounds.right || y < m_bounds.top || y >= m_bounds.bottom)
            return false;
        return qvp::detail::PolygonContainsPixel(Points(), m_rule, x, y);
    }

private:
    std::span<const POINT> Points() const {
        return m_heap.empty() ? std::span<const POINT>(m_inline.data(), m_nCount)
                              : std::span<const POINT>(m_heap);
    }

    FillRule m_rule;
    std::size_t m_nCount;
    RECT m_bounds;
    // Small outlines (a hex has 8 vertices) need no allocation beyond the object itself.
    std::array<POINT, 8> m_inline{};
    std::vector<POINT> m_heap;
};

}  // namespace

HRGN CreatePolygonRgn(const POINT* lpPoints, int nCount, int nPolyFillMode) {
    if (!lpPoints || nCount < 2) return nullptr;
    FillRule rule;
    switch (nPolyFillMode) {
        case ALTERNATE:
            rule = FillRule::Alternate;
            break;
        case WINDING:
            rule = FillRule::Winding;
            break;
        default:
            return nullptr;
    }
    const std::span<const POINT> points(lpPoints, static_cast<std::size_t>(nCount));
    const std::optional<RECT> bounds = qvp::detail::PolygonPixelBounds(points);
    if (!bounds) return nullptr;
    return static_cast<HRGN>(
        HandleTable::Instance().Add(std::make_unique<RegionObject>(points, rule, *bounds)));
}

BOOL PtInRegion(HRGN hRgn, int x, int y) {
    const RegionObject* region = HandleTable::Instance().Get<RegionObject>(hRgn);
    return region && region->Contains(x, y) ? TRUE : FALSE;
}

CRgn::~CRgn() {
    DeleteObject();
}

BOOL CRgn::CreatePolygonRgn(const POINT* lpPoints, int nCount, int nPolyFillMode) {
    if (m_hRgn) return FALSE;
    m_hRgn = ::CreatePolygonRgn(lpPoints, nCount, nPolyFillMode);
    return m_hRgn ? TRUE : FALSE;
}

BOOL CRgn::PtInRegion(int x, int y) const {
    return ::PtInRegion(m_hRgn, x, y);
}

BOOL CRgn::DeleteObject() {
    if (!m_hRgn) return FALSE;
    const BOOL bDeleted = ::DeleteObject(m_hRgn);
    m_hRgn = nullptr;
    return bDeleted;
}
