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
    CBrush stock;  // attached, never deleted
    EXPECT_TRUE(stock.CreateStockObject(NULL_BRUSH));
    EXPECT_FALSE(stock.DeleteObject());
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
