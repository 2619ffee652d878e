// BMP pictures: golden files of every depth read pixel for pixel, hostile files refused,
// LoadImageA from files and module resources, and the BMP and PNG writers.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "gdi_test_util.h"
#include "qvplatform/bmpfile.h"
#include "qvplatform/module.h"
#include "platform/test_support.h"

using qvtest::Bytes;

namespace {

// The pixels of a bitmap handle as COLORREF values, row by row; empty for null.
std::vector<COLORREF> PixelsOf(HBITMAP hbm) {
    BITMAP bm{};
    if (!hbm || !GetObjectA(hbm, sizeof bm, &bm)) return {};
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, hbm);
    std::vector<COLORREF> out;
    for (int y = 0; y < bm.bmHeight; ++y)
        for (int x = 0; x < bm.bmWidth; ++x) out.push_back(GetPixel(dc, x, y));
    SelectObject(dc, old);
    DeleteDC(dc);
    return out;
}

std::vector<COLORREF> Decode(const Bytes& bytes, UINT flags = 0) {
    HBITMAP hbm = CreateBitmapFromBmp(bytes, flags);
    auto pixels = PixelsOf(hbm);
    DeleteObject(hbm);
    return pixels;
}

const COLORREF R = RGB(255, 0, 0), G = RGB(0, 255, 0), B = RGB(0, 0, 255), K = 0,
               W = RGB(255, 255, 255);

// clang-format off
// 3 x 2, 1 bit per pixel, palette {red, blue}, bottom-up: the top row is blue red blue.
const Bytes kBmp1 = {
    'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 62, 0, 0, 0,  // file header, pixels at 62
    40, 0, 0, 0, 3, 0, 0, 0, 2, 0, 0, 0,             // info header: 3 x 2
    1, 0, 1, 0, 0, 0, 0, 0, 8, 0, 0, 0,              // 1 plane, 1 bit, BI_RGB, 8 bytes
    0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0,  // 2 colours used
    0, 0, 255, 0, 255, 0, 0, 0,                      // palette: red, blue (B, G, R, 0)
    0x60, 0, 0, 0,                                   // bottom row: 0 1 1
    0xA0, 0, 0, 0,                                   // top row: 1 0 1
};

// 3 x 1, 4 bits per pixel, three palette entries; the last pixel's index 7 is past them.
const Bytes kBmp4 = {
    'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 66, 0, 0, 0,
    40, 0, 0, 0, 3, 0, 0, 0, 1, 0, 0, 0,
    1, 0, 4, 0, 0, 0, 0, 0, 4, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0,
    0, 255, 0, 0, 255, 255, 255, 0, 0, 0, 255, 0,  // green, white, red
    0x20, 0x70, 0, 0,                              // 2 0 7
};

// 2 x 2, 8 bits per pixel, top-down (height -2), two colours.
const Bytes kBmp8 = {
    'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 62, 0, 0, 0,
    40, 0, 0, 0, 2, 0, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF,
    1, 0, 8, 0, 0, 0, 0, 0, 8, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0,
    255, 0, 0, 0, 0, 0, 255, 0,  // blue, red
    0, 1, 0, 0,                  // top row: blue red
    1, 1, 0, 0,                  // bottom row: red red
};

// 2 x 1, 16 bits per pixel 5-5-5 (BI_RGB): pure red, then (1, 16, 31).
const Bytes kBmp16 = {
    'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,
    40, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0,
    1, 0, 16, 0, 0, 0, 0, 0, 4, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0x00, 0x7C, 0x1F, 0x06,  // 0x7C00; 0x061F = r 1, g 16, b 31
};

// 2 x 1, 16 bits per pixel with 5-6-5 bit fields after the header: green, white.
const Bytes kBmp16Fields = {
    'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 66, 0, 0, 0,
    40, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0,
    1, 0, 16, 0, 3, 0, 0, 0, 4, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0x00, 0xF8, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0, 0, 0,  // masks red, green, blue
    0xE0, 0x07, 0xFF, 0xFF,
};

// 2 x 2, 24 bits per pixel, bottom-up, rows padded to 8 bytes.
const Bytes kBmp24 = {
    'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,
    40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0,
    1, 0, 24, 0, 0, 0, 0, 0, 16, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    3, 2, 1, 255, 255, 255, 0, 0,  // bottom row: (1,2,3) white
    255, 0, 0, 0, 0, 255, 0, 0,    // top row: blue red
};

// 1 x 2, 32 bits per pixel, top-down; the alpha byte is dropped.
const Bytes kBmp32 = {
    'B', 'M', 62, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,
    40, 0, 0, 0, 1, 0, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF,
    1, 0, 32, 0, 0, 0, 0, 0, 8, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0x30, 0x20, 0x10, 0x80,  // (0x10, 0x20, 0x30)
    0, 255, 0, 0xFF,         // green
};

