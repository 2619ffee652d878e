// Raster operations on rows. Every function keeps the top byte of a pixel zero.
#include "gdi_rop.h"

#include <cstring>

namespace qvp::detail {

namespace {

// Four pixels at a time through the compiler's vector types; each formula below is written
// once and runs on both vectors and single pixels.
using Vec = Pixel __attribute__((vector_size(16)));
constexpr int kLanes = 4;

inline Vec Load(const Pixel* p) {
    Vec v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
inline void Store(Pixel* p, Vec v) {
    std::memcpy(p, &v, sizeof v);
}

template <class F>
void Apply(const RopRow& rop, Pixel* dst, std::ptrdiff_t dStride, const Pixel* src,
           std::ptrdiff_t sStride, int w, int h, F f) {
    const Vec pattern = Vec{} + rop.pattern;
    for (int y = 0; y < h; ++y, dst += dStride, src += sStride) {
        int i = 0;
        for (; i + kLanes <= w; i += kLanes)
            Store(dst + i, f(rop, pattern, Load(src + i), Load(dst + i)));
        for (; i < w; ++i) dst[i] = f(rop, rop.pattern, src[i], dst[i]);
    }
}

template <class F>
void ApplyNoSource(const RopRow& rop, Pixel* dst, std::ptrdiff_t dStride, int w, int h, F f) {
    const Vec pattern = Vec{} + rop.pattern;
    for (int y = 0; y < h; ++y, dst += dStride) {
        int i = 0;
        for (; i + kLanes <= w; i += kLanes) Store(dst + i, f(rop, pattern, Vec{}, Load(dst + i)));
        for (; i < w; ++i) dst[i] = f(rop, rop.pattern, Pixel{0}, dst[i]);
    }
}

// Defines the block function `name` from a formula of op, p, s and d.
#define QVP_ROP(name, formula)                                                           \
    void name(const RopRow& rop, Pixel* dst, std::ptrdiff_t dStride, const Pixel* src,   \
              std::ptrdiff_t sStride, int w, int h) {                                    \
        Apply(rop, dst, dStride, src, sStride, w, h,                                     \
              []([[maybe_unused]] const RopRow& op, [[maybe_unused]] auto p,             \
                 [[maybe_unused]] auto s, [[maybe_unused]] auto d) { return formula; }); \
    }
#define QVP_ROP_NO_SOURCE(name, formula)                                                           \
    void name(const RopRow& rop, Pixel* dst, std::ptrdiff_t dStride, const Pixel*, std::ptrdiff_t, \
              int w, int h) {                                                                      \
        ApplyNoSource(rop, dst, dStride, w, h,                                                     \
                      []([[maybe_unused]] const RopRow& op, [[maybe_unused]] auto p,               \
                         [[maybe_unused]] auto s, [[maybe_unused]] auto d) { return formula; });   \
    }

// Rows never overlap: a transfer within one bitmap reads from a copy.
void SrcCopy(const RopRow&, Pixel* dst, std::ptrdiff_t dStride, const Pixel* src,
             std::ptrdiff_t sStride, int w, int h) {
    for (int y = 0; y < h; ++y, dst += dStride, src += sStride)
        std::memcpy(dst, src, static_cast<std::size_t>(w) * sizeof(Pixel));
}

// Sum of products over the four (source, destination) combinations.
template <class V>
V General(const RopRow& op, V s, V d) {
    return (op.terms[0] & ~s & ~d) | (op.terms[1] & ~s & d) | (op.terms[2] & s & ~d) |
           (op.terms[3] & s & d);
}

// clang-format off
QVP_ROP(SrcErase, s & ~d)
QVP_ROP(SrcAnd, s & d)
QVP_ROP(SrcPaint, s | d)
QVP_ROP(SrcInvert, s ^ d)
QVP_ROP(NotSrcCopy, ~s & kWhite)
QVP_ROP(NotSrcErase, ~(s | d) & kWhite)
QVP_ROP(MergeCopy, p & s)
QVP_ROP(MergePaint, (~s | d) & kWhite)
QVP_ROP(PatPaint, (p | ~s | d) & kWhite)
QVP_ROP(GeneralWithSource, General(op, s, d))
QVP_ROP_NO_SOURCE(Fill, p)
QVP_ROP_NO_SOURCE(PatInvert, p ^ d)
QVP_ROP_NO_SOURCE(DstInvert, ~d & kWhite)
QVP_ROP_NO_SOURCE(GeneralNoSource, General(op, s, d))
// clang-format on

#undef QVP_ROP
#undef QVP_ROP_NO_SOURCE

}  // namespace

RopRow GeneralRop(BYTE code, Pixel pattern) {
    RopRow op;
    op.pattern = pattern;
    for (int sd = 0; sd < 4; ++sd) {
        Pixel withPattern = (code >> (4 + sd)) & 1 ? pattern : 0;
        Pixel withoutPattern = (code >> sd) & 1 ? ~pattern : 0;
        op.terms[sd] = (withPattern | withoutPattern) & kWhite;
    }
    op.fn = RopUsesSource(code) ? GeneralWithSource : GeneralNoSource;
    return op;
}

RopRow ChooseRop(BYTE code, Pixel pattern) {
    RopRow op = GeneralRop(code, pattern);
    switch (code) {
        case 0xCC:
            op.fn = SrcCopy;
            break;
        case 0x44:
            op.fn = SrcErase;
            break;
        case 0x88:
            op.fn = SrcAnd;
            break;
        case 0xEE:
            op.fn = SrcPaint;
            break;
        case 0x66:
            op.fn = SrcInvert;
            break;
        case 0x33:
            op.fn = NotSrcCopy;
            break;
        case 0x11:
            op.fn = NotSrcErase;
            break;
        case 0xC0:
            op.fn = MergeCopy;
            break;
        case 0xBB:
            op.fn = MergePaint;
            break;
        case 0xFB:
            op.fn = PatPaint;
            break;
        case 0xF0:
            op.fn = Fill;
            break;
        case 0x5A:
            op.fn = PatInvert;
            break;
        case 0x55:
            op.fn = DstInvert;
            break;
        case 0x00:
            op.pattern = kBlack;
            op.fn = Fill;
            break;
        case 0xFF:
            op.pattern = kWhite;
            op.fn = Fill;
            break;
        default:
            break;
    }
    return op;
}

Pixel ReferenceRop(BYTE code, Pixel p, Pixel s, Pixel d) {
    Pixel result = 0;
    for (int bit = 0; bit < 24; ++bit) {
        int index =
            static_cast<int>(((p >> bit) & 1) << 2 | ((s >> bit) & 1) << 1 | ((d >> bit) & 1));
        result |= static_cast<Pixel>((code >> index) & 1) << bit;
    }
    return result;
}

}  // namespace qvp::detail
