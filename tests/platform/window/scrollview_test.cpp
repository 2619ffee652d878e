// The scroll view: bars set from the scroll sizes and the client size, scrolling by lines,
// pages, the thumb and the ends, and drawing shifted by the scroll position.
#include <gtest/gtest.h>

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
    SCROLLINFO si{};
    m_view->GetScrollInfo(SB_HORZ, &si);
    EXPECT_EQ(si.nMin, 0);
    EXPECT_EQ(si.nMax, 1049);
    EXPECT_EQ(si.nPage, 400u);
    m_view->GetScrollInfo(SB_VERT, &si);
    EXPECT_EQ(si.nMax, 1059);
    EXPECT_EQ(si.nPage, 300u);
    EXPECT_EQ(m_view->GetScrollLimit(SB_VERT), 760);
}

// The default page is a tenth of the total, the default line a tenth of a page.
TEST_F(ScrollViewTest, LinesPagesThumbAndEndsOnBothAxes) {
    for (auto [message, bar] : {std::pair{WM_HSCROLL, SB_HORZ}, std::pair{WM_VSCROLL, SB_VERT}}) {
        auto at = [&] { return bar == SB_HORZ ? Pos().x : Pos().y; };
        int limit = bar == SB_HORZ ? 650 : 760;
        const int line = 10, page = bar == SB_HORZ ? 105 : 106;
        Send(message, SB_LINEDOWN);
        EXPECT_EQ(at(), line);
        Send(message, SB_PAGEDOWN);
        EXPECT_EQ(at(), line + page);
        Send(message, SB_PAGEUP);
        Send(message, SB_LINEUP);
        Send(message, SB_LINEUP);
        EXPECT_EQ(at(), 0);
        Send(message, SB_THUMBTRACK, 700);
        EXPECT_EQ(at(), std::min(700, limit));
        Send(message, SB_THUMBPOSITION, 5000);
        EXPECT_EQ(at(), limit);
        Send(message, SB_ENDSCROLL, 3);
        EXPECT_EQ(at(), limit);
        Send(message, SB_TOP);
        EXPECT_EQ(at(), 0);
        Send(message, SB_BOTTOM);
        EXPECT_EQ(at(), limit);
        Send(message, SB_TOP);
    }
}

TEST_F(ScrollViewTest, ScrollingMovesThePictureAndInvalidatesTheNewStrip) {
    m_view->UpdateWindow();
    Send(WM_VSCROLL, SB_THUMBTRACK, 40);
    RECT rc;
    ASSERT_TRUE(m_view->GetUpdateRect(&rc));
    EXPECT_EQ(rc.top, 260);
    EXPECT_EQ(rc.bottom, 300);
    EXPECT_EQ(rc.right, 400);
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
    EXPECT_EQ(Pos().x, 0);
    EXPECT_EQ(Pos().y, 760);
    m_view->ScrollToPosition({600, 700});
    m_view->SetScrollSizes(MM_TEXT, {500, 500}, {50, 60}, {5, 6});
    EXPECT_EQ(Pos().x, 100);
    EXPECT_EQ(Pos().y, 200);
    Send(WM_VSCROLL, SB_PAGEUP);
    EXPECT_EQ(Pos().y, 140);
    Send(WM_HSCROLL, SB_LINEUP);
    EXPECT_EQ(Pos().x, 95);
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
