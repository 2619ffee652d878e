// The chip sheet shipped in data/: a chip for every value of the sample map, each white
// outside its hexagon, so that compositing a chip into a hex through the hex mask (two
// SRCERASE transfers) changes exactly the hexagon's pixels.
#include <random>

#include <qvdll/graphic.h>
#include <qvdll/hexmap.h>
#include <qvdll/resource.h>

#include "library/picture_test_util.h"
#include "test_support.h"

using qvtest::Canvas;
using qvtest::PixelsOf;

namespace {

const std::string kDataDir = QVTEST_DATA_DIR;
const COLORREF kWhite = RGB(255, 255, 255);

std::vector<COLORREF> Chip(HDC sheet, int perRow, int n) {
    Canvas chip(50, 40);
    BitBlt(chip, 0, 0, 50, 40, sheet, 50 * (n % perRow), 40 * (n / perRow), SRCCOPY);
    return chip.Pixels();
}

}  // namespace

class ChipSheet : public ::testing::Test {
protected:
    void SetUp() override {
        qvtest::ScreenDC screen;
        ASSERT_TRUE(m_sheet.LoadBitmapA(&screen, (kDataDir + "/MAP.BMP").c_str()));
        ASSERT_TRUE(m_mask.LoadBitmapA(&screen, IDB_HEXMASK));
        m_nPerRow = m_sheet.GetWidth() / 50;
        m_nChips = m_nPerRow * (m_sheet.GetHeight() / 40);
        m_maskPixels = PixelsOf(m_mask.GetDC()->GetSafeHdc(), 50, 40);
    }
    HDC Sheet() { return m_sheet.GetDC()->GetSafeHdc(); }
    bool Inside(std::size_t i) const { return m_maskPixels[i] == RGB(0, 0, 0); }

    CGraphic m_sheet, m_mask;
    int m_nPerRow = 0, m_nChips = 0;
    std::vector<COLORREF> m_maskPixels;
};

TEST_F(ChipSheet, HasSixteenDistinctChipsCoveringTheSampleMap) {
    EXPECT_GE(m_nChips, 16);
    std::vector<std::vector<COLORREF>> chips;
    for (int n = 0; n < m_nChips; ++n) chips.push_back(Chip(Sheet(), m_nPerRow, n));
    for (int a = 0; a < m_nChips; ++a)
        for (int b = a + 1; b < m_nChips; ++b) EXPECT_NE(chips[a], chips[b]) << a << " " << b;

    qvtest::TempDir dir;
    CHexMap map;
    ASSERT_TRUE(map.ReadMapFile(qvtest::PrivateCopy(dir, kDataDir + "/sample.map").c_str()));
    for (WORD y = 0; y < map.GetMapHeight(); ++y)
        for (WORD x = 0; x < map.GetMapWidth(); ++x) EXPECT_LT(map.GetData(x, y), m_nChips);
}

TEST_F(ChipSheet, EveryChipIsWhiteOutsideItsHexagonAndDrawnInside) {
    for (int n = 0; n < m_nChips; ++n) {
        auto chip = Chip(Sheet(), m_nPerRow, n);
        int whiteInside = 0;
        for (std::size_t i = 0; i < chip.size(); ++i) {
            if (!Inside(i)) {
                EXPECT_EQ(chip[i], kWhite) << "chip " << n << " pixel " << i;
            }
            whiteInside += Inside(i) && chip[i] == kWhite;
        }
        EXPECT_LT(whiteInside, 20) << "chip " << n;
    }
}

TEST_F(ChipSheet, CompositingThroughTheHexMaskChangesExactlyTheHexagon) {
    std::mt19937 rng(5);
    for (int n = 0; n < m_nChips; ++n) {
        // A busy background stands for the neighbours drawn before.
        Canvas target(50, 40);
        std::vector<COLORREF> before;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 50; ++x) {
                COLORREF c = rng() & 0xFFFFFF;
                SetPixel(target, x, y, c);
                before.push_back(c);
            }
        // The map view's two transfers: the mask, then the chip, both SRCERASE.
        BitBlt(target, 0, 0, 50, 40, m_mask.GetDC()->GetSafeHdc(), 0, 0, SRCERASE);
        BitBlt(target, 0, 0, 50, 40, Sheet(), 50 * (n % m_nPerRow), 40 * (n / m_nPerRow), SRCERASE);
        auto chip = Chip(Sheet(), m_nPerRow, n);
        std::vector<COLORREF> expected(chip.size());
        for (std::size_t i = 0; i < chip.size(); ++i) expected[i] = Inside(i) ? chip[i] : before[i];
        EXPECT_EQ(target.Pixels(), expected) << "chip " << n;
        if (n == 5) qvtest::SavePictureForViewing(target, 50, 40, "masked-chip-mountain", 8);
    }
}
