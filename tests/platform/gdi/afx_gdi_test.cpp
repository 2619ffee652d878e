// The framework's graphics objects and CDC: ownership of handles, the objects handed back
// by selection, and the calls the library makes through them.
#include <gtest/gtest.h>

#include "qvplatform/afxdc.h"

namespace {

const char kMsGothic[] = "\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e";

}  // namespace

TEST(CGdiObject, OwnsWhatItCreatesOrAttaches) {
    HBITMAP kept;
    {
        CBitmap bitmap;
        ASSERT_TRUE(bitmap.CreateBitmap(4, 4, 1, 32, nullptr));
        EXPECT_FALSE(bitmap.CreateBitmap(4, 4, 1, 32, nullptr));  // holds one already
        EXPECT_EQ(CGdiObject::FromHandle(bitmap.m_hObject), &bitmap);
        EXPECT_EQ(CBitmap::FromHandle(bitmap), &bitmap);
        BITMAP bm{};
        EXPECT_TRUE(bitmap.GetBitmap(&bm));
        EXPECT_EQ(bm.bmWidth, 4);
        kept = static_cast<HBITMAP>(bitmap.m_hObject);
    }
    EXPECT_EQ(GetObjectType(kept), 0u);  // deleted with its owner

    CBitmap other;
    other.CreateBitmap(2, 2, 1, 1, nullptr);
    HGDIOBJ h = other.Detach();
    EXPECT_EQ(other.m_hObject, nullptr);
    EXPECT_NE(CGdiObject::FromHandle(h), &other);
    CBitmap taker;
    EXPECT_TRUE(taker.Attach(h));
    EXPECT_FALSE(taker.Attach(h));
    EXPECT_TRUE(taker.DeleteObject());
    EXPECT_FALSE(taker.DeleteObject());
    EXPECT_EQ(CGdiObject::FromHandle(h), nullptr);  // dead
}

TEST(CGdiObject, FromHandleGivesAKeptWrapperOfTheHandlesKind) {
    CGdiObject* brush = CGdiObject::FromHandle(GetStockObject(BLACK_BRUSH));
    ASSERT_NE(brush, nullptr);
    EXPECT_TRUE(brush->IsKindOf(RUNTIME_CLASS(CBrush)));
    EXPECT_EQ(CGdiObject::FromHandle(GetStockObject(BLACK_BRUSH)), brush);
    EXPECT_TRUE(
        CGdiObject::FromHandle(GetStockObject(SYSTEM_FONT))->IsKindOf(RUNTIME_CLASS(CFont)));
    EXPECT_TRUE(CGdiObject::FromHandle(GetStockObject(NULL_PEN))->IsKindOf(RUNTIME_CLASS(CPen)));
    // Many wrappers of handles that die are dropped; the kept one stays where it was.
    for (int i = 0; i < 500; ++i) {
        HBITMAP h = CreateBitmap(1, 1, 1, 1, nullptr);
        ASSERT_NE(CGdiObject::FromHandle(h), nullptr);
        DeleteObject(h);
    }
    EXPECT_EQ(CGdiObject::FromHandle(GetStockObject(BLACK_BRUSH)), brush);
    EXPECT_EQ(CGdiObject::FromHandle(nullptr), nullptr);
}

TEST(CFont, PointSizeBecomesPixelsAt96DotsPerInch) {
    CFont font;
    ASSERT_TRUE(font.CreatePointFont(70, kMsGothic));
    LOGFONTA log{};
    ASSERT_TRUE(font.GetLogFont(&log));
    EXPECT_EQ(log.lfHeight, -9);
    EXPECT_EQ(log.lfCharSet, DEFAULT_CHARSET);
    EXPECT_STREQ(log.lfFaceName, kMsGothic);
    CFont big;
    big.CreatePointFont(120, "IPAGothic");
    big.GetLogFont(&log);
    EXPECT_EQ(log.lfHeight, -16);
}

TEST(CBrush, StockObjectIsAttachedButNeverDeleted) {
    CBrush stock;
    EXPECT_TRUE(stock.CreateStockObject(NULL_BRUSH));
    EXPECT_FALSE(stock.DeleteObject());
    EXPECT_EQ(GetObjectType(GetStockObject(NULL_BRUSH)), OBJ_BRUSH);
}

