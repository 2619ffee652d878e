// CHEXDrawView outside drawing: construction, the initial update that loads the chip sheet
// and the hex mask and builds the map buffer, document updates, sizing and scrolling.
//
// The view scrolls by its own rules rather than the scroll view's: it keeps its position in
// m_ptScroll, moves the window's picture with ScrollWindow and sets the bars itself. Painting
// takes its origin from the bars, so every handler leaves the bars at m_ptScroll.
#include <algorithm>

#include <qvplatform/msgbox.h>

#include "qvdll/hexdrawview.h"
#include "qvdll/resource.h"

namespace {

// The label font: 7 points of "ＭＳ ゴシック", in code page 932.
constexpr int kLabelPointSize = 70;
constexpr char kLabelFace[] = "\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e";

constexpr char kChipSheetName[] = "MAP.BMP";
// "MAP.BMPファイルがありません。" and "MAP.BMPファイルをフォルダにコピーして再起動してください"
// on two lines, in code page 932.
constexpr char kMissingChipSheet[] =
    "MAP.BMP\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xaa\x82\xa0\x82\xe8\x82\xdc\x82\xb9\x82\xf1"
    "\x81\x42\n"
    "MAP.BMP\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xf0\x83\x74\x83\x48\x83\x8b\x83\x5f\x82\xc9"
    "\x83\x52\x83\x73\x81\x5b\x82\xb5\x82\xc4\x8d\xc4\x8b\x4e\x93\xae\x82\xb5\x82\xc4\x82\xad"
    "\x82\xbe\x82\xb3\x82\xa2";

constexpr POINT kOrigin{0, 0};
// The framework's default page and line sizes (a tenth of the total, a tenth of a page). A
// copy of the scroll view's own constant: odr-using that inline member would make it a
// unique symbol of this library, which the dynamic linker then never unloads.
constexpr SIZE kDefaultSteps{0, 0};

LONG& Axis(POINT& pt, int nBar) {
    return nBar == SB_HORZ ? pt.x : pt.y;
}

}  // namespace

IMPLEMENT_DYNCREATE(CHEXDrawView, CScrollView)

BEGIN_MESSAGE_MAP(CHEXDrawView, CScrollView)
ON_WM_VSCROLL()
ON_WM_HSCROLL()
ON_WM_SIZE()
END_MESSAGE_MAP()

CHEXDrawView::CHEXDrawView()
    : m_ptSpare1(kOrigin),
      m_ptSpare2(kOrigin),
      m_ptScrollHex(kOrigin),
      m_sizeClient{0, 0},
      m_ptScroll(kOrigin),
      m_pFont(new CFont),
      m_pHexMask(new CGraphic),
      m_pChipSheet(new CGraphic),
      m_pMapBuffer(new CGraphic) {}

CHEXDrawView::~CHEXDrawView() {
    if (m_pFont) m_pFont->DeleteObject();
    m_pMapBuffer.Reset();
    m_pChipSheet.Reset();
    m_pHexMask.Reset();
    m_pFont.Reset();
}

CHEXDrawDocument* CHEXDrawView::GetDocument() const {
    return static_cast<CHEXDrawDocument*>(m_pDocument);
}

CHexMap* CHEXDrawView::DocumentMap() const {
    CHEXDrawDocument* pDocument = DYNAMIC_DOWNCAST(CHEXDrawDocument, m_pDocument);
    return pDocument ? pDocument->GetMap() : nullptr;
}

void CHEXDrawView::OnInitialUpdate() {
    CScrollView::OnInitialUpdate();
    CHexMap* pMap = DocumentMap();
    if (pMap)
        SetScrollSizes(MM_TEXT, {pMap->GetWidth(), pMap->GetHeight()}, kDefaultSteps,
                       kDefaultSteps);
    m_ptSpare1 = m_ptSpare2 = m_ptScrollHex = m_ptScroll = kOrigin;
    m_sizeClient = {0, 0};
    if (m_hWnd) {
        // The size message came before this update, and the next may be far off: the scroll
        // clamps need the client size now. The bars go back to the top-left with m_ptScroll;
        // the whole view is repainted anyway.
        RECT rc;
        GetClientRect(&rc);
        m_sizeClient = {rc.right, rc.bottom};
        SetScrollPos(SB_HORZ, 0);
        SetScrollPos(SB_VERT, 0);
    }

    m_pFont.Reset(new CFont);
    m_pFont->CreatePointFont(kLabelPointSize, kLabelFace, nullptr);
    m_pChipSheet.Reset(new CGraphic);
    m_pHexMask.Reset(new CGraphic);
    m_pMapBuffer.Reset(new CGraphic);

    CDC* pDC = GetDC();
    if (!m_pChipSheet->LoadBitmapA(pDC, kChipSheetName)) {
        AfxMessageBox(kMissingChipSheet, MB_OK, 0);
    } else {
        m_pHexMask->LoadBitmapA(pDC, IDB_HEXMASK);
        if (pMap) {
            m_pMapBuffer->Create(pDC, pMap->GetWidth(), pMap->GetHeight());
            MapDraw(pMap);
        }
    }
    ReleaseDC(pDC);
}

