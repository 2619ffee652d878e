// What happens to messages no handler takes, and the base handlers derived classes call.
#include "wnd_internal.h"

namespace {

// Sends the scroll message of one step and the end of scrolling, as a scroll bar does.
void Scroll(HWND hWnd, UINT message, UINT nCode, int nSteps = 1) {
    for (int i = 0; i < nSteps; ++i) SendMessageA(hWnd, message, MAKEWPARAM(nCode, 0), 0);
    SendMessageA(hWnd, message, MAKEWPARAM(SB_ENDSCROLL, 0), 0);
}

void ScrollForKey(HWND hWnd, UINT nKey) {
    switch (nKey) {
        case VK_UP:
            return Scroll(hWnd, WM_VSCROLL, SB_LINEUP);
        case VK_DOWN:
            return Scroll(hWnd, WM_VSCROLL, SB_LINEDOWN);
        case VK_LEFT:
            return Scroll(hWnd, WM_HSCROLL, SB_LINELEFT);
        case VK_RIGHT:
            return Scroll(hWnd, WM_HSCROLL, SB_LINERIGHT);
        case VK_PRIOR:
            return Scroll(hWnd, WM_VSCROLL, SB_PAGEUP);
        case VK_NEXT:
            return Scroll(hWnd, WM_VSCROLL, SB_PAGEDOWN);
        case VK_HOME:
            return Scroll(hWnd, WM_VSCROLL, SB_TOP);
        case VK_END:
            return Scroll(hWnd, WM_VSCROLL, SB_BOTTOM);
        default:
            return;
    }
}

// One line per notch; a turn of less than a notch still moves one line.
void ScrollForWheel(HWND hWnd, bool bHorizontal, short zDelta) {
    if (zDelta == 0) return;
    int nSteps = zDelta / WHEEL_DELTA;
    if (nSteps == 0) nSteps = zDelta > 0 ? 1 : -1;
    // Turning the wheel away from the user scrolls up, or to the right on a sideways wheel.
    bool bForward = bHorizontal ? nSteps > 0 : nSteps < 0;
    Scroll(hWnd, bHorizontal ? WM_HSCROLL : WM_VSCROLL, bForward ? SB_LINEDOWN : SB_LINEUP,
           nSteps < 0 ? -nSteps : nSteps);
}

}  // namespace

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM) {
    HWND hWnd = m_hWnd;  // handlers reached from here may delete this object
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            if (::BeginPaint(hWnd, &ps)) ::EndPaint(hWnd, &ps);
            return 0;
        }
        case WM_ERASEBKGND: {
            auto hdc = reinterpret_cast<HDC>(wParam);
            RECT rc;
            if (GetClipBox(hdc, &rc) == ERROR) return 0;
            return FillRect(hdc, &rc, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH))) ? 1 : 0;
        }
        case WM_CLOSE:
            ::DestroyWindow(hWnd);
            return 0;
        case WM_KEYDOWN:
            ScrollForKey(hWnd, static_cast<UINT>(wParam));
            return 0;
        case WM_MOUSEWHEEL:
        case WM_MOUSEHWHEEL: {
            auto zDelta = static_cast<short>((wParam >> 16) & 0xFFFF);
            bool bShift = (wParam & MK_SHIFT) != 0;
            ScrollForWheel(
                hWnd, message == WM_MOUSEHWHEEL || bShift,
                message == WM_MOUSEWHEEL && bShift ? static_cast<short>(-zDelta) : zDelta);
            return 1;
        }
        default:
            return 0;
    }
}

void CWnd::OnSize(UINT, int, int) {
    Default();
}
void CWnd::OnPaint() {
    Default();
}
void CWnd::OnHScroll(UINT, UINT, CScrollBar*) {
    Default();
}
void CWnd::OnVScroll(UINT, UINT, CScrollBar*) {
    Default();
}
void CWnd::OnLButtonDown(UINT, POINT) {
    Default();
}
void CWnd::OnLButtonUp(UINT, POINT) {
    Default();
}
void CWnd::OnRButtonDown(UINT, POINT) {
    Default();
}
void CWnd::OnRButtonUp(UINT, POINT) {
    Default();
}
void CWnd::OnMouseMove(UINT, POINT) {
    Default();
}
BOOL CWnd::OnMouseWheel(UINT, short, POINT) {
    return Default() != 0;
}
void CWnd::OnKeyDown(UINT, UINT, UINT) {
    Default();
}
void CWnd::OnKeyUp(UINT, UINT, UINT) {
    Default();
}
void CWnd::OnChar(UINT, UINT, UINT) {
    Default();
}
void CWnd::OnDestroy() {
    Default();
}
void CWnd::OnClose() {
    Default();
}
