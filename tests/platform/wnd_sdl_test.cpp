// The real-window back end, run on SDL's offscreen driver (unless SDL_VIDEODRIVER names
// another): what the window shows, and SDL input turned into messages. SDL events are
// pushed through the SDL the platform loaded, so the tests need not link it.
#include <SDL2/SDL.h>
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "qvplatform/msgbox.h"
#include "wnd_test_util.h"

using wndtest::Call;
using wndtest::CRecordingWnd;

namespace {

const bool g_bOffscreen = (setenv("SDL_VIDEODRIVER", "offscreen", 0), true);

template <class F>
F* SdlCall(const char* name) {
    auto* f = reinterpret_cast<F*>(dlsym(RTLD_DEFAULT, name));
    if (!f) ADD_FAILURE() << "SDL has no " << name;
    return f;
}

constexpr int kBar = 16;  // the thickness of the bars drawn beside the client area

class RealWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(g_bOffscreen);
        ASSERT_TRUE(m_wnd.Create(m_title.c_str(), 100, 80, WNDBACK_SDL)) << AfxGetWindowError();
        m_id = FindWindowId();
        ASSERT_NE(m_id, 0u);
        AfxPumpMessages(FALSE);
        m_wnd.m_calls.clear();
    }

    Uint32 FindWindowId() {
        auto* fromId = SdlCall<SDL_Window*(Uint32)>("SDL_GetWindowFromID");
        auto* title = SdlCall<const char*(SDL_Window*)>("SDL_GetWindowTitle");
        for (Uint32 id = 1; id < 10000; ++id)
            if (SDL_Window* w = fromId(id); w && m_title == title(w)) return id;
        return 0;
    }
    void Push(SDL_Event e) {
        SdlCall<int(SDL_Event*)>("SDL_PushEvent")(&e);
        AfxPumpMessages(FALSE);
    }
    void Key(SDL_Keycode key) {
        SDL_Event e{};
        e.type = SDL_KEYDOWN;
        e.key.windowID = m_id;
        e.key.keysym.sym = key;
        Push(e);
    }
    void Button(Uint32 type, int x, int y, Uint8 button = SDL_BUTTON_LEFT) {
        SDL_Event e{};
        e.type = type;
        e.button.windowID = m_id;
        e.button.button = button;
        e.button.x = x;
        e.button.y = y;
        Push(e);
    }
    void Motion(int x, int y) {
        SDL_Event e{};
        e.type = SDL_MOUSEMOTION;
        e.motion.windowID = m_id;
        e.motion.state = SDL_BUTTON_LMASK;
        e.motion.x = x;
        e.motion.y = y;
        Push(e);
    }
    void WindowEvent(Uint8 event, int data1 = 0, int data2 = 0) {
        SDL_Event e{};
        e.type = SDL_WINDOWEVENT;
        e.window.windowID = m_id;
        e.window.event = event;
        e.window.data1 = data1;
        e.window.data2 = data2;
        Push(e);
    }

    std::string m_title = "real window " + std::to_string(reinterpret_cast<std::uintptr_t>(this));
    CRecordingWnd m_wnd;
    Uint32 m_id = 0;
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
    Key(SDLK_DOWN);
    Key(SDLK_PAGEUP);
    Key(SDLK_s);  // no scroll for other keys
    SDL_Event wheel{};
    wheel.type = SDL_MOUSEWHEEL;
    wheel.wheel.windowID = m_id;
    wheel.wheel.y = -1;  // towards the user
    Push(wheel);
    EXPECT_EQ(m_wnd.m_calls, (std::vector<Call>{{WM_VSCROLL, SB_LINEDOWN, 0, 0},
                                                {WM_VSCROLL, SB_ENDSCROLL, 0, 0},
                                                {WM_VSCROLL, SB_PAGEUP, 0, 0},
                                                {WM_VSCROLL, SB_ENDSCROLL, 0, 0},
                                                {WM_VSCROLL, SB_LINEDOWN, 0, 0},
                                                {WM_VSCROLL, SB_ENDSCROLL, 0, 0}}));
}

