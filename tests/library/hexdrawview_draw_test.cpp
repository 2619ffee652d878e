// The map view's drawing: each hex its chip cut to the hex shape with its label, the map
// buffer built row by row, one cell redrawn on screen and in the buffer, the half-size hex,
// and the calls between them going through the virtual slots.
#include <qvplatform/bmpfile.h>
#include <qvplatform/msgbox.h>
#include <qvplatform/wnddc.h>

#include "library/hexdrawview_test_util.h"
#include "library/picture_test_util.h"

using qvtest::CTestView;

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
const char kMsGothic[] = "\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e";

// Six chips, three a row, each one colour inside its hexagon.
const std::vector<COLORREF> kSixColours = {RGB(200, 0, 0),   RGB(0, 200, 0),   RGB(0, 0, 200),
                                           RGB(200, 200, 0), RGB(0, 200, 200), RGB(200, 0, 200)};

// Records the context of each hex it is asked to draw, then draws it.
class CRecordingView : public CTestView {
    DECLARE_DYNCREATE(CRecordingView)
public:
    std::vector<CDC*> m_contexts;

protected:
    void DrawHexOne(CDC* pDC, WORD x, WORD y, BYTE value) override {
        m_contexts.push_back(pDC);
        CTestView::DrawHexOne(pDC, x, y, value);
    }
};
IMPLEMENT_DYNCREATE(CRecordingView, CTestView)

// Cells of `modulo` values in a pattern that gives every neighbour a different chip.
void Number(CHexMap& map, int modulo) {
    for (WORD y = 0; y < map.GetMapHeight(); ++y)
        for (WORD x = 0; x < map.GetMapWidth(); ++x)
            map.SetData(x, y, static_cast<BYTE>((x * 5 + y * 3) % modulo));
}

class MapViewDraw : public qvtest::MapViewTest {
protected:
    void UseSixChips(COLORREF outside = kWhite) {
        qvtest::WriteChipSheet(m_dir / "MAP.BMP", 3, 2, kSixColours, outside);
    }
    // The map drawn by plain loops from the sheet the view loaded.
    std::vector<COLORREF> Reference(CHexMap& map, bool bLabels) {
        CFont font;
        font.CreatePointFont(70, kMsGothic);
        CGraphic* pSheet = View()->m_pChipSheet.Get();
        const int w = pSheet->GetWidth(), h = pSheet->GetHeight();
        return qvtest::ReferenceMap(map, qvtest::PixelsOf(pSheet->GetDC()->GetSafeHdc(), w, h), w,
                                    h, bLabels ? &font : nullptr);
    }
    std::vector<COLORREF> AllBlack(int nMapWidth, int nMapHeight) {
        return std::vector<COLORREF>((40 * nMapWidth + 10) * (40 * nMapHeight + 20), kBlack);
    }
};

}  // namespace

TEST_F(MapViewDraw, ColumnLettersRunFromAToZZAndRowsCountFromOne) {
    UseSampleChipSheet();
    CHexMap map(702, 2);
    Number(map, 16);  // columns A .. ZZ
    ASSERT_NO_FATAL_FAILURE(OpenWith(map));
    EXPECT_EQ(BufferPixels(), Reference(map, true));
    EXPECT_EQ(qvtest::ExpectedLabel(25, 0), " (Z,1) ");
    EXPECT_EQ(qvtest::ExpectedLabel(26, 1), " (AA,2) ");
    EXPECT_EQ(qvtest::ExpectedLabel(701, 0), " (ZZ,1) ");
}

TEST_F(MapViewDraw, OutsideTheHexagonTheChipIsAndedWithWhatWasThere) {
    // Chips grey-green outside their hexagon: there the result is chip AND old.
    UseSixChips(RGB(0x3C, 0xFF, 0x0F));
    CHexMap map(6, 4);
    Number(map, 6);
    ASSERT_NO_FATAL_FAILURE(OpenWith(map));
    EXPECT_EQ(BufferPixels(), Reference(map, true));
}

TEST_F(MapViewDraw, ACellPastTheSheetIsABlankHexAndAHexLeavesItsContextOpaqueWithBlackText) {
    UseSixChips();
    CHexMap map(3, 1);
    map.SetData(0, 0, 6);  // the first chip past the 3 x 2 sheet
    map.SetData(1, 0, 255);
    map.SetData(2, 0, 4);
    ASSERT_NO_FATAL_FAILURE(OpenWith(map));
    EXPECT_EQ(BufferPixels(), Reference(map, true));

    qvtest::Canvas canvas(60, 30, RGB(10, 20, 30));
    CDC* pDC = CDC::FromHandle(canvas);
    View()->DrawHexSmall(pDC, 7, 9, 4);
    View()->DrawHexSmall(pDC, 33, 9, 6);
    EXPECT_EQ(GetPixel(canvas, 7 + 12, 9 + 10), kSixColours[4]);
    EXPECT_EQ(GetPixel(canvas, 33 + 12, 9 + 10), kWhite);
    EXPECT_EQ(GetPixel(canvas, 7, 9), RGB(10, 20, 30));  // a corner outside the hexagon
    for (int x = 0; x < 60; ++x) {
        EXPECT_EQ(GetPixel(canvas, x, 8), RGB(10, 20, 30)) << x;   // nothing above
        EXPECT_EQ(GetPixel(canvas, x, 29), RGB(10, 20, 30)) << x;  // nor below the 25 x 20
    }

    // A hex drawn leaves the context's font, in opaque mode with black text.
    CFont font;
    font.CreatePointFont(120, "DejaVu Sans");
    CFont* pBefore = pDC->SelectObject(&font);
    pDC->SetBkMode(TRANSPARENT);
    pDC->SetTextColor(RGB(255, 0, 0));
    View()->DrawHexOne(pDC, 0, 0, 1);
    EXPECT_EQ(pDC->GetCurrentFont(), &font);
    EXPECT_EQ(pDC->GetBkMode(), OPAQUE);
    EXPECT_EQ(pDC->GetTextColor(), kBlack);
    pDC->SelectObject(pBefore);
}

