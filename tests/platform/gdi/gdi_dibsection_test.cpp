// DIB sections: pixels written in place show in the bitmap; unsupported layouts refused.
#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

#include "qvplatform/dibsection.h"

namespace {

BITMAPINFO Info(LONG width, LONG height, WORD bitCount = 32) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, bitCount, BI_RGB, 0, 0, 0, 0, 0};
    return info;
}

}  // namespace

TEST(CreateDIBSection, PixelsWrittenInPlaceAreTheBitmaps) {
    BITMAPINFO info = Info(3, -2);
    void* bits = nullptr;
    HBITMAP hbm = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(hbm, nullptr);
    ASSERT_NE(bits, nullptr);
    const BYTE secondRowFirstPixel[4] = {0x30, 0x20, 0x10, 0};  // blue, green, red
    std::memcpy(static_cast<BYTE*>(bits) + 3 * 4, secondRowFirstPixel, 4);

    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, hbm);
    EXPECT_EQ(std::make_tuple(GetPixel(dc, 0, 1), GetPixel(dc, 0, 0)),
              std::make_tuple(RGB(0x10, 0x20, 0x30), RGB(0, 0, 0)));
    BITMAP bm{};
    ASSERT_TRUE(GetObjectA(hbm, sizeof bm, &bm));
    EXPECT_EQ(std::tie(bm.bmWidth, bm.bmHeight, bm.bmBitsPixel), std::make_tuple(3, 2, 32));
    SelectObject(dc, old);
    DeleteDC(dc);
    EXPECT_TRUE(DeleteObject(hbm));
}

TEST(CreateDIBSection, RefusesLayoutsOtherThanTopDown32Bits) {
    const BITMAPINFO refused[] = {Info(3, 2), Info(3, -2, 24), Info(0, -2), Info(40000, -2),
                                  Info(3, INT32_MIN)};
    for (const BITMAPINFO& info : refused) {
        void* bits = &bits;
        EXPECT_EQ(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
        EXPECT_EQ(bits, nullptr);
    }
    BITMAPINFO info = Info(3, -2);
    EXPECT_EQ(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, nullptr, nullptr, 0), nullptr);
    void* bits = nullptr;
    EXPECT_EQ(CreateDIBSection(nullptr, &info, 1, &bits, nullptr, 0), nullptr);
}
