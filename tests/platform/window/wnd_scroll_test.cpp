// Scroll-bar state: ranges, pages and positions with their clamps.
#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <string>
#include <tuple>

#include "wnd_test_util.h"

namespace {

// kSetPos and kSetRange stand for SetScrollPos (of nPos) and SetScrollRange (of nMin to nMax)
// in place of SetScrollInfo.
constexpr UINT kSetPos = 0x10000, kSetRange = 0x20000;
struct Step {
    UINT mask;
    int nMin, nMax;
    UINT nPage;
    int nPos;
};
using State = std::array<long long, 5>;  // nMin, nMax, nPage, nPos and the scroll limit

}  // namespace

TEST(ScrollBar, ClampsPositionAndPageToTheRangeOnBothBars) {
    // Each step starts from the state the one before left.
    const std::pair<Step, State> steps[] = {
        {{SIF_RANGE | SIF_PAGE, 0, 100, 10, 0}, {0, 100, 10, 0, 91}},
        {{kSetPos, 0, 0, 0, 200}, {0, 100, 10, 91, 91}},  // within what the page leaves
        {{kSetPos, 0, 0, 0, -5}, {0, 100, 10, 0, 91}},
        {{SIF_PAGE, 0, 0, 0, 0}, {0, 100, 0, 0, 100}},  // no page: up to the maximum
        {{kSetPos, 0, 0, 0, 200}, {0, 100, 0, 100, 100}},
        {{SIF_RANGE | SIF_POS, 0, 1050, 0, 900}, {0, 1050, 0, 900, 1050}},
        {{kSetRange, 0, 500, 0, 0}, {0, 500, 0, 500, 500}},   // a smaller range clamps
        {{SIF_PAGE, 0, 0, 400, 0}, {0, 500, 400, 101, 101}},  // and so does a larger page
        {{SIF_RANGE | SIF_PAGE | SIF_POS, 10, 20, 500, 15}, {10, 20, 11, 10, 10}},  // page cut
        {{SIF_PAGE, 0, 0, 0, 0}, {10, 20, 0, 10, 20}},
        {{kSetRange, 50, 10, 0, 0}, {50, 50, 0, 50, 50}},  // reversed: an empty range
        {{kSetPos, 0, 0, 0, 0}, {50, 50, 0, 50, 50}},
        // The widest range: its page is the whole span less one.
        {{SIF_ALL, INT_MIN, INT_MAX, UINT_MAX, INT_MAX},
         {INT_MIN, INT_MAX, UINT_MAX, INT_MIN + 1, INT_MIN + 1}},
        {{SIF_PAGE | SIF_POS, 0, 0, 0, INT_MAX}, {INT_MIN, INT_MAX, 0, INT_MAX, INT_MAX}},
    };
    for (int bar : {SB_HORZ, SB_VERT}) {
        wndtest::CRecordingWnd wnd;
        ASSERT_TRUE(wnd.Create("w", 100, 100));
        for (std::size_t i = 0; i < std::size(steps); ++i) {
            const auto& [step, want] = steps[i];
            SCOPED_TRACE("bar " + std::to_string(bar) + " step " + std::to_string(i));
            int nBefore = wnd.GetScrollPos(bar);
            if (step.mask == kSetPos) {
                EXPECT_EQ(wnd.SetScrollPos(bar, step.nPos), nBefore);  // the previous one
            } else if (step.mask == kSetRange) {
                wnd.SetScrollRange(bar, step.nMin, step.nMax);
            } else {
                SCROLLINFO si{sizeof si, step.mask, step.nMin, step.nMax, step.nPage, step.nPos, 0};
                ASSERT_TRUE(wnd.SetScrollInfo(bar, &si));
            }
            SCROLLINFO si{};
            EXPECT_TRUE(wnd.GetScrollInfo(bar, &si));
            int nMin, nMax;
            wnd.GetScrollRange(bar, &nMin, &nMax);
            EXPECT_EQ((State{nMin, nMax, si.nPage, si.nPos, wnd.GetScrollLimit(bar)}), want);
            EXPECT_EQ(wnd.GetScrollPos(bar), si.nPos);
        }
    }
}

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
