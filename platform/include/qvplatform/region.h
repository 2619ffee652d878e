// Polygon regions: an area of pixels bounded by a polygon, with a point test.
//
// A pixel (x, y) belongs to a region when its centre (x + 0.5, y + 0.5) lies inside the
// polygon under the region's fill mode. Filling the same polygon with the same mode
// paints exactly the pixels the region holds. Regions are deleted with DeleteObject.
#pragma once

#include "qvplatform/gdiobj.h"
#include "qvplatform/types.h"

// Fill modes of a polygon.
constexpr int ALTERNATE = 1;  // inside where a ray crosses the outline an odd number of times
constexpr int WINDING = 2;    // inside wherever the outline winds around the point

// A new region bounded by the polygon through `lpPoints`, closed from the last point
// back to the first. Null when `lpPoints` is null, `nCount` is below 2, `nPolyFillMode`
// is neither fill mode, or a coordinate lies outside +-(2^27 - 1). Two points, or any
// outline enclosing no area, give a valid empty region.
QVP_API HRGN CreatePolygonRgn(const POINT* lpPoints, int nCount, int nPolyFillMode);

// Whether pixel (x, y) belongs to the region. FALSE for a null, stale or foreign handle.
QVP_API BOOL PtInRegion(HRGN hRgn, int x, int y);

// Owner of one region handle; the region dies with it.
class QVP_API CRgn {
public:
    CRgn() = default;
    CRgn(const CRgn&) = delete;
    CRgn& operator=(const CRgn&) = delete;
    ~CRgn();

    // Creates the region. FALSE when the arguments are refused, or when this object
    // already holds a region (which is kept; delete it first).
    BOOL CreatePolygonRgn(const POINT* lpPoints, int nCount, int nPolyFillMode);
    BOOL PtInRegion(int x, int y) const;
    BOOL PtInRegion(POINT point) const { return PtInRegion(point.x, point.y); }
    // Deletes the held region; FALSE when there is none.
    BOOL DeleteObject();

    operator HRGN() const { return m_hRgn; }
    HGDIOBJ GetSafeHandle() const { return m_hRgn; }

private:
    HRGN m_hRgn = nullptr;
};
