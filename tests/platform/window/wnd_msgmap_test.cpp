// Message maps and dispatch: handlers found along the class chain, parameters unpacked,
// the default handling of unhandled messages, and windows destroyed from inside handlers.
#include <gtest/gtest.h>

#include "wnd_test_util.h"

using wndtest::Call;
using wndtest::CRecordingWnd;

namespace {

// Overrides the size handler only and adds a message of its own; the rest falls through
// to CRecordingWnd's map.
class CDerivedWnd : public CRecordingWnd {
public:
    int m_nOwnSizes = 0;
    int m_nDestroys = 0;
    int m_nPostNcDestroys = 0;

protected:
    afx_msg void OnSize(UINT, int, int) { ++m_nOwnSizes; }
    afx_msg LRESULT OnUser(WPARAM wParam, LPARAM lParam) {
        return static_cast<LRESULT>(wParam) * 10 + lParam;
    }
    afx_msg void OnDestroy() { ++m_nDestroys; }
    // Hands the key to the default handling, which turns arrows into scroll messages.
    afx_msg void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
        m_calls.push_back({WM_KEYDOWN, nChar, 0, 0});
        CWnd::OnKeyDown(nChar, nRepCnt, nFlags);
    }
    void PostNcDestroy() override { ++m_nPostNcDestroys; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDerivedWnd, CRecordingWnd)
ON_WM_SIZE()
ON_MESSAGE(WM_USER + 1, OnUser)
ON_WM_DESTROY()
ON_WM_KEYDOWN()
END_MESSAGE_MAP()

// Destroys its own window from a scroll handler.
class CSelfDestroyingWnd : public CWnd {
protected:
    afx_msg void OnVScroll(UINT, UINT, CScrollBar*) { DestroyWindow(); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CSelfDestroyingWnd, CWnd)
ON_WM_VSCROLL()
END_MESSAGE_MAP()

}  // namespace

TEST(MessageMap, CreationSendsTheClientSize) {
    CRecordingWnd wnd;
    ASSERT_TRUE(wnd.Create("w", 300, 200));
    ASSERT_EQ(wnd.m_calls.size(), 1u);
    EXPECT_EQ(wnd.m_calls[0], (Call{WM_SIZE, SIZE_RESTORED, 300, 200}));
    wnd.MoveWindow(0, 0, 120, 90);
    EXPECT_EQ(wnd.m_calls.back(), (Call{WM_SIZE, SIZE_RESTORED, 120, 90}));
    EXPECT_FALSE(MoveWindow(wnd.m_hWnd, 0, 0, 40000, 20, TRUE));  // no picture that wide
    RECT rc;
    wnd.GetClientRect(&rc);
    EXPECT_EQ(rc, (RECT{0, 0, 120, 90}));
}

TEST(MessageMap, ScrollCodesAndThumbPositionsArriveUnpacked) {
    CRecordingWnd wnd;
    ASSERT_TRUE(wnd.Create("w", 10, 10));
    wnd.m_calls.clear();
    // Wider than the 16 bits of the platform the library comes from.
    wnd.SendMessage(WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 80010), 0);
    wnd.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(static_cast<WORD>(-3), 45));
    EXPECT_EQ(wnd.m_calls, (std::vector<Call>{{WM_HSCROLL, SB_THUMBPOSITION, 80010, 0},
                                              {WM_LBUTTONDOWN, MK_LBUTTON, -3, 45}}));
}

TEST(MessageMap, DerivedMapOverridesAndFallsBackToTheBase) {
    CDerivedWnd wnd;
    ASSERT_TRUE(wnd.Create("w", 50, 40));
    EXPECT_EQ(wnd.m_nOwnSizes, 1);
    EXPECT_TRUE(wnd.Taken(WM_SIZE).empty());
    wnd.SendMessage(WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0);
    EXPECT_EQ(wnd.Taken(WM_VSCROLL).size(), 1u);
    EXPECT_EQ(wnd.SendMessage(WM_USER + 1, 4, 2), 42);
    EXPECT_EQ(wnd.SendMessage(WM_USER + 2, 4, 2), 0);  // no handler anywhere
    // The base handler does the default for the current message.
    wnd.m_calls.clear();
    wnd.SendMessage(WM_KEYDOWN, VK_DOWN, 1);
    EXPECT_EQ(wnd.m_calls, (std::vector<Call>{{WM_KEYDOWN, VK_DOWN, 0, 0},
                                              {WM_VSCROLL, SB_LINEDOWN, 0, 0},
                                              {WM_VSCROLL, SB_ENDSCROLL, 0, 0}}));
}

