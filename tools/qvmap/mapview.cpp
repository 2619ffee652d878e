#include "mapview.h"

#include <cstdio>

#include <qvdll/hexgeom.h>
#include <qvplatform/wnddc.h>

#include "args.h"
#include "mapunits.h"

namespace qvmap {

IMPLEMENT_DYNCREATE(CQvmapView, CHEXDrawView)

BEGIN_MESSAGE_MAP(CQvmapView, CHEXDrawView)
ON_WM_LBUTTONDOWN()
ON_WM_CHAR()
END_MESSAGE_MAP()

int CQvmapView::ChipCount() const {
    return (m_pChipSheet->GetWidth() / 50) * (m_pChipSheet->GetHeight() / 40);
}

void CQvmapView::SetUnits(CMapUnits* pUnits) {
    m_pUnits = pUnits;
    MapDraw(GetDocument()->GetMap());
    Invalidate();
}

void CQvmapView::DrawHexOne(CDC* pDC, WORD x, WORD y, BYTE value) {
    CHEXDrawView::DrawHexOne(pDC, x, y, value);
    if (m_pUnits && pDC && pDC->GetSafeHdc()) m_pUnits->DrawAt(pDC, x, y);
}

void CQvmapView::OnLButtonDown(UINT, POINT point) {
    CHexMap* pMap = GetDocument()->GetMap();
    const int nChips = ChipCount();
    const POINT scroll = GetScrollPosition();
    const POINT pixel{point.x + scroll.x, point.y + scroll.y};
    const POINT hex = GetMousePosToHexPos(&pixel);
    if (!pMap || nChips == 0 || hex.x < 0 || hex.y < 0 || hex.x >= pMap->GetMapWidth() ||
        hex.y >= pMap->GetMapHeight())
        return;
    const auto x = static_cast<WORD>(hex.x), y = static_cast<WORD>(hex.y);
    const BYTE old = pMap->GetData(x, y);
    const auto value = static_cast<BYTE>((old + 1) % nChips);
    pMap->SetData(x, y, value);
    GetDocument()->SetModifiedFlag();
    CClientDC dc(this);
    OnPrepareDC(&dc);
    DrawHex(&dc, x, y, value);
    std::printf("%d,%d %s: %u -> %u\n", hex.x, hex.y, HexLabel(hex.x, hex.y).c_str(), old, value);
    std::fflush(stdout);
}

void CQvmapView::OnChar(UINT nChar, UINT, UINT) {
    if (nChar != 's' && nChar != 'S') return;
    CHEXDrawDocument* pDocument = GetDocument();
    // A failure is told by the document in a message box.
    if (pDocument->OnSaveDocument(pDocument->GetPathName()))
        std::printf("saved %s\n", static_cast<const char*>(pDocument->GetPathName()));
    std::fflush(stdout);
}

}  // namespace qvmap
