#include "wnd_test_util.h"

#include <algorithm>

namespace wndtest {

BEGIN_MESSAGE_MAP(CRecordingWnd, CWnd)
ON_WM_SIZE()
ON_WM_HSCROLL()
ON_WM_VSCROLL()
ON_WM_LBUTTONDOWN()
ON_WM_MOUSEMOVE()
ON_WM_PAINT()
END_MESSAGE_MAP()

std::vector<Call> CRecordingWnd::Taken(UINT message) const {
    std::vector<Call> calls;
    std::copy_if(m_calls.begin(), m_calls.end(), std::back_inserter(calls),
                 [message](const Call& c) { return c.message == message; });
    return calls;
}

void CRecordingWnd::OnSize(UINT nType, int cx, int cy) {
    m_calls.push_back({WM_SIZE, nType, cx, cy});
}

void CRecordingWnd::OnHScroll(UINT nSBCode, UINT nPos, CScrollBar*) {
    m_calls.push_back({WM_HSCROLL, nSBCode, static_cast<int>(nPos), 0});
}

void CRecordingWnd::OnVScroll(UINT nSBCode, UINT nPos, CScrollBar*) {
    m_calls.push_back({WM_VSCROLL, nSBCode, static_cast<int>(nPos), 0});
}

void CRecordingWnd::OnLButtonDown(UINT nFlags, POINT point) {
    m_calls.push_back({WM_LBUTTONDOWN, nFlags, point.x, point.y});
}

void CRecordingWnd::OnMouseMove(UINT nFlags, POINT point) {
    m_calls.push_back({WM_MOUSEMOVE, nFlags, point.x, point.y});
}

void CRecordingWnd::OnPaint() {
    PAINTSTRUCT ps;
    if (::BeginPaint(m_hWnd, &ps)) {
        ++m_nPaints;
        m_rcLastPaint = ps.rcPaint;
        ::EndPaint(m_hWnd, &ps);
    }
}

COLORREF PixelOf(HBITMAP hbm, int x, int y) {
    BITMAP bm{};
    if (!GetObjectA(hbm, sizeof bm, &bm) || x < 0 || y < 0 || x >= bm.bmWidth || y >= bm.bmHeight)
        return CLR_INVALID;
    std::vector<DWORD> bits(static_cast<std::size_t>(bm.bmWidth) * bm.bmHeight);
    GetBitmapBits(hbm, static_cast<LONG>(bits.size() * 4), bits.data());
    DWORD p = bits[static_cast<std::size_t>(y) * bm.bmWidth + x];  // 0x00RRGGBB
    return RGB(static_cast<BYTE>(p >> 16), static_cast<BYTE>(p >> 8), static_cast<BYTE>(p));
}

COLORREF ShownPixel(HWND hWnd, int x, int y) {
    HBITMAP copy = AfxCopyWindowImage(hWnd);
    COLORREF c = PixelOf(copy, x, y);
    DeleteObject(copy);
    return c;
}

RECT UpdateBox(CWnd& wnd) {
    RECT rc{};
    return wnd.GetUpdateRect(&rc) ? rc : RECT{};
}

}  // namespace wndtest
