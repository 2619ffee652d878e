// Stretched transfers: the stretch modes when shrinking, replication when growing,
// mirroring, and the fast transfer held to the reference on random pictures.
#include <gtest/gtest.h>

#include "gdi_test_util.h"
#include "qvplatform/gdi_reference.h"

using gditest::MemDc;
using gditest::PictureMaker;

namespace {

const COLORREF R = RGB(255, 0, 0), G = RGB(0, 255, 0), B = RGB(0, 0, 255), W = RGB(255, 255, 255);

// A 4 x 2 picture whose two 2 x 2 blocks are {R W / W W} and {B B / G B}.
void FillBlocks(MemDc& src) {
    src.Load({R, W, B, B, W, W, G, B});
}

std::vector<COLORREF> Halve(int mode) {
    MemDc src(4, 2), dst(2, 1, false, RGB(1, 1, 1));
    FillBlocks(src);
    if (mode) SetStretchBltMode(dst, mode);
    EXPECT_TRUE(StretchBlt(dst, 0, 0, 2, 1, src, 0, 0, 4, 2, SRCCOPY));
    return dst.Pixels();
}

}  // namespace

TEST(StretchBlt, ShrinkingMergesPixelsByTheStretchMode) {
    EXPECT_EQ(Halve(0), (std::vector<COLORREF>{R, 0}));  // BLACKONWHITE by default: AND
    EXPECT_EQ(Halve(WHITEONBLACK), (std::vector<COLORREF>{W, B | G}));
    EXPECT_EQ(Halve(COLORONCOLOR), (std::vector<COLORREF>{R, B}));
    EXPECT_EQ(Halve(HALFTONE), (std::vector<COLORREF>{R, B}));
}

TEST(StretchBlt, GrowingRepeatsPixels) {
    MemDc src(2, 1), dst(5, 2);
    src.Load({R, B});
    StretchBlt(dst, 0, 0, 5, 2, src, 0, 0, 2, 1, SRCCOPY);
    EXPECT_EQ(dst.Pixels(), (std::vector<COLORREF>{R, R, R, B, B, R, R, R, B, B}));
}

TEST(StretchBlt, OppositeSignsMirror) {
    MemDc src(3, 1), dst(3, 1);
    src.Load({R, G, B});
    StretchBlt(dst, 2, 0, -3, 1, src, 0, 0, 3, 1, SRCCOPY);
    EXPECT_EQ(dst.Pixels(), (std::vector<COLORREF>{B, G, R}));
    StretchBlt(dst, 2, 0, -3, 1, src, 2, 0, -3, 1, SRCCOPY);  // both negative: no mirror
    EXPECT_EQ(dst.Pixels(), (std::vector<COLORREF>{R, G, B}));
}

TEST(StretchBlt, RasterOperationAndConversionApplyAfterMerging) {
    // A monochrome mask halved onto colour with SRCAND: black where any pixel of the
    // block is black (BLACKONWHITE), through the destination's text colour.
    MemDc mask(4, 2, true, W), dst(2, 1, false, RGB(0, 200, 0));
    mask.Set(3, 1, 0);
    SetTextColor(dst, 0);
    StretchBlt(dst, 0, 0, 2, 1, mask, 0, 0, 4, 2, SRCAND);
    EXPECT_EQ(dst.Pixels(), (std::vector<COLORREF>{RGB(0, 200, 0), 0}));
}

TEST(StretchBlt, MatchesTheReferenceOnRandomPictures) {
    PictureMaker rnd(99);
    const DWORD rops[] = {SRCCOPY,    SRCERASE, SRCAND,    SRCPAINT,   SRCINVERT,
                          NOTSRCCOPY, PATCOPY,  MERGECOPY, 0x00B80000, 0x001D0000};
    for (int round = 0; round < 500; ++round) {
        const bool srcMono = rnd.Int(0, 3) == 0, dstMono = rnd.Int(0, 3) == 0;
        MemDc fast(rnd.Int(1, 30), rnd.Int(1, 30), dstMono);
        MemDc ref(fast.width(), fast.height(), dstMono);
        MemDc src(rnd.Int(1, 30), rnd.Int(1, 30), srcMono);
        rnd.Fill(fast, dstMono);
        rnd.Fill(src, srcMono);
        ref.Load(fast.Pixels());
        SetBkColor(src, src.At(0, 0));
        const int mode = rnd.Int(1, 4);
        const COLORREF text = rnd.Color(), bk = rnd.Color();
        const int ox = rnd.Int(-3, 3), oy = rnd.Int(-3, 3);
        for (MemDc* d : {&fast, &ref}) {
            SetStretchBltMode(*d, mode);
            SetTextColor(*d, text);
            SetBkColor(*d, bk);
            SetViewportOrgEx(*d, ox, oy, nullptr);
        }
        auto extent = [&] { return rnd.Int(0, 4) == 0 ? -rnd.Int(1, 40) : rnd.Int(0, 40); };
        const int xd = rnd.Int(-10, 30), yd = rnd.Int(-10, 30), wd = extent(), hd = extent();
        const int xs = rnd.Int(-10, 30), ys = rnd.Int(-10, 30), ws = extent(), hs = extent();
        const DWORD rop = rops[rnd.Int(0, 9)];
        BOOL a = StretchBlt(fast, xd, yd, wd, hd, src, xs, ys, ws, hs, rop);
        BOOL b = ReferenceStretchBlt(ref, xd, yd, wd, hd, src, xs, ys, ws, hs, rop);
        ASSERT_EQ(a, b);
        ASSERT_EQ(gditest::FirstDifference(fast, ref), "")
            << "round " << round << " mode " << mode << " dst " << xd << "," << yd << " " << wd
            << "x" << hd << " src " << xs << "," << ys << " " << ws << "x" << hs;
    }
}
