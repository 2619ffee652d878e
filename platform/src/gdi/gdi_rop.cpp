// Raster operations on rows. Every function keeps the top byte of a pixel zero.
#include "gdi_rop.h"

#include <cstdint>
#include <cstring>

namespace qvp::detail {

namespace {

// Several pixels at a time through the compiler's vector types: four in the baseline
// instruction set's 128-bit registers, eight where the processor has 256-bit ones. Storing is
// what limits a transfer, and a wide store moves twice the bytes in the same time. Each
// formula below is written once and runs on both vectors and on single pixels.
//
// Vectors pass by reference only: a function taking or returning a 256-bit vector by value
// outside code built for 256-bit registers draws the compiler's calling-convention warning,
// even when it is always inlined.
using Vec4 = Pixel __attribute__((vector_size(16)));
using Vec8 = Pixel __attribute__((vector_size(32)));

// Rows at least this long are visited strictly in order (see Rows).
constexpr std::size_t kLongRowBytes = 512;

template <class V>
[[gnu::always_inline]] inline void Load(V& v, const Pixel* p) {
    std::memcpy(&v, p, sizeof v);
}
template <class V>
[[gnu::always_inline]] inline void Store(Pixel* p, const V& v) {
    std::memcpy(p, &v, sizeof v);
}

// Pixels from `p` to the next address aligned to a V.
template <class V>
[[gnu::always_inline]] inline int ToAligned(const Pixel* p) {
    return static_cast<int>((-reinterpret_cast<std::uintptr_t>(p) % sizeof(V)) / sizeof(Pixel));
}

// d = F(pattern, s, d) over a block, V's lanes at a time; the source is zero unless kSource,
// and kDest says whether F reads the destination.
//
// A row is stored in vectors aligned to V's size, which never straddle a cache line, plus
// an unaligned vector at each end overlapping them, so it needs no scalar remainder. Each
// pixel depends on its own inputs only, so an overlap receives the same value twice as long
// as every vector is worked out from the destination as it was: the last vector is worked
// out before any store reaches it, and where F reads the destination the first one is
// stored after the row. (The source never shares memory with the destination: a transfer
// within one bitmap reads from a copy.) Rows narrower than a vector go to `narrow`.
template <class V, class F, bool kSource, bool kDest, class Narrow>
[[gnu::always_inline]] inline void Rows(const RopRow& rop, Pixel* dst, std::ptrdiff_t dStride,
                                        const Pixel* src, std::ptrdiff_t sStride, int w, int h,
                                        Narrow narrow) {
    constexpr int kLanes = sizeof(V) / sizeof(Pixel);
    if (w < kLanes) {
        narrow(rop, dst, dStride, src, sStride, w, h);
        return;
    }
    const V pattern = V{} + rop.pattern;
    V s{}, d;
    // d = F(pattern, s, d) for the vector at i of the row.
    auto at = [&](int i) __attribute__((always_inline)) {
        if constexpr (kSource) Load(s, src + i);
        if constexpr (kDest) Load(d, dst + i);
        F::Op(rop, pattern, s, d);
    };
    // Two vectors a turn keep the loop fast wherever it falls among instruction-cache lines.
    auto pair = [&](int i) __attribute__((always_inline)) {
        at(i);
        Store(dst + i, d);
        at(i + kLanes);
        Store(dst + i + kLanes, d);
    };
    const int last = w - kLanes;
    // In a long row the last vector is worked out only when the stores come near it, so
    // that memory is visited in order as the processor's prefetching expects; in a short
    // one it is worked out at once, while the stores are still to come.
    const bool longRow = last * sizeof(Pixel) >= kLongRowBytes;
    for (int y = 0; y < h; ++y) {
        at(0);
        const V head = d;
        if constexpr (!kDest) Store(dst, head);
        int i = 1 + ToAligned<V>(dst + 1);  // the first aligned vector the head does not cover
        if (longRow)
            for (; i + 3 * kLanes < last; i += 2 * kLanes) pair(i);
        at(last);
        const V tail = d;
        for (; i + kLanes < last; i += 2 * kLanes) pair(i);
        if (i < last) {
            at(i);
            Store(dst + i, d);
        }
        if constexpr (kDest) Store(dst, head);
        Store(dst + last, tail);
        dst += dStride;
        if constexpr (kSource) src += sStride;
    }
}

template <class F, bool kSource>
[[gnu::always_inline]] inline void Pixels(const RopRow& rop, Pixel* dst, std::ptrdiff_t dStride,
                                          const Pixel* src, std::ptrdiff_t sStride, int w, int h) {
    for (int y = 0; y < h; ++y) {
        for (int i = 0; i < w; ++i) F::Op(rop, rop.pattern, kSource ? src[i] : Pixel{0}, dst[i]);
        dst += dStride;
        if constexpr (kSource) src += sStride;
    }
}

template <class F, bool kSource, bool kDest>
void Block(const RopRow& rop, Pixel* dst, std::ptrdiff_t dStride, const Pixel* src,
           std::ptrdiff_t sStride, int w, int h) {
    Rows<Vec4, F, kSource, kDest>(rop, dst, dStride, src, sStride, w, h, Pixels<F, kSource>);
}

// The same with 256-bit registers; rows of four to seven pixels take 128-bit vectors.
template <class F, bool kSource, bool kDest>
[[gnu::target("avx")]] void BlockAvx(const RopRow& rop, Pixel* dst, std::ptrdiff_t dStride,
                                     const Pixel* src, std::ptrdiff_t sStride, int w, int h) {
    auto narrow = [](const RopRow& r, Pixel* d, std::ptrdiff_t ds, const Pixel* s,
                     std::ptrdiff_t ss, int n, int rows) __attribute__((always_inline)) {
        Rows<Vec4, F, kSource, kDest>(r, d, ds, s, ss, n, rows, Pixels<F, kSource>);
    };
    Rows<Vec8, F, kSource, kDest>(rop, dst, dStride, src, sStride, w, h, narrow);
}

bool HasAvx() {
    static const bool avx = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx") != 0;
    }();
    return avx;
}

// The block function of the operation F for this processor.
template <class F, bool kSource, bool kDest>
RopRow::Fn Pick() {
    return HasAvx() ? BlockAvx<F, kSource, kDest> : Block<F, kSource, kDest>;
}

// A named operation knows from its truth table which inputs it reads.
template <class F>
RopRow::Fn PickNamed() {
    return Pick<F, RopUsesSource(F::kCode), RopUsesDest(F::kCode)>();
}

// Defines the operation `name` with truth table `code`: d = formula of op, p, s and d, for
// vectors and pixels.
#define QVP_ROP(name, code, formula)                                               \
    struct name {                                                                  \
        static constexpr BYTE kCode = code;                                        \
        template <class V>                                                         \
        [[gnu::always_inline]] static void Op([[maybe_unused]] const RopRow& op,   \
                                              [[maybe_unused]] const V& p,         \
                                              [[maybe_unused]] const V& s, V& d) { \
            d = formula;                                                           \
        }                                                                          \
    };

// clang-format off
QVP_ROP(SrcCopy, 0xCC, s)
QVP_ROP(SrcErase, 0x44, s & ~d)
QVP_ROP(SrcAnd, 0x88, s & d)
QVP_ROP(SrcPaint, 0xEE, s | d)
QVP_ROP(SrcInvert, 0x66, s ^ d)
QVP_ROP(NotSrcCopy, 0x33, ~s & kWhite)
QVP_ROP(NotSrcErase, 0x11, ~(s | d) & kWhite)
QVP_ROP(MergeCopy, 0xC0, p & s)
QVP_ROP(MergePaint, 0xBB, (~s | d) & kWhite)
QVP_ROP(PatPaint, 0xFB, (p | ~s | d) & kWhite)
QVP_ROP(PatCopy, 0xF0, p)
QVP_ROP(PatInvert, 0x5A, p ^ d)
QVP_ROP(DstInvert, 0x55, ~d & kWhite)
// clang-format on

#undef QVP_ROP

// The general rule, for any code: a sum of products over the four (source, destination)
// combinations, the pattern folded into op.terms. Taken to read the destination.
struct GeneralRule {
    template <class V>
    [[gnu::always_inline]] static void Op(const RopRow& op, const V&, const V& s, V& d) {
        d = (op.terms[0] & ~s & ~d) | (op.terms[1] & ~s & d) | (op.terms[2] & s & ~d) |
            (op.terms[3] & s & d);
    }
};

}  // namespace

