// Block transfers. Each follows one skeleton: map to device coordinates, clip against both
// bitmaps, return if nothing is left, choose the row operation once, run it row by row.
#include "gdi_blit.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace qvp::detail {

void Conversion::Row(Pixel* out, const Pixel* in, int n) const {
    if (kind == Kind::ColorToMono) {
        for (int i = 0; i < n; ++i) out[i] = in[i] == match ? kWhite : kBlack;
    } else {
        for (int i = 0; i < n; ++i) out[i] = in[i] == kBlack ? black : white;
    }
}

Transfer::Setup Transfer::Begin(HDC hdc, HDC hdcSrc, DWORD rop) {
    dstDc = Table().Get<DcObject>(hdc);
    if (!dstDc) return Setup::Fail;
    code = RopCode(rop);
    if (RopUsesSource(code)) {
        srcDc = Table().Get<DcObject>(hdcSrc);
        if (!srcDc || !srcDc->m_state.bitmap) return Setup::Fail;
        src = srcDc->m_state.bitmap.get();
    }
    dst = dstDc->m_state.bitmap.get();
    if (!dst) return Setup::Nothing;
    if (RopUsesPattern(code)) {
        const BrushObject* brush = dstDc->m_state.brush.get();
        if (!brush || brush->m_log.lbStyle == BS_NULL) return Setup::Nothing;
        pattern = dst->FromColor(brush->m_log.lbColor);
    }
    if (src) conv = Conversion::Between(*srcDc, *dstDc);
    return Setup::Draw;
}

StretchAxis::StretchAxis(int dstOrigin, int dstExtent, int srcOrigin, int srcExtent) {
    auto normalise = [](long long origin, long long extent, int& lo, int& n) {
        extent = std::clamp(extent, -(1LL << 30), 1LL << 30);
        lo = ClampCoord(extent < 0 ? origin + extent + 1 : origin);
        n = static_cast<int>(extent < 0 ? -extent : extent);
    };
    normalise(dstOrigin, dstExtent, dstLo, dstN);
    normalise(srcOrigin, srcExtent, srcLo, srcN);
    mirror = (dstExtent < 0) != (srcExtent < 0);
}

namespace {

// [lo, lo + n) cut to [0, size), in 64 bits so that no sum overflows.
RECT SourceBounds(const BitmapObject& src, POINT offset) {
    return {ClampCoord(-static_cast<long long>(offset.x)),
            ClampCoord(-static_cast<long long>(offset.y)),
            ClampCoord(static_cast<long long>(src.m_nWidth) - offset.x),
            ClampCoord(static_cast<long long>(src.m_nHeight) - offset.y)};
}

RECT DeviceRect(const DcObject& dc, int x, int y, int cx, int cy) {
    POINT p = dc.ToDevice(x, y);
    return {p.x, p.y, ClampCoord(static_cast<long long>(p.x) + cx),
            ClampCoord(static_cast<long long>(p.y) + cy)};
}

// Within one bitmap, when the areas overlap, the source is read from a copy, so they come
// out as if all of the source had been read before anything was written.
void RunFromCopy(const RopRow& op, Pixel* dst, std::ptrdiff_t dStride, const Pixel* src,
                 std::ptrdiff_t sStride, int w, int h) {
    std::vector<Pixel> copy(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        std::copy_n(src + y * sStride, w, copy.begin() + static_cast<std::ptrdiff_t>(y) * w);
    op.Block(dst, dStride, copy.data(), w, w, h);
}

// Source rows converted to the destination's format a piece at a time, on the stack.
void RunConverted(const RopRow& op, const Conversion& conv, Pixel* dst, std::ptrdiff_t dStride,
                  const Pixel* src, std::ptrdiff_t sStride, int w, int h) {
    constexpr int kPiece = 256;
    Pixel converted[kPiece];
    for (int y = 0; y < h; ++y, dst += dStride, src += sStride) {
        for (int x = 0; x < w; x += kPiece) {
            int n = std::min(kPiece, w - x);
            conv.Row(converted, src + x, n);
            op(dst + x, converted, n);
        }
    }
}

// Runs the operation over `rect` of the destination, the source being `offset` away.
void RunRows(const Transfer& t, const RECT& rect, POINT offset) {
    RopRow op = ChooseRop(t.code, t.pattern);
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    Pixel* dst = t.dst->Row(rect.top) + rect.left;
    std::ptrdiff_t dStride = t.dst->m_nWidth;
    if (!t.src) {
        op.Block(dst, dStride, nullptr, 0, width, height);
        return;
    }
    const Pixel* src = t.src->Row(rect.top + offset.y) + rect.left + offset.x;
    std::ptrdiff_t sStride = t.src->m_nWidth;
    RECT from{rect.left + offset.x, rect.top + offset.y, rect.right + offset.x,
              rect.bottom + offset.y};
    if (t.src == t.dst && IntersectRect(from, rect)) {
        RunFromCopy(op, dst, dStride, src, sStride, width, height);
    } else if (t.conv.kind == Conversion::Kind::None) {
        op.Block(dst, dStride, src, sStride, width, height);
    } else {
        RunConverted(op, t.conv, dst, dStride, src, sStride, width, height);
    }
}

// The source runs of one axis for the destination pixels [lo, hi) of the device, cut to
// the source's `size`; lo and hi shrink to the pixels that still have a source.
std::vector<std::pair<int, int>> AxisRuns(const StretchAxis& axis, int size, LONG& lo, LONG& hi) {
    std::vector<std::pair<int, int>> runs;
    for (LONG d = lo; d < hi; ++d) {
        auto [first, last] = axis.Range(d - axis.dstLo);
        first = std::max(first + axis.srcLo, 0);
        last = std::min(last + axis.srcLo, size);
        if (first < last) {
            if (runs.empty()) lo = d;
            runs.emplace_back(first, last);
        } else if (!runs.empty()) {
            break;  // the mapping is monotonic, so the pixels with a source are contiguous
        }
    }
    hi = lo + static_cast<LONG>(runs.size());
    return runs;
}

Pixel Merge(int mode, Pixel a, Pixel b) {
    return mode == WHITEONBLACK ? a | b : a & b;
}

void RunStretch(const Transfer& t, const StretchAxis& ax, const StretchAxis& ay, RECT rect) {
    int mode = t.dstDc->m_state.stretchMode;
    bool firstOnly = mode == COLORONCOLOR || mode == HALFTONE;
    auto cols = AxisRuns(ax, t.src->m_nWidth, rect.left, rect.right);
    auto rows = AxisRuns(ay, t.src->m_nHeight, rect.top, rect.bottom);
    if (cols.empty() || rows.empty()) return;
    int width = rect.right - rect.left;
    int spanLo = std::min(cols.front().first, cols.back().first);
    int spanHi = std::max(cols.front().second, cols.back().second);
    std::vector<Pixel> line(static_cast<std::size_t>(spanHi - spanLo));
    std::vector<Pixel> acc(static_cast<std::size_t>(width));
    RopRow op = ChooseRop(t.code, t.pattern);
    for (int y = rect.top; y < rect.bottom; ++y) {
        auto [rowLo, rowHi] = rows[static_cast<std::size_t>(y - rect.top)];
        if (firstOnly) rowHi = rowLo + 1;
        for (int r = rowLo; r < rowHi; ++r) {
            const Pixel* s = t.src->Row(r) + spanLo;
            if (t.conv.kind != Conversion::Kind::None) {
                t.conv.Row(line.data(), s, spanHi - spanLo);
            } else {
                std::copy_n(s, spanHi - spanLo, line.begin());
            }
            for (int x = 0; x < width; ++x) {
                auto [c0, c1] = cols[static_cast<std::size_t>(x)];
                Pixel v = line[static_cast<std::size_t>(c0 - spanLo)];
                if (!firstOnly)
                    for (int c = c0 + 1; c < c1; ++c)
                        v = Merge(mode, v, line[static_cast<std::size_t>(c - spanLo)]);
                acc[static_cast<std::size_t>(x)] = r == rowLo ? v : Merge(mode, acc[x], v);
            }
        }
        op(t.dst->Row(y) + rect.left, acc.data(), width);
    }
}

}  // namespace

}  // namespace qvp::detail