void CHEXDrawView::OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) {
    if (!pHint || !(lHint & 1)) {
        CScrollView::OnUpdate(pSender, lHint, pHint);
        return;
    }
    CHexMap* pMap = DYNAMIC_DOWNCAST(CHexMap, pHint);
    if (!pMap) return;
    SetScrollSizes(MM_TEXT, {pMap->GetWidth(), pMap->GetHeight()}, kDefaultSteps, kDefaultSteps);
    if (m_hWnd) {
        // New sizes may have moved the bars back inside a smaller map: follow them.
        m_ptScroll = GetScrollPosition();
        m_ptScrollHex = {m_ptScroll.x / kLineStep, m_ptScroll.y / kLineStep};
    }
    MapDraw(pMap);
    Invalidate(TRUE);
}

void CHEXDrawView::OnSize(UINT nType, int cx, int cy) {
    CScrollView::OnSize(nType, cx, cy);
    m_sizeClient = {cx, cy};
    CHexMap* pMap = DocumentMap();
    if (!pMap) return;
    const LONG extent[2] = {pMap->GetWidth(), pMap->GetHeight()};
    const int client[2] = {cx, cy};
    for (int nBar : {SB_HORZ, SB_VERT}) {
        // A window grown past the map's far edge goes back to the start of that axis. The
        // scroll view above may have moved the bar already; the picture moves from there.
        LONG nPos = Axis(m_ptScroll, nBar);
        if (nPos + client[nBar] > extent[nBar]) nPos = 0;
        const int nShift = GetScrollPos(nBar) - nPos;
        if (nShift) ScrollWindow(nBar == SB_HORZ ? nShift : 0, nBar == SB_VERT ? nShift : 0);
        SetScrollRange(nBar, 0, extent[nBar], FALSE);
        SCROLLINFO si{};
        GetScrollInfo(nBar, &si, SIF_ALL);
        si.nPage = static_cast<UINT>(std::max(client[nBar], 0));
        SetScrollInfo(nBar, &si, FALSE);
        SetScrollPos(nBar, nPos, TRUE);
        Axis(m_ptScroll, nBar) = nPos;
        Axis(m_ptScrollHex, nBar) = nPos / kLineStep;
    }
}

void CHEXDrawView::OnHScroll(UINT nSBCode, UINT nPos, CScrollBar*) {
    ScrollAxis(SB_HORZ, nSBCode, nPos);
}

void CHEXDrawView::OnVScroll(UINT nSBCode, UINT nPos, CScrollBar*) {
    ScrollAxis(SB_VERT, nSBCode, nPos);
}

void CHEXDrawView::ScrollAxis(int nBar, UINT nSBCode, UINT nPos) {
    const long long current = Axis(m_ptScroll, nBar);
    long long target;
    switch (nSBCode) {
        case SB_LINEUP:
            target = current - kLineStep;
            break;
        case SB_LINEDOWN:
            target = current + kLineStep;
            break;
        case SB_PAGEUP:
            target = current - kPageStep;
            break;
        case SB_PAGEDOWN:
            target = current + kPageStep;
            break;
        case SB_THUMBTRACK:
            target = nPos;
            break;
        case SB_ENDSCROLL:
            return;
        default:  // the thumb's release, the ends and unknown codes keep the position
            target = current;
            break;
    }
    CHexMap* pMap = DocumentMap();
    const long long extent = !pMap ? 0 : nBar == SB_HORZ ? pMap->GetWidth() : pMap->GetHeight();
    const long long client = nBar == SB_HORZ ? m_sizeClient.cx : m_sizeClient.cy;
    // A map smaller than the window stays at 0 rather than going negative.
    target = std::max(std::min(target, extent - client), 0LL);
    MoveTo(nBar, static_cast<LONG>(target));
}

void CHEXDrawView::MoveTo(int nBar, LONG nPos) {
    const LONG nShift = Axis(m_ptScroll, nBar) - nPos;
    ScrollWindow(nBar == SB_HORZ ? nShift : 0, nBar == SB_VERT ? nShift : 0);
    SetScrollPos(nBar, nPos, TRUE);
    Axis(m_ptScroll, nBar) = nPos;
    Axis(m_ptScrollHex, nBar) = nPos / kLineStep;
}
