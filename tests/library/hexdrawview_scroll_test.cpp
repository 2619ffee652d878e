// The map view's set-up and scrolling: the initial update with and without "MAP.BMP", its
// own scroll rules on both axes, size messages, document updates, and the window's picture
// following the scroll position throughout.
#include <qvdll/unit.h>
#include <qvplatform/cp932.h>
#include <qvplatform/msgbox.h>

#include "library/hexdrawview_test_util.h"
#include "library/picture_test_util.h"

namespace {

// A map document that has lost its map, as a host's derived document may.
class CNoMapDocument : public CHEXDrawDocument {
    DECLARE_DYNCREATE(CNoMapDocument)
public:
    CHexMap* GetMap() override { return nullptr; }
};
IMPLEMENT_DYNCREATE(CNoMapDocument, CHEXDrawDocument)

// A document of another kind altogether, which the view cannot take a map from.
class CForeignDocument : public CDocument {
    DECLARE_DYNCREATE(CForeignDocument)
};
IMPLEMENT_DYNCREATE(CForeignDocument, CDocument)

// How many pixels are not the erased background.
std::ptrdiff_t NotWhite(const std::vector<COLORREF>& pixels) {
    return std::count_if(pixels.begin(), pixels.end(),
                         [](COLORREF c) { return c != RGB(255, 255, 255); });
}

class MapViewScroll : public qvtest::MapViewTest {
protected:
    void SetUp() override {
        qvtest::MapViewTest::SetUp();
        UseSampleChipSheet();
    }
    void Scroll(int nBar, UINT nCode, UINT nPos = 0) {
        View()->SendMessage(nBar == SB_HORZ ? WM_HSCROLL : WM_VSCROLL,
                            MAKEWPARAM(static_cast<WORD>(nCode), nPos));
    }
    LONG Pos(int nBar) const {
        return nBar == SB_HORZ ? View()->m_ptScroll.x : View()->m_ptScroll.y;
    }
    SCROLLINFO Bar(int nBar) const {
        SCROLLINFO si{};
        View()->GetScrollInfo(nBar, &si);
        return si;
    }
    // The view's position, its bars and its picture agree.
    void ExpectInStep() {
        const POINT bars = View()->GetScrollPosition();
        EXPECT_EQ(bars.x, View()->m_ptScroll.x);
        EXPECT_EQ(bars.y, View()->m_ptScroll.y);
        EXPECT_EQ(View()->m_ptScrollHex.x, View()->m_ptScroll.x / 40);
        EXPECT_EQ(View()->m_ptScrollHex.y, View()->m_ptScroll.y / 40);
        EXPECT_EQ(ShownPixels(), ExpectedShown());
    }
    bool Invalid() { return View()->GetUpdateRect(nullptr) != FALSE; }
};

}  // namespace

TEST_F(MapViewScroll, InitialUpdateLoadsTheFontClampsByTheClientSizeAtOnceAndStartsOver) {
    ASSERT_NO_FATAL_FAILURE(Open(400, 300));
    LOGFONTA lf{};
    ASSERT_TRUE(View()->m_pFont->GetLogFont(&lf));
    EXPECT_STREQ(lf.lfFaceName, "\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e");
    EXPECT_EQ(lf.lfHeight, -9);  // 7 points at 96 dots per inch
    ExpectInStep();
    // The size message came before the initial update, and no other follows: the thumb
    // stops a page short of the map's 1050 x 1060.
    Scroll(SB_VERT, SB_THUMBTRACK, 5000);
    Scroll(SB_HORZ, SB_THUMBTRACK, 5000);
    EXPECT_EQ(Pos(SB_VERT), 1060 - 300);
    EXPECT_EQ(Pos(SB_HORZ), 1050 - 400);
    ExpectInStep();

    // A second initial update starts over at the top left.
    View()->m_ptSpare1 = {1, 2};
    View()->m_ptSpare2 = {3, 4};
    View()->OnInitialUpdate();
    EXPECT_EQ(View()->m_ptSpare1.x, 0);
    EXPECT_EQ(View()->m_ptSpare2.y, 0);
    EXPECT_EQ(Pos(SB_HORZ), 0);
    EXPECT_EQ(Pos(SB_VERT), 0);
    ExpectInStep();
}

