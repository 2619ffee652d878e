// Block transfers: raster operations, colour/monochrome conversion, clipping, and the
// fast transfer held to the reference on seeded random pictures.
#include <gtest/gtest.h>

#include "gdi_test_util.h"
#include "qvplatform/gdi_reference.h"

using gditest::MemDc;
using gditest::PictureMaker;

namespace {

COLORREF Grey(int v) {
    return RGB(v, v, v);
}

// Selects a solid brush for the object's life.
class BrushIn {
public:
    BrushIn(HDC dc, COLORREF c) : m_dc(dc), m_brush(CreateSolidBrush(c)) {
        m_old = SelectObject(dc, m_brush);
    }
    ~BrushIn() {
        SelectObject(m_dc, m_old);
        DeleteObject(m_brush);
    }

private:
    HDC m_dc;
    HBRUSH m_brush;
    HGDIOBJ m_old;
};

}  // namespace

TEST(BitBlt, EveryCodeFollowsItsTruthTable) {
    // With pattern 0xF0, source 0xCC and destination 0xAA in every channel, each bit
    // position holds one row of the truth table, so the result is the code itself.
    MemDc src(1, 1, false, Grey(0xCC));
    for (int code = 0; code < 256; ++code) {
        MemDc dst(1, 1, false, Grey(0xAA));
        BrushIn brush(dst, Grey(0xF0));
        ASSERT_TRUE(BitBlt(dst, 0, 0, 1, 1, src, 0, 0, static_cast<DWORD>(code) << 16));
        EXPECT_EQ(dst.At(0, 0), Grey(code)) << "code " << code;
    }
}

TEST(BitBlt, ColourToMonochromeThroughTheSourceBackground) {
    // The mask of a picture whose left half is the transparent colour.
    const COLORREF key = RGB(255, 0, 255);
    MemDc picture(50, 40, false, RGB(10, 200, 30));
    RECT left{0, 0, 25, 40};
    FillSolidRect(picture, &left, key);
    SetBkColor(picture, key);
    MemDc mask(50, 40, true, 0);
    ASSERT_TRUE(BitBlt(mask, 0, 0, 50, 40, picture, 0, 0, SRCCOPY));
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 50; ++x)
            ASSERT_EQ(mask.At(x, y), x < 25 ? RGB(255, 255, 255) : 0u) << x << "," << y;
}

TEST(BitBlt, MonochromeToColourThroughTheDestinationColours) {
    MemDc mono(4, 1, true, 0);
    mono.Set(1, 0, RGB(255, 255, 255));
    mono.Set(3, 0, RGB(255, 255, 255));
    MemDc colour(4, 1);
    SetTextColor(colour, RGB(200, 0, 0));  // black bits
    SetBkColor(colour, RGB(0, 0, 200));    // white bits
    SetTextColor(mono, RGB(1, 1, 1));      // the source's own colours play no part
    SetBkColor(mono, RGB(2, 2, 2));
    BitBlt(colour, 0, 0, 4, 1, mono, 0, 0, SRCCOPY);
    EXPECT_EQ(colour.Pixels(), (std::vector<COLORREF>{RGB(200, 0, 0), RGB(0, 0, 200),
                                                      RGB(200, 0, 0), RGB(0, 0, 200)}));
}

TEST(BitBlt, SourceIsNeededOnlyWhenTheOperationUsesIt) {
    MemDc dst(2, 2);
    // Clipping of far-off rectangles must not overflow (the random pictures check the rest).
    EXPECT_TRUE(BitBlt(dst, 1 << 30, -(1 << 30), 1 << 30, 1 << 30, dst, -(1 << 30), 0, SRCCOPY));
    EXPECT_FALSE(BitBlt(dst, 0, 0, 2, 2, nullptr, 0, 0, SRCCOPY));
    EXPECT_TRUE(BitBlt(dst, 0, 0, 2, 2, nullptr, 0, 0, DSTINVERT));
    EXPECT_EQ(dst.At(1, 1), 0u);
    HDC screen = CreateDCA(nullptr, nullptr, nullptr, nullptr);
    EXPECT_TRUE(BitBlt(screen, 0, 0, 2, 2, dst, 0, 0, SRCCOPY));  // nothing to draw on
    DeleteDC(screen);
}

