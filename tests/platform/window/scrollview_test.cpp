// The scroll view: bars set from the scroll sizes and the client size, scrolling by lines,
// pages, the thumb and the ends, and drawing shifted by the scroll position.
#include <gtest/gtest.h>

#include <tuple>

#include "qvplatform/afxdc.h"
#include "qvplatform/exceptions.h"
#include "qvplatform/view.h"
#include "wnd_test_util.h"

namespace {

// Draws a picture of 1050 x 1060 whose pixel at (x, y) tells where it is.
class CPictureView : public CScrollView {
public:
    CPictureView() = default;
    void OnDraw(CDC* pDC) override {
        pDC->FillSolidRect(0, 0, 1050, 1060, RGB(255, 255, 0));
        pDC->SetPixel(500, 600, RGB(255, 0, 0));
    }
};

// Scrolls its own way, as a view derived from the scroll view may: its map takes the
// scroll messages, and its size handler runs the base's first.
class COwnScrollView : public CPictureView {
public:
    std::vector<UINT> m_codes;
    SIZE m_sizeSeen{};

protected:
    afx_msg void OnVScroll(UINT nSBCode, UINT, CScrollBar*) { m_codes.push_back(nSBCode); }
    afx_msg void OnSize(UINT nType, int cx, int cy) {
        CScrollView::OnSize(nType, cx, cy);
        m_sizeSeen = {cx, cy};
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(COwnScrollView, CPictureView)
ON_WM_VSCROLL()
ON_WM_SIZE()
END_MESSAGE_MAP()

class ScrollViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_view = new CPictureView;
        m_view->SetScrollSizes(MM_TEXT, {1050, 1060});  // before the window: kept for it
        ASSERT_TRUE(m_view->Create("v", 400, 300));
    }
    void TearDown() override {
        if (m_view->m_hWnd) m_view->DestroyWindow();  // deletes the view
    }
    void Send(UINT message, UINT code, UINT pos = 0) {
        m_view->SendMessage(message, MAKEWPARAM(static_cast<WORD>(code), pos), 0);
    }
    POINT Pos() const { return m_view->GetScrollPosition(); }

    CPictureView* m_view = nullptr;
};

}  // namespace

TEST_F(ScrollViewTest, BarsCoverTheTotalWithTheClientAsPage) {
    SCROLLINFO h{}, v{};
    m_view->GetScrollInfo(SB_HORZ, &h);
    m_view->GetScrollInfo(SB_VERT, &v);
    EXPECT_EQ(std::tie(h.nMin, h.nMax, h.nPage, v.nMax, v.nPage),
              std::make_tuple(0, 1049, 400u, 1059, 300u));
    EXPECT_EQ(m_view->GetScrollLimit(SB_VERT), 760);
}

// The default page is a tenth of the total, the default line a tenth of a page.
TEST_F(ScrollViewTest, LinesPagesThumbAndEndsOnBothAxes) {
    for (auto [message, bar] : {std::pair{WM_HSCROLL, SB_HORZ}, std::pair{WM_VSCROLL, SB_VERT}}) {
        auto at = [&] { return bar == SB_HORZ ? Pos().x : Pos().y; };
        int limit = bar == SB_HORZ ? 650 : 760;
        const int page = bar == SB_HORZ ? 105 : 106;  // and a line of 10
        const std::tuple<UINT, UINT, int> steps[] = {{SB_LINEDOWN, 0, 10},
                                                     {SB_PAGEDOWN, 0, 10 + page},
                                                     {SB_PAGEUP, 0, 10},
                                                     {SB_LINEUP, 0, 0},
                                                     {SB_LINEUP, 0, 0},
                                                     {SB_THUMBTRACK, 700, std::min(700, limit)},
                                                     {SB_THUMBPOSITION, 5000, limit},
                                                     {SB_ENDSCROLL, 3, limit},
                                                     {SB_TOP, 0, 0},
                                                     {SB_BOTTOM, 0, limit},
                                                     {SB_TOP, 0, 0}};
        for (auto [code, pos, want] : steps) {
            Send(message, code, pos);
            EXPECT_EQ(at(), want) << "message " << message << " code " << code;
        }
    }
}

TEST_F(ScrollViewTest, ScrollingMovesThePictureAndInvalidatesTheNewStrip) {
    m_view->UpdateWindow();
    Send(WM_VSCROLL, SB_THUMBTRACK, 40);
    EXPECT_EQ(wndtest::UpdateBox(*m_view), (RECT{0, 260, 400, 300}));
}

TEST_F(ScrollViewTest, DrawingIsShiftedByTheScrollPosition) {
    m_view->ScrollToPosition({450, 520});
    m_view->Invalidate();
    m_view->UpdateWindow();
    EXPECT_EQ(wndtest::ShownPixel(m_view->m_hWnd, 50, 80), RGB(255, 0, 0));
    EXPECT_EQ(wndtest::ShownPixel(m_view->m_hWnd, 51, 80), RGB(255, 255, 0));
}

TEST_F(ScrollViewTest, ScrollToPositionAndASmallerTotalClampThePosition) {
    m_view->ScrollToPosition({-20, 5000});
    EXPECT_EQ(Pos(), (POINT{0, 760}));
    m_view->ScrollToPosition({600, 700});
    m_view->SetScrollSizes(MM_TEXT, {500, 500}, {50, 60}, {5, 6});
    EXPECT_EQ(Pos(), (POINT{100, 200}));
    Send(WM_VSCROLL, SB_PAGEUP);
    Send(WM_HSCROLL, SB_LINEUP);
    EXPECT_EQ(Pos(), (POINT{95, 140}));
}

TEST_F(ScrollViewTest, OnlyPixelUnitsAreSupported) {
    EXPECT_THROW(m_view->SetScrollSizes(2, {10, 10}), CInvalidArgException);
}

TEST(ScrollViewDerived, OwnHandlersReplaceTheScrollViewsAndMayCallThem) {
    auto* view = new COwnScrollView;
    view->SetScrollSizes(MM_TEXT, {1050, 1060});
    ASSERT_TRUE(view->Create("v", 400, 300));
    EXPECT_EQ(view->m_sizeSeen.cy, 300);
    EXPECT_EQ(view->GetScrollLimit(SB_VERT), 760);  // the base's handler set the bars
    view->SendMessage(WM_VSCROLL, MAKEWPARAM(SB_PAGEDOWN, 0));
    EXPECT_EQ(view->m_codes, std::vector<UINT>{SB_PAGEDOWN});
    EXPECT_EQ(view->GetScrollPosition().y, 0);
    view->SendMessage(WM_HSCROLL, MAKEWPARAM(SB_PAGERIGHT, 0));  // still the base's
    EXPECT_EQ(view->GetScrollPosition().x, 105);
    view->DestroyWindow();
}
