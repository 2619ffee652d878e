// The real-window back end, run on SDL's offscreen driver (unless SDL_VIDEODRIVER names
// another): what the window shows, and SDL input turned into messages. SDL events are
// pushed through the SDL the platform loaded, so the tests need not link it.
#include <string>

#include "qvplatform/msgbox.h"
#include "sdl_input.h"
#include "wnd_test_util.h"

using wndtest::Call;
using wndtest::CRecordingWnd;

namespace {

constexpr int kBar = 16;  // the thickness of the bars drawn beside the client area

// Each relay message posts the next one down to zero, which quits: the loop must run pass
// after pass until then.
class CRelayWnd : public CRecordingWnd {
protected:
    afx_msg LRESULT OnRelay(WPARAM n, LPARAM) {
        if (n) return PostMessage(WM_USER, n - 1);
        PostQuitMessage(7);
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CRelayWnd, CRecordingWnd)
ON_MESSAGE(WM_USER, OnRelay)
END_MESSAGE_MAP()

class RealWindow : public ::testing::Test, protected qvtest::SdlInput {
protected:
    void SetUp() override {
        ASSERT_TRUE(qvtest::g_bOffscreenSdl);
        ASSERT_TRUE(m_wnd.Create(m_title.c_str(), 100, 80, WNDBACK_SDL)) << AfxGetWindowError();
        ASSERT_TRUE(Find(m_title));
        AfxPumpMessages(FALSE);
        m_wnd.m_calls.clear();
    }
    // A bar over 0-399 with a page of 80: the vertical thumb is 9 pixels long.
    void GiveTheBarARange(int nBar = SB_VERT) {
        m_wnd.SetScrollRange(nBar, 0, 399);
        SCROLLINFO si{sizeof(SCROLLINFO), SIF_PAGE, 0, 0, 80, 0, 0};
        m_wnd.SetScrollInfo(nBar, &si);
    }