TEST_F(RealWindow, ClicksReachTheClientAreaAndTheBars) {
    m_wnd.SetScrollRange(SB_VERT, 0, 399);
    SCROLLINFO si{sizeof(SCROLLINFO), SIF_PAGE, 0, 0, 80, 0, 0};
    m_wnd.SetScrollInfo(SB_VERT, &si);
    Button(SDL_MOUSEBUTTONDOWN, 20, 30);
    // The vertical bar: 80 pixels, arrows of 16, a thumb of 9 at the top of the track.
    Button(SDL_MOUSEBUTTONDOWN, 108, 5);
    Button(SDL_MOUSEBUTTONDOWN, 108, 60);
    Button(SDL_MOUSEBUTTONDOWN, 108, 70);
    Button(SDL_MOUSEBUTTONDOWN, 50, 90);  // the idle horizontal bar
    EXPECT_EQ(m_wnd.m_calls, (std::vector<Call>{{WM_LBUTTONDOWN, MK_LBUTTON, 20, 30},
                                                {WM_VSCROLL, SB_LINEUP, 0, 0},
                                                {WM_VSCROLL, SB_ENDSCROLL, 0, 0},
                                                {WM_VSCROLL, SB_PAGEDOWN, 0, 0},
                                                {WM_VSCROLL, SB_ENDSCROLL, 0, 0},
                                                {WM_VSCROLL, SB_LINEDOWN, 0, 0},
                                                {WM_VSCROLL, SB_ENDSCROLL, 0, 0}}));
}

TEST_F(RealWindow, DraggingTheThumbTracksThenSetsThePosition) {
    m_wnd.SetScrollRange(SB_VERT, 0, 399);
    SCROLLINFO si{sizeof(SCROLLINFO), SIF_PAGE, 0, 0, 80, 0, 0};
    m_wnd.SetScrollInfo(SB_VERT, &si);
    Button(SDL_MOUSEBUTTONDOWN, 108, 18);
    Motion(108, 38);  // 20 of the 39 pixels the thumb can travel: position 164 of 320
    si.fMask = SIF_TRACKPOS | SIF_POS;
    GetScrollInfo(m_wnd.m_hWnd, SB_VERT, &si);
    EXPECT_EQ(si.nTrackPos, 164);
    EXPECT_EQ(si.nPos, 0);  // the recording window does not move the bar itself
    Motion(108, 500);       // past the end
    Button(SDL_MOUSEBUTTONUP, 108, 500);
    EXPECT_EQ(m_wnd.m_calls, (std::vector<Call>{{WM_VSCROLL, SB_THUMBTRACK, 164, 0},
                                                {WM_VSCROLL, SB_THUMBTRACK, 320, 0},
                                                {WM_VSCROLL, SB_THUMBPOSITION, 320, 0},
                                                {WM_VSCROLL, SB_ENDSCROLL, 0, 0}}));
}

TEST_F(RealWindow, ResizingSendsTheNewClientSizeOnce) {
    WindowEvent(SDL_WINDOWEVENT_SIZE_CHANGED, 200 + kBar, 120 + kBar);
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
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = m_id;
    e.window.event = SDL_WINDOWEVENT_CLOSE;
    SdlCall<int(SDL_Event*)>("SDL_PushEvent")(&e);
    EXPECT_EQ(AfxRunMessageLoop(), 0);
    EXPECT_EQ(m_wnd.m_hWnd, nullptr);
}

TEST_F(RealWindow, PostedMessagesGoOutThenQuitEndsTheLoopWithItsCode) {
    m_wnd.PostMessage(WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0));
    PostQuitMessage(3);
    EXPECT_EQ(AfxRunMessageLoop(), 3);
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
