// CMapChip: chip sheets of several shapes cut into an image list, chip n as image n.
#include <qvdll/mapchip.h>

#include "library/picture_test_util.h"
#include "test_support.h"

using qvtest::Canvas;

namespace {

// The colour of chip (column, row) of a test sheet, distinct for every chip; black marks
// the chip's top-left pixel, so a chip taken from the wrong place or mirrored shows.
COLORREF ChipColour(int column, int row) {
    return RGB(10 + 20 * column, 10 + 60 * row, 100);
}

std::vector<COLORREF> ChipPixels(int column, int row) {
    std::vector<COLORREF> pixels(50 * 40, ChipColour(column, row));
    pixels[0] = RGB(0, 0, 0);
    return pixels;
}

// Writes a w x h sheet of such chips as `path`; what lies past the last whole chip is grey.
void WriteSheet(const std::string& path, int w, int h) {
    qvtest::WriteBmpFile(path, w, h, [w, h](int x, int y) {
        if (x >= w / 50 * 50 || y >= h / 40 * 40) return RGB(128, 128, 128);
        return x % 50 == 0 && y % 40 == 0 ? RGB(0, 0, 0) : ChipColour(x / 50, y / 40);
    });
}

std::vector<COLORREF> DrawImage(CImageList* pList, int n) {
    Canvas canvas(50, 40, RGB(1, 2, 3));
    EXPECT_TRUE(ImageList_Draw(pList->GetSafeHandle(), n, canvas, 0, 0, ILD_NORMAL));
    return canvas.Pixels();
}

bool IsLive(HIMAGELIST list) {
    int cx = 0, cy = 0;
    return ImageList_GetIconSize(list, &cx, &cy);
}

}  // namespace

// Each test runs in a folder of its own, where "MAP.BMP" is looked for.
class MapChip : public ::testing::Test {
protected:
    qvtest::TempCurrentDir dir;
};

TEST_F(MapChip, ChipsAreNumberedRowByRowWithoutThePartialOnesAtTheEdges) {
    WriteSheet("map.bmp", 520, 100);  // found whatever the letter case
    CMapChip chips;
    ASSERT_TRUE(chips.LoadMap());
    ASSERT_NE(chips.GetImageList(), nullptr);
    EXPECT_EQ(chips.GetImageList()->GetImageCount(), 20);
    for (int n : {0, 10, 12, 19})
        EXPECT_EQ(DrawImage(chips.GetImageList(), n), ChipPixels(n % 10, n / 10)) << n;
}

TEST_F(MapChip, AMissingSheetGivesAnEmptyListAndStillSucceeds) {
    CMapChip chips;
    EXPECT_TRUE(chips.LoadMap());
    ASSERT_NE(chips.GetImageList(), nullptr);
    EXPECT_EQ(chips.GetImageList()->GetImageCount(), 0);
    qvtest::WriteBytes("MAP.BMP", {'B', 'M', 0, 0});
    EXPECT_TRUE(chips.LoadMap());
    EXPECT_EQ(chips.GetImageList()->GetImageCount(), 0);
}

TEST_F(MapChip, LoadingAgainReplacesStripAndList) {
    WriteSheet("MAP.BMP", 100, 40);
    CMapChip chips;
    chips.LoadMap();
    HGDIOBJ firstStrip = chips.GetChipStrip()->GetSafeHandle();
    HIMAGELIST firstList = chips.GetImageList()->GetSafeHandle();
    WriteSheet("MAP.BMP", 150, 40);
    chips.LoadMap();
    EXPECT_EQ(GetObjectType(firstStrip), 0u);
    EXPECT_FALSE(IsLive(firstList));
    EXPECT_EQ(chips.GetImageList()->GetImageCount(), 3);

    // DestroyObject releases the strip's bitmap only.
    HGDIOBJ strip = chips.GetChipStrip()->GetSafeHandle();
    EXPECT_TRUE(chips.DestroyObject());
    EXPECT_EQ(GetObjectType(strip), 0u);
    EXPECT_EQ(chips.GetImageList()->GetImageCount(), 3);
}

TEST_F(MapChip, CopyingHandsOverAndEmptiesTheSource) {
    WriteSheet("MAP.BMP", 100, 40);
    CMapChip a;
    a.LoadMap();
    CImageList* pList = a.GetImageList();
    CMapChip b(a);
    EXPECT_EQ(b.GetImageList(), pList);
    EXPECT_EQ(a.GetImageList(), nullptr);
    EXPECT_EQ(a.GetChipStrip(), nullptr);

    CMapChip c;
    c.LoadMap();
    HIMAGELIST cList = c.GetImageList()->GetSafeHandle();
    c = b;
    EXPECT_FALSE(IsLive(cList));  // what c owned is gone
    EXPECT_EQ(c.GetImageList(), pList);
    EXPECT_EQ(b.GetImageList(), nullptr);
    c = c;
    EXPECT_EQ(DrawImage(c.GetImageList(), 1), ChipPixels(1, 0));
}