using namespace qvp::detail;

BOOL BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop) {
    Transfer t;
    Transfer::Setup setup = t.Begin(hdc, hdcSrc, rop);
    if (setup != Transfer::Setup::Draw || cx <= 0 || cy <= 0)
        return setup == Transfer::Setup::Fail ? FALSE : TRUE;
    RECT rect = DeviceRect(*t.dstDc, x, y, cx, cy);
    POINT offset{0, 0};
    if (t.src) {
        POINT s = t.srcDc->ToDevice(x1, y1);
        offset = {s.x - rect.left, s.y - rect.top};
        IntersectRect(rect, SourceBounds(*t.src, offset));
    }
    if (IntersectRect(rect, t.dstDc->DeviceBounds())) RunRows(t, rect, offset);
    return TRUE;
}

BOOL PatBlt(HDC hdc, int x, int y, int w, int h, DWORD rop) {
    if (RopUsesSource(RopCode(rop))) return FALSE;
    // Negative extents name the rectangle from its other corner.
    long long left = w < 0 ? static_cast<long long>(x) + w : x;
    long long top = h < 0 ? static_cast<long long>(y) + h : y;
    return BitBlt(hdc, ClampCoord(left), ClampCoord(top), ClampCoord(std::llabs(w)),
                  ClampCoord(std::llabs(h)), nullptr, 0, 0, rop);
}

BOOL StretchBlt(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc, int xSrc,
                int ySrc, int wSrc, int hSrc, DWORD rop) {
    if (wDest == wSrc && hDest == hSrc && wDest > 0 && hDest > 0)
        return BitBlt(hdcDest, xDest, yDest, wDest, hDest, hdcSrc, xSrc, ySrc, rop);
    Transfer t;
    Transfer::Setup setup = t.Begin(hdcDest, hdcSrc, rop);
    if (setup != Transfer::Setup::Draw || wDest == 0 || hDest == 0 ||
        (t.src && (wSrc == 0 || hSrc == 0)))
        return setup == Transfer::Setup::Fail ? FALSE : TRUE;
    POINT d = t.dstDc->ToDevice(xDest, yDest);
    POINT s = t.src ? t.srcDc->ToDevice(xSrc, ySrc) : POINT{0, 0};
    StretchAxis ax(d.x, wDest, s.x, t.src ? wSrc : wDest);
    StretchAxis ay(d.y, hDest, s.y, t.src ? hSrc : hDest);
    RECT rect{ax.dstLo, ay.dstLo, ClampCoord(static_cast<long long>(ax.dstLo) + ax.dstN),
              ClampCoord(static_cast<long long>(ay.dstLo) + ay.dstN)};
    if (!IntersectRect(rect, t.dstDc->DeviceBounds())) return TRUE;
    if (t.src) {
        RunStretch(t, ax, ay, rect);
    } else {
        RunRows(t, rect, {0, 0});
    }
    return TRUE;
}
