// What the block transfers and their references share: looking up both contexts, the
// colour/monochrome conversion of source pixels and the pixel mapping of a stretch.
#pragma once

#include <utility>

#include "gdi_rop.h"

namespace qvp::detail {

// How a source pixel becomes a destination pixel when the two bitmaps differ in format.
struct Conversion {
    enum class Kind { None, ColorToMono, MonoToColor };

    // Colour to monochrome through the source's background colour; monochrome to colour
    // through the destination's text (black) and background (white) colours.
    static Conversion Between(const DcObject& src, const DcObject& dst) {
        Conversion c;
        bool srcMono = src.m_state.bitmap->m_bMono, dstMono = dst.m_state.bitmap->m_bMono;
        if (!srcMono && dstMono) {
            c.kind = Kind::ColorToMono;
            c.match = PixelFromColor(src.m_state.bkColor);
        } else if (srcMono && !dstMono) {
            c.kind = Kind::MonoToColor;
            c.black = PixelFromColor(dst.m_state.textColor);
            c.white = PixelFromColor(dst.m_state.bkColor);
        }
        return c;
    }

    Pixel operator()(Pixel p) const {
        switch (kind) {
            case Kind::ColorToMono:
                return p == match ? kWhite : kBlack;
            case Kind::MonoToColor:
                return p == kBlack ? black : white;
            default:
                return p;
        }
    }
    void Row(Pixel* out, const Pixel* in, int n) const;

    Kind kind = Kind::None;
    Pixel match = 0;
    Pixel black = 0;
    Pixel white = 0;
};

// One transfer after its handles are checked.
struct Transfer {
    enum class Setup { Fail, Nothing, Draw };

    // Checks the handles and finds the bitmaps, pattern and conversion. Fail for a bad
    // handle or a source without a bitmap; Nothing when no pixel can change (a destination
    // without a bitmap, a hollow brush for an operation that uses the pattern).
    Setup Begin(HDC hdc, HDC hdcSrc, DWORD rop);

    DcObject* dstDc = nullptr;
    DcObject* srcDc = nullptr;  // null when the operation ignores the source
    BitmapObject* dst = nullptr;
    const BitmapObject* src = nullptr;
    BYTE code = 0;
    Pixel pattern = 0;
    Conversion conv;
};

// Which source pixels land on each destination pixel along one axis of a stretch.
// Extents may be negative: the run then ends at the origin, and opposite signs mirror.
struct StretchAxis {
    StretchAxis(int dstOrigin, int dstExtent, int srcOrigin, int srcExtent);

    // Source offsets [first, second) for destination offset i: a block of about
    // srcN / dstN pixels when shrinking, one pixel when growing.
    std::pair<int, int> Range(int i) const {
        long long k = mirror ? dstN - 1 - i : i;
        auto lo = static_cast<int>(k * srcN / dstN);
        auto hi = static_cast<int>((k + 1) * srcN / dstN);
        return {lo, hi > lo ? hi : lo + 1};
    }

    int dstLo, dstN, srcLo, srcN;
    bool mirror;
};

}  // namespace qvp::detail