TEST_F(MapViewDraw, EmptyMapsStayBlackAndTheWindowsContextIsGivenBack) {
    UseSampleChipSheet();
    ASSERT_NO_FATAL_FAILURE(Open());
    HDC probe = ::GetDC(View()->m_hWnd);
    HGDIOBJ hShown = GetCurrentObject(probe, OBJ_BITMAP);
    ::ReleaseDC(View()->m_hWnd, probe);
    for (auto [w, h] : {std::pair{0, 5}, std::pair{5, 0}, std::pair{0, 0}}) {
        CHexMap map(static_cast<WORD>(w), static_cast<WORD>(h));
        Document()->SetMap(&map);
        EXPECT_EQ(View()->m_pMapBuffer->GetWidth(), 40 * w + 10);
        EXPECT_EQ(BufferPixels(), AllBlack(w, h));
    }
    // A context still held would keep the window's picture alive through a resize.
    View()->MoveWindow(0, 0, 300, 200);
    EXPECT_EQ(GetObjectType(hShown), 0u);
}

TEST_F(MapViewDraw, ASheetNarrowerThanAChipDrawsNothing) {
    HBITMAP narrow = CreateBitmap(49, 40, 1, 32, nullptr);  // a pixel short of a chip
    ASSERT_TRUE(SaveBitmapBmp(narrow, "MAP.BMP"));
    DeleteObject(narrow);
    CHexMap map(3, 3);
    ASSERT_NO_FATAL_FAILURE(OpenWith(map));
    EXPECT_TRUE(AfxTakeMessageBoxLog().empty());  // the file is there
    EXPECT_EQ(BufferPixels(), AllBlack(3, 3));
}

TEST_F(MapViewDraw, OverridesOfDrawHexOneTakeEffectInMapDrawAndDrawHex) {
    UseSixChips();
    delete m_pTemplate;
    m_pTemplate =
        new CSingleDocTemplate(RUNTIME_CLASS(CHEXDrawDocument), RUNTIME_CLASS(CRecordingView));
    ASSERT_NE(m_pTemplate->OpenDocumentFile(nullptr, "map", 300, 200), nullptr);
    auto* pView = static_cast<CRecordingView*>(View());
    CHexMap map(3, 2);
    pView->m_contexts.clear();
    Document()->SetMap(&map);
    CDC* pBuffer = pView->m_pMapBuffer->GetDC();
    EXPECT_EQ(pView->m_contexts, std::vector<CDC*>(6, pBuffer));

    pView->m_contexts.clear();
    CClientDC dc(pView);
    pView->DrawHex(&dc, 2, 1, 5);
    EXPECT_EQ(pView->m_contexts, (std::vector<CDC*>{&dc, pBuffer}));
}

TEST_F(MapViewDraw, DrawHexKeepsTheScreenAndTheBufferInStep) {
    UseSampleChipSheet();
    CHexMap map(26, 26);
    Number(map, 16);
    ASSERT_NO_FATAL_FAILURE(OpenWith(map, 300, 200));
    View()->SendMessage(WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, 90));
    View()->SendMessage(WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 50));
    EXPECT_EQ(ShownPixels(), ExpectedShown());

    // The cell at column 3, row 2 lies at (120, 100) of the map, (30, 50) of the window.
    map.SetData(3, 2, 9);
    Document()->GetMap()->SetData(3, 2, 9);
    {
        CClientDC dc(View());
        View()->OnPrepareDC(&dc);
        View()->DrawHex(&dc, 3, 2, 9);
    }
    EXPECT_FALSE(View()->GetUpdateRect(nullptr));  // drawn, not repainted
    EXPECT_EQ(ShownPixels(), ExpectedShown());
    // Inside its hexagon the buffer now holds chip 9 as a full rebuild would.
    const auto redrawn = BufferPixels();
    const auto rebuilt = Reference(map, false);
    const POINT box = qvtest::HexBox(3, 2);
    for (int y = 0; y < 28; ++y)
        for (int x = 10; x < 40; ++x)
            if (qvtest::InsideHexagon(x, y)) {  // clear of the neighbours' labels
                const std::size_t i = static_cast<std::size_t>(box.y + y) * 1050 + box.x + x;
                EXPECT_EQ(redrawn[i], rebuilt[i]) << x << "," << y;
            }
}
