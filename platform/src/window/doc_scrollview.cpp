// The scroll view: scroll sizes, the bars, scrolling by lines, pages and the thumb, and the
// context origin moved by the scroll position.
#include <algorithm>

#include "qvplatform/afxdc.h"
#include "qvplatform/exceptions.h"
#include "qvplatform/view.h"

IMPLEMENT_DYNAMIC(CScrollView, CView)

const SIZE CScrollView::sizeDefault{0, 0};

BEGIN_MESSAGE_MAP(CScrollView, CView)
ON_WM_SIZE()
ON_WM_HSCROLL()
ON_WM_VSCROLL()
END_MESSAGE_MAP()

CScrollView::CScrollView() = default;

void CScrollView::SetScrollSizes(int nMapMode, SIZE sizeTotal, const SIZE& sizePage,
                                 const SIZE& sizeLine) {
    if (nMapMode != MM_TEXT)
        AfxThrowInvalidArgException("scroll sizes: mapping mode " + std::to_string(nMapMode) +
                                    " is not MM_TEXT");
    m_nMapMode = nMapMode;
    m_totalDev = {std::max<LONG>(sizeTotal.cx, 0), std::max<LONG>(sizeTotal.cy, 0)};
    m_pageDev = {sizePage.cx > 0 ? sizePage.cx : m_totalDev.cx / 10,
                 sizePage.cy > 0 ? sizePage.cy : m_totalDev.cy / 10};
    m_lineDev = {sizeLine.cx > 0 ? sizeLine.cx : m_pageDev.cx / 10,
                 sizeLine.cy > 0 ? sizeLine.cy : m_pageDev.cy / 10};
    if (m_hWnd) UpdateBars();
}

POINT CScrollView::GetScrollPosition() const {
    return {GetScrollPos(SB_HORZ), GetScrollPos(SB_VERT)};
}

void CScrollView::ScrollToPosition(POINT pt) {
    ScrollToDevicePosition({std::clamp<LONG>(pt.x, 0, std::max(GetScrollLimit(SB_HORZ), 0)),
                            std::clamp<LONG>(pt.y, 0, std::max(GetScrollLimit(SB_VERT), 0))});
}

void CScrollView::GetDeviceScrollSizes(int& nMapMode, SIZE& sizeTotal, SIZE& sizePage,
                                       SIZE& sizeLine) const {
    nMapMode = m_nMapMode;
    sizeTotal = m_totalDev;
    sizePage = m_pageDev;
    sizeLine = m_lineDev;
}

void CScrollView::OnPrepareDC(CDC* pDC, CPrintInfo* pInfo) {
    CView::OnPrepareDC(pDC, pInfo);
    POINT pos = GetScrollPosition();
    pDC->SetViewportOrg(-pos.x, -pos.y);
}

void CScrollView::OnSize(UINT nType, int cx, int cy) {
    CView::OnSize(nType, cx, cy);
    if (m_nMapMode) UpdateBars();
}

void CScrollView::OnHScroll(UINT nSBCode, UINT nPos, CScrollBar*) {
    OnScroll(SB_HORZ, nSBCode, nPos);
}

void CScrollView::OnVScroll(UINT nSBCode, UINT nPos, CScrollBar*) {
    OnScroll(SB_VERT, nSBCode, nPos);
}

void CScrollView::UpdateBars() {
    RECT rc;
    GetClientRect(&rc);
    POINT before = GetScrollPosition();
    const int client[2] = {rc.right, rc.bottom};
    const LONG total[2] = {m_totalDev.cx, m_totalDev.cy};
    for (int bar : {SB_HORZ, SB_VERT}) {
        SCROLLINFO si{sizeof(SCROLLINFO),
                      SIF_RANGE | SIF_PAGE,
                      0,
                      std::max<LONG>(total[bar] - 1, 0),
                      static_cast<UINT>(client[bar]),
                      0,
                      0};
        SetScrollInfo(bar, &si, TRUE);  // moves the position back inside the new range
    }
    POINT after = GetScrollPosition();
    if (after.x != before.x || after.y != before.y)
        ScrollWindow(before.x - after.x, before.y - after.y);
}

void CScrollView::OnScroll(int nBar, UINT nSBCode, UINT nPos) {
    long long pos = GetScrollPos(nBar);
    long long line = nBar == SB_HORZ ? m_lineDev.cx : m_lineDev.cy;
    long long page = nBar == SB_HORZ ? m_pageDev.cx : m_pageDev.cy;
    int limit = std::max(GetScrollLimit(nBar), 0);
    long long target;
    switch (nSBCode) {
        case SB_TOP:
            target = 0;
            break;
        case SB_BOTTOM:
            target = limit;
            break;
        case SB_LINEUP:
            target = pos - line;
            break;
        case SB_LINEDOWN:
            target = pos + line;
            break;
        case SB_PAGEUP:
            target = pos - page;
            break;
        case SB_PAGEDOWN:
            target = pos + page;
            break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
            target = static_cast<int>(nPos);
            break;
        default:
            return;  // SB_ENDSCROLL and unknown codes
    }
    POINT pt = GetScrollPosition();
    (nBar == SB_HORZ ? pt.x : pt.y) = static_cast<LONG>(std::clamp<long long>(target, 0, limit));
    ScrollToDevicePosition(pt);
}

void CScrollView::ScrollToDevicePosition(POINT pt) {
    POINT before = GetScrollPosition();
    if (pt.x == before.x && pt.y == before.y) return;
    ScrollWindow(before.x - pt.x, before.y - pt.y);
    SetScrollPos(SB_HORZ, pt.x);
    SetScrollPos(SB_VERT, pt.y);
}
