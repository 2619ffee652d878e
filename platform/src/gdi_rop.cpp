// Raster operations on rows. Every function keeps the top byte of a pixel zero.
#include "gdi_rop.h"

#include <cstring>

namespace qvp::detail {

namespace {

// A row function from a per-pixel formula of pattern, source and destination.
template <class F>
void Apply(Pixel* d, const Pixel* s, Pixel p, int n, F f) {
    for (int i = 0; i < n; ++i) d[i] = f(p, s[i], d[i]);
}
template <class F>
void ApplyNoSource(Pixel* d, Pixel p, int n, F f) {
    for (int i = 0; i < n; ++i) d[i] = f(p, d[i]);
}

void SrcCopy(const RopRow&, Pixel* d, const Pixel* s, int n) {
    std::memmove(d, s, static_cast<std::size_t>(n) * sizeof(Pixel));
}
void SrcErase(const RopRow& op, Pixel* d, const Pixel* s, int n) {
    Apply(d, s, op.pattern, n, [](Pixel, Pixel sp, Pixel dp) { return sp & ~dp; });
}
void SrcAnd(const RopRow& op, Pixel* d, const Pixel* s, int n) {
    Apply(d, s, op.pattern, n, [](Pixel, Pixel sp, Pixel dp) { return sp & dp; });
}
void SrcPaint(const RopRow& op, Pixel* d, const Pixel* s, int n) {
    Apply(d, s, op.pattern, n, [](Pixel, Pixel sp, Pixel dp) { return sp | dp; });
}
void SrcInvert(const RopRow& op, Pixel* d, const Pixel* s, int n) {
    Apply(d, s, op.pattern, n, [](Pixel, Pixel sp, Pixel dp) { return sp ^ dp; });
}
void NotSrcCopy(const RopRow& op, Pixel* d, const Pixel* s, int n) {
    Apply(d, s, op.pattern, n, [](Pixel, Pixel sp, Pixel) { return ~sp & kWhite; });
}
void NotSrcErase(const RopRow& op, Pixel* d, const Pixel* s, int n) {
    Apply(d, s, op.pattern, n, [](Pixel, Pixel sp, Pixel dp) { return ~(sp | dp) & kWhite; });
}
void MergeCopy(const RopRow& op, Pixel* d, const Pixel* s, int n) {
    Apply(d, s, op.pattern, n, [](Pixel p, Pixel sp, Pixel) { return p & sp; });
}
void MergePaint(const RopRow& op, Pixel* d, const Pixel* s, int n) {
    Apply(d, s, op.pattern, n, [](Pixel, Pixel sp, Pixel dp) { return (~sp | dp) & kWhite; });
}
void PatPaint(const RopRow& op, Pixel* d, const Pixel* s, int n) {
    Apply(d, s, op.pattern, n, [](Pixel p, Pixel sp, Pixel dp) { return (p | ~sp | dp) & kWhite; });
}
void Fill(const RopRow& op, Pixel* d, const Pixel*, int n) {
    ApplyNoSource(d, op.pattern, n, [](Pixel p, Pixel) { return p; });
}
void PatInvert(const RopRow& op, Pixel* d, const Pixel*, int n) {
    ApplyNoSource(d, op.pattern, n, [](Pixel p, Pixel dp) { return p ^ dp; });
}
void DstInvert(const RopRow& op, Pixel* d, const Pixel*, int n) {
    ApplyNoSource(d, op.pattern, n, [](Pixel, Pixel dp) { return ~dp & kWhite; });
}

// Sum of products over the four (source, destination) combinations.
Pixel General(const RopRow& op, Pixel s, Pixel d) {
    return (op.terms[0] & ~s & ~d) | (op.terms[1] & ~s & d) | (op.terms[2] & s & ~d) |
           (op.terms[3] & s & d);
}
void GeneralWithSource(const RopRow& op, Pixel* d, const Pixel* s, int n) {
    for (int i = 0; i < n; ++i) d[i] = General(op, s[i], d[i]);
}
void GeneralNoSource(const RopRow& op, Pixel* d, const Pixel*, int n) {
    for (int i = 0; i < n; ++i) d[i] = General(op, 0, d[i]);
}

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