// The old 12-byte core header: 2 x 1 at 1 bit, palette of 3-byte entries.
const Bytes kBmpCore = {
    'B', 'M', 36, 0, 0, 0, 0, 0, 0, 0, 32, 0, 0, 0,
    12, 0, 0, 0, 2, 0, 1, 0, 1, 0, 1, 0,  // 2 x 1, 1 plane, 1 bit
    255, 255, 255, 0, 255, 0,             // white, green
    0x40, 0, 0, 0,                        // 0 1
};
// clang-format on

Bytes AsBytes(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

Bytes WithoutFileHeader(const Bytes& file) {
    return Bytes(file.begin() + 14, file.end());
}

}  // namespace

TEST(BmpReader, ReadsEveryDepthPixelForPixel) {
    EXPECT_EQ(Decode(kBmp1), (std::vector<COLORREF>{B, R, B, R, B, B}));
    EXPECT_EQ(Decode(kBmp4), (std::vector<COLORREF>{R, G, K}));
    EXPECT_EQ(Decode(kBmp8), (std::vector<COLORREF>{B, R, R, R}));
    EXPECT_EQ(Decode(kBmp16), (std::vector<COLORREF>{R, RGB(8, 132, 255)}));
    EXPECT_EQ(Decode(kBmp16Fields), (std::vector<COLORREF>{G, W}));
    EXPECT_EQ(Decode(kBmp24), (std::vector<COLORREF>{B, R, RGB(1, 2, 3), W}));
    EXPECT_EQ(Decode(kBmp32), (std::vector<COLORREF>{RGB(0x10, 0x20, 0x30), G}));
    EXPECT_EQ(Decode(kBmpCore), (std::vector<COLORREF>{W, G}));
}

TEST(BmpReader, ReadsPackedBitmapsAsResourcesHoldThem) {
    EXPECT_EQ(Decode(WithoutFileHeader(kBmp1)), Decode(kBmp1));
    EXPECT_EQ(Decode(WithoutFileHeader(kBmp16Fields)), Decode(kBmp16Fields));
    EXPECT_EQ(Decode(WithoutFileHeader(kBmp24)), Decode(kBmp24));
}

TEST(BmpReader, ConvertsToDisplayFormatOrMonochrome) {
    HBITMAP colour = CreateBitmapFromBmp(kBmp1);
    BITMAP bm{};
    GetObjectA(colour, sizeof bm, &bm);
    EXPECT_EQ(bm.bmBitsPixel, 32);  // a 1-bit file still loads as colour
    DeleteObject(colour);
    HBITMAP mono = CreateBitmapFromBmp(kBmp24, LR_MONOCHROME);
    GetObjectA(mono, sizeof bm, &bm);
    EXPECT_EQ(bm.bmBitsPixel, 1);
    EXPECT_EQ(PixelsOf(mono), (std::vector<COLORREF>{K, K, K, W}));
    DeleteObject(mono);
}

TEST(BmpReader, RefusesEveryTruncation) {
    for (const Bytes* file : {&kBmp1, &kBmp4, &kBmp8, &kBmp16Fields, &kBmp24, &kBmp32}) {
        // Only the last row's padding may be missing.
        std::size_t needed = file == &kBmp1 ? file->size() - 3
                             : file == &kBmp4 || file == &kBmp8 || file == &kBmp24
                                 ? file->size() - 2
                                 : file->size();
        for (std::size_t n = 0; n < needed; ++n)
            EXPECT_EQ(CreateBitmapFromBmp(Bytes(file->begin(), file->begin() + n)), nullptr)
                << n << " of " << file->size();
        HBITMAP whole = CreateBitmapFromBmp(Bytes(file->begin(), file->begin() + needed));
        EXPECT_NE(whole, nullptr);
        DeleteObject(whole);
    }
}

