// CHEXDrawView: the ready-made scrolling view of a CHEXDrawDocument's map. It keeps an
// off-screen picture of the whole map, the map buffer, drawn hex by hex from the chip sheet
// "MAP.BMP" (in the current folder) cut to shape by the library's hex mask, and paints by
// copying the buffer to the window.
//
// Hosts may derive their own view: the drawing operations are protected virtual functions,
// and every call between them goes through the virtual slot, so an override (of DrawHexOne,
// say) takes effect in MapDraw and DrawHex as well.
//
// Geometry: the hex at column x, row y fills the 50 x 40 box whose top-left corner is
// (40 x, 40 y), odd columns 20 pixels lower; a map of W x H hexes is a picture of
// 40 W + 10 by 40 H + 20 pixels. Each hex is labelled " (A,1) " at the bottom of its box:
// columns A .. Z, AA .. ZZ, rows from 1.
#pragma once

#include <qvplatform/view.h>

#include "qvdll/export.h"
#include "qvdll/graphic.h"
#include "qvdll/hexdrawdoc.h"
#include "qvdll/ownedptr.h"

class QVDLL_API CHEXDrawView : public CScrollView {
    DECLARE_DYNCREATE(CHEXDrawView)
public:
    // Scrolling moves by these many pixels on either axis, whatever the window's size.
    static constexpr int kLineStep = 40;
    static constexpr int kPageStep = 80;

    // Deletes the font's GDI object, then destroys the map buffer, the chip sheet, the hex
    // mask and the font, in that order.
    ~CHEXDrawView() override;

    // The attached document as the map document; not checked (the framework pairs them).
    CHEXDrawDocument* GetDocument() const;

    // Copies the map buffer to `pDC` at (0, 0), the map's full size. The scroll view has
    // already moved the context's origin by the scroll position.
    void OnDraw(CDC* pDC) override;

protected:
    // Empty font and graphics, zero positions. The framework makes views through the
    // runtime class.
    CHEXDrawView();

    // Sets the scroll sizes to the map, makes the label font, loads the chip sheet
    // "MAP.BMP" (when it cannot, the user is told in Japanese to copy it into the folder
    // and start again, and the view stays blank) and the hex mask, then builds the map
    // buffer.
    void OnInitialUpdate() override;
    // A map as the hint object with an odd hint (the document sends 1 when its map is
    // replaced): new scroll sizes, a rebuilt buffer and a full repaint. Another object with
    // an odd hint: nothing. Otherwise the framework's: a full repaint.
    void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;

    // Rebuilds the map buffer for `pMap`: black, then every hex row by row (so where boxes
    // overlap, a hex lies over its left neighbour and the row above). Does not repaint.
    virtual void MapDraw(CHexMap* pMap);
    // Redraws one hex into `pDC` (with whatever origin it has) and into the map buffer.
    virtual void DrawHex(CDC* pDC, WORD x, WORD y, BYTE value);
    // Draws one hex into `pDC` at column x, row y: the chip of `value` inside the hexagon,
    // what was there outside it wherever the chip is white, and the label in black. Nothing
    // without a chip sheet. A value past the sheet's last chip draws a blank (white) hex.
    // The context keeps its font; afterwards its background mode is opaque and its text
    // colour black.
    virtual void DrawHexOne(CDC* pDC, WORD x, WORD y, BYTE value);
    // Draws the chip of `value` at half size (25 x 20) with its top-left corner at pixel
    // (x, y) of `pDC`, without a label and without touching the map buffer.
    virtual void DrawHexSmall(CDC* pDC, LONG x, LONG y, BYTE value);

    // Keeps the client size and moves the bars for it: range 0 .. the map's extent, the
    // client extent as the page. A window grown past the map's far edge from the current
    // position goes back to position 0 on that axis.
    afx_msg void OnSize(UINT nType, int cx, int cy);
    // Lines of 40 and pages of 80 pixels, the thumb while it is dragged; the ends, the
    // thumb's release and the end of scrolling keep the position. Positions stay within
    // 0 .. the map's extent less the client's.
    afx_msg void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    afx_msg void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);

    POINT m_ptSpare1;                  // reset by OnInitialUpdate, otherwise unused
    POINT m_ptSpare2;                  // likewise
    POINT m_ptScrollHex;               // m_ptScroll in grid steps: each coordinate / 40
    SIZE m_sizeClient;                 // the client area's size
    POINT m_ptScroll;                  // the scroll position in pixels
    TOwnedPtr<CFont> m_pFont;          // the label font: 7 points, "ＭＳ ゴシック"
    TOwnedPtr<CGraphic> m_pHexMask;    // bitmap resource 5004: black inside the hexagon
    TOwnedPtr<CGraphic> m_pChipSheet;  // "MAP.BMP": 50 x 40 chips, row by row
    TOwnedPtr<CGraphic> m_pMapBuffer;  // the whole map's picture

    DECLARE_MESSAGE_MAP()

private:
    // The document's map; null when there is none or the document is no map document.
    CHexMap* DocumentMap() const;
    // One scroll message on one axis (SB_HORZ or SB_VERT).
    void ScrollAxis(int nBar, UINT nSBCode, UINT nPos);
    // Moves the window's picture and the bar to `nPos` on one axis and records it.
    void MoveTo(int nBar, LONG nPos);
};
