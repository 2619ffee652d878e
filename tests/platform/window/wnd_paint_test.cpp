// The paint cycle on the headless back end: the invalid area, painting, window contexts,
// scrolling the picture and resizing it.
#include <gtest/gtest.h>

#include <tuple>

#include "qvplatform/draw.h"
#include "wnd_test_util.h"

using wndtest::CRecordingWnd;
using wndtest::ShownPixel;

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

// Fills the whole client area of a window through a window context.
void FillClient(HWND hWnd, COLORREF color) {
    HDC hdc = GetDC(hWnd);
    ASSERT_NE(hdc, nullptr);
    RECT rc;
    GetClientRect(hWnd, &rc);
    FillSolidRect(hdc, &rc, color);
    EXPECT_EQ(ReleaseDC(hWnd, hdc), 1);
}

// A recording window of 40 x 30, painted once.
class PaintTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_wnd.Create("w", 40, 30));
        m_wnd.UpdateWindow();
    }
    CRecordingWnd m_wnd;
};

}  // namespace

TEST(PaintCycle, NewWindowIsPaintedOnceAndErasedWhite) {
    CWnd wnd;  // no paint handler: the default validates, erasing first
    ASSERT_TRUE(wnd.Create("w", 30, 20));
    EXPECT_EQ(ShownPixel(wnd.m_hWnd, 5, 5), kBlack);
    EXPECT_EQ(wndtest::UpdateBox(wnd), (RECT{0, 0, 30, 20}));
    wnd.UpdateWindow();
    EXPECT_FALSE(wnd.GetUpdateRect(nullptr));
    EXPECT_EQ(ShownPixel(wnd.m_hWnd, 0, 0), kWhite);
    EXPECT_EQ(ShownPixel(wnd.m_hWnd, 29, 19), kWhite);
}

TEST_F(PaintTest, UpdateWindowPaintsOnlyWhenSomethingIsInvalid) {
    m_wnd.UpdateWindow();
    EXPECT_EQ(m_wnd.m_nPaints, 1);
    RECT a{2, 3, 5, 6}, b{10, 1, 12, 4};
    m_wnd.InvalidateRect(&a, FALSE);
    m_wnd.InvalidateRect(&b, FALSE);
    m_wnd.UpdateWindow();
    EXPECT_EQ(m_wnd.m_nPaints, 2);
    EXPECT_EQ(m_wnd.m_rcLastPaint, (RECT{2, 1, 12, 6}));  // the bounding box
}

TEST_F(PaintTest, InvalidAreaIsCutToTheClientArea) {
    RECT outside{50, 40, 60, 50}, across{-5, 10, 10, 99}, reversed{8, 8, 2, 2};
    m_wnd.InvalidateRect(&outside);
    m_wnd.InvalidateRect(&reversed);
    EXPECT_FALSE(m_wnd.GetUpdateRect(nullptr));
    EXPECT_TRUE(::InvalidateRect(m_wnd.m_hWnd, &across, TRUE));
    EXPECT_EQ(wndtest::UpdateBox(m_wnd), (RECT{0, 10, 10, 30}));
}

TEST_F(PaintTest, PaintContextIsClippedToTheInvalidArea) {
    FillClient(m_wnd.m_hWnd, kBlack);
    RECT part{10, 5, 20, 15};
    m_wnd.InvalidateRect(&part, TRUE);
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(m_wnd.m_hWnd, &ps);
    ASSERT_NE(hdc, nullptr);
    EXPECT_FALSE(ps.fErase);  // erased by the default WM_ERASEBKGND
    EXPECT_EQ(ps.rcPaint, part);
    RECT all{0, 0, 40, 30};
    FillSolidRect(hdc, &all, RGB(255, 0, 0));
    EndPaint(m_wnd.m_hWnd, &ps);
    for (auto [x, y, shown] : {std::tuple{10, 5, RGB(255, 0, 0)},
                               {19, 14, RGB(255, 0, 0)},
                               {9, 5, kBlack},
                               {20, 14, kBlack}})
        EXPECT_EQ(ShownPixel(m_wnd.m_hWnd, x, y), shown) << x << "," << y;
    EXPECT_FALSE(m_wnd.GetUpdateRect(nullptr));
}

TEST(PaintCycle, ValidatingABandShrinksTheInvalidBox) {
    CRecordingWnd wnd;
    ASSERT_TRUE(wnd.Create("w", 30, 20));
    // A hole cannot be taken out of a box.
    const std::pair<RECT, RECT> cases[] = {{{0, 0, 30, 5}, {0, 5, 30, 20}},
                                           {{0, 0, 4, 20}, {4, 5, 30, 20}},
                                           {{10, 10, 12, 12}, {4, 5, 30, 20}}};
    for (const auto& [valid, left] : cases) {
        wnd.ValidateRect(&valid);
        EXPECT_EQ(wndtest::UpdateBox(wnd), left);
    }
    EXPECT_TRUE(::ValidateRect(wnd.m_hWnd, nullptr));
    EXPECT_FALSE(wnd.GetUpdateRect(nullptr));
}

