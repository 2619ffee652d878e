// Helpers for the map view tests: a view and a document that open their protected parts, a
// fixture that runs them through the document template in a folder of its own (the view
// reads "MAP.BMP" from the current folder), chip sheets made to order, and a reference
// picture of a map composited with plain loops.
#pragma once

#include <string>
#include <vector>

#include <qvdll/hexdrawview.h>
#include <qvplatform/afxdc.h>

#include "test_support.h"

namespace qvtest {

class CTestView : public CHEXDrawView {
    DECLARE_DYNCREATE(CTestView)
public:
    using CHEXDrawView::DrawHex;
    using CHEXDrawView::DrawHexOne;
    using CHEXDrawView::DrawHexSmall;
    using CHEXDrawView::m_pChipSheet;
    using CHEXDrawView::m_pFont;
    using CHEXDrawView::m_pMapBuffer;
    using CHEXDrawView::m_ptScroll;
    using CHEXDrawView::m_ptScrollHex;
    using CHEXDrawView::m_ptSpare1;
    using CHEXDrawView::m_ptSpare2;
    using CHEXDrawView::OnInitialUpdate;
    using CHEXDrawView::OnUpdate;
};

class CTestDocument : public CHEXDrawDocument {
    DECLARE_DYNCREATE(CTestDocument)
public:
    using CHEXDrawDocument::m_nSpare;
    using CHEXDrawDocument::OnNewDocument;
};

// A chip sheet of `perRow` x `rows` chips, chip n filled with colours[n] inside its
// hexagon and `outside` elsewhere, written as a BMP file.
void WriteChipSheet(const std::string& path, int perRow, int rows,
                    const std::vector<COLORREF>& colours, COLORREF outside = RGB(255, 255, 255));
// Whether pixel (x, y) of a 50 x 40 hex box lies inside the hexagon: row r is inside from
// L(r) to 49 - L(r), the sides stepping in one pixel every two rows.
bool InsideHexagon(int x, int y);
// The label the view writes on the hex at column x, row y.
std::string ExpectedLabel(int x, int y);
// The top-left corner of the hex's box.
POINT HexBox(int x, int y);

// The map buffer of `map` drawn from the sheet's pixels with plain loops: black, then each
// hex row by row as chip AND (NOT mask OR old). Cells past the sheet draw white chips.
// Labels are drawn only when `pLabelFont` is given, with DrawText after each hex.
std::vector<COLORREF> ReferenceMap(CHexMap& map, const std::vector<COLORREF>& sheet, int sheetWidth,
                                   int sheetHeight, CFont* pLabelFont = nullptr);

// Opens a CHEXDrawDocument (or CTestDocument) with a CTestView through the document
// template on the headless back end, in a fresh current folder that holds MAP.BMP.
class MapViewTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Puts the shipped chip sheet into the folder as MAP.BMP.
    void UseSampleChipSheet();
    // Opens a new document with a client area of cx x cy; the view is then initialised.
    void Open(int cx = 400, int cy = 300, const CRuntimeClass* pDocClass = nullptr);
    // Opens, then gives the document `map` (SetMap).
    void OpenWith(CHexMap& map, int cx = 400, int cy = 300);
    CHEXDrawDocument* Document() const;
    CTestView* View() const;
    // The map buffer's pixels; empty when there is no buffer picture.
    std::vector<COLORREF> BufferPixels() const;
    // What the window shows after painting.
    std::vector<COLORREF> ShownPixels() const;
    // The buffer's pixels under the client area at the bars' scroll position, the rest of
    // the client area white (the erased background).
    std::vector<COLORREF> ExpectedShown() const;

    TempCurrentDir m_dir;
    CSingleDocTemplate* m_pTemplate = nullptr;
};

}  // namespace qvtest