    std::string m_title = "real window " + std::to_string(reinterpret_cast<std::uintptr_t>(this));
    CRelayWnd m_wnd;
};

}  // namespace

TEST_F(RealWindow, ShowsTheClientPictureWithTheBarsBesideIt) {
    HDC hdc = GetDC(m_wnd.m_hWnd);
    SetPixel(hdc, 10, 10, RGB(255, 0, 0));
    ReleaseDC(m_wnd.m_hWnd, hdc);
    AfxPumpMessages(FALSE);
    HBITMAP shown = AfxCopyWindowImage(m_wnd.m_hWnd);
    BITMAP bm{};
    ASSERT_TRUE(GetObjectA(shown, sizeof bm, &bm));
    EXPECT_EQ(bm.bmWidth, 100 + kBar);
    EXPECT_EQ(bm.bmHeight, 80 + kBar);
    EXPECT_EQ(wndtest::PixelOf(shown, 10, 10), RGB(255, 0, 0));
    EXPECT_EQ(wndtest::PixelOf(shown, 50, 50), RGB(255, 255, 255));          // erased by the paint
    EXPECT_EQ(wndtest::PixelOf(shown, 100 + 8, 40), RGB(0xE8, 0xE8, 0xE8));  // an idle track
    DeleteObject(shown);

    m_wnd.SetScrollRange(SB_VERT, 0, 399, FALSE);
    SCROLLINFO si{sizeof(SCROLLINFO), SIF_PAGE, 0, 0, 80, 0, 0};
    m_wnd.SetScrollInfo(SB_VERT, &si, TRUE);
    AfxPumpMessages(FALSE);
    EXPECT_EQ(wndtest::ShownPixel(m_wnd.m_hWnd, 108, 20), RGB(0x98, 0x98, 0x98));  // the thumb
}

TEST_F(RealWindow, KeysAndWheelScroll) {
    const std::pair<SDL_Keycode, Call> keys[] = {
        {SDLK_UP, {WM_VSCROLL, SB_LINEUP, 0, 0}},     {SDLK_DOWN, {WM_VSCROLL, SB_LINEDOWN, 0, 0}},
        {SDLK_LEFT, {WM_HSCROLL, SB_LINELEFT, 0, 0}}, {SDLK_RIGHT, {WM_HSCROLL, SB_LINERIGHT, 0, 0}},
        {SDLK_PAGEUP, {WM_VSCROLL, SB_PAGEUP, 0, 0}}, {SDLK_PAGEDOWN, {WM_VSCROLL, SB_PAGEDOWN, 0, 0}},
        {SDLK_HOME, {WM_VSCROLL, SB_TOP, 0, 0}},      {SDLK_END, {WM_VSCROLL, SB_BOTTOM, 0, 0}},
    };
    for (const auto& [key, scroll] : keys) {
        m_wnd.m_calls.clear();
        Key(key);
        EXPECT_EQ(m_wnd.m_calls, (std::vector<Call>{scroll, {scroll.message, SB_ENDSCROLL, 0, 0}}))
            << key;
    }
    m_wnd.m_calls.clear();
    Key(SDLK_s);  // no scroll for other keys
    Wheel(-1);    // towards the user
    EXPECT_EQ(m_wnd.m_calls, (std::vector<Call>{{WM_VSCROLL, SB_LINEDOWN, 0, 0},
                                                {WM_VSCROLL, SB_ENDSCROLL, 0, 0}}));
}

TEST_F(RealWindow, ClicksAndMovesReachTheClientAreaAndTheBars) {
    GiveTheBarARange();
    Button(SDL_MOUSEBUTTONDOWN, 20, 30);
    Move(21, 30, 0);  // moves carry the buttons held, and none over the bars
    Drag(22, 30);
    Move(108, 40, 0);
    Move(50, 90, 0);
    // The vertical bar: 80 pixels, arrows of 16, a thumb of 9 at the top of the track.
    Button(SDL_MOUSEBUTTONDOWN, 108, 5);
    Button(SDL_MOUSEBUTTONDOWN, 108, 60);
    Button(SDL_MOUSEBUTTONDOWN, 108, 70);
    Button(SDL_MOUSEBUTTONDOWN, 50, 90);  // the idle horizontal bar
    EXPECT_EQ(m_wnd.m_calls, (std::vector<Call>{{WM_LBUTTONDOWN, MK_LBUTTON, 20, 30},
                                                {WM_MOUSEMOVE, 0, 21, 30},
                                                {WM_MOUSEMOVE, MK_LBUTTON, 22, 30},
                                                {WM_VSCROLL, SB_LINEUP, 0, 0},
                                                {WM_VSCROLL, SB_ENDSCROLL, 0, 0},
                                                {WM_VSCROLL, SB_PAGEDOWN, 0, 0},
                                                {WM_VSCROLL, SB_ENDSCROLL, 0, 0},
                                                {WM_VSCROLL, SB_LINEDOWN, 0, 0},
                                                {WM_VSCROLL, SB_ENDSCROLL, 0, 0}}));
}

TEST_F(RealWindow, DraggingTheThumbTracksThenSetsThePosition) {
    GiveTheBarARange();
    Button(SDL_MOUSEBUTTONDOWN, 108, 18);
    Drag(108, 38);  // 20 of the 39 pixels the thumb can travel: position 164 of 320
    SCROLLINFO si{sizeof(SCROLLINFO), SIF_TRACKPOS | SIF_POS, 0, 0, 0, 0, 0};
    GetScrollInfo(m_wnd.m_hWnd, SB_VERT, &si);
    EXPECT_EQ(si.nTrackPos, 164);
    EXPECT_EQ(si.nPos, 0);  // the recording window does not move the bar itself
    Drag(108, 500);         // past the end
    Button(SDL_MOUSEBUTTONUP, 108, 500);
    EXPECT_EQ(m_wnd.m_calls, (std::vector<Call>{{WM_VSCROLL, SB_THUMBTRACK, 164, 0},
                                                {WM_VSCROLL, SB_THUMBTRACK, 320, 0},
                                                {WM_VSCROLL, SB_THUMBPOSITION, 320, 0},
                                                {WM_VSCROLL, SB_ENDSCROLL, 0, 0}}));
    GiveTheBarARange(SB_HORZ);  // a thumb of 13 on a track of 68
    m_wnd.m_calls.clear();
    Button(SDL_MOUSEBUTTONDOWN, 18, 88);
    Drag(38, 88);
    EXPECT_EQ(m_wnd.m_calls, (std::vector<Call>{{WM_HSCROLL, SB_THUMBTRACK, 116, 0}}));
}

TEST_F(RealWindow, ResizingSendsTheNewClientSizeOnce) {
    Push(WindowEvent(SDL_WINDOWEVENT_SIZE_CHANGED, 200 + kBar, 120 + kBar));
    EXPECT_EQ(m_wnd.Taken(WM_SIZE), (std::vector<Call>{{WM_SIZE, SIZE_RESTORED, 200, 120}}));
    RECT rc;
    m_wnd.GetClientRect(&rc);
    EXPECT_EQ(rc.right, 200);
    m_wnd.MoveWindow(0, 0, 150, 60);
    AfxPumpMessages(FALSE);  // SDL reports the size it was given; nothing changes
    EXPECT_EQ(m_wnd.Taken(WM_SIZE).size(), 2u);
    HBITMAP shown = AfxCopyWindowImage(m_wnd.m_hWnd);
    BITMAP bm{};
    GetObjectA(shown, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, 150 + kBar);
    DeleteObject(shown);
}

TEST_F(RealWindow, ClosingTheWindowEndsTheLoop) {
    SDL_Event e = WindowEvent(SDL_WINDOWEVENT_CLOSE);
    qvtest::SdlCall<int(SDL_Event*)>("SDL_PushEvent")(&e);  // left for the loop to take
    EXPECT_EQ(AfxRunMessageLoop(), 0);
    EXPECT_EQ(m_wnd.m_hWnd, nullptr);
}

TEST_F(RealWindow, PostedMessagesGoOutThenQuitEndsTheLoopWithItsCode) {
    m_wnd.PostMessage(WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0));
    m_wnd.PostMessage(WM_USER, 3);
    EXPECT_EQ(AfxRunMessageLoop(), 7);
    EXPECT_EQ(m_wnd.m_calls, (std::vector<Call>{{WM_VSCROLL, SB_LINEDOWN, 0, 0}}));
    EXPECT_NE(m_wnd.m_hWnd, nullptr);
}

TEST_F(RealWindow, MessageBoxesStayOnStandardErrorWithoutAScreen) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(AfxMessageBox("no screen", MB_YESNO), IDYES);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "no screen\n");
    EXPECT_EQ(AfxTakeMessageBoxLog(), std::vector<std::string>{"no screen"});
}

TEST(RealWindowWithoutDisplay, IsRefusedWithAReason) {
    const char* names[] = {"SDL_VIDEODRIVER", "DISPLAY", "WAYLAND_DISPLAY"};
    std::vector<std::pair<std::string, std::string>> saved;
    for (const char* name : names) {
        if (const char* value = getenv(name)) saved.emplace_back(name, value);
        unsetenv(name);
    }
    CWnd wnd;
    BOOL created = wnd.Create("nowhere", 10, 10, WNDBACK_SDL);
    std::string error = AfxGetWindowError();
    for (const auto& [name, value] : saved) setenv(name.c_str(), value.c_str(), 1);
    if (created) GTEST_SKIP() << "this machine has a screen without X or Wayland";
    EXPECT_NE(error.find("display"), std::string::npos) << error;
}
