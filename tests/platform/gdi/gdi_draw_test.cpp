// Brushes, pens, filled rectangles and lines.
#include <gtest/gtest.h>

#include "gdi_test_util.h"

using gditest::MemDc;

namespace {

const COLORREF kWhite = RGB(255, 255, 255);

// The picture as text, '#' for `ink`, '.' for anything else.
std::string Picture(const MemDc& dc, COLORREF ink) {
    std::string out;
    auto pixels = dc.Pixels();
    for (int y = 0; y < dc.height(); ++y) {
        for (int x = 0; x < dc.width(); ++x)
            out += pixels[static_cast<std::size_t>(y) * dc.width() + x] == ink ? '#' : '.';
        out += '\n';
    }
    return out;
}

}  // namespace

TEST(Draw, RectangleOutlinesWithThePenAndFillsWithTheBrush) {
    MemDc dc(6, 5);
    HBRUSH brush = CreateSolidBrush(RGB(0, 0, 255));
    HGDIOBJ old = SelectObject(dc, brush);
    ASSERT_TRUE(Rectangle(dc, 1, 1, 5, 5));
    EXPECT_EQ(Picture(dc, 0), "......\n.####.\n.#..#.\n.#..#.\n.####.\n");
    EXPECT_EQ(dc.At(2, 2), RGB(0, 0, 255));
    // Without a pen the fill stops one pixel short on the right and at the bottom.
    RECT all{0, 0, 6, 5};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SelectObject(dc, GetStockObject(NULL_PEN));
    Rectangle(dc, 1, 1, 5, 5);
    EXPECT_EQ(Picture(dc, RGB(0, 0, 255)), "......\n.###..\n.###..\n.###..\n......\n");
    SelectObject(dc, old);
    DeleteObject(brush);
}

TEST(Draw, FillSolidRectLeavesItsColourAsTheBackground) {
    MemDc dc(3, 3);
    RECT r{1, 1, 3, 3};
    EXPECT_TRUE(FillSolidRect(dc, &r, RGB(9, 8, 7)));
    EXPECT_EQ(GetBkColor(dc), RGB(9, 8, 7));
    EXPECT_EQ(Picture(dc, RGB(9, 8, 7)), "...\n.##\n.##\n");
    RECT inverted{3, 3, 1, 1};  // an inverted rectangle fills nothing
    FillSolidRect(dc, &inverted, 0);
    EXPECT_EQ(Picture(dc, 0), "...\n...\n...\n");
    RECT fullWidth{-5, 1, 9, 2};  // clipped to whole rows: only the middle one
    FillSolidRect(dc, &fullWidth, RGB(1, 1, 1));
    EXPECT_EQ(Picture(dc, RGB(1, 1, 1)), "...\n###\n...\n");
}

