#include "qvdll/hexgeom.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <deque>
#include <vector>

#include "library/hex_closed_form.h"

bool operator==(const POINT& a, const POINT& b) {
    return a.x == b.x && a.y == b.y;
}

namespace {

::testing::AssertionResult HexIs(const POINT& pixel, POINT expected) {
    const POINT hex = GetMousePosToHexPos(&pixel);
    if (hex == expected) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "pixel (" << pixel.x << "," << pixel.y << ") gave (" << hex.x << "," << hex.y
           << "), expected (" << expected.x << "," << expected.y << ")";
}

bool Inside(POINT hex, POINT pixel) {
    return CheckPos(&hex, &pixel) != FALSE;
}

}  // namespace

TEST(SetXYToHex, WritesExactlyEightPoints) {
    const POINT hex{1, 2};
    std::array<POINT, 10> outline;
    outline.fill(POINT{-7, -7});
    SetXYToHex(&hex, outline.data());
    const std::array<POINT, 10> expected = {POINT{50, 100}, {40, 120}, {50, 140}, {80, 140},
                                            {90, 120},      {80, 100}, {50, 100}, {40, 100},
                                            {-7, -7},       {-7, -7}};
    EXPECT_TRUE(outline == expected);

    const POINT negative{-1, 0};  // not odd: no drop
    SetXYToHex(&negative, outline.data());
    EXPECT_TRUE(outline[7] == (POINT{-40, 0}));
    EXPECT_TRUE(outline[1] == (POINT{-40, 20}));
}

TEST(CheckPos, HexesTileThePlaneAwayFromColumnMinusOne) {
    // Every pixel right of column 0's left point lies in exactly one hex.
    for (int y = 0; y < 120; ++y)
        for (int x = 10; x < 130; ++x) {
            int holders = 0;
            for (int c = 0; c <= 3; ++c)
                for (int r = -1; r <= 3; ++r) holders += Inside({c, r}, {x, y});
            EXPECT_EQ(holders, 1) << x << "," << y;
        }
}

TEST(HexGeometry, NullPointersAreRefused) {
    const POINT p{25, 20};
    EXPECT_FALSE(CheckPos(nullptr, &p));
    EXPECT_FALSE(CheckPos(&p, nullptr));
    EXPECT_TRUE(GetMousePosToHexPos(nullptr) == (POINT{-1, -1}));
    POINT outline[8];
    SetXYToHex(nullptr, outline);  // none of these may crash
    SetXYToHex(&p, nullptr);
}

// The candidate search exactly as the grid defines it, every candidate decided by
// CheckPos and its polygon region: the mouse search must agree with it everywhere.
POINT SearchWithRegions(POINT pixel) {
    const int c0 = pixel.x / 40, r0 = pixel.y / 40;
    const POINT candidates[] = {{c0, r0}, {c0 - 1, r0}, c0 % 2 == 1 ? POINT{c0, r0 - 1} : POINT{c0 - 1, r0 - 1}};
    for (const POINT& hex : candidates)
        if (CheckPos(&hex, &pixel)) return hex;
    return candidates[0];
}

// Around a 26 x 26 map picture, and on the picture against the grid's shape too.
TEST(GetMousePosToHexPos, AgreesWithTheRegionSearchAndTheGridShape) {
    int mismatches = 0;
    auto check = [&mismatches](POINT pixel, POINT expected) {
        if (!HexIs(pixel, expected) && ++mismatches <= 10)
            ADD_FAILURE() << HexIs(pixel, expected).message();
    };
    for (int y = -60; y < 40 * 26 + 80; ++y)
        for (int x = -60; x < 40 * 26 + 70; ++x) {
            check({x, y}, SearchWithRegions({x, y}));
            if (x >= 0 && y >= 0 && x < 40 * 26 + 10 && y < 40 * 26 + 20)
                check({x, y}, hexref::HexUnderPixel(x, y));
        }
    for (const POINT pixel : {POINT{(1 << 25) - 7, 13}, POINT{-(1 << 25) + 3, 1 << 25},
                              POINT{INT_MAX - 5, INT_MIN + 9}})
        check(pixel, SearchWithRegions(pixel));
    EXPECT_EQ(mismatches, 0);
}

TEST(GetHexPointToPointLength, EqualsStepsSearchedOverNeighbours) {
    constexpr int kSize = 20;
    auto index = [](int x, int y) { return y * kSize + x; };
    for (int sx = 0; sx < kSize; ++sx)
        for (int sy = 0; sy < kSize; ++sy) {
            std::vector<int> steps(kSize * kSize, -1);
            std::deque<POINT> queue{{sx, sy}};
            steps[index(sx, sy)] = 0;
            while (!queue.empty()) {
                const POINT at = queue.front();
                queue.pop_front();
                // Odd columns hang half a hex lower, so their side neighbours are in the
                // same row and the row below; even columns', the same row and the row above.
                const int side = at.x % 2 == 1 ? 1 : -1;
                const POINT around[] = {{at.x, at.y - 1},        {at.x, at.y + 1},
                                        {at.x - 1, at.y},        {at.x + 1, at.y},
                                        {at.x - 1, at.y + side}, {at.x + 1, at.y + side}};
                for (const POINT& n : around) {
                    if (n.x < 0 || n.y < 0 || n.x >= kSize || n.y >= kSize) continue;
                    if (steps[index(n.x, n.y)] >= 0) continue;
                    steps[index(n.x, n.y)] = steps[index(at.x, at.y)] + 1;
                    queue.push_back(n);
                }
            }
            for (int tx = 0; tx < kSize; ++tx)
                for (int ty = 0; ty < kSize; ++ty) {
                    ASSERT_EQ(GetHexPointToPointLength(sx, sy, tx, ty), steps[index(tx, ty)])
                        << "(" << sx << "," << sy << ") to (" << tx << "," << ty << ")";
                    ASSERT_EQ(GetHexPointToPointLength(tx, ty, sx, sy), steps[index(tx, ty)]);
                }
        }
}

TEST(GetHexPointToPointLength, ExtremeCoordinatesWrapWithoutFault) {
    // Positions this far apart are meaningless; the point is a defined 32-bit result.
    // |INT_MIN| stays INT_MIN in 32 bits, and half of it is below 0.
    EXPECT_EQ(GetHexPointToPointLength(INT_MIN, 0, 0, 0), INT_MIN / 2);
    GetHexPointToPointLength(INT_MAX, INT_MAX, INT_MIN, INT_MIN);
    GetHexPointToPointLength(INT_MAX, INT_MIN, -1, INT_MAX);
    GetHexPointToPointLength(1, INT_MIN, 0, INT_MAX);
}
