// CGraphic: blank pictures, loading from resources and files (with the rules for which names
// reach the JPEG converter), masks, and the hand-over on copy. Unit pictures load BMP and
// JPEG files through it, pixel for pixel (unitgraphic_test).
#include <stdlib.h>

#include <sstream>

#include <qvdll/graphic.h>
#include <qvdll/jpegconverter.h>
#include <qvdll/resource.h>
#include <qvdll/unit.h>

#include "library/picture_test_util.h"
#include "module/fixtures/fake_jpeglib.h"
#include "test_support.h"

using qvtest::IsLive;
using qvtest::PixelsOf;
using qvtest::ScreenDC;

namespace {

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kMagenta = RGB(255, 0, 255);

std::vector<COLORREF> PixelsOf(CGraphic& graphic) {
    SIZE size = qvtest::SizeOf(*graphic.GetBitmap());
    return PixelsOf(graphic.GetDC()->GetSafeHdc(), size.cx, size.cy);
}

// The fake Jpeglib's log line for a conversion of `path` for `hdc`.
std::string ConvertCall(HDC hdc, const std::string& path) {
    std::ostringstream call;
    call << "convert " << std::hex << reinterpret_cast<std::uintptr_t>(hdc) << " " << path;
    return call.str();
}

}  // namespace

class Graphic : public ::testing::Test {
protected:
    qvtest::TempDir dir;
    ScreenDC screen;
};

TEST_F(Graphic, CreateGivesAWhitePictureLikeTheContextsAndReleasesTheOldOne) {
    CGraphic graphic;
    ASSERT_TRUE(graphic.Create(&screen, 50, 40));
    EXPECT_EQ(graphic.GetWidth(), 50);
    EXPECT_EQ(graphic.GetHeight(), 40);
    BITMAP bm{};
    ASSERT_TRUE(graphic.GetBitmap()->GetBitmap(&bm));
    EXPECT_EQ(bm.bmBitsPixel, 32);
    EXPECT_EQ(PixelsOf(graphic), std::vector<COLORREF>(50 * 40, kWhite));

    // Compatible with a fresh memory context, whose bitmap is monochrome, it is monochrome.
    HDC firstDC = graphic.GetDC()->GetSafeHdc();
    HGDIOBJ firstBitmap = graphic.GetBitmap()->GetSafeHandle();
    CDC memory;
    memory.CreateCompatibleDC(nullptr);
    ASSERT_TRUE(graphic.Create(&memory, 5, 4));
    EXPECT_FALSE(IsLive(firstBitmap));
    EXPECT_EQ(GetObjectType(firstDC), 0u);
    ASSERT_TRUE(graphic.GetBitmap()->GetBitmap(&bm));
    EXPECT_EQ(bm.bmBitsPixel, 1);
    EXPECT_EQ(PixelsOf(graphic), std::vector<COLORREF>(5 * 4, kWhite));
    EXPECT_TRUE(graphic.Destroy());
}

// The mask's pixels are checked where the map view composites through it.
TEST_F(Graphic, ResourceNumbersCountByTheirLow16Bits) {
    CGraphic mask, high;
    ASSERT_TRUE(mask.LoadBitmapA(nullptr, IDB_HEXMASK));
    ASSERT_TRUE(high.LoadBitmapA(&screen, 0x10000u + IDB_HEXMASK));
    EXPECT_EQ(PixelsOf(high), PixelsOf(mask));
}

TEST_F(Graphic, AFailedLoadLeavesItEmptyWithTheOldSize) {
    CGraphic graphic;
    graphic.Create(&screen, 50, 40);
    HGDIOBJ first = graphic.GetBitmap()->GetSafeHandle();
    qvtest::WriteBytes(dir / "broken.bmp", {'B', 'M', 1, 2, 3});
    for (std::string name : {dir / "missing.bmp", dir / "broken.bmp", std::string()}) {
        EXPECT_FALSE(graphic.LoadBitmapA(&screen, name.c_str())) << name;
        EXPECT_EQ(graphic.GetWidth(), 50);
        EXPECT_EQ(graphic.GetHeight(), 40);
        ASSERT_NE(graphic.GetBitmap(), nullptr);
        EXPECT_EQ(graphic.GetBitmap()->GetSafeHandle(), nullptr);
        EXPECT_EQ(graphic.GetDC()->GetSafeHdc(), nullptr);
    }
    EXPECT_FALSE(IsLive(first));
    EXPECT_FALSE(graphic.LoadBitmapA(nullptr, static_cast<const char*>(nullptr)));
    EXPECT_FALSE(graphic.LoadBitmapA(nullptr, 4321u));  // no such resource
}

// The module's converter reloaded from a test-built Jpeglib that logs its calls (or from
// a folder without one); the real one is loaded again afterwards.
class GraphicConverter : public Graphic {
protected:
    void SetUp() override {
        setenv("QVDLL_LIBRARY_PATH", QVTEST_JPEG_OK_DIR, 1);
        GetModuleJpegConverter()->Load();
    }
    void TearDown() override {
        unsetenv("QVDLL_LIBRARY_PATH");
        GetModuleJpegConverter()->Load();
    }
    JpeglibLog m_log;
};

