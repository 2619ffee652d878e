// The map view in a real window, on SDL's offscreen driver (unless SDL_VIDEODRIVER names
// another): keys, the wheel, the scroll bar and resizing move it by its own rules, and the
// screen shows the map at its position. SDL events go through the SDL the platform loaded.
#include <SDL2/SDL.h>
#include <dlfcn.h>

#include <cstdlib>

#include "library/hexdrawview_test_util.h"
#include "library/picture_test_util.h"

using qvtest::CTestView;

namespace {

const bool g_bOffscreen = (setenv("SDL_VIDEODRIVER", "offscreen", 0), true);
constexpr int kBar = 16;  // the bars drawn beside the client area

template <class F>
F* SdlCall(const char* name) {
    auto* f = reinterpret_cast<F*>(dlsym(RTLD_DEFAULT, name));
    if (!f) ADD_FAILURE() << "SDL has no " << name;
    return f;
}

class MapViewWindow : public qvtest::MapViewTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(g_bOffscreen);
        qvtest::MapViewTest::SetUp();
        UseSampleChipSheet();
        m_pTemplate =
            new CSingleDocTemplate(RUNTIME_CLASS(CHEXDrawDocument), RUNTIME_CLASS(CTestView));
        ASSERT_NE(m_pTemplate->OpenDocumentFile(nullptr, m_title.c_str(), 300, 200, WNDBACK_SDL),
                  nullptr)
            << AfxGetWindowError();
        auto* fromId = SdlCall<SDL_Window*(Uint32)>("SDL_GetWindowFromID");
        auto* title = SdlCall<const char*(SDL_Window*)>("SDL_GetWindowTitle");
        for (Uint32 id = 1; id < 10000 && !m_id; ++id)
            if (SDL_Window* w = fromId(id); w && m_title == title(w)) m_id = id;
        ASSERT_NE(m_id, 0u);
        AfxPumpMessages(FALSE);
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
    // The client part of what the screen shows, against the buffer at the view's position.
    void ExpectScreenShowsThePosition() {
        AfxPumpMessages(FALSE);  // paints and presents what the last events changed
        HBITMAP shown = AfxCopyWindowImage(View()->m_hWnd);
        const auto pixels = qvtest::BitmapPixels(shown);
        const SIZE size = qvtest::SizeOf(shown);
        DeleteObject(shown);
        RECT rc;
        View()->GetClientRect(&rc);
        ASSERT_EQ(size.cx, rc.right + kBar);
        const auto expected = ExpectedShown();
        for (int y = 0; y < rc.bottom; ++y)
            for (int x = 0; x < rc.right; ++x)
                ASSERT_EQ(pixels[static_cast<std::size_t>(y) * size.cx + x],
                          expected[static_cast<std::size_t>(y) * rc.right + x])
                    << x << "," << y;
    }

    std::string m_title = "map view " + std::to_string(reinterpret_cast<std::uintptr_t>(this));
    Uint32 m_id = 0;
};

}  // namespace

TEST_F(MapViewWindow, KeysAndTheWheelScrollByLinesAndPages) {
    ExpectScreenShowsThePosition();
    Key(SDLK_DOWN);
    Key(SDLK_PAGEDOWN);
    Key(SDLK_RIGHT);
    EXPECT_EQ(View()->m_ptScroll.y, 120);
    EXPECT_EQ(View()->m_ptScroll.x, 40);
    SDL_Event wheel{};
    wheel.type = SDL_MOUSEWHEEL;
    wheel.wheel.windowID = m_id;
    wheel.wheel.y = 1;  // away from the user: up a line
    Push(wheel);
    EXPECT_EQ(View()->m_ptScroll.y, 80);
    EXPECT_EQ(View()->m_ptScrollHex.y, 2);
    Key(SDLK_END);  // the ends keep the position in this view
    EXPECT_EQ(View()->m_ptScroll.y, 80);
    ExpectScreenShowsThePosition();
}

TEST_F(MapViewWindow, DraggingTheThumbAndResizingFollowTheViewsRules) {
    // The vertical bar beside the 200-pixel client area: drag its thumb to the far end.
    auto button = [&](Uint32 type, int x, int y) {
        SDL_Event e{};
        e.type = type;
        e.button.windowID = m_id;
        e.button.button = SDL_BUTTON_LEFT;
        e.button.x = x;
        e.button.y = y;
        Push(e);
    };
    button(SDL_MOUSEBUTTONDOWN, 300 + 8, 20);
    SDL_Event motion{};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.windowID = m_id;
    motion.motion.state = SDL_BUTTON_LMASK;
    motion.motion.x = 300 + 8;
    motion.motion.y = 400;
    Push(motion);
    button(SDL_MOUSEBUTTONUP, 300 + 8, 400);
    EXPECT_EQ(View()->m_ptScroll.y, 1060 - 200);
    ExpectScreenShowsThePosition();

    // The user makes the window taller: 860 + 260 passes 1060, so back to the top.
    SDL_Window* window = SdlCall<SDL_Window*(Uint32)>("SDL_GetWindowFromID")(m_id);
    SdlCall<void(SDL_Window*, int, int)>("SDL_SetWindowSize")(window, 300 + kBar, 260 + kBar);
    AfxPumpMessages(FALSE);
    EXPECT_EQ(View()->m_sizeClient.cy, 260);
    EXPECT_EQ(View()->m_ptScroll.y, 0);
    ExpectScreenShowsThePosition();
}
