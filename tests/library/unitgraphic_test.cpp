// Unit pictures: the drawn box with its name, the image square from a picture file (BMP,
// or JPEG through the module), and when a unit's picture is made, replaced and kept.
#include <filesystem>

#include <qvdll/jpegconverter.h>
#include <qvdll/unit.h>
#include <qvplatform/afxdc.h>

#include "library/jpeg_samples.h"
#include "library/picture_test_util.h"
#include "test_support.h"

using qvtest::Canvas;
using qvtest::IsLive;
using qvtest::ScreenDC;
using Pixels = std::vector<COLORREF>;

namespace {

constexpr int kW = 50, kH = 40;
const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kBlue = RGB(0, 0, 255);
// "ＭＳ ゴシック" in code page 932.
const char kMsGothic[] = "\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e";

Pixels PixelsOf(CUnit& unit) {
    return qvtest::PixelsOf(unit.GetUnitDC()->GetSafeHdc(), kW, kH);
}

// The box in `colour` outlined in black from (10, 10) to (39, 30), on white.
Pixels BoxPicture(COLORREF colour) {
    Pixels pixels(kW * kH, kWhite);
    for (int y = 10; y <= 30; ++y)
        for (int x = 10; x <= 39; ++x)
            pixels[y * kW + x] = x == 10 || x == 39 || y == 10 || y == 30 ? kBlack : colour;
    return pixels;
}

// Where the name's glyphs fall when drawn plainly into the picture's rectangle.
std::vector<POINT> GlyphPixels(const char* name) {
    Canvas canvas(kW, kH);
    CFont font;
    font.CreatePointFont(70, kMsGothic);
    HGDIOBJ old = SelectObject(canvas, font.GetSafeHandle());
    RECT rect{0, 0, kW, kH};
    DrawTextA(canvas, name, -1, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(canvas, old);
    std::vector<POINT> glyphs;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            if (GetPixel(canvas, x, y) == kBlack) glyphs.push_back({x, y});
    return glyphs;
}

// A w x h picture file whose every pixel differs from its neighbours and from white.
Pixels WriteBmp(const std::string& path, int w, int h) {
    return qvtest::WriteBmpFile(
        path, w, h, [](int x, int y) { return RGB(5 * x, 5 * y, 200 - 3 * (x + y) % 50); });
}

// White, with the top-left of a w x h picture at (9, 4), as much as fits in 32 x 32.
Pixels SquarePicture(const Pixels& file, int w, int h) {
    Pixels pixels(kW * kH, kWhite);
    for (int y = 0; y < std::min(h, 32); ++y)
        for (int x = 0; x < std::min(w, 32); ++x) pixels[(y + 4) * kW + x + 9] = file[y * w + x];
    return pixels;
}

}  // namespace

// Each test runs in a folder of its own, where the folder "Images" is looked for.
class UnitPicture : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::create_directory("Images"); }

    qvtest::TempCurrentDir dir;
    ScreenDC screen;
};

TEST_F(UnitPicture, DefaultUnitIsABlueBoxOutlinedInBlackMadeAfreshEachTime) {
    CUnit unit;
    EXPECT_EQ(unit.GetUnitDC(), nullptr);  // none before CreateUnit
    unit.CreateUnit(&screen);
    ASSERT_NE(unit.GetUnitDC(), nullptr);
    EXPECT_FALSE(unit.IsUnitGraphicLoad());
    const auto hPicture = static_cast<HBITMAP>(GetCurrentObject(*unit.GetUnitDC(), OBJ_BITMAP));
    EXPECT_EQ(qvtest::SizeOf(hPicture).cx, kW);
    EXPECT_EQ(qvtest::SizeOf(hPicture).cy, kH);
    EXPECT_EQ(PixelsOf(unit), BoxPicture(kBlue));

    HDC first = unit.GetUnitDC()->GetSafeHdc();
    unit.m_color = RGB(200, 0, 0);
    unit.CreateUnit(&screen);
    EXPECT_FALSE(IsLive(first));
    EXPECT_EQ(PixelsOf(unit), BoxPicture(RGB(200, 0, 0)));
    { CUnit gone(unit); }  // a copy has no picture, so destroying it leaves ours alone
    EXPECT_TRUE(IsLive(unit.GetUnitDC()->GetSafeHdc()));

    // Without a reference context the picture is made for the screen; it dies with its unit.
    auto* pUnreferenced = new CUnit;
    pUnreferenced->CreateUnit(nullptr);
    EXPECT_EQ(PixelsOf(*pUnreferenced), BoxPicture(kBlue));
    HDC hDoomed = pUnreferenced->GetUnitDC()->GetSafeHdc();
    delete pUnreferenced;
    EXPECT_FALSE(IsLive(hDoomed));
}

