// Device contexts, selection, state and bitmaps.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <tuple>
#include <vector>

#include "gdi_test_util.h"
#include "qvplatform/font.h"

using gditest::MemDc;

TEST(DeviceContext, FreshMemoryContextHasTheUsualDefaults) {
    HDC dc = CreateCompatibleDC(nullptr);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(std::make_tuple(GetBkColor(dc), GetTextColor(dc), GetBkMode(dc), GetPolyFillMode(dc),
                              GetStretchBltMode(dc), GetObjectType(dc)),
              std::make_tuple(RGB(255, 255, 255), RGB(0, 0, 0), OPAQUE, ALTERNATE, BLACKONWHITE,
                              DWORD{OBJ_MEMDC}));  // its stock objects: see the next test
    EXPECT_TRUE(DeleteDC(dc));
}

TEST(DeviceContext, SelectObjectReturnsWhatItDisplaces) {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP a = CreateBitmap(3, 3, 1, 32, nullptr), b = CreateBitmap(3, 3, 1, 1, nullptr);
    HGDIOBJ original = SelectObject(dc, a);
    EXPECT_NE(original, nullptr);
    EXPECT_EQ(SelectObject(dc, b), a);
    EXPECT_EQ(SelectObject(dc, original), b);
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    EXPECT_EQ(SelectObject(dc, brush), GetStockObject(WHITE_BRUSH));
    EXPECT_EQ(SelectObject(dc, GetStockObject(BLACK_BRUSH)), brush);
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(9, 9, 9));
    EXPECT_EQ(SelectObject(dc, pen), GetStockObject(BLACK_PEN));
    EXPECT_EQ(SelectObject(dc, GetStockObject(NULL_PEN)), pen);
    HFONT font = CreateFontA(-9, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "x");
    EXPECT_EQ(SelectObject(dc, font), GetStockObject(SYSTEM_FONT));
    EXPECT_EQ(SelectObject(dc, GetStockObject(SYSTEM_FONT)), font);
    for (HGDIOBJ h : {HGDIOBJ(a), HGDIOBJ(b), HGDIOBJ(brush), HGDIOBJ(pen), HGDIOBJ(font)})
        EXPECT_TRUE(DeleteObject(h));
    DeleteDC(dc);
}

TEST(DeviceContext, SelectedObjectsRefuseDeletionUntilReleased) {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateBitmap(2, 2, 1, 32, nullptr);
    HBRUSH brush = CreateSolidBrush(0);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    EXPECT_FALSE(DeleteObject(bitmap));
    EXPECT_FALSE(DeleteObject(brush));
    EXPECT_EQ(GetObjectType(bitmap), OBJ_BITMAP);  // still alive
    SelectObject(dc, oldBitmap);
    SelectObject(dc, oldBrush);
    EXPECT_TRUE(DeleteObject(bitmap));
    EXPECT_TRUE(DeleteObject(brush));

    // Deleting the context releases what it held.
    HBITMAP held = CreateBitmap(2, 2, 1, 32, nullptr);
    SelectObject(dc, held);
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_TRUE(DeleteObject(held));
}

TEST(DeviceContext, BitmapBelongsToOneContextAtATime) {
    HDC first = CreateCompatibleDC(nullptr), second = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateBitmap(2, 2, 1, 32, nullptr);
    HGDIOBJ old = SelectObject(first, bitmap);
    EXPECT_EQ(SelectObject(second, bitmap), nullptr);
    EXPECT_EQ(SelectObject(first, bitmap), bitmap);  // again into its own context is fine
    SelectObject(first, old);
    EXPECT_EQ(SelectObject(second, bitmap), old);
    // The shared default bitmap goes back into any number of contexts.
    HBITMAP other = CreateBitmap(2, 2, 1, 32, nullptr);
    EXPECT_EQ(SelectObject(first, other), old);
    EXPECT_EQ(SelectObject(first, old), other);
    EXPECT_EQ(SelectObject(second, old), bitmap);
    DeleteObject(other);
    DeleteDC(first);
    DeleteDC(second);
    DeleteObject(bitmap);
}

