// The map view as qvmap shows it: the library's CHEXDrawView, plus editing in a real window
// (a click on a hex cycles its value, 's' saves the map file).
#pragma once

#include <qvdll/hexdrawview.h>

namespace qvmap {

class CMapUnits;

class CQvmapView : public CHEXDrawView {
    DECLARE_DYNCREATE(CQvmapView)
public:
    // The map buffer: the whole map's picture (empty when it could not be made).
    CGraphic* MapPicture() const { return m_pMapBuffer.Get(); }
    // Chips on the loaded sheet; clicks cycle cell values through 0 .. ChipCount() - 1.
    int ChipCount() const;
    // Units to draw over their hexes from now on (null: none); the map buffer is redrawn.
    // They must outlive the view or be taken away first.
    void SetUnits(CMapUnits* pUnits);

protected:
    // The hex as the library's view draws it, then the units standing on it.
    void DrawHexOne(CDC* pDC, WORD x, WORD y, BYTE value) override;

    // The hex under the click (at the scroll position) takes the next chip: the document's
    // map changes, and the hex is redrawn on screen and in the buffer.
    afx_msg void OnLButtonDown(UINT nFlags, POINT point);
    // 's' writes the map back to its file.
    afx_msg void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);

    DECLARE_MESSAGE_MAP()

private:
    CMapUnits* m_pUnits = nullptr;
};

}  // namespace qvmap
