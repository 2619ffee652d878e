// The reference transfers: every destination pixel on its own, every bit from the truth
// table, the source read from a snapshot. No clipping arithmetic beyond "is it inside".
#include <vector>

#include "gdi_blit.h"
#include "qvplatform/gdi_reference.h"

using namespace qvp::detail;

namespace {

bool Inside(const RECT& r, long long x, long long y) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

// The source pixels as they were before the transfer, converted to the destination's format.
struct SourceSnapshot {
    explicit SourceSnapshot(const Transfer& t) : conv(t.conv) {
        if (!t.src) return;
        pixels.assign(t.src->m_pixels.begin(), t.src->m_pixels.end());
        width = t.src->m_nWidth;
        height = t.src->m_nHeight;
    }
    bool Has(long long x, long long y) const { return Inside({0, 0, width, height}, x, y); }
    Pixel At(long long x, long long y) const {
        return conv(pixels[static_cast<std::size_t>(y * width + x)]);
    }

    Conversion conv;
    std::vector<Pixel> pixels;
    int width = 0, height = 0;
};

void Plot(const Transfer& t, long long x, long long y, Pixel s) {
    Pixel& d = t.dst->Row(static_cast<int>(y))[x];
    d = ReferenceRop(t.code, t.pattern, s, d);
}

}  // namespace

BOOL ReferenceBitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop) {
    Transfer t;
    Transfer::Setup setup = t.Begin(hdc, hdcSrc, rop);
    if (setup != Transfer::Setup::Draw) return setup == Transfer::Setup::Fail ? FALSE : TRUE;
    SourceSnapshot source(t);
    RECT bounds = t.dstDc->DeviceBounds();
    const POINT& dOrg = t.dstDc->m_state.viewportOrg;
    POINT sOrg = t.srcDc ? t.srcDc->m_state.viewportOrg : POINT{0, 0};
    for (long long j = 0; j < cy; ++j) {
        for (long long i = 0; i < cx; ++i) {
            long long dx = x + i + dOrg.x, dy = y + j + dOrg.y;
            long long sx = x1 + i + sOrg.x, sy = y1 + j + sOrg.y;
            if (!Inside(bounds, dx, dy)) continue;
            if (t.src && !source.Has(sx, sy)) continue;
            Plot(t, dx, dy, t.src ? source.At(sx, sy) : 0);
        }
    }
    return TRUE;
}

BOOL ReferenceStretchBlt(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc,
                         int xSrc, int ySrc, int wSrc, int hSrc, DWORD rop) {
    Transfer t;
    Transfer::Setup setup = t.Begin(hdcDest, hdcSrc, rop);
    if (setup != Transfer::Setup::Draw || wDest == 0 || hDest == 0 ||
        (t.src && (wSrc == 0 || hSrc == 0)))
        return setup == Transfer::Setup::Fail ? FALSE : TRUE;
    SourceSnapshot source(t);
    POINT d = t.dstDc->ToDevice(xDest, yDest);
    POINT s = t.src ? t.srcDc->ToDevice(xSrc, ySrc) : POINT{0, 0};
    StretchAxis ax(d.x, wDest, s.x, t.src ? wSrc : wDest);
    StretchAxis ay(d.y, hDest, s.y, t.src ? hSrc : hDest);
    int mode = t.dstDc->m_state.stretchMode;
    RECT bounds = t.dstDc->DeviceBounds();
    for (int j = 0; j < ay.dstN; ++j) {
        for (int i = 0; i < ax.dstN; ++i) {
            long long dx = ax.dstLo + i, dy = ay.dstLo + j;
            if (!Inside(bounds, dx, dy)) continue;
            if (!t.src) {
                Plot(t, dx, dy, 0);
                continue;
            }
            // Every source pixel of the block, in reading order; the stretch mode merges
            // them or keeps the first.
            auto [c0, c1] = ax.Range(i);
            auto [r0, r1] = ay.Range(j);
            bool found = false;
            Pixel merged = 0;
            for (long long r = ay.srcLo + r0; r < ay.srcLo + r1; ++r) {
                for (long long c = ax.srcLo + c0; c < ax.srcLo + c1; ++c) {
                    if (!source.Has(c, r)) continue;
                    Pixel v = source.At(c, r);
                    if (!found) {
                        merged = v;
                    } else if (mode == BLACKONWHITE) {
                        merged &= v;
                    } else if (mode == WHITEONBLACK) {
                        merged |= v;
                    }
                    found = true;
                }
            }
            if (found) Plot(t, dx, dy, merged);
        }
    }
    return TRUE;
}
