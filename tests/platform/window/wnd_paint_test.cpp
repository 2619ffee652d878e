// The paint cycle on the headless back end: the invalid area, painting, window contexts,
// scrolling the picture and resizing it.
#include <gtest/gtest.h>

#include "qvplatform/draw.h"
#include "wnd_test_util.h"

using wndtest::CRecordingWnd;
using wndtest::ShownPixel;

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// Fills the whole client area of a window through a window context.
void FillClient(HWND hWnd, COLORREF color) {
    HDC hdc = GetDC(hWnd);
    ASSERT_NE(hdc, nullptr);
    RECT rc;
    GetClientRect(hWnd, &rc);
    FillSolidRect(hdc, &rc, color);
    EXPECT_EQ(ReleaseDC(hWnd, hdc), 1);
}

}  // namespace

TEST(PaintCycle, NewWindowIsPaintedOnceAndErasedWhite) {
    CWnd wnd;  // no paint handler: the default validates, erasing first
    ASSERT_TRUE(wnd.Create("w", 30, 20));
    EXPECT_EQ(ShownPixel(wnd.m_hWnd, 5, 5), kBlack);
    RECT rc;
    EXPECT_TRUE(wnd.GetUpdateRect(&rc));
    EXPECT_TRUE(SameRect(rc, {0, 0, 30, 20}));
    wnd.UpdateWindow();
    EXPECT_FALSE(wnd.GetUpdateRect(&rc));
    EXPECT_EQ(ShownPixel(wnd.m_hWnd, 0, 0), kWhite);
    EXPECT_EQ(ShownPixel(wnd.m_hWnd, 29, 19), kWhite);
}

TEST(PaintCycle, UpdateWindowPaintsOnlyWhenSomethingIsInvalid) {
    CRecordingWnd wnd;
    ASSERT_TRUE(wnd.Create("w", 30, 20));
    wnd.UpdateWindow();
    wnd.UpdateWindow();
    EXPECT_EQ(wnd.m_nPaints, 1);
    RECT a{2, 3, 5, 6}, b{10, 1, 12, 4};
    wnd.InvalidateRect(&a, FALSE);
    wnd.InvalidateRect(&b, FALSE);
    wnd.UpdateWindow();
    EXPECT_EQ(wnd.m_nPaints, 2);
    EXPECT_TRUE(SameRect(wnd.m_rcLastPaint, {2, 1, 12, 6}));  // the bounding box
}

TEST(PaintCycle, InvalidAreaIsCutToTheClientArea) {
    CRecordingWnd wnd;
    ASSERT_TRUE(wnd.Create("w", 30, 20));
    wnd.UpdateWindow();
    RECT outside{40, 40, 50, 50}, across{-5, 10, 10, 99}, reversed{8, 8, 2, 2};
    wnd.InvalidateRect(&outside);
    wnd.InvalidateRect(&reversed);
    RECT rc;
    EXPECT_FALSE(wnd.GetUpdateRect(&rc));
    wnd.InvalidateRect(&across);
    EXPECT_TRUE(wnd.GetUpdateRect(&rc));
    EXPECT_TRUE(SameRect(rc, {0, 10, 10, 20}));
}

TEST(PaintCycle, PaintContextIsClippedToTheInvalidArea) {
    CRecordingWnd wnd;
    ASSERT_TRUE(wnd.Create("w", 30, 20));
    wnd.UpdateWindow();
    FillClient(wnd.m_hWnd, kBlack);
    RECT part{10, 5, 20, 15};
    wnd.InvalidateRect(&part, TRUE);
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(wnd.m_hWnd, &ps);
    ASSERT_NE(hdc, nullptr);
    EXPECT_FALSE(ps.fErase);  // erased by the default WM_ERASEBKGND
    EXPECT_TRUE(SameRect(ps.rcPaint, part));
    RECT all{0, 0, 30, 20};
    FillSolidRect(hdc, &all, RGB(255, 0, 0));
    EndPaint(wnd.m_hWnd, &ps);
    EXPECT_EQ(ShownPixel(wnd.m_hWnd, 10, 5), RGB(255, 0, 0));
    EXPECT_EQ(ShownPixel(wnd.m_hWnd, 19, 14), RGB(255, 0, 0));
    EXPECT_EQ(ShownPixel(wnd.m_hWnd, 9, 5), kBlack);
    EXPECT_EQ(ShownPixel(wnd.m_hWnd, 20, 14), kBlack);
    EXPECT_FALSE(wnd.GetUpdateRect(nullptr));
}

TEST(PaintCycle, ValidatingABandShrinksTheInvalidBox) {
    CRecordingWnd wnd;
    ASSERT_TRUE(wnd.Create("w", 30, 20));
    RECT top{0, 0, 30, 5}, left{0, 0, 4, 20}, middle{10, 10, 12, 12}, rc;
    wnd.ValidateRect(&top);
    wnd.GetUpdateRect(&rc);
    EXPECT_TRUE(SameRect(rc, {0, 5, 30, 20}));
    wnd.ValidateRect(&left);
    wnd.GetUpdateRect(&rc);
    EXPECT_TRUE(SameRect(rc, {4, 5, 30, 20}));
    wnd.ValidateRect(&middle);  // a hole cannot be taken out of a box
    wnd.GetUpdateRect(&rc);
    EXPECT_TRUE(SameRect(rc, {4, 5, 30, 20}));
    wnd.ValidateRect(nullptr);
    EXPECT_FALSE(wnd.GetUpdateRect(nullptr));
}

