// Helpers for the window tests: a window that records the messages its handlers get, and
// pixels of what a window shows.
#pragma once

#include <vector>

#include "../gdi/gdi_test_util.h"
#include "qvplatform/gdi.h"
#include "qvplatform/wnd.h"

namespace wndtest {

struct Call {
    UINT message;
    UINT a;       // nType, nSBCode, nFlags or nChar
    long long b;  // cx, nPos or x
    long long c;  // cy or y
    bool operator==(const Call&) const = default;
};

// Records sizes, scrolls, clicks, mouse moves and paints; the paint handler validates.
class CRecordingWnd : public CWnd {
public:
    std::vector<Call> m_calls;
    int m_nPaints = 0;
    RECT m_rcLastPaint{};

    std::vector<Call> Taken(UINT message) const;  // the calls of one message, in order

protected:
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    afx_msg void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    afx_msg void OnLButtonDown(UINT nFlags, POINT point);
    afx_msg void OnMouseMove(UINT nFlags, POINT point);
    afx_msg void OnPaint();
    DECLARE_MESSAGE_MAP()
};

// The pixel at (x, y) of a bitmap, as a COLORREF; CLR_INVALID outside it.
COLORREF PixelOf(HBITMAP hbm, int x, int y);
// The pixel at (x, y) of what the window shows.
COLORREF ShownPixel(HWND hWnd, int x, int y);
// The box GetUpdateRect gives; all zero when nothing is invalid.
RECT UpdateBox(CWnd& wnd);

}  // namespace wndtest
