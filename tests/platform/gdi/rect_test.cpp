#include <qvplatform/rect.h>

#include <gtest/gtest.h>

namespace {
bool Is(const RECT& r, LONG l, LONG t, LONG rr, LONG b) {
    return r.left == l && r.top == t && r.right == rr && r.bottom == b;
}
}  // namespace

TEST(Rect, OffsetAndInflateMoveEveryEdge) {
    RECT r{0, 0, 50, 40};
    EXPECT_TRUE(OffsetRect(&r, -1, -1));
    EXPECT_TRUE(Is(r, -1, -1, 49, 39));
    EXPECT_TRUE(InflateRect(&r, 2, 3));
    EXPECT_TRUE(Is(r, -3, -4, 51, 42));
    EXPECT_FALSE(OffsetRect(nullptr, 1, 1));
}

TEST(Rect, IntersectionAndUnionTreatEmptyRectsAsNothing) {
    RECT a{0, 0, 10, 10}, b{5, 5, 20, 20}, c{10, 0, 20, 10}, out{};
    EXPECT_TRUE(IntersectRect(&out, &a, &b));
    EXPECT_TRUE(Is(out, 5, 5, 10, 10));
    EXPECT_FALSE(IntersectRect(&out, &a, &c));  // touching edges share no pixel
    EXPECT_TRUE(Is(out, 0, 0, 0, 0));
    RECT empty{3, 3, 3, 9};
    EXPECT_TRUE(UnionRect(&out, &empty, &b));
    EXPECT_TRUE(Is(out, 5, 5, 20, 20));
    EXPECT_TRUE(UnionRect(&out, &a, &c));
    EXPECT_TRUE(Is(out, 0, 0, 20, 10));
}

TEST(Rect, PointTestExcludesRightAndBottomEdges) {
    RECT r{0, 0, 50, 40};
    EXPECT_TRUE(PtInRect(&r, POINT{0, 0}));
    EXPECT_TRUE(PtInRect(&r, POINT{49, 39}));
    EXPECT_FALSE(PtInRect(&r, POINT{50, 39}));
    EXPECT_FALSE(PtInRect(&r, POINT{49, 40}));
    const RECT thin{5, 5, 5, 6};
    EXPECT_TRUE(IsRectEmpty(&thin));
}