TEST(DeviceContext, StaleForeignAndMistypedHandlesAreRefused) {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateBitmap(2, 2, 1, 32, nullptr);
    ASSERT_TRUE(DeleteDC(dc));
    ASSERT_TRUE(DeleteObject(bitmap));
    int local = 0;
    HDC foreign = reinterpret_cast<HDC>(&local);
    HDC wrongKind = reinterpret_cast<HDC>(CreateSolidBrush(0));
    for (HDC bad : {dc, foreign, wrongKind, HDC(nullptr)}) {
        EXPECT_EQ(SelectObject(bad, GetStockObject(BLACK_BRUSH)), nullptr);
        EXPECT_EQ(SetBkMode(bad, TRANSPARENT), 0);
        EXPECT_EQ(SetBkColor(bad, 0), CLR_INVALID);
        EXPECT_EQ(GetPixel(bad, 0, 0), CLR_INVALID);
        EXPECT_FALSE(BitBlt(bad, 0, 0, 1, 1, nullptr, 0, 0, BLACKNESS));
        EXPECT_FALSE(DeleteDC(bad));
        EXPECT_EQ(SaveDC(bad), 0);
        if (!bad) continue;  // null means the screen to the two calls below
        EXPECT_EQ(CreateCompatibleDC(bad), nullptr);
        EXPECT_EQ(CreateCompatibleBitmap(bad, 2, 2), nullptr);
    }
    BITMAP bm;
    EXPECT_EQ(GetObjectA(bitmap, sizeof bm, &bm), 0);
    EXPECT_EQ(GetBitmapBits(bitmap, 16, &bm), 0);
    EXPECT_FALSE(DeleteObject(bitmap));
    EXPECT_EQ(CreateSurfaceDC(bitmap), nullptr);
    DeleteObject(reinterpret_cast<HGDIOBJ>(wrongKind));
}

TEST(DeviceContext, HandlesStayDistinctWhileOtherThreadsCreateAndDelete) {
    // Look-ups take no lock, so slots are emptied and reused under them: each thread
    // must always find its own brush and never one that took over a slot.
    std::atomic<int> faults{0};
    auto churn = [&faults](COLORREF colour) {
        HBRUSH previous = nullptr;  // deleted; its slot is likely taken again by now
        for (int i = 0; i < 20000; ++i) {
            HBRUSH brush = CreateSolidBrush(colour);
            LOGBRUSH log{};
            if (GetObjectA(brush, sizeof log, &log) != sizeof log || log.lbColor != colour)
                ++faults;
            if (previous && GetObjectA(previous, sizeof log, &log) != 0) ++faults;
            DeleteObject(brush);
            previous = brush;
        }
    };
    std::vector<std::thread> threads;
    for (COLORREF c : {RGB(1, 0, 0), RGB(0, 2, 0), RGB(0, 0, 3)}) threads.emplace_back(churn, c);
    for (auto& t : threads) t.join();
    EXPECT_EQ(faults.load(), 0);
}

TEST(DeviceContext, SaveAndRestoreBringBackStateAndSelections) {
    MemDc dc(4, 4);
    HBRUSH brush = CreateSolidBrush(RGB(1, 1, 1));
    EXPECT_EQ(SaveDC(dc), 1);
    SelectObject(dc, brush);
    SetTextColor(dc, RGB(9, 9, 9));
    SetViewportOrgEx(dc, 5, 5, nullptr);
    EXPECT_EQ(SaveDC(dc), 2);
    SelectObject(dc, GetStockObject(BLACK_BRUSH));
    EXPECT_FALSE(DeleteObject(brush));  // the saved state still holds it
    EXPECT_TRUE(RestoreDC(dc, -1));
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), brush);
    EXPECT_TRUE(RestoreDC(dc, 1));
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), GetStockObject(WHITE_BRUSH));
    EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 0));
    POINT org;
    GetViewportOrgEx(dc, &org);
    EXPECT_EQ(org.x, 0);
    EXPECT_FALSE(RestoreDC(dc, 1));  // nothing saved any more
    EXPECT_TRUE(DeleteObject(brush));
}