TEST(CDC, OffScreenPictureLifecycle) {
    // What an off-screen picture does: a memory context compatible with a colour one, a
    // compatible bitmap selected into it, filled, drawn on, then taken apart again.
    CDC screen;
    ASSERT_TRUE(screen.Attach(CreateDCA("DISPLAY", nullptr, nullptr, nullptr)));
    CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(&screen));
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.CreateCompatibleBitmap(&screen, 50, 40));
    CBitmap* old = dc.SelectObject(&bitmap);
    ASSERT_NE(old, nullptr);
    EXPECT_TRUE(old->IsKindOf(RUNTIME_CLASS(CBitmap)));
    EXPECT_EQ(dc.GetCurrentBitmap(), &bitmap);
    dc.FillSolidRect(0, 0, 2, 2, RGB(9, 9, 9));
    EXPECT_EQ(dc.GetBkColor(), RGB(9, 9, 9));  // as the framework leaves it
    EXPECT_EQ(dc.GetPixel(1, 1), RGB(9, 9, 9));
    EXPECT_EQ(dc.GetPixel(2, 2), 0u);
    EXPECT_EQ(dc.SelectObject(old), &bitmap);
    HDC h = dc.GetSafeHdc();
    EXPECT_TRUE(dc.DeleteDC());
    EXPECT_EQ(GetObjectType(h), 0u);
    EXPECT_TRUE(bitmap.DeleteObject());
}

TEST(CDC, FromHandleWrapsWithoutOwning) {
    HDC h = CreateCompatibleDC(nullptr);
    CDC* wrapper = CDC::FromHandle(h);
    ASSERT_NE(wrapper, nullptr);
    EXPECT_EQ(wrapper->GetSafeHdc(), h);
    EXPECT_EQ(CDC::FromHandle(h), wrapper);
    wrapper->SetTextColor(RGB(1, 1, 1));
    EXPECT_EQ(GetTextColor(h), RGB(1, 1, 1));
    EXPECT_TRUE(DeleteDC(h));
    EXPECT_EQ(CDC::FromHandle(h), nullptr);
    CDC owner;
    owner.CreateCompatibleDC(nullptr);
    EXPECT_EQ(CDC::FromHandle(owner), &owner);
}

TEST(CDC, DrawsThroughItsMembers) {
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CBitmap bitmap;
    bitmap.CreateBitmap(50, 40, 1, 32, nullptr);
    CBitmap* old = dc.SelectObject(&bitmap);
    CFont font;
    font.CreatePointFont(70, kMsGothic);
    CFont* oldFont = dc.SelectObject(&font);
    dc.FillSolidRect(0, 0, 50, 40, RGB(255, 255, 255));
    dc.SetBkMode(TRANSPARENT);
    RECT r{0, 0, 50, 40};
    EXPECT_EQ(dc.DrawText(CString(" (A,1) "), &r, DT_SINGLELINE | DT_BOTTOM | DT_CENTER), 40);
    EXPECT_EQ(dc.GetTextExtent(CString(" (A,1) ")).cx, 35);
    CBrush brush(RGB(0, 0, 255));
    CBrush* oldBrush = dc.SelectObject(&brush);
    const POINT box[] = {{10, 10}, {10, 30}, {39, 30}, {39, 10}};
    EXPECT_TRUE(dc.Polygon(box, 4));
    EXPECT_EQ(dc.GetPixel(39, 30), 0u);  // outlined with the pen
    POINT org = dc.SetViewportOrg(-5, -5);
    EXPECT_EQ(org.x, 0);
    EXPECT_EQ(dc.GetPixel(25, 25), RGB(0, 0, 255));
    CDC copy;
    copy.CreateCompatibleDC(&dc);
    CBitmap target;
    target.CreateCompatibleBitmap(&dc, 25, 20);
    CBitmap* oldTarget = copy.SelectObject(&target);
    EXPECT_TRUE(copy.StretchBlt(0, 0, 25, 20, &dc, 5, 5, 50, 40, SRCCOPY));
    EXPECT_EQ(copy.GetPixel(10, 10), RGB(0, 0, 255));
    copy.SelectObject(oldTarget);
    dc.SelectObject(oldBrush);
    dc.SelectObject(oldFont);
    dc.SelectObject(old);
}
