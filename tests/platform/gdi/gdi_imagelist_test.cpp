// Image lists: cutting strips into images, masks from a colour, drawing with and without
// the mask, and the framework object.
#include <gtest/gtest.h>

#include <tuple>

#include "gdi_test_util.h"
#include "qvplatform/imagelist.h"

using gditest::MemDc;

namespace {

const COLORREF kKey = RGB(255, 0, 255), kWhite = RGB(255, 255, 255);

// Fills `strip` with images of 50 x 40, image k in colour k + 1 (in the red channel) but
// for a key-coloured 10 x 10 corner.
void FillStrip(MemDc& strip) {
    for (int k = 0; k < strip.width() / 50; ++k) {
        RECT r{50 * k, 0, 50 * k + 50, 40};
        FillSolidRect(strip, &r, RGB(k + 1, 0, 0));
        r = {50 * k, 0, 50 * k + 10, 10};
        FillSolidRect(strip, &r, kKey);
    }
}

}  // namespace

TEST(ImageList, CutsAStripIntoWholeImages) {
    MemDc strip(1020, 40);  // the last 20 pixels make no image
    FillStrip(strip);
    HIMAGELIST list = ImageList_Create(50, 40, ILC_COLORDDB, 0, 32);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(ImageList_AddMasked(list, strip.bitmap(), 0), 0);
    EXPECT_EQ(ImageList_GetImageCount(list), 20);
    EXPECT_EQ(ImageList_AddMasked(list, strip.bitmap(), 0), 20);  // appended
    MemDc dc(50, 40);
    ASSERT_TRUE(ImageList_Draw(list, 12, dc, 0, 0, ILD_TRANSPARENT));
    EXPECT_EQ(dc.At(25, 25), RGB(13, 0, 0));
    EXPECT_EQ(dc.At(0, 0), kKey);  // no mask in this list: drawn as it is
    int cx = 0, cy = 0;
    EXPECT_TRUE(ImageList_GetIconSize(list, &cx, &cy));
    EXPECT_EQ(cx, 50);
    EXPECT_TRUE(ImageList_Remove(list, 0));
    EXPECT_EQ(ImageList_GetImageCount(list), 39);
    EXPECT_TRUE(ImageList_Remove(list, -1));
    EXPECT_EQ(ImageList_GetImageCount(list), 0);
    EXPECT_FALSE(DeleteObject(reinterpret_cast<HGDIOBJ>(list)));
    EXPECT_TRUE(ImageList_Destroy(list));
    EXPECT_EQ(ImageList_GetImageCount(list), 0);
    EXPECT_FALSE(ImageList_Draw(list, 0, dc, 0, 0, 0));
}

TEST(ImageList, NarrowBitmapAddsNothing) {
    HIMAGELIST list = ImageList_Create(50, 40, ILC_COLORDDB, 0, 32);
    HBITMAP tiny = CreateCompatibleBitmap(nullptr, 0, 0);  // 1 x 1 monochrome
    EXPECT_EQ(ImageList_AddMasked(list, tiny, 0), -1);
    EXPECT_EQ(ImageList_GetImageCount(list), 0);
    EXPECT_EQ(ImageList_AddMasked(list, nullptr, 0), -1);
    DeleteObject(tiny);
    ImageList_Destroy(list);
    EXPECT_EQ(ImageList_Create(0, 40, ILC_MASK, 0, 0), nullptr);
}

TEST(ImageList, MaskColourMakesPixelsTransparent) {
    MemDc strip(100, 40);
    FillStrip(strip);
    HIMAGELIST list = ImageList_Create(50, 40, ILC_MASK | ILC_COLOR32, 0, 4);
    ASSERT_EQ(ImageList_AddMasked(list, strip.bitmap(), kKey), 0);
    EXPECT_EQ(strip.At(0, 0), kKey);  // the caller's bitmap is left alone
    for (UINT style : {ILD_NORMAL, ILD_TRANSPARENT}) {
        MemDc dc(60, 50, false, RGB(0, 90, 0));
        ImageList_Draw(list, 1, dc, 5, 5, style);
        // The key corner shows through.
        EXPECT_EQ(std::make_tuple(dc.At(6, 6), dc.At(30, 30), dc.At(56, 46)),
                  std::make_tuple(RGB(0, 90, 0), RGB(2, 0, 0), RGB(0, 90, 0)))
            << style;
    }
    // With a background colour, a normal draw fills the masked pixels with it.
    EXPECT_EQ(ImageList_SetBkColor(list, RGB(7, 7, 7)), CLR_NONE);
    MemDc dc(50, 40);
    ImageList_Draw(list, 0, dc, 0, 0, ILD_NORMAL);
    EXPECT_EQ(dc.At(0, 0), RGB(7, 7, 7));
    ImageList_Draw(list, 0, dc, 0, 0, ILD_MASK);
    EXPECT_EQ(std::make_tuple(dc.At(0, 0), dc.At(20, 20)), std::make_tuple(kWhite, 0u));
    ImageList_Destroy(list);
}