TEST(DeviceContext, ClipRectangleBoundsDrawing) {
    MemDc dc(10, 10);
    EXPECT_EQ(IntersectClipRect(dc, 2, 2, 5, 5), SIMPLEREGION);
    PatBlt(dc, 0, 0, 10, 10, BLACKNESS);
    RECT box;
    EXPECT_EQ(GetClipBox(dc, &box), SIMPLEREGION);
    EXPECT_EQ(box, (RECT{2, 2, 5, 5}));
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            EXPECT_EQ(dc.At(x, y), x >= 2 && x < 5 && y >= 2 && y < 5 ? 0u : RGB(255, 255, 255))
                << x << "," << y;
    EXPECT_EQ(IntersectClipRect(dc, 7, 7, 9, 9), NULLREGION);
}

TEST(Bitmap, CompatibleBitmapTakesTheFormatOfTheContextsBitmap) {
    auto format = [](HBITMAP h) {  // width and depth
        BITMAP bm{};
        GetObjectA(h, sizeof bm, &bm);
        DeleteObject(h);
        return std::make_tuple(bm.bmWidth, bm.bmBitsPixel);
    };
    HDC mem = CreateCompatibleDC(nullptr);
    HDC screen = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    // The default bitmap is monochrome; an empty size gives 1 x 1 monochrome.
    EXPECT_EQ(format(CreateCompatibleBitmap(mem, 5, 5)), std::make_tuple(5, 1));
    EXPECT_EQ(format(CreateCompatibleBitmap(screen, 5, 5)), std::make_tuple(5, 32));
    EXPECT_EQ(format(CreateCompatibleBitmap(nullptr, 5, 5)), std::make_tuple(5, 32));
    EXPECT_EQ(format(CreateCompatibleBitmap(screen, 0, 7)), std::make_tuple(1, 1));
    EXPECT_EQ(CreateCompatibleBitmap(screen, -5, 5), nullptr);
    EXPECT_EQ(CreateCompatibleBitmap(screen, 100000, 100000), nullptr);
    EXPECT_EQ(CreateCompatibleBitmap(screen, 32767, 32767), nullptr);  // over 64 megapixels
    DeleteDC(mem);
    DeleteDC(screen);
}

TEST(Bitmap, GetObjectFillsTheBitmapRecord) {
    HBITMAP colour = CreateBitmap(50, 40, 1, 32, nullptr);
    HBITMAP mono = CreateBitmap(50, 40, 1, 1, nullptr);
    BITMAP bm;
    std::memset(&bm, 0x5A, sizeof bm);
    EXPECT_EQ(GetObjectA(colour, sizeof bm, &bm), static_cast<int>(sizeof bm));
    EXPECT_EQ(std::tie(bm.bmType, bm.bmWidth, bm.bmHeight, bm.bmWidthBytes, bm.bmPlanes,
                       bm.bmBitsPixel, bm.bmBits),
              std::make_tuple(0, 50, 40, 200, 1, 32, nullptr));
    // The 24-byte record of the original platform is accepted and filled but for bmBits.
    std::memset(&bm, 0, sizeof bm);
    EXPECT_EQ(GetObjectA(mono, 24, &bm), 24);
    EXPECT_EQ(std::tie(bm.bmWidthBytes, bm.bmBitsPixel), std::make_tuple(8, 1));  // 50 bits
    EXPECT_EQ(GetObjectA(mono, 16, &bm), 0);
    EXPECT_EQ(GetObjectA(mono, 0, nullptr), static_cast<int>(sizeof(BITMAP)));
    DeleteObject(colour);
    DeleteObject(mono);
}