TEST(BmpReader, RefusesInconsistentHeaders) {
    auto patched = [](Bytes b, std::size_t at, std::initializer_list<BYTE> value) {
        std::copy(value.begin(), value.end(), b.begin() + static_cast<long>(at));
        return b;
    };
    const struct {
        const char* what;
        Bytes bytes;
    } cases[] = {
        {"huge width", patched(kBmp24, 18, {0xFF, 0xFF, 0xFF, 0x7F})},
        {"huge height", patched(kBmp24, 22, {0xFF, 0xFF, 0xFF, 0x7F})},
        {"most negative height", patched(kBmp24, 22, {0, 0, 0, 0x80})},
        {"zero width", patched(kBmp24, 18, {0, 0, 0, 0})},
        {"negative width", patched(kBmp24, 18, {0xFF, 0xFF, 0xFF, 0xFF})},
        {"pixels past the end", patched(kBmp24, 10, {0xFF, 0xFF, 0, 0})},
        {"two planes", patched(kBmp24, 26, {2})},
        {"7 bits per pixel", patched(kBmp24, 28, {7})},
        {"run-length compressed top-down", patched(kBmp8, 30, {1})},
        {"run-length compressed at 4 bits", patched(kBmp4, 30, {1})},
        {"bit fields at 24 bits", patched(kBmp24, 30, {3})},
        {"palette larger than the depth allows", patched(kBmp8, 46, {0, 1, 0, 0})},
        {"palette count overflowing", patched(kBmp8, 46, {0xFF, 0xFF, 0xFF, 0xFF})},
        {"palette past the end", patched(kBmp4, 46, {16})},
        {"header size absurd", patched(kBmp24, 14, {0, 0, 0, 1})},
        {"header size too small", patched(kBmp24, 14, {39})},
        {"not a picture at all", Bytes{'B', 'M', 1, 2, 3}},
    };
    for (const auto& c : cases) EXPECT_EQ(CreateBitmapFromBmp(c.bytes), nullptr) << c.what;
}

// Pictures written by ImageMagick (rle8.bmp, with `-compress RLE BMP3:`, its rows padded with
// runs past their end) or by hand (rle4.bmp: odd runs and literals, a move, early ends of rows),
// each beside ImageMagick's 24-bit reading of the same picture.
TEST(BmpReader, ReadsRunLengthPicturesAsAnIndependentReaderDoes) {
    const std::string dir = QVTEST_FIXTURES_DIR "/";
    for (auto [name, reading] :
         {std::pair{"rle8.bmp", "rle8-source.bmp"}, std::pair{"rle4.bmp", "rle4-decoded.bmp"}}) {
        const Bytes runs = AsBytes(qvtest::ReadText(dir + name));
        const Bytes plain = AsBytes(qvtest::ReadText(dir + reading));
        EXPECT_EQ(Decode(runs), Decode(plain)) << name;
        EXPECT_FALSE(Decode(plain).empty()) << name;
        for (std::size_t n = 0; n < runs.size(); ++n)  // the end-of-picture code is the last
            ASSERT_EQ(CreateBitmapFromBmp(Bytes(runs.begin(), runs.begin() + n)), nullptr) << n;
    }
}

TEST(BmpReader, RunLengthSkipsShowIndexZeroAndHostileRunsAreRefused) {
    // kBmp8 bottom-up and run-length compressed: 2 x 2, index 0 blue, 1 red.
    auto rle8 = [](std::initializer_list<BYTE> runs) {
        Bytes b = kBmp8;
        b.resize(62 + runs.size());
        std::copy(runs.begin(), runs.end(), b.begin() + 62);
        b[22] = 2, b[23] = 0, b[24] = 0, b[25] = 0, b[30] = 1;  // height 2, BI_RLE8
        return b;
    };
    Bytes huge = rle8({0, 1});
    huge[19] = huge[23] = 0x10;  // 4098 x 4098
    const struct {
        const char* what;
        Bytes bytes;
        std::vector<COLORREF> pixels;  // top row first; empty: refused
    } cases[] = {
        {"early end of picture", rle8({1, 1, 0, 1}), {B, B, R, B}},
        {"move", rle8({0, 2, 1, 1, 1, 1, 0, 0, 0, 1}), {B, R, B, B}},
        {"run past the row end is cut", rle8({3, 1, 0, 0, 0, 1}), {B, B, R, R}},
        {"literal", rle8({0, 3, 1, 0, 1, 0, 0, 1}), {B, B, R, B}},
        {"move past the right", rle8({0, 2, 3, 0, 0, 1}), {}},
        {"move past the top", rle8({0, 2, 0, 3, 0, 1}), {}},
        {"run above the top row", rle8({0, 0, 0, 0, 1, 1, 0, 1}), {}},
        {"end of row above the top", rle8({0, 0, 0, 0, 0, 0, 0, 1}), {}},
        {"literal short of bytes", rle8({0, 3, 1, 0, 1}), {}},
        {"missing end of picture", rle8({2, 1, 0, 0, 2, 1, 0, 0}), {}},
        {"a huge picture from two bytes", huge, {}},
    };
    for (const auto& c : cases) EXPECT_EQ(Decode(c.bytes), c.pixels) << c.what;
}

