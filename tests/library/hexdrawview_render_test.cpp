// The shipped sample map, opened as a document and drawn by the view from the shipped chip
// sheet, against a picture composited here with plain loops: the same pixel for pixel away
// from the labels, and the labels where DrawText puts them.
#include <qvplatform/bmpfile.h>

#include "library/hexdrawview_test_util.h"
#include "library/picture_test_util.h"

using qvtest::CTestView;

namespace {

const char kMsGothic[] = "\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e";

class SampleMap : public qvtest::MapViewTest {
protected:
    void SetUp() override {
        qvtest::MapViewTest::SetUp();
        UseSampleChipSheet();
        m_sampleMap = qvtest::PrivateCopy(m_dir, std::string(QVTEST_DATA_DIR) + "/sample.map");
        // The sheet read straight from the file, not through the view.
        auto hSheet = static_cast<HBITMAP>(
            LoadImageA(nullptr, "MAP.BMP", IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
        ASSERT_NE(hSheet, nullptr);
        m_sheet = qvtest::BitmapPixels(hSheet);
        m_sheetSize = qvtest::SizeOf(hSheet);
        DeleteObject(hSheet);
        m_pTemplate =
            new CSingleDocTemplate(RUNTIME_CLASS(CHEXDrawDocument), RUNTIME_CLASS(CTestView));
        ASSERT_NE(m_pTemplate->OpenDocumentFile(m_sampleMap.c_str(), "sample", 400, 300), nullptr);
        ASSERT_TRUE(m_map.ReadMapFile(CString(m_sampleMap.c_str())));
    }
    std::vector<COLORREF> Reference(CFont* pFont = nullptr) {
        return qvtest::ReferenceMap(m_map, m_sheet, m_sheetSize.cx, m_sheetSize.cy, pFont);
    }

    std::string m_sampleMap;
    std::vector<COLORREF> m_sheet;
    SIZE m_sheetSize{};
    CHexMap m_map;
};

}  // namespace

TEST_F(SampleMap, MatchesPlainCompositingAwayFromTheLabels) {
    ASSERT_EQ(m_map.GetMapWidth(), 26);
    const auto drawn = BufferPixels();
    const auto reference = Reference();
    ASSERT_EQ(drawn.size(), 1050u * 1060u);
    ASSERT_EQ(reference.size(), drawn.size());

    // Where a label may lie: centred at the bottom of its box, as wide and high as its text
    // (a pixel of slack on either side).
    std::vector<bool> label(drawn.size(), false);
    CFont font;
    ASSERT_TRUE(font.CreatePointFont(70, kMsGothic));
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font.GetSafeHandle());
    for (int y = 0; y < 26; ++y)
        for (int x = 0; x < 26; ++x) {
            const std::string text = qvtest::ExpectedLabel(x, y);
            SIZE size{};
            ASSERT_TRUE(
                GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size));
            ASSERT_GT(size.cx, 10);
            ASSERT_LT(size.cy, 20);
            const POINT box = qvtest::HexBox(x, y);
            const int left = box.x + (50 - size.cx) / 2 - 1;
            for (int j = box.y + 40 - size.cy; j < box.y + 40; ++j)
                for (int i = std::max(left, 0); i < std::min(left + size.cx + 2, 1050); ++i)
                    label[static_cast<std::size_t>(j) * 1050 + i] = true;
        }
    SelectObject(dc, old);
    DeleteDC(dc);

    std::size_t compared = 0, differing = 0, differingInLabels = 0;
    for (std::size_t i = 0; i < drawn.size(); ++i) {
        if (label[i]) {
            differingInLabels += drawn[i] != reference[i];
            continue;
        }
        ++compared;
        if (drawn[i] != reference[i] && ++differing <= 10)
            ADD_FAILURE() << "pixel " << i % 1050 << "," << i / 1050;
    }
    EXPECT_EQ(differing, 0u);
    EXPECT_GT(compared, drawn.size() * 3 / 4);
    EXPECT_GT(differingInLabels, 26u * 26u * 10u);  // the labels are there
}

TEST_F(SampleMap, LabelsAreWhereDrawTextPutsThemAndTheWindowShowsTheMap) {
    CFont font;
    ASSERT_TRUE(font.CreatePointFont(70, kMsGothic));
    const auto reference = Reference(&font);
    EXPECT_EQ(BufferPixels(), reference);

    View()->SendMessage(WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, 330));
    View()->SendMessage(WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 210));
    const auto shown = ShownPixels();
    ASSERT_EQ(shown.size(), 400u * 300u);
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 400; ++x)
            ASSERT_EQ(shown[y * 400 + x], reference[(y + 210) * 1050 + x + 330]) << x << "," << y;
    SaveForViewing(View(), "sample-map");
}