TEST(Bitmap, BitsRoundTripInThePlatformRowLayouts) {
    // 10 x 2 monochrome: rows of 2 bytes, leftmost pixel in the top bit.
    const BYTE monoBits[] = {0xA5, 0xC0, 0x0F, 0x40};
    HBITMAP mono = CreateBitmap(10, 2, 1, 1, monoBits);
    BYTE out[4] = {};
    EXPECT_EQ(GetBitmapBits(mono, sizeof out, out), 4);
    EXPECT_EQ(std::memcmp(out, monoBits, 4), 0);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, mono);
    EXPECT_EQ(std::make_tuple(GetPixel(dc, 0, 0), GetPixel(dc, 1, 0), GetPixel(dc, 9, 1)),
              std::make_tuple(RGB(255, 255, 255), 0u, RGB(255, 255, 255)));
    EXPECT_EQ(SetPixel(dc, 1, 0, RGB(200, 200, 0)), RGB(255, 255, 255));  // nearest is white
    EXPECT_EQ(SetPixel(dc, 2, 0, RGB(100, 100, 100)), 0u);
    SelectObject(dc, old);

    // 3 x 1 at 24 bits: B, G, R per pixel, row padded to 10 bytes.
    const BYTE rgb[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 0};
    HBITMAP colour = CreateBitmap(3, 1, 1, 24, rgb);
    old = SelectObject(dc, colour);
    EXPECT_EQ(std::make_tuple(GetPixel(dc, 0, 0), GetPixel(dc, 2, 0)),
              std::make_tuple(RGB(3, 2, 1), RGB(9, 8, 7)));
    std::uint32_t raw[3];
    EXPECT_EQ(GetBitmapBits(colour, sizeof raw, raw), 12);
    EXPECT_EQ(raw[1], 0x00060504u);  // 0x00RRGGBB
    const std::uint32_t replaced[3] = {0xFF112233, 0, 0};
    EXPECT_EQ(SetBitmapBits(colour, sizeof replaced, replaced), 12);
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0x11, 0x22, 0x33));  // the top byte is dropped
    EXPECT_EQ(SetBitmapBits(colour, 11, replaced), 0);     // not a whole row
    SelectObject(dc, old);
    EXPECT_EQ(CreateBitmap(3, 1, 1, 8, rgb), nullptr);
    EXPECT_EQ(CreateBitmap(3, 1, 2, 32, nullptr), nullptr);
    DeleteDC(dc);
    DeleteObject(mono);
    DeleteObject(colour);
}

TEST(Bitmap, StockObjectsStayAndTheDefaultBitmapIsNotDrawnOn) {
    EXPECT_FALSE(DeleteObject(GetStockObject(WHITE_BRUSH)));
    EXPECT_EQ(GetObjectType(GetStockObject(WHITE_BRUSH)), OBJ_BRUSH);
    EXPECT_EQ(GetStockObject(9), nullptr);
    EXPECT_EQ(GetStockObject(-1), nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_EQ(SetPixel(dc, 0, 0, RGB(255, 255, 255)), CLR_INVALID);
    EXPECT_TRUE(PatBlt(dc, 0, 0, 1, 1, WHITENESS));
    HDC other = CreateCompatibleDC(nullptr);
    MemDc target(1, 1, false, RGB(7, 7, 7));
    BitBlt(target, 0, 0, 1, 1, other, 0, 0, SRCCOPY);
    EXPECT_EQ(target.At(0, 0), 0u);  // the default bitmap is still black
    DeleteDC(dc);
    DeleteDC(other);
}

TEST(SurfaceContext, DrawsIntoItsBitmapWhichStaysSelected) {
    HBITMAP surface = CreateBitmap(8, 8, 1, 32, nullptr);
    HDC dc = CreateSurfaceDC(surface);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(GetObjectType(dc), OBJ_DC);
    HBITMAP other = CreateBitmap(8, 8, 1, 32, nullptr);
    EXPECT_EQ(SelectObject(dc, other), nullptr);
    EXPECT_FALSE(DeleteObject(surface));
    // A memory context may never take a window's picture over.
    HDC memory = CreateCompatibleDC(nullptr);
    EXPECT_EQ(SelectObject(memory, surface), nullptr);
    DeleteDC(memory);
    HBITMAP compatible = CreateCompatibleBitmap(dc, 4, 4);
    BITMAP bm{};
    GetObjectA(compatible, sizeof bm, &bm);
    EXPECT_EQ(bm.bmBitsPixel, 32);
    DeleteDC(dc);
    EXPECT_TRUE(DeleteObject(surface));
    DeleteObject(other);
    DeleteObject(compatible);
    HBITMAP mono = CreateBitmap(8, 8, 1, 1, nullptr);
    EXPECT_EQ(CreateSurfaceDC(mono), nullptr);
    DeleteObject(mono);
}
