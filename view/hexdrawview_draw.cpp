// CHEXDrawView drawing: one hex from its cell value (the chip cut to the hex shape, and its
// label), the whole map buffer, one cell on screen and in the buffer, the half-size hex, and
// painting.
//
// A chip goes into a hex in two transfers, both SRCERASE (source AND NOT destination): the
// hex mask, then the chip. The result is chip AND (NOT mask OR old): inside the hexagon (mask
// black) the chip, outside it the old pixels wherever the chip is white. That is why chips
// are white outside their hexagon, and why neighbours drawn earlier survive in the corners.
#include <cstdio>

#include "qvdll/hexdrawview.h"
#include "qvdll/hexgeom.h"

namespace {

constexpr int kHexWidth = 50;
constexpr int kHexHeight = 40;
constexpr int kPitch = 40;
constexpr int kColumnLetters = 26;
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr UINT kLabelFormat = DT_SINGLELINE | DT_BOTTOM | DT_CENTER;

// " (A,1) " for column 0, row 0; two letters from column 26 (AA) on. Past ZZ (column 701)
// the first letter runs on past 'Z' by the same rule.
int FormatLabel(char (&label)[16], WORD x, WORD y) {
    if (x < kColumnLetters) return std::snprintf(label, sizeof label, " (%c,%d) ", 'A' + x, y + 1);
    return std::snprintf(label, sizeof label, " (%c%c,%d) ", '@' + x / kColumnLetters,
                         'A' + x % kColumnLetters, y + 1);
}

bool HasPicture(CGraphic* pGraphic) {
    return pGraphic && pGraphic->GetDC() && pGraphic->GetDC()->GetSafeHdc() &&
           pGraphic->GetBitmap() && pGraphic->GetBitmap()->GetSafeHandle();
}

bool IsDrawable(CDC* pDC) {
    return pDC && pDC->GetSafeHdc();
}

// Where a chip lies on the sheet; not on it for a value past the sheet's last chip.
struct CChipPlace {
    POINT ptSource{0, 0};
    bool bOnSheet = false;
};

// Where chip `value` lies. False when the sheet cannot be drawn from: none loaded, narrower
// than a chip, or no hex mask to cut with.
bool FindChip(CGraphic* pSheet, CGraphic* pMask, BYTE value, CChipPlace& place) {
    if (!HasPicture(pSheet) || !HasPicture(pMask)) return false;
    BITMAP bm{};
    if (!pSheet->GetBitmap()->GetBitmap(&bm) || bm.bmWidth < kHexWidth) return false;
    const int nPerRow = bm.bmWidth / kHexWidth;
    place.ptSource = {kHexWidth * (value % nPerRow), kHexHeight * (value / nPerRow)};
    place.bOnSheet = place.ptSource.y + kHexHeight <= bm.bmHeight;
    return true;
}

}  // namespace

void CHEXDrawView::OnDraw(CDC* pDC) {
    CHexMap* pMap = DocumentMap();
    CDC* pBuffer = m_pMapBuffer ? m_pMapBuffer->GetDC() : nullptr;
    if (!pMap || !IsDrawable(pBuffer) || !IsDrawable(pDC)) return;
    pDC->BitBlt(0, 0, pMap->GetWidth(), pMap->GetHeight(), pBuffer, 0, 0, SRCCOPY);
}

void CHEXDrawView::MapDraw(CHexMap* pMap) {
    if (!pMap) return;
    const LONG nWidth = pMap->GetWidth();
    const LONG nHeight = pMap->GetHeight();
    CDC* pWindowDC = GetDC();
    m_pMapBuffer.Reset(new CGraphic);
    // A map too large for one picture leaves the buffer empty rather than drawing every hex
    // into nothing.
    if (m_pMapBuffer->Create(pWindowDC, nWidth, nHeight)) {
        CDC* pBuffer = m_pMapBuffer->GetDC();
        pBuffer->FillSolidRect(0, 0, nWidth, nHeight, kBlack);
        // The bounds are asked again at every step: a derived map may answer differently.
        for (WORD y = 0; y < pMap->GetMapHeight(); ++y)
            for (WORD x = 0; x < pMap->GetMapWidth(); ++x)
                DrawHexOne(pBuffer, x, y, pMap->GetData(x, y));
    }
    ReleaseDC(pWindowDC);
}

void CHEXDrawView::DrawHex(CDC* pDC, WORD x, WORD y, BYTE value) {
    DrawHexOne(pDC, x, y, value);
    CDC* pBuffer = m_pMapBuffer ? m_pMapBuffer->GetDC() : nullptr;
    if (IsDrawable(pBuffer)) DrawHexOne(pBuffer, x, y, value);
}

void CHEXDrawView::DrawHexOne(CDC* pDC, WORD x, WORD y, BYTE value) {
    if (!IsDrawable(pDC)) return;
    CFont* pOldFont = pDC->SelectObject(m_pFont.Get());
    CChipPlace chip;
    if (FindChip(m_pChipSheet.Get(), m_pHexMask.Get(), value, chip)) {
        const int left = kPitch * x;
        const int top = kPitch * y + GetHexHeightOffset(x);
        pDC->BitBlt(left, top, kHexWidth, kHexHeight, m_pHexMask->GetDC(), 0, 0, SRCERASE);
        if (chip.bOnSheet)
            pDC->BitBlt(left, top, kHexWidth, kHexHeight, m_pChipSheet->GetDC(), chip.ptSource.x,
                        chip.ptSource.y, SRCERASE);
        else  // a white chip: SRCERASE of white is the destination inverted
            pDC->PatBlt(left, top, kHexWidth, kHexHeight, DSTINVERT);

        char label[16];
        const int nLength = FormatLabel(label, x, y);
        RECT rcBox{left, top, left + kHexWidth, top + kHexHeight};
        pDC->SetBkMode(TRANSPARENT);
        pDC->SetTextColor(kBlack);
        pDC->DrawText(label, nLength, &rcBox, kLabelFormat);
        pDC->SetBkMode(OPAQUE);
    }
    if (pOldFont) pDC->SelectObject(pOldFont);
}

void CHEXDrawView::DrawHexSmall(CDC* pDC, LONG x, LONG y, BYTE value) {
    constexpr int kSmallWidth = kHexWidth / 2;
    constexpr int kSmallHeight = kHexHeight / 2;
    CChipPlace chip;
    if (!IsDrawable(pDC) || !FindChip(m_pChipSheet.Get(), m_pHexMask.Get(), value, chip)) return;
    pDC->StretchBlt(x, y, kSmallWidth, kSmallHeight, m_pHexMask->GetDC(), 0, 0, kHexWidth,
                    kHexHeight, SRCERASE);
    if (chip.bOnSheet)
        pDC->StretchBlt(x, y, kSmallWidth, kSmallHeight, m_pChipSheet->GetDC(), chip.ptSource.x,
                        chip.ptSource.y, kHexWidth, kHexHeight, SRCERASE);
    else
        pDC->PatBlt(x, y, kSmallWidth, kSmallHeight, DSTINVERT);
}
