#include "qvplatform/region.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <string>
#include <vector>

#include "../../../platform/src/gdi/polygon_scan.h"

namespace {

using qvp::detail::FillRule;

// A pentagram: its points are wound once, its middle pentagon twice.
constexpr POINT kStar[] = {{50, 0}, {79, 90}, {2, 35}, {98, 35}, {21, 90}};

}  // namespace

TEST(CreatePolygonRgn, RefusesBadArguments) {
    const POINT square[] = {{0, 0}, {4, 0}, {4, 4}, {0, 4}};
    EXPECT_EQ(CreatePolygonRgn(nullptr, 4, WINDING), nullptr);
    EXPECT_EQ(CreatePolygonRgn(square, 1, WINDING), nullptr);
    EXPECT_EQ(CreatePolygonRgn(square, -5, ALTERNATE), nullptr);
    EXPECT_EQ(CreatePolygonRgn(square, 4, 0), nullptr);
    EXPECT_EQ(CreatePolygonRgn(square, 4, 3), nullptr);
    const POINT tooFar[] = {{0, 0}, {1 << 27, 0}, {0, 4}};
    EXPECT_EQ(CreatePolygonRgn(tooFar, 3, WINDING), nullptr);
}

TEST(CreatePolygonRgn, DegenerateOutlinesGiveEmptyRegions) {
    const POINT line[] = {{0, 0}, {10, 10}};
    const POINT collinear[] = {{0, 0}, {5, 5}, {10, 10}};
    for (const auto& [points, count] : {std::pair{line, 2}, std::pair{collinear, 3}}) {
        HRGN hRgn = CreatePolygonRgn(points, count, WINDING);
        ASSERT_NE(hRgn, nullptr);
        for (int i = -1; i <= 10; ++i) EXPECT_FALSE(PtInRegion(hRgn, i, i));
        EXPECT_TRUE(DeleteObject(hRgn));
    }
}

TEST(PtInRegion, PolygonsSharingAnEdgeNeverShareAPixel) {
    // Two triangles halving a square along a diagonal through pixel centres.
    const POINT lower[] = {{0, 0}, {8, 8}, {0, 8}};
    const POINT upper[] = {{0, 0}, {8, 0}, {8, 8}};
    HRGN hLower = CreatePolygonRgn(lower, 3, WINDING);
    HRGN hUpper = CreatePolygonRgn(upper, 3, WINDING);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(PtInRegion(hLower, x, y) + PtInRegion(hUpper, x, y), 1) << x << "," << y;
    EXPECT_TRUE(PtInRegion(hUpper, 3, 3));  // a centre on the edge opens the run right of it
    DeleteObject(hLower);
    DeleteObject(hUpper);
}

TEST(PtInRegion, FillModesDifferWhereTheOutlineOverlapsItself) {
    // The middle, a point of the star, and below it.
    for (auto [mode, inside] : {std::pair{ALTERNATE, "010"}, std::pair{WINDING, "110"}}) {
        HRGN hRgn = CreatePolygonRgn(kStar, 5, mode);
        std::string got;
        for (int y : {50, 10, 95}) got += PtInRegion(hRgn, 50, y) ? '1' : '0';
        EXPECT_EQ(got, inside) << mode;
        DeleteObject(hRgn);
    }
}

TEST(PtInRegion, ExtremeCoordinatesAreSafe) {
    constexpr LONG kFar = qvp::detail::kMaxPolygonCoord;
    const POINT huge[] = {{-kFar, -kFar}, {kFar, -kFar + 1}, {kFar - 1, kFar}, {-kFar, kFar - 3}};
    HRGN hRgn = CreatePolygonRgn(huge, 4, WINDING);
    ASSERT_NE(hRgn, nullptr);
    EXPECT_TRUE(PtInRegion(hRgn, 0, 0));
    for (POINT far : {POINT{INT_MAX, 0}, POINT{INT_MIN, INT_MIN}, POINT{0, INT_MAX}})
        EXPECT_FALSE(PtInRegion(hRgn, far.x, far.y)) << far.x << "," << far.y;
    DeleteObject(hRgn);
}

TEST(CRgn, OwnsItsRegion) {
    HRGN hHeld;
    {
        CRgn rgn;
        ASSERT_TRUE(rgn.CreatePolygonRgn(kStar, 5, WINDING));
        hHeld = rgn;
        EXPECT_FALSE(rgn.CreatePolygonRgn(kStar, 5, ALTERNATE));  // keeps the first
        EXPECT_TRUE(rgn.PtInRegion(50, 50));
    }
    EXPECT_FALSE(PtInRegion(hHeld, 50, 50));  // deleted with its owner
}

// The scan that fills polygons must give the pixels the point test gives, on outlines
// that cross themselves, double back and have edges through pixel centres.
TEST(ScanPolygon, MatchesThePointTestOnRandomOutlines) {
    std::mt19937 random(1234);
    std::uniform_int_distribution<int> coord(-6, 26);
    std::uniform_int_distribution<int> count(3, 9);
    const RECT clip{-3, -2, 22, 24};
    for (int round = 0; round < 300; ++round) {
        std::vector<POINT> points(count(random));
        for (POINT& p : points) p = POINT{coord(random), coord(random)};
        for (FillRule rule : {FillRule::Alternate, FillRule::Winding}) {
            std::vector<bool> scanned(static_cast<std::size_t>(25) * 26);
            LONG lastY = INT_MIN, lastRight = INT_MIN;
            for (const auto& span : qvp::detail::ScanPolygon(points, rule, clip)) {
                ASSERT_LT(span.left, span.right);
                ASSERT_TRUE(span.y > lastY || span.left > lastRight)
                    << "runs out of order or unmerged";
                lastY = span.y;
                lastRight = span.right;
                for (LONG x = span.left; x < span.right; ++x)
                    scanned[(span.y - clip.top) * 25 + (x - clip.left)] = true;
            }
            for (LONG y = clip.top; y < clip.bottom; ++y)
                for (LONG x = clip.left; x < clip.right; ++x)
                    ASSERT_EQ(scanned[(y - clip.top) * 25 + (x - clip.left)],
                              qvp::detail::PolygonContainsPixel(points, rule, x, y))
                        << "round " << round << " pixel " << x << "," << y;
        }
    }
}

TEST(ScanPolygon, StaysWithinTheClipOfAHugePolygon) {
    constexpr LONG kFar = qvp::detail::kMaxPolygonCoord;
    const POINT huge[] = {{-kFar, -kFar}, {kFar, -kFar}, {kFar, kFar}, {-kFar, kFar}};
    const auto spans = qvp::detail::ScanPolygon(huge, FillRule::Winding, RECT{5, 7, 9, 10});
    ASSERT_EQ(spans.size(), 3u);
    for (const auto& span : spans) {
        EXPECT_EQ(span.left, 5);
        EXPECT_EQ(span.right, 9);
    }
}