TEST_F(UnitPicture, NameIsBlackWithAWhiteShadowRightAndBelow) {
    CUnit unit;
    unit.m_color = RGB(0, 160, 0);
    for (const char* name : {"Tank", "\x90\xED\x8E\xD4", "A very long name indeed"}) {
        unit.m_strName = name;
        unit.CreateUnit(&screen);
        Pixels expected = BoxPicture(unit.m_color);
        auto glyphs = GlyphPixels(name);
        ASSERT_GT(glyphs.size(), 10u) << name;
        // The shadow is drawn where the text would go, the text one pixel up and left.
        for (POINT p : glyphs) expected[p.y * kW + p.x] = kWhite;
        for (POINT p : glyphs)
            if (p.x > 0 && p.y > 0) expected[(p.y - 1) * kW + p.x - 1] = kBlack;
        EXPECT_EQ(PixelsOf(unit), expected) << name;
    }
}

TEST_F(UnitPicture, PictureFileGivesItsTopLeftSquareWithoutBoxOrName) {
    // Larger than the square, smaller, and wider but shorter.
    for (auto [w, h] : {std::pair{40, 36}, {20, 10}, {50, 12}}) {
        auto file = WriteBmp("Images/tank.bmp", w, h);
        CUnit unit;
        unit.m_strName = "Tank";
        unit.m_strImage = "TANK.BMP";  // found whatever the letter case
        unit.CreateUnit(&screen);
        EXPECT_TRUE(unit.IsUnitGraphicLoad());
        EXPECT_EQ(PixelsOf(unit), SquarePicture(file, w, h)) << w << " x " << h;
    }
}

TEST_F(UnitPicture, JpegPicturesLoadThroughTheModule) {
    ASSERT_TRUE(IsJpegLoadOk());
    auto jpeg = qvtest::EncodeJpeg(qvtest::MakePhotoLikePicture(48, 40), {95});
    qvtest::WriteBytes("Images/scout.jpg", jpeg);
    int w = 0, h = 0;
    auto decoded = qvtest::DecodeJpegReference(jpeg, &w, &h);
    CUnit unit;
    unit.m_strImage = "scout.jpg";
    unit.CreateUnit(&screen);
    EXPECT_TRUE(unit.IsUnitGraphicLoad());
    EXPECT_EQ(PixelsOf(unit), SquarePicture(decoded, w, h));

    // A broken file is no error: the box is drawn.
    qvtest::WriteBytes("Images/scout.jpg", {0xFF, 0xD8, 0xFF, 0xE0});
    unit.CreateUnit(&screen);
    EXPECT_FALSE(unit.IsUnitGraphicLoad());
    EXPECT_EQ(PixelsOf(unit), BoxPicture(kBlue));
}

TEST_F(UnitPicture, AssigningAnotherUnitLeavesThePictureAlone) {
    auto file = WriteBmp("Images/tank.bmp", 32, 32);
    CUnit loaded, drawn;
    loaded.m_strImage = "tank.bmp";
    loaded.CreateUnit(&screen);
    drawn.m_color = RGB(0, 160, 0);
    drawn.CreateUnit(&screen);
    CDC* pDC = loaded.GetUnitDC();

    loaded = drawn;
    EXPECT_EQ(loaded.m_color, RGB(0, 160, 0));
    EXPECT_EQ(loaded.GetUnitDC(), pDC);
    EXPECT_TRUE(loaded.IsUnitGraphicLoad());
    EXPECT_EQ(PixelsOf(loaded), SquarePicture(file, 32, 32));
    EXPECT_EQ(PixelsOf(drawn), BoxPicture(RGB(0, 160, 0)));
}

TEST_F(UnitPicture, TheSamplePicturesLoad) {
    std::filesystem::current_path(QVTEST_DATA_DIR);
    for (const char* image : {"tank.bmp", "scout.bmp", "artillery.jpg", "ship.jpg"}) {
        CUnit unit;
        unit.m_strImage = image;
        unit.CreateUnit(&screen);
        EXPECT_TRUE(unit.IsUnitGraphicLoad()) << image;
    }
}