TEST(BmpWriter, WritesTheExpectedBytes) {
    const std::uint32_t pixels[] = {0x00FF0000, 0x00010203, 0x0000FF00, 0x00FFFFFF};
    HBITMAP hbm = CreateBitmap(2, 2, 1, 32, pixels);
    // clang-format off
    const Bytes expected24 = {
        'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,
        40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0,
        1, 0, 24, 0, 0, 0, 0, 0, 16, 0, 0, 0,
        0xC4, 0x0E, 0, 0, 0xC4, 0x0E, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
        0, 255, 0, 255, 255, 255, 0, 0,  // bottom row first, padded to 8 bytes
        0, 0, 255, 3, 2, 1, 0, 0,
    };
    // clang-format on
    EXPECT_EQ(EncodeBitmapBmp(hbm, 24), expected24);
    Bytes bmp32 = EncodeBitmapBmp(hbm, 32);
    ASSERT_EQ(bmp32.size(), 54u + 16u);
    EXPECT_EQ(Decode(bmp32), PixelsOf(hbm));
    EXPECT_TRUE(EncodeBitmapBmp(hbm, 8).empty());
    DeleteObject(hbm);
    EXPECT_TRUE(EncodeBitmapBmp(hbm, 24).empty());  // stale
}

TEST(BmpWriter, SavesBmpAndPngFiles) {
    qvtest::TempDir dir;
    gditest::MemDc dc(7, 5, false, RGB(10, 20, 30));
    dc.Set(6, 4, RGB(200, 0, 0));
    ASSERT_TRUE(SaveBitmapBmp(dc.bitmap(), (dir / "a.bmp").c_str()));
    EXPECT_EQ(Decode(AsBytes(qvtest::ReadText(dir / "a.bmp"))), dc.Pixels());
    ASSERT_TRUE(SaveBitmapPng(dc.bitmap(), (dir / "a.png").c_str()));
    Bytes png = AsBytes(qvtest::ReadText(dir / "a.png"));
    ASSERT_GT(png.size(), 24u);
    EXPECT_EQ(Bytes(png.begin(), png.begin() + 8), (Bytes{0x89, 'P', 'N', 'G', 13, 10, 26, 10}));
    EXPECT_EQ(png[19], 7);  // IHDR width and height, big-endian
    EXPECT_EQ(png[23], 5);
    EXPECT_FALSE(SaveBitmapPng(dc.bitmap(), (dir / "missing/a.png").c_str()));
}

TEST(LoadImage, LoadsFilesByWindowsStyleNamesInAnyLetterCase) {
    qvtest::TempDir dir;
    std::filesystem::create_directories(dir / "Images");
    qvtest::WriteText(dir / "Images/Tank.BMP", std::string(kBmp24.begin(), kBmp24.end()));
    std::string name = dir / "images\\tank.bmp";
    auto hbm = static_cast<HBITMAP>(
        LoadImageA(nullptr, name.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_DEFAULTSIZE));
    EXPECT_EQ(PixelsOf(hbm), Decode(kBmp24));
    DeleteObject(hbm);
    auto scaled = static_cast<HBITMAP>(
        LoadImageA(nullptr, name.c_str(), IMAGE_BITMAP, 4, 0, LR_LOADFROMFILE));
    EXPECT_EQ(PixelsOf(scaled),
              (std::vector<COLORREF>{B, B, R, R, RGB(1, 2, 3), RGB(1, 2, 3), W, W}));
    DeleteObject(scaled);
    EXPECT_EQ(LoadImageA(nullptr, (dir / "images\\none.bmp").c_str(), IMAGE_BITMAP, 0, 0,
                         LR_LOADFROMFILE),
              nullptr);
    EXPECT_EQ(LoadImageA(nullptr, (dir / "Images").c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE),
              nullptr);
    EXPECT_EQ(LoadImageA(nullptr, name.c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE), nullptr);
    EXPECT_EQ(LoadImageA(nullptr, MAKEINTRESOURCE(5), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE),
              nullptr);
}

TEST(LoadImage, LoadsBitmapResourcesOfALinkedModule) {
    static const AFX_BITMAP_RESOURCE bitmaps[] = {{5004, kBmp8}};
    static int moduleTag;
    auto module = reinterpret_cast<HMODULE>(&moduleTag);
    AFX_EXTENSION_MODULE state;
    state.bitmaps = bitmaps;
    ASSERT_TRUE(AfxInitExtensionModule(state, module));
    new CDynLinkLibrary(state);
    ASSERT_EQ(AfxFindResourceHandle(MAKEINTRESOURCE(5004), RT_BITMAP), module);
    auto hbm = static_cast<HBITMAP>(
        LoadImageA(module, MAKEINTRESOURCE(5004), IMAGE_BITMAP, 0, 0, LR_DEFAULTSIZE));
    EXPECT_EQ(PixelsOf(hbm), Decode(kBmp8));
    DeleteObject(hbm);
    EXPECT_EQ(LoadImageA(module, MAKEINTRESOURCE(5005), IMAGE_BITMAP, 0, 0, 0), nullptr);
    EXPECT_EQ(LoadImageA(nullptr, MAKEINTRESOURCE(5004), IMAGE_BITMAP, 0, 0, 0), nullptr);
    AfxTermExtensionModule(state);
}