RopRow GeneralRop(BYTE code, Pixel pattern) {
    RopRow op;
    op.pattern = pattern;
    for (int sd = 0; sd < 4; ++sd) {
        Pixel withPattern = (code >> (4 + sd)) & 1 ? pattern : 0;
        Pixel withoutPattern = (code >> sd) & 1 ? ~pattern : 0;
        op.terms[sd] = (withPattern | withoutPattern) & kWhite;
    }
    op.fn =
        RopUsesSource(code) ? Pick<GeneralRule, true, true>() : Pick<GeneralRule, false, true>();
    return op;
}

RopRow ChooseRop(BYTE code, Pixel pattern) {
    RopRow op;
    op.pattern = pattern;
    switch (code) {
        case SrcCopy::kCode:
            op.fn = PickNamed<SrcCopy>();
            break;
        case SrcErase::kCode:
            op.fn = PickNamed<SrcErase>();
            break;
        case SrcAnd::kCode:
            op.fn = PickNamed<SrcAnd>();
            break;
        case SrcPaint::kCode:
            op.fn = PickNamed<SrcPaint>();
            break;
        case SrcInvert::kCode:
            op.fn = PickNamed<SrcInvert>();
            break;
        case NotSrcCopy::kCode:
            op.fn = PickNamed<NotSrcCopy>();
            break;
        case NotSrcErase::kCode:
            op.fn = PickNamed<NotSrcErase>();
            break;
        case MergeCopy::kCode:
            op.fn = PickNamed<MergeCopy>();
            break;
        case MergePaint::kCode:
            op.fn = PickNamed<MergePaint>();
            break;
        case PatPaint::kCode:
            op.fn = PickNamed<PatPaint>();
            break;
        case PatCopy::kCode:
            op.fn = PickNamed<PatCopy>();
            break;
        case PatInvert::kCode:
            op.fn = PickNamed<PatInvert>();
            break;
        case DstInvert::kCode:
            op.fn = PickNamed<DstInvert>();
            break;
        case 0x00:  // BLACKNESS and WHITENESS: a fill with black or white
        case 0xFF:
            op.pattern = code ? kWhite : kBlack;
            op.fn = PickNamed<PatCopy>();
            break;
        default:
            return GeneralRop(code, pattern);
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