TEST_F(MapViewScroll, AMissingChipSheetIsToldInJapaneseAndTheViewStaysBlank) {
    std::filesystem::remove(m_dir / "MAP.BMP");
    ASSERT_NO_FATAL_FAILURE(Open(200, 100));
    const auto messages = AfxTakeMessageBoxLog();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(
        Cp932ToUtf8(messages[0]),
        "MAP.BMPファイルがありません。\nMAP.BMPファイルをフォルダにコピーして再起動してください");
    EXPECT_EQ(NotWhite(ShownPixels()), 0);
    // A new map still builds a buffer: all black, since no hex can be drawn.
    CHexMap map(4, 3);
    Document()->SetMap(&map);
    EXPECT_EQ(BufferPixels(), std::vector<COLORREF>(170 * 140, RGB(0, 0, 0)));
    EXPECT_TRUE(AfxTakeMessageBoxLog().empty());  // told once
}

TEST_F(MapViewScroll, LinesPagesAndTheThumbOnBothAxes) {
    ASSERT_NO_FATAL_FAILURE(Open(400, 400));
    for (int nBar : {SB_HORZ, SB_VERT}) {
        SCOPED_TRACE(nBar == SB_HORZ ? "horizontal" : "vertical");
        struct Step {
            UINT code, pos;
            LONG expected;
        };
        // The ends and the thumb's release keep the position in this view.
        const Step steps[] = {{SB_LINEDOWN, 0, 40},
                              {SB_PAGEDOWN, 0, 120},
                              {SB_LINEUP, 0, 80},
                              {SB_PAGEUP, 0, 0},
                              {SB_LINEUP, 0, 0},
                              {SB_THUMBTRACK, 119, 119},
                              {SB_THUMBPOSITION, 5, 119},
                              {SB_BOTTOM, 0, 119},
                              {SB_THUMBTRACK, 700, 650 + (nBar == SB_VERT ? 10 : 0)},
                              {SB_LINEDOWN, 0, 650 + (nBar == SB_VERT ? 10 : 0)}};
        for (const Step& step : steps) {
            Scroll(nBar, step.code, step.pos);
            EXPECT_EQ(Pos(nBar), step.expected) << "code " << step.code;
        }
        ExpectInStep();
    }
}

TEST_F(MapViewScroll, AMapSmallerThanTheWindowIsOnePageAndStaysAtZero) {
    CHexMap map(5, 5);  // 210 x 220
    ASSERT_NO_FATAL_FAILURE(OpenWith(map, 400, 300));
    View()->MoveWindow(0, 0, 420, 310);
    // The page is the client size, cut by the bar to its range 0 .. 210 (0 .. 220).
    EXPECT_EQ(Bar(SB_HORZ).nPage, 211u);
    EXPECT_EQ(Bar(SB_VERT).nPage, 221u);
    for (int nBar : {SB_HORZ, SB_VERT})
        for (UINT code : {SB_LINEDOWN, SB_PAGEDOWN, SB_THUMBTRACK, SB_LINEUP}) {
            Scroll(nBar, code, 100);
            EXPECT_EQ(Pos(nBar), 0);
        }
    ExpectInStep();
}

TEST_F(MapViewScroll, SizeMessagesSetTheBarsAndAGrownWindowGoesBackToZero) {
    ASSERT_NO_FATAL_FAILURE(Open(400, 300));
    View()->MoveWindow(0, 0, 500, 350);
    EXPECT_EQ(Bar(SB_HORZ).nMax, 1050);
    EXPECT_EQ(Bar(SB_HORZ).nPage, 500u);
    EXPECT_EQ(Bar(SB_VERT).nMax, 1060);
    EXPECT_EQ(Bar(SB_VERT).nPage, 350u);

    Scroll(SB_HORZ, SB_THUMBTRACK, 520);
    Scroll(SB_VERT, SB_THUMBTRACK, 600);
    ExpectInStep();
    View()->MoveWindow(0, 0, 600, 350);  // 520 + 600 passes 1050: back to 0
    EXPECT_EQ(Pos(SB_HORZ), 0);
    EXPECT_EQ(Pos(SB_VERT), 600);
    ExpectInStep();
    View()->MoveWindow(0, 0, 600, 500);  // 600 + 500 passes 1060
    EXPECT_EQ(Pos(SB_VERT), 0);
    ExpectInStep();
    View()->MoveWindow(0, 0, 300, 200);  // shrinking keeps the position
    Scroll(SB_VERT, SB_THUMBTRACK, 800);
    View()->MoveWindow(0, 0, 300, 250);
    EXPECT_EQ(Pos(SB_VERT), 800);
    ExpectInStep();
}

