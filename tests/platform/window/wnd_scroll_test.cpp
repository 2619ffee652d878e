// Scroll-bar state: ranges, pages and positions with their clamps.
#include <gtest/gtest.h>

#include <climits>

#include "wnd_test_util.h"

namespace {

class ScrollBar : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override { ASSERT_TRUE(m_wnd.Create("w", 100, 100)); }
    int Bar() const { return GetParam(); }
    void SetInfo(UINT mask, int nMin, int nMax, UINT nPage, int nPos) {
        SCROLLINFO si{sizeof(SCROLLINFO), mask, nMin, nMax, nPage, nPos, 0};
        ASSERT_TRUE(m_wnd.SetScrollInfo(Bar(), &si));
    }
    SCROLLINFO Info() {
        SCROLLINFO si{};
        EXPECT_TRUE(m_wnd.GetScrollInfo(Bar(), &si));
        return si;
    }
    wndtest::CRecordingWnd m_wnd;
};

}  // namespace

TEST_P(ScrollBar, PositionStaysWithinWhatThePageLeaves) {
    SetInfo(SIF_RANGE | SIF_PAGE, 0, 100, 10, 0);
    EXPECT_EQ(m_wnd.GetScrollLimit(Bar()), 91);
    EXPECT_EQ(m_wnd.SetScrollPos(Bar(), 200), 0);  // returns the previous position
    EXPECT_EQ(m_wnd.GetScrollPos(Bar()), 91);
    EXPECT_EQ(m_wnd.SetScrollPos(Bar(), -5), 91);
    EXPECT_EQ(m_wnd.GetScrollPos(Bar()), 0);
    SetInfo(SIF_PAGE, 0, 0, 0, 0);  // no page: the position may reach the maximum
    m_wnd.SetScrollPos(Bar(), 200);
    EXPECT_EQ(m_wnd.GetScrollPos(Bar()), 100);
}

TEST_P(ScrollBar, ChangingRangeOrPageClampsThePosition) {
    SetInfo(SIF_RANGE | SIF_POS, 0, 1050, 0, 900);
    EXPECT_EQ(m_wnd.GetScrollPos(Bar()), 900);
    m_wnd.SetScrollRange(Bar(), 0, 500);
    EXPECT_EQ(m_wnd.GetScrollPos(Bar()), 500);
    SetInfo(SIF_PAGE, 0, 0, 400, 0);
    EXPECT_EQ(m_wnd.GetScrollPos(Bar()), 101);
}

TEST_P(ScrollBar, PageIsCutToTheRange) {
    SetInfo(SIF_RANGE | SIF_PAGE | SIF_POS, 10, 20, 500, 15);
    SCROLLINFO si = Info();
    EXPECT_EQ(si.nPage, 11u);
    EXPECT_EQ(si.nPos, 10);
    EXPECT_EQ(m_wnd.GetScrollLimit(Bar()), 10);
}

TEST_P(ScrollBar, GetScrollInfoFillsOnlyWhatTheMaskAsks) {
    SetInfo(SIF_ALL, 0, 1060, 400, 300);
    SCROLLINFO si{sizeof(SCROLLINFO), SIF_POS, -7, -7, 7, -7, -7};
    ASSERT_TRUE(GetScrollInfo(m_wnd.m_hWnd, Bar(), &si));
    EXPECT_EQ(si.nPos, 300);
    EXPECT_EQ(si.nMin, -7);
    EXPECT_EQ(si.nMax, -7);
    EXPECT_EQ(si.nPage, 7u);
    EXPECT_EQ(si.nTrackPos, -7);
    si.fMask = 0;
    EXPECT_FALSE(GetScrollInfo(m_wnd.m_hWnd, Bar(), &si));
    si = Info();  // the member asks for everything
    EXPECT_EQ(si.fMask, SIF_ALL);
    EXPECT_EQ(si.nMax, 1060);
    EXPECT_EQ(si.nPage, 400u);
    EXPECT_EQ(si.nTrackPos, 300);
}

TEST_P(ScrollBar, ReversedRangeIsAnEmptyOne) {
    m_wnd.SetScrollRange(Bar(), 50, 10);
    int nMin, nMax;
    m_wnd.GetScrollRange(Bar(), &nMin, &nMax);
    EXPECT_EQ(nMin, 50);
    EXPECT_EQ(nMax, 50);
    m_wnd.SetScrollPos(Bar(), 0);
    EXPECT_EQ(m_wnd.GetScrollPos(Bar()), 50);
}

TEST_P(ScrollBar, WidestRangeDoesNotOverflow) {
    SetInfo(SIF_ALL, INT_MIN, INT_MAX, UINT_MAX, INT_MAX);
    SCROLLINFO si = Info();
    EXPECT_EQ(si.nPage, UINT_MAX);  // the whole span less one
    EXPECT_EQ(m_wnd.GetScrollLimit(Bar()), INT_MIN + 1);
    EXPECT_EQ(si.nPos, INT_MIN + 1);
    SetInfo(SIF_PAGE | SIF_POS, 0, 0, 0, INT_MAX);
    EXPECT_EQ(m_wnd.GetScrollPos(Bar()), INT_MAX);
}

INSTANTIATE_TEST_SUITE_P(BothBars, ScrollBar, ::testing::Values(SB_HORZ, SB_VERT),
                         [](const auto& param) {
                             return param.param == SB_HORZ ? "Horz" : "Vert";
                         });

TEST(ScrollBarCalls, BadBarsAndHandlesAreRefused) {
    wndtest::CRecordingWnd wnd;
    ASSERT_TRUE(wnd.Create("w", 10, 10));
    SCROLLINFO si{sizeof(SCROLLINFO), SIF_ALL, 0, 10, 0, 5, 0};
    EXPECT_EQ(SetScrollInfo(wnd.m_hWnd, SB_CTL, &si, TRUE), 0);
    EXPECT_FALSE(GetScrollInfo(wnd.m_hWnd, SB_BOTH, &si));
    EXPECT_FALSE(SetScrollRange(wnd.m_hWnd, 5, 0, 10, TRUE));
    EXPECT_FALSE(GetScrollInfo(wnd.m_hWnd, SB_HORZ, nullptr));
    HWND stale = wnd.m_hWnd;
    wnd.DestroyWindow();
    EXPECT_EQ(SetScrollPos(stale, SB_HORZ, 3, TRUE), 0);
    EXPECT_EQ(GetScrollPos(stale, SB_HORZ), 0);
    EXPECT_FALSE(GetScrollInfo(stale, SB_HORZ, &si));
    EXPECT_EQ(wnd.GetScrollPos(SB_VERT), 0);  // an object without a window
}