// A map-sized picture (past 32 MiB) has memory of its own kind: black from the start and
// drawable to its last pixel.
TEST(Draw, VeryLargeBitmapsStartBlackAndFillToTheirLastPixel) {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateBitmap(4100, 2100, 1, 32, nullptr);
    ASSERT_NE(bitmap, nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    EXPECT_EQ(GetPixel(dc, 0, 0), 0u);
    EXPECT_EQ(GetPixel(dc, 4099, 2099), 0u);
    RECT all{0, 0, 4100, 2100};
    FillSolidRect(dc, &all, RGB(1, 2, 3));
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(1, 2, 3));
    EXPECT_EQ(GetPixel(dc, 4099, 2099), RGB(1, 2, 3));
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

TEST(Draw, ColoursOnMonochromeBitmapsTakeTheNearerOfBlackAndWhite) {
    MemDc dc(3, 1, true, 0);
    RECT r{0, 0, 1, 1};
    FillSolidRect(dc, &r, RGB(128, 128, 127));  // sum 383: white
    r = {1, 0, 2, 1};
    FillSolidRect(dc, &r, RGB(128, 127, 127));  // sum 382: black
    r = {2, 0, 3, 1};
    FillSolidRect(dc, &r, RGB(0, 0, 255));
    EXPECT_EQ(Picture(dc, kWhite), "#..\n");
}

TEST(Draw, BrushesAndPensAreCheckedAndDescribed) {
    LOGBRUSH hatched{2, 0, 0};
    EXPECT_EQ(CreateBrushIndirect(&hatched), nullptr);
    EXPECT_EQ(CreatePen(42, 1, 0), nullptr);
    HBRUSH brush = CreateSolidBrush(0xFF123456);
    LOGBRUSH lb{};
    EXPECT_EQ(GetObjectA(brush, sizeof lb, &lb), static_cast<int>(sizeof lb));
    EXPECT_EQ(lb.lbColor, 0x123456u);
    MemDc dc(2, 2);
    EXPECT_EQ(FillRect(dc, nullptr, brush), 0);
    DeleteObject(brush);
    RECT r{0, 0, 2, 2};
    EXPECT_EQ(FillRect(dc, &r, brush), 0);  // stale
}

TEST(Polygon, UnitBoxIsOutlinedOnEveryVertexAndFilledInside) {
    MemDc dc(50, 40);
    HBRUSH brush = CreateSolidBrush(RGB(0, 0, 255));
    HGDIOBJ old = SelectObject(dc, brush);
    const POINT box[] = {{10, 10}, {10, 30}, {39, 30}, {39, 10}, {10, 10}};
    ASSERT_TRUE(Polygon(dc, box, 5));
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 50; ++x) {
            bool inBox = x >= 10 && x <= 39 && y >= 10 && y <= 30;
            bool edge = inBox && (x == 10 || x == 39 || y == 10 || y == 30);
            COLORREF expected = edge ? 0 : inBox ? RGB(0, 0, 255) : kWhite;
            ASSERT_EQ(dc.At(x, y), expected) << x << "," << y;
        }
    }
    SelectObject(dc, old);
    DeleteObject(brush);
}

TEST(Polygon, FillCoversExactlyThePixelsOfTheSameRegion) {
    gditest::PictureMaker rnd(5);
    for (int round = 0; round < 40; ++round) {
        std::vector<POINT> points(static_cast<std::size_t>(rnd.Int(3, 8)));
        for (POINT& p : points) p = {rnd.Int(-5, 35), rnd.Int(-5, 35)};
        int mode = rnd.Int(0, 1) ? ALTERNATE : WINDING;
        MemDc dc(30, 30);
        SelectObject(dc, GetStockObject(BLACK_BRUSH));
        SelectObject(dc, GetStockObject(NULL_PEN));
        SetPolyFillMode(dc, mode);
        SetViewportOrgEx(dc, 2, -3, nullptr);  // the fill follows the viewport
        Polygon(dc, points.data(), static_cast<int>(points.size()));
        HRGN region = CreatePolygonRgn(points.data(), static_cast<int>(points.size()), mode);
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 30; ++x)
                ASSERT_EQ(dc.At(x, y) == 0, PtInRegion(region, x - 2, y + 3) != 0)
                    << "round " << round << " at " << x << "," << y;
        DeleteObject(region);
    }
}

TEST(Polygon, RefusesTooFewOrTooDistantPoints) {
    MemDc dc(4, 4);
    const POINT far[] = {{0, 0}, {1 << 28, 0}, {0, 3}};
    EXPECT_FALSE(Polygon(dc, far, 3));
    EXPECT_FALSE(Polygon(dc, far, 1));
    EXPECT_FALSE(Polygon(dc, nullptr, 3));
    const POINT line[] = {{0, 0}, {3, 0}, {3, 3}};
    EXPECT_TRUE(Polyline(dc, line, 3));
    EXPECT_EQ(dc.At(2, 0), 0u);
    EXPECT_EQ(dc.At(3, 3), kWhite);  // the last point is left out
}