TEST_F(MapViewScroll, AResizeWithoutRepaintMovesThePictureWithThePosition) {
    CHexMap map(12, 9);  // 490 x 380
    ASSERT_NO_FATAL_FAILURE(OpenWith(map, 400, 300));
    Scroll(SB_VERT, SB_THUMBTRACK, 60);
    ExpectInStep();
    // 60 + 330 passes 380: back to 0. The top 60 rows are uncovered and repainted; the rest
    // of the old picture must have moved down by 60. The new strip at the bottom is left
    // unpainted here, as nothing invalidated it.
    View()->MoveWindow(0, 0, 400, 330, FALSE);
    EXPECT_EQ(Pos(SB_VERT), 0);
    const auto shown = ShownPixels();
    const auto expected = ExpectedShown();
    ASSERT_EQ(shown.size(), 400u * 330u);
    EXPECT_TRUE(std::equal(shown.begin(), shown.begin() + 400 * 300, expected.begin()));
}

TEST_F(MapViewScroll, OnUpdateRebuildsOnlyForAnOddHintWithAMapAndStaysInside) {
    ASSERT_NO_FATAL_FAILURE(Open(400, 300));
    Scroll(SB_HORZ, SB_THUMBTRACK, 650);
    Scroll(SB_VERT, SB_THUMBTRACK, 760);
    View()->UpdateWindow();
    CGraphic* pBuffer = View()->m_pMapBuffer.Get();
    CHexMap map(12, 9);  // 490 x 380

    CUnit unit;
    View()->OnUpdate(nullptr, 1, &unit);  // not a map: nothing at all
    EXPECT_FALSE(Invalid());
    EXPECT_EQ(View()->m_pMapBuffer.Get(), pBuffer);

    View()->OnUpdate(nullptr, 2, &map);  // even: the framework's repaint only
    EXPECT_TRUE(Invalid());
    EXPECT_EQ(View()->m_pMapBuffer.Get(), pBuffer);
    View()->UpdateWindow();
    View()->OnUpdate(nullptr, 1, nullptr);
    EXPECT_TRUE(Invalid());
    EXPECT_EQ(View()->m_pMapBuffer.Get(), pBuffer);
    View()->UpdateWindow();

    // Odd with a map: rebuilt for that map, the position brought back inside it.
    View()->OnUpdate(nullptr, 3, &map);
    EXPECT_TRUE(Invalid());
    EXPECT_EQ(View()->m_pMapBuffer->GetWidth(), 490);
    EXPECT_EQ(View()->m_pMapBuffer->GetHeight(), 380);
    EXPECT_EQ(View()->GetTotalSize().cx, 490);
    EXPECT_EQ(View()->GetTotalSize().cy, 380);
    EXPECT_EQ(Pos(SB_HORZ), 90);
    EXPECT_EQ(Pos(SB_VERT), 80);
    ExpectInStep();
}

TEST_F(MapViewScroll, WithoutAMapTheViewIsBlankAndStill) {
    for (const CRuntimeClass* pDocClass :
         {RUNTIME_CLASS(CNoMapDocument), RUNTIME_CLASS(CForeignDocument)}) {
        SCOPED_TRACE(pDocClass->m_lpszClassName);
        ASSERT_NO_FATAL_FAILURE(Open(300, 200, pDocClass));
        View()->MoveWindow(0, 0, 320, 210);
        Scroll(SB_VERT, SB_LINEDOWN);
        Scroll(SB_HORZ, SB_THUMBTRACK, 50);
        EXPECT_EQ(Pos(SB_VERT), 0);
        EXPECT_EQ(Pos(SB_HORZ), 0);
        EXPECT_EQ(NotWhite(ShownPixels()), 0);
    }
}