TEST(BitBlt, HollowBrushDrawsNoPattern) {
    MemDc dst(2, 2, false, RGB(1, 2, 3));
    SelectObject(dst, GetStockObject(NULL_BRUSH));
    EXPECT_TRUE(PatBlt(dst, 0, 0, 2, 2, PATCOPY));
    EXPECT_EQ(dst.At(0, 0), RGB(1, 2, 3));
    EXPECT_TRUE(PatBlt(dst, 0, 0, 2, 2, BLACKNESS));
    EXPECT_EQ(dst.At(0, 0), 0u);
    EXPECT_FALSE(PatBlt(dst, 0, 0, 2, 2, SRCCOPY));
}

TEST(BitBlt, MatchesTheReferenceOnRandomPictures) {
    PictureMaker rnd(20240611);
    for (int round = 0; round < 768; ++round) {
        const int code = round < 256 ? round : rnd.Int(0, 255);
        const bool srcMono = rnd.Int(0, 3) == 0, dstMono = rnd.Int(0, 3) == 0;
        const bool self = rnd.Int(0, 7) == 0;
        MemDc fast(rnd.Int(1, 24), rnd.Int(1, 24), dstMono);
        MemDc ref(fast.width(), fast.height(), dstMono);
        MemDc src(rnd.Int(1, 24), rnd.Int(1, 24), srcMono);
        rnd.Fill(fast, dstMono);
        rnd.Fill(src, srcMono);
        ref.Load(fast.Pixels());
        // The source background is often one of its own colours, so matches happen.
        SetBkColor(src, rnd.Int(0, 1) ? src.At(0, 0) : rnd.Color());
        const COLORREF text = rnd.Color(), bk = rnd.Color(), brushColour = rnd.Color();
        const int ox = rnd.Int(-5, 5), oy = rnd.Int(-5, 5);
        const int x = rnd.Int(-8, 24), y = rnd.Int(-8, 24), cx = rnd.Int(-2, 30),
                  cy = rnd.Int(-2, 30), x1 = rnd.Int(-8, 24), y1 = rnd.Int(-8, 24);
        for (MemDc* d : {&fast, &ref}) {
            SetTextColor(*d, text);
            SetBkColor(*d, bk);
            SetViewportOrgEx(*d, ox, oy, nullptr);
        }
        BrushIn b1(fast, brushColour), b2(ref, brushColour);
        const DWORD rop = static_cast<DWORD>(code) << 16;
        BOOL a = BitBlt(fast, x, y, cx, cy, self ? HDC(fast) : HDC(src), x1, y1, rop);
        BOOL b = ReferenceBitBlt(ref, x, y, cx, cy, self ? HDC(ref) : HDC(src), x1, y1, rop);
        ASSERT_EQ(a, b);
        ASSERT_EQ(gditest::FirstDifference(fast, ref), "")
            << "round " << round << " code " << code << " mono " << srcMono << dstMono;
    }
}

TEST(BitBlt, WideRowsMatchTheReference) {
    // Rows of many vectors at every alignment, and conversions done a piece at a time.
    PictureMaker rnd(4242);
    const DWORD rops[] = {SRCCOPY, SRCERASE, PATINVERT, 0x00B8074A};
    for (int round = 0; round < 32; ++round) {
        const DWORD rop = rops[round % 4];
        const bool srcMono = round / 4 % 4 == 1, dstMono = round / 4 % 4 == 2;
        MemDc fast(640, 3, dstMono), ref(640, 3, dstMono), src(640, 3, srcMono);
        rnd.Fill(fast, dstMono);
        rnd.Fill(src, srcMono);
        ref.Load(fast.Pixels());
        SetBkColor(src, src.At(0, 0));
        const COLORREF text = rnd.Color(), bk = rnd.Color(), brushColour = rnd.Color();
        for (MemDc* d : {&fast, &ref}) {
            SetTextColor(*d, text);
            SetBkColor(*d, bk);
        }
        BrushIn b1(fast, brushColour), b2(ref, brushColour);
        const int x = rnd.Int(-9, 40), x1 = rnd.Int(0, 40), cx = rnd.Int(250, 600);
        ASSERT_TRUE(BitBlt(fast, x, 0, cx, 3, src, x1, 0, rop));
        ASSERT_TRUE(ReferenceBitBlt(ref, x, 0, cx, 3, src, x1, 0, rop));
        ASSERT_EQ(gditest::FirstDifference(fast, ref), "")
            << "round " << round << " mono " << srcMono << dstMono;
    }
}