TEST(DefaultHandling, KeysBecomeScrollMessages) {
    CRecordingWnd wnd;
    ASSERT_TRUE(wnd.Create("w", 50, 40));
    const std::pair<UINT, Call> cases[] = {
        {VK_UP, {WM_VSCROLL, SB_LINEUP, 0, 0}},     {VK_DOWN, {WM_VSCROLL, SB_LINEDOWN, 0, 0}},
        {VK_LEFT, {WM_HSCROLL, SB_LINELEFT, 0, 0}}, {VK_RIGHT, {WM_HSCROLL, SB_LINERIGHT, 0, 0}},
        {VK_PRIOR, {WM_VSCROLL, SB_PAGEUP, 0, 0}},  {VK_NEXT, {WM_VSCROLL, SB_PAGEDOWN, 0, 0}},
        {VK_HOME, {WM_VSCROLL, SB_TOP, 0, 0}},      {VK_END, {WM_VSCROLL, SB_BOTTOM, 0, 0}},
    };
    for (const auto& [key, expected] : cases) {
        wnd.m_calls.clear();
        wnd.SendMessage(WM_KEYDOWN, key, 1);
        ASSERT_EQ(wnd.m_calls.size(), 2u) << key;
        EXPECT_EQ(wnd.m_calls[0], expected) << key;
        EXPECT_EQ(wnd.m_calls[1], (Call{expected.message, SB_ENDSCROLL, 0, 0})) << key;
    }
    wnd.m_calls.clear();
    wnd.SendMessage(WM_KEYDOWN, 'S', 1);
    EXPECT_TRUE(wnd.m_calls.empty());
}

TEST(DefaultHandling, WheelScrollsALinePerNotch) {
    CRecordingWnd wnd;
    ASSERT_TRUE(wnd.Create("w", 50, 40));
    auto wheel = [&](UINT message, UINT flags, short delta) {
        wnd.m_calls.clear();
        wnd.SendMessage(message, MAKEWPARAM(static_cast<WORD>(flags), static_cast<WORD>(delta)), 0);
        return wnd.m_calls;
    };
    EXPECT_EQ(wheel(WM_MOUSEWHEEL, 0, -2 * WHEEL_DELTA),
              (std::vector<Call>{{WM_VSCROLL, SB_LINEDOWN, 0, 0},
                                 {WM_VSCROLL, SB_LINEDOWN, 0, 0},
                                 {WM_VSCROLL, SB_ENDSCROLL, 0, 0}}));
    EXPECT_EQ(wheel(WM_MOUSEWHEEL, 0, 30)[0], (Call{WM_VSCROLL, SB_LINEUP, 0, 0}));
    EXPECT_EQ(wheel(WM_MOUSEWHEEL, 0, -30)[0], (Call{WM_VSCROLL, SB_LINEDOWN, 0, 0}));
    EXPECT_EQ(wheel(WM_MOUSEWHEEL, MK_SHIFT, WHEEL_DELTA)[0],
              (Call{WM_HSCROLL, SB_LINELEFT, 0, 0}));
    EXPECT_EQ(wheel(WM_MOUSEHWHEEL, 0, WHEEL_DELTA)[0], (Call{WM_HSCROLL, SB_LINERIGHT, 0, 0}));
    EXPECT_TRUE(wheel(WM_MOUSEWHEEL, 0, 0).empty());
}

TEST(WindowLife, DestroyingSendsDestroyThenRetiresTheHandle) {
    CDerivedWnd wnd;
    ASSERT_TRUE(wnd.Create("w", 20, 20));
    HWND hWnd = wnd.m_hWnd;
    EXPECT_FALSE(wnd.Create("again", 20, 20));  // one window per object
    EXPECT_FALSE(DeleteObject(hWnd));           // not a graphics object
    EXPECT_TRUE(wnd.DestroyWindow());
    EXPECT_EQ(wnd.m_nDestroys, 1);
    EXPECT_EQ(wnd.m_nPostNcDestroys, 1);
    EXPECT_EQ(wnd.m_hWnd, nullptr);
    EXPECT_FALSE(IsWindow(hWnd));
    EXPECT_EQ(CWnd::FromHandle(hWnd), nullptr);
    EXPECT_EQ(SendMessage(hWnd, WM_USER + 1, 1, 1), 0);
    EXPECT_FALSE(DestroyWindow(hWnd));
}

TEST(WindowLife, HandlerMayDestroyItsOwnWindow) {
    CSelfDestroyingWnd wnd;
    ASSERT_TRUE(wnd.Create("w", 20, 20));
    HWND hWnd = wnd.m_hWnd;
    // The key's default handling sends a line and the end of scrolling; the second finds
    // the window gone.
    wnd.SendMessage(WM_KEYDOWN, VK_DOWN, 1);
    EXPECT_FALSE(IsWindow(hWnd));
    EXPECT_EQ(wnd.m_hWnd, nullptr);
}

TEST(WindowLife, UnknownBackendOrHugeClientIsRefusedWithAReason) {
    CRecordingWnd wnd;
    EXPECT_FALSE(wnd.Create("w", 20, 20, 7));
    EXPECT_NE(std::string(AfxGetWindowError()).find("back end"), std::string::npos);
    EXPECT_FALSE(wnd.Create("w", 40000, 20));
    EXPECT_NE(std::string(AfxGetWindowError()).find("40000"), std::string::npos);
    EXPECT_EQ(wnd.m_hWnd, nullptr);
    EXPECT_TRUE(wnd.Create("w", 0, 0));
    EXPECT_STREQ(AfxGetWindowError(), "");
}