TEST(WindowContext, SeveralDrawOnOnePictureUntilReleased) {
    CRecordingWnd wnd;
    ASSERT_TRUE(wnd.Create("w", 30, 20));
    HDC outer = GetDC(wnd.m_hWnd);
    HDC inner = GetDC(wnd.m_hWnd);
    ASSERT_NE(outer, nullptr);
    ASSERT_NE(inner, nullptr);
    SetPixel(outer, 3, 4, RGB(1, 2, 3));
    EXPECT_EQ(SetPixel(outer, 30, 4, RGB(1, 2, 3)), CLR_INVALID);  // outside the client area
    EXPECT_EQ(GetPixel(inner, 3, 4), RGB(1, 2, 3));
    EXPECT_EQ(ReleaseDC(wnd.m_hWnd, inner), 1);
    EXPECT_EQ(ReleaseDC(wnd.m_hWnd, outer), 1);
    EXPECT_EQ(ReleaseDC(wnd.m_hWnd, outer), 0);
    EXPECT_EQ(ShownPixel(wnd.m_hWnd, 3, 4), RGB(1, 2, 3));
}

TEST(WindowContext, NullWindowGivesAScreenContext) {
    HDC screen = GetDC(nullptr);
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
    HDC memory = CreateCompatibleDC(nullptr);
    EXPECT_EQ(ReleaseDC(nullptr, memory), 0);  // not handed out by GetDC: left alone
    EXPECT_TRUE(DeleteDC(memory));
}

TEST(WindowContext, DestroyingTheWindowRetiresItsContexts) {
    auto wnd = std::make_unique<CRecordingWnd>();
    ASSERT_TRUE(wnd->Create("w", 30, 20));
    HWND hWnd = wnd->m_hWnd;
    HDC hdc = GetDC(hWnd);
    wnd->DestroyWindow();
    EXPECT_EQ(SetPixel(hdc, 1, 1, kBlack), CLR_INVALID);
    EXPECT_EQ(ReleaseDC(hWnd, hdc), 0);
    EXPECT_EQ(GetDC(hWnd), nullptr);
}

TEST(ScrollWindow, MovesThePictureAndInvalidatesWhatIsUncovered) {
    CRecordingWnd wnd;
    ASSERT_TRUE(wnd.Create("w", 40, 30));
    wnd.UpdateWindow();
    HDC hdc = GetDC(wnd.m_hWnd);  // held open across the scroll
    SetPixel(hdc, 10, 10, RGB(7, 7, 7));
    wnd.ScrollWindow(-4, 6);
    EXPECT_EQ(GetPixel(hdc, 6, 16), RGB(7, 7, 7));
    ReleaseDC(wnd.m_hWnd, hdc);
    EXPECT_EQ(ShownPixel(wnd.m_hWnd, 6, 16), RGB(7, 7, 7));
    RECT rc;
    ASSERT_TRUE(wnd.GetUpdateRect(&rc));
    // A strip on the right and one at the top: their bounding box.
    EXPECT_TRUE(SameRect(rc, {0, 0, 40, 30}));
    wnd.UpdateWindow();
    wnd.ScrollWindow(0, -40);  // more than the height: all of it
    wnd.GetUpdateRect(&rc);
    EXPECT_TRUE(SameRect(rc, {0, 0, 40, 30}));
    wnd.UpdateWindow();
    wnd.ScrollWindow(5, 0);
    wnd.GetUpdateRect(&rc);
    EXPECT_TRUE(SameRect(rc, {0, 0, 5, 30}));
}

TEST(ScrollWindow, PendingInvalidAreaMovesWithThePicture) {
    CRecordingWnd wnd;
    ASSERT_TRUE(wnd.Create("w", 40, 30));
    wnd.UpdateWindow();
    RECT part{20, 10, 25, 15}, rc;
    wnd.InvalidateRect(&part, FALSE);
    wnd.ScrollWindow(0, -8);
    wnd.GetUpdateRect(&rc);
    EXPECT_TRUE(SameRect(rc, {0, 2, 40, 30}));  // the moved box with the bottom strip
}

TEST(Resize, KeepsWhatBothSizesShareAndSendsTheNewSize) {
    CRecordingWnd wnd;
    ASSERT_TRUE(wnd.Create("w", 40, 30));
    wnd.UpdateWindow();
    FillClient(wnd.m_hWnd, RGB(0, 0, 200));
    wnd.MoveWindow(0, 0, 60, 10, FALSE);
    EXPECT_EQ(wnd.m_calls.back(), (wndtest::Call{WM_SIZE, SIZE_RESTORED, 60, 10}));
    EXPECT_EQ(ShownPixel(wnd.m_hWnd, 39, 9), RGB(0, 0, 200));
    EXPECT_FALSE(wnd.GetUpdateRect(nullptr));
    wnd.MoveWindow(0, 0, 20, 20, TRUE);
    RECT rc;
    wnd.GetUpdateRect(&rc);
    EXPECT_TRUE(SameRect(rc, {0, 0, 20, 20}));
}

TEST(Resize, ContextHeldAcrossAResizeStaysUsable) {
    CRecordingWnd wnd;
    ASSERT_TRUE(wnd.Create("w", 40, 30));
    HDC hdc = GetDC(wnd.m_hWnd);
    wnd.MoveWindow(0, 0, 50, 50);
    EXPECT_NE(SetPixel(hdc, 1, 1, kBlack), CLR_INVALID);  // draws on the old picture
    EXPECT_EQ(ReleaseDC(wnd.m_hWnd, hdc), 1);
    hdc = GetDC(wnd.m_hWnd);
    EXPECT_NE(SetPixel(hdc, 45, 45, kBlack), CLR_INVALID);
    ReleaseDC(wnd.m_hWnd, hdc);
}
