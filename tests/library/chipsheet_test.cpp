// The chip sheet shipped in data/: a chip for every value of the sample map, each white
// outside its hexagon, so that compositing a chip into a hex through the hex mask (two
// SRCERASE transfers) changes exactly the hexagon's pixels. The map view's tests composite
// the sample map through the mask from this sheet, pixel for pixel.
#include <qvdll/graphic.h>
#include <qvdll/hexmap.h>
#include <qvdll/resource.h>

#include "library/picture_test_util.h"
#include "test_support.h"

using qvtest::PixelsOf;

namespace {

const std::string kDataDir = QVTEST_DATA_DIR;

std::vector<COLORREF> Chip(HDC sheet, int perRow, int n) {
    qvtest::Canvas chip(50, 40);
    BitBlt(chip, 0, 0, 50, 40, sheet, 50 * (n % perRow), 40 * (n / perRow), SRCCOPY);
    return chip.Pixels();
}

}  // namespace

TEST(ChipSheet, DistinctChipsWhiteOutsideTheirHexagonCoverTheSampleMap) {
    qvtest::ScreenDC screen;
    CGraphic sheet, mask;
    ASSERT_TRUE(sheet.LoadBitmapA(&screen, (kDataDir + "/MAP.BMP").c_str()));
    ASSERT_TRUE(mask.LoadBitmapA(&screen, IDB_HEXMASK));
    const int nPerRow = sheet.GetWidth() / 50;
    const int nChips = nPerRow * (sheet.GetHeight() / 40);
    const auto maskPixels = PixelsOf(mask.GetDC()->GetSafeHdc(), 50, 40);
    EXPECT_GE(nChips, 16);
    std::vector<std::vector<COLORREF>> chips;
    for (int n = 0; n < nChips; ++n) {
        chips.push_back(Chip(sheet.GetDC()->GetSafeHdc(), nPerRow, n));
        int whiteInside = 0, colouredOutside = 0;
        for (std::size_t i = 0; i < maskPixels.size(); ++i) {
            const bool inside = maskPixels[i] == RGB(0, 0, 0);
            const bool white = chips[n][i] == RGB(255, 255, 255);
            whiteInside += inside && white;
            colouredOutside += !inside && !white;
        }
        EXPECT_LT(whiteInside, 20) << "chip " << n;
        EXPECT_EQ(colouredOutside, 0) << "chip " << n;
        for (int a = 0; a < n; ++a) EXPECT_NE(chips[a], chips[n]) << a << " " << n;
    }

    qvtest::TempDir dir;
    CHexMap map;
    ASSERT_TRUE(map.ReadMapFile(qvtest::PrivateCopy(dir, kDataDir + "/sample.map").c_str()));
    for (WORD y = 0; y < map.GetMapHeight(); ++y)
        for (WORD x = 0; x < map.GetMapWidth(); ++x) EXPECT_LT(map.GetData(x, y), nChips);
}
