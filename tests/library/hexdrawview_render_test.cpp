// The shipped sample map, opened as a document and drawn by the view from the shipped chip
// sheet, against a picture composited here with plain loops and labelled with DrawText.
// (The scroll tests see that the window shows the buffer at its position.)
#include <qvplatform/bmpfile.h>

#include "library/hexdrawview_test_util.h"
#include "library/picture_test_util.h"

using qvtest::CTestView;
using SampleMap = qvtest::MapViewTest;

TEST_F(SampleMap, MatchesPlainCompositing) {
    UseSampleChipSheet();
    const std::string path =
        qvtest::PrivateCopy(m_dir, std::string(QVTEST_DATA_DIR) + "/sample.map");
    // The sheet read straight from the file, not through the view.
    auto hSheet =
        static_cast<HBITMAP>(LoadImageA(nullptr, "MAP.BMP", IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    ASSERT_NE(hSheet, nullptr);
    const auto sheet = qvtest::PixelsOf(hSheet);
    const SIZE sheetSize = qvtest::SizeOf(hSheet);
    DeleteObject(hSheet);
    m_pTemplate = new CSingleDocTemplate(RUNTIME_CLASS(CHEXDrawDocument), RUNTIME_CLASS(CTestView));
    ASSERT_NE(m_pTemplate->OpenDocumentFile(path.c_str(), "sample", 400, 300), nullptr);
    CHexMap map;
    ASSERT_TRUE(map.ReadMapFile(CString(path.c_str())));

    CFont font;
    ASSERT_TRUE(font.CreatePointFont(70, "\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e"));
    EXPECT_EQ(BufferPixels(), qvtest::ReferenceMap(map, sheet, sheetSize.cx, sheetSize.cy, &font));
}