TEST_F(GraphicConverter, OnlyNamesNotEndingInBmpReachTheConverterUnchanged) {
    CGraphic graphic;
    for (const char* name : {"a.BMP", "a.bmp", "Images\\x.Bmp", "bmp", ""})
        EXPECT_FALSE(graphic.LoadBitmapA(&screen, name)) << name;
    EXPECT_FALSE(graphic.LoadBitmapA(&screen, 4321u));
    EXPECT_TRUE(m_log.Calls().empty());

    const std::string names[] = {
        "a.jpg", "Images\\Tank.PNG", "picture", "ab",
        "x\x83\x62mp"};  // 'b' as the trail byte of a double-byte character
    for (const std::string& name : names) EXPECT_FALSE(graphic.LoadBitmapA(&screen, name.c_str()));
    std::vector<std::string> expected;
    for (const std::string& name : names) expected.push_back(ConvertCall(screen, name));
    // The fake's result is no bitmap: the loads fail, and nothing foreign is attached.
    EXPECT_EQ(m_log.Calls(), expected);

    graphic.LoadBitmapA(nullptr, "b.jpeg");
    EXPECT_EQ(m_log.Calls().back(), "convert 0 b.jpeg");
}

// A unit's picture file is looked for under Images.
TEST_F(GraphicConverter, UnitPicturesGiveTheConverterThePathUnderImages) {
    CUnit unit;
    for (const char* image : {"photo.jpg", "Photo", "missing.bmp"}) {
        unit.m_strImage = image;
        unit.CreateUnit(&screen);
        EXPECT_FALSE(unit.IsUnitGraphicLoad());
    }
    EXPECT_EQ(m_log.Calls(), (std::vector<std::string>{ConvertCall(screen, "Images\\photo.jpg"),
                                                       ConvertCall(screen, "Images\\Photo")}));
}

TEST_F(Graphic, CreateMaskMakesTheMaskAndLeavesTheSourceDrawable) {
    // Magenta on the left half, a colour per row on the right.
    qvtest::WriteBmpFile(dir / "sample.bmp", 6, 4, [](int x, int y) {
        return x < 3 ? kMagenta : RGB(40 * y, 200 - 30 * y, 7);
    });
    CGraphic source, mask;
    ASSERT_TRUE(source.LoadBitmapA(&screen, (dir / "sample.bmp").c_str()));
    const auto before = PixelsOf(source);
    ASSERT_TRUE(mask.CreateMask(&screen, &source, kMagenta));
    std::vector<COLORREF> expected;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) expected.push_back(x < 3 ? kWhite : kBlack);
    EXPECT_EQ(PixelsOf(mask), expected);
    EXPECT_EQ(mask.GetWidth(), 0);  // the size is not recorded by a mask
    EXPECT_EQ(mask.GetHeight(), 0);
    EXPECT_EQ(PixelsOf(source), before);  // drawn through its context as before
}

TEST_F(Graphic, CreateMaskOfAnEmptySourceFailsWithoutHarm) {
    CGraphic empty, destroyed, mask;
    destroyed.Create(&screen, 5, 5);
    destroyed.Destroy();
    EXPECT_FALSE(mask.CreateMask(&screen, &empty, kWhite));
    EXPECT_FALSE(mask.CreateMask(&screen, &destroyed, kWhite));
    EXPECT_FALSE(mask.CreateMask(&screen, nullptr, kWhite));
    EXPECT_FALSE(mask.CreateMask(&screen, &mask, kWhite));
    EXPECT_EQ(mask.GetBitmap()->GetSafeHandle(), nullptr);
}

TEST_F(Graphic, CopyingHandsThePictureOverAndEmptiesTheSource) {
    CGraphic a;
    a.Create(&screen, 50, 40);
    CDC* pDC = a.GetDC();
    CGraphic b(a);
    EXPECT_EQ(b.GetDC(), pDC);
    EXPECT_EQ(b.GetWidth(), 50);
    EXPECT_EQ(a.GetDC(), nullptr);
    EXPECT_EQ(a.GetBitmap(), nullptr);
    EXPECT_EQ(a.GetWidth(), 0);
    a.Destroy();  // nothing of b's is released
    EXPECT_EQ(PixelsOf(b), std::vector<COLORREF>(50 * 40, kWhite));

    CGraphic c;
    c.Create(&screen, 3, 3);
    HGDIOBJ cBitmap = c.GetBitmap()->GetSafeHandle();
    c = b;
    EXPECT_FALSE(IsLive(cBitmap));  // the target's own picture was released
    EXPECT_EQ(c.GetDC(), pDC);
    EXPECT_EQ(b.GetDC(), nullptr);
    c = c;
    EXPECT_EQ(PixelsOf(c).size(), 2000u);
}
