// Scroll-bar state: range, page and position of the two bars of a window, with the clamps
// every setter applies.
#include <algorithm>

#include "wnd_internal.h"

namespace qvp::detail {

int ScrollBarState::Limit() const {
    long long page = nPage;
    return static_cast<int>(nMax - std::max(page - 1, 0LL));
}

namespace {

ScrollBarState* FindBar(HWND hWnd, int nBar) {
    WindowObject* w = FindWindowObject(hWnd);
    if (!w || (nBar != SB_HORZ && nBar != SB_VERT)) return nullptr;
    return &w->m_bars[nBar];
}

// Keeps the page within the range and the position within what the page leaves.
void Clamp(ScrollBarState& bar) {
    long long span = static_cast<long long>(bar.nMax) - bar.nMin + 1;
    bar.nPage = static_cast<UINT>(std::min<long long>(bar.nPage, span));
    bar.nPos = std::clamp(bar.nPos, bar.nMin, bar.Limit());
    if (!bar.bTracking) bar.nTrackPos = bar.nPos;
}

void RedrawBar(HWND hWnd, BOOL bRedraw) {
    if (!bRedraw) return;
    if (WindowObject* w = FindWindowObject(hWnd)) w->m_bShowPending = true;
}

}  // namespace

}  // namespace qvp::detail

using namespace qvp::detail;

int SetScrollInfo(HWND hWnd, int nBar, LPCSCROLLINFO lpsi, BOOL bRedraw) {
    ScrollBarState* bar = FindBar(hWnd, nBar);
    if (!bar || !lpsi) return 0;
    if (lpsi->fMask & SIF_RANGE) {
        bar->nMin = lpsi->nMin;
        // A reversed range is taken as an empty one at nMin rather than a negative span.
        bar->nMax = std::max(lpsi->nMax, lpsi->nMin);
    }
    if (lpsi->fMask & SIF_PAGE) bar->nPage = lpsi->nPage;
    if (lpsi->fMask & SIF_POS) bar->nPos = lpsi->nPos;
    Clamp(*bar);
    RedrawBar(hWnd, bRedraw);
    return bar->nPos;
}

BOOL GetScrollInfo(HWND hWnd, int nBar, LPSCROLLINFO lpsi) {
    const ScrollBarState* bar = FindBar(hWnd, nBar);
    if (!bar || !lpsi || !(lpsi->fMask & SIF_ALL)) return FALSE;
    if (lpsi->fMask & SIF_RANGE) {
        lpsi->nMin = bar->nMin;
        lpsi->nMax = bar->nMax;
    }
    if (lpsi->fMask & SIF_PAGE) lpsi->nPage = bar->nPage;
    if (lpsi->fMask & SIF_POS) lpsi->nPos = bar->nPos;
    if (lpsi->fMask & SIF_TRACKPOS) lpsi->nTrackPos = bar->nTrackPos;
    return TRUE;
}

int SetScrollPos(HWND hWnd, int nBar, int nPos, BOOL bRedraw) {
    ScrollBarState* bar = FindBar(hWnd, nBar);
    if (!bar) return 0;
    int previous = bar->nPos;
    SCROLLINFO si{sizeof(SCROLLINFO), SIF_POS, 0, 0, 0, nPos, 0};
    SetScrollInfo(hWnd, nBar, &si, bRedraw);
    return previous;
}

int GetScrollPos(HWND hWnd, int nBar) {
    const ScrollBarState* bar = FindBar(hWnd, nBar);
    return bar ? bar->nPos : 0;
}

BOOL SetScrollRange(HWND hWnd, int nBar, int nMinPos, int nMaxPos, BOOL bRedraw) {
    if (!FindBar(hWnd, nBar)) return FALSE;
    SCROLLINFO si{sizeof(SCROLLINFO), SIF_RANGE, nMinPos, nMaxPos, 0, 0, 0};
    SetScrollInfo(hWnd, nBar, &si, bRedraw);
    return TRUE;
}

BOOL GetScrollRange(HWND hWnd, int nBar, LPINT lpMinPos, LPINT lpMaxPos) {
    const ScrollBarState* bar = FindBar(hWnd, nBar);
    if (!bar || !lpMinPos || !lpMaxPos) return FALSE;
    *lpMinPos = bar->nMin;
    *lpMaxPos = bar->nMax;
    return TRUE;
}

// ---- CWnd ----

int CWnd::SetScrollPos(int nBar, int nPos, BOOL bRedraw) {
    return ::SetScrollPos(m_hWnd, nBar, nPos, bRedraw);
}

int CWnd::GetScrollPos(int nBar) const {
    return ::GetScrollPos(m_hWnd, nBar);
}

void CWnd::SetScrollRange(int nBar, int nMinPos, int nMaxPos, BOOL bRedraw) {
    ::SetScrollRange(m_hWnd, nBar, nMinPos, nMaxPos, bRedraw);
}

void CWnd::GetScrollRange(int nBar, LPINT lpMinPos, LPINT lpMaxPos) const {
    ::GetScrollRange(m_hWnd, nBar, lpMinPos, lpMaxPos);
}

BOOL CWnd::SetScrollInfo(int nBar, LPSCROLLINFO lpScrollInfo, BOOL bRedraw) {
    if (!FindBar(m_hWnd, nBar) || !lpScrollInfo) return FALSE;
    ::SetScrollInfo(m_hWnd, nBar, lpScrollInfo, bRedraw);
    return TRUE;
}

BOOL CWnd::GetScrollInfo(int nBar, LPSCROLLINFO lpScrollInfo, UINT nMask) {
    if (!lpScrollInfo) return FALSE;
    lpScrollInfo->cbSize = sizeof(SCROLLINFO);
    lpScrollInfo->fMask = nMask;
    return ::GetScrollInfo(m_hWnd, nBar, lpScrollInfo);
}

int CWnd::GetScrollLimit(int nBar) {
    const ScrollBarState* bar = FindBar(m_hWnd, nBar);
    return bar ? bar->Limit() : 0;
}