TEST_F(PaintTest, SeveralWindowContextsDrawOnOnePictureUntilReleased) {
    HDC outer = GetDC(m_wnd.m_hWnd);
    HDC inner = GetDC(m_wnd.m_hWnd);
    ASSERT_NE(outer, nullptr);
    ASSERT_NE(inner, nullptr);
    SetPixel(outer, 3, 4, RGB(1, 2, 3));
    EXPECT_EQ(SetPixel(outer, 40, 4, RGB(1, 2, 3)), CLR_INVALID);  // outside the client area
    EXPECT_EQ(GetPixel(inner, 3, 4), RGB(1, 2, 3));
    EXPECT_EQ(ReleaseDC(m_wnd.m_hWnd, inner), 1);
    EXPECT_EQ(ReleaseDC(m_wnd.m_hWnd, outer), 1);
    EXPECT_EQ(ReleaseDC(m_wnd.m_hWnd, outer), 0);
    EXPECT_EQ(ShownPixel(m_wnd.m_hWnd, 3, 4), RGB(1, 2, 3));
}

TEST(WindowContext, NullWindowGivesAScreenContext) {
    HDC screen = GetDC(nullptr);
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
    HDC memory = CreateCompatibleDC(nullptr);
    EXPECT_EQ(ReleaseDC(nullptr, memory), 0);  // not handed out by GetDC: left alone
    EXPECT_TRUE(DeleteDC(memory));
}

TEST_F(PaintTest, DestroyingTheWindowRetiresItsContexts) {
    HWND hWnd = m_wnd.m_hWnd;
    HDC hdc = GetDC(hWnd);
    m_wnd.DestroyWindow();
    EXPECT_EQ(SetPixel(hdc, 1, 1, kBlack), CLR_INVALID);
    EXPECT_EQ(ReleaseDC(hWnd, hdc), 0);
    EXPECT_EQ(GetDC(hWnd), nullptr);
}

TEST_F(PaintTest, ScrollWindowMovesThePictureAndInvalidatesWhatIsUncovered) {
    HDC hdc = GetDC(m_wnd.m_hWnd);  // held open across the scroll
    SetPixel(hdc, 10, 10, RGB(7, 7, 7));
    m_wnd.ScrollWindow(-4, 6);
    EXPECT_EQ(GetPixel(hdc, 6, 16), RGB(7, 7, 7));
    ReleaseDC(m_wnd.m_hWnd, hdc);
    EXPECT_EQ(ShownPixel(m_wnd.m_hWnd, 6, 16), RGB(7, 7, 7));
    // A strip on the right and one at the top: their bounding box; more than the height:
    // all of it.
    const std::pair<POINT, RECT> cases[] = {
        {{-4, 6}, {0, 0, 40, 30}}, {{0, -40}, {0, 0, 40, 30}}, {{5, 0}, {0, 0, 5, 30}}};
    for (const auto& [by, uncovered] : cases) {
        m_wnd.UpdateWindow();
        m_wnd.ScrollWindow(by.x, by.y);
        EXPECT_EQ(wndtest::UpdateBox(m_wnd), uncovered) << by.x << "," << by.y;
    }
    m_wnd.UpdateWindow();
    RECT part{20, 10, 25, 15};  // a pending invalid area moves with the picture
    m_wnd.InvalidateRect(&part, FALSE);
    m_wnd.ScrollWindow(0, -8);
    EXPECT_EQ(wndtest::UpdateBox(m_wnd), (RECT{0, 2, 40, 30}));  // with the bottom strip
}

TEST_F(PaintTest, ResizeKeepsWhatBothSizesShareAndSendsTheNewSize) {
    FillClient(m_wnd.m_hWnd, RGB(0, 0, 200));
    m_wnd.MoveWindow(0, 0, 60, 10, FALSE);
    EXPECT_EQ(m_wnd.m_calls.back(), (wndtest::Call{WM_SIZE, SIZE_RESTORED, 60, 10}));
    EXPECT_EQ(ShownPixel(m_wnd.m_hWnd, 39, 9), RGB(0, 0, 200));
    EXPECT_FALSE(m_wnd.GetUpdateRect(nullptr));
    m_wnd.MoveWindow(0, 0, 20, 20, TRUE);
    EXPECT_EQ(wndtest::UpdateBox(m_wnd), (RECT{0, 0, 20, 20}));
}

TEST_F(PaintTest, ContextHeldAcrossAResizeStaysUsable) {
    HDC hdc = GetDC(m_wnd.m_hWnd);
    m_wnd.MoveWindow(0, 0, 50, 50);
    EXPECT_NE(SetPixel(hdc, 1, 1, kBlack), CLR_INVALID);  // draws on the old picture
    EXPECT_EQ(ReleaseDC(m_wnd.m_hWnd, hdc), 1);
    hdc = GetDC(m_wnd.m_hWnd);
    EXPECT_NE(SetPixel(hdc, 45, 45, kBlack), CLR_INVALID);
    ReleaseDC(m_wnd.m_hWnd, hdc);
}
