// Ternary raster operations on rows of pixels: a fast function for each named operation,
// the general rule for every other code, and a bit-by-bit reference the tests hold them to.
#pragma once

#include <cstddef>

#include "gdi_internal.h"

namespace qvp::detail {

// The truth-table byte of a raster operation: bit (p << 2 | s << 1 | d) is the result for
// pattern bit p, source bit s, destination bit d.
constexpr BYTE RopCode(DWORD rop) {
    return static_cast<BYTE>(rop >> 16);
}
constexpr bool RopUsesSource(BYTE code) {
    return (((code >> 2) ^ code) & 0x33) != 0;
}
constexpr bool RopUsesDest(BYTE code) {
    return (((code >> 1) ^ code) & 0x55) != 0;
}
constexpr bool RopUsesPattern(BYTE code) {
    return (((code >> 4) ^ code) & 0x0F) != 0;
}

// One raster operation bound to a solid pattern: d = op(pattern, s, d) over a block of
// w x h pixels whose rows are `dStride` and `sStride` pixels apart. `s` may be null when
// the code ignores the source.
struct RopRow {
    using Fn = void (*)(const RopRow& op, Pixel* d, std::ptrdiff_t dStride, const Pixel* s,
                        std::ptrdiff_t sStride, int w, int h);

    void operator()(Pixel* d, const Pixel* s, int n) const { fn(*this, d, 0, s, 0, n, 1); }
    void Block(Pixel* d, std::ptrdiff_t dStride, const Pixel* s, std::ptrdiff_t sStride, int w,
               int h) const {
        fn(*this, d, dStride, s, sStride, w, h);
    }

    Fn fn = nullptr;
    Pixel pattern = 0;
    // For the general rule: the mask of bits set for each (source, destination) pair, with
    // the pattern already folded in; index s << 1 | d.
    Pixel terms[4] = {};
};

// The fast function for `code` where there is one, else the general rule.
RopRow ChooseRop(BYTE code, Pixel pattern);
RopRow GeneralRop(BYTE code, Pixel pattern);
// One pixel, one bit at a time, straight from the truth table: the reference transfers'
// rule.
Pixel ReferenceRop(BYTE code, Pixel p, Pixel s, Pixel d);

}  // namespace qvp::detail
