// The map view in a real window, on SDL's offscreen driver (unless SDL_VIDEODRIVER names
// another): keys and the wheel move it by its own rules, and the screen shows the map at its
// position. SDL events go through the SDL the platform loaded. (The platform's own tests turn
// thumb drags and resizing into the messages the headless view tests send.)
#include "library/hexdrawview_test_util.h"
#include "library/picture_test_util.h"
#include "sdl_input.h"

using qvtest::CTestView;

namespace {

constexpr int kBar = 16;  // the bars drawn beside the client area

class MapViewWindow : public qvtest::MapViewTest, protected qvtest::SdlInput {
protected:
    void SetUp() override {
        ASSERT_TRUE(qvtest::g_bOffscreenSdl);
        qvtest::MapViewTest::SetUp();
        UseSampleChipSheet();
        m_pTemplate =
            new CSingleDocTemplate(RUNTIME_CLASS(CHEXDrawDocument), RUNTIME_CLASS(CTestView));
        ASSERT_NE(m_pTemplate->OpenDocumentFile(nullptr, m_title.c_str(), 300, 200, WNDBACK_SDL),
                  nullptr)
            << AfxGetWindowError();
        ASSERT_TRUE(Find(m_title));
        AfxPumpMessages(FALSE);
    }
    // The client part of what the screen shows, against the buffer at the view's position.
    void ExpectScreenShowsThePosition() {
        AfxPumpMessages(FALSE);  // paints and presents what the last events changed
        HBITMAP shown = AfxCopyWindowImage(View()->m_hWnd);
        const auto pixels = qvtest::PixelsOf(shown);
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
};

}  // namespace

TEST_F(MapViewWindow, KeysAndTheWheelScrollByLinesAndPages) {
    ExpectScreenShowsThePosition();
    Key(SDLK_DOWN);
    Key(SDLK_PAGEDOWN);
    Key(SDLK_RIGHT);
    EXPECT_EQ(View()->m_ptScroll.y, 120);
    EXPECT_EQ(View()->m_ptScroll.x, 40);
    Wheel(1);  // away from the user: up a line
    EXPECT_EQ(View()->m_ptScroll.y, 80);
    EXPECT_EQ(View()->m_ptScrollHex.y, 2);
    Key(SDLK_END);  // the ends keep the position in this view
    EXPECT_EQ(View()->m_ptScroll.y, 80);
    ExpectScreenShowsThePosition();
}
