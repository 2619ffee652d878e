// Windows: a client area with its picture, two scroll bars, an invalid area and a paint
// cycle, and the messages that drive them. A window lives on one of two back ends: a memory
// surface only (tests, rendering to files) or, besides it, a real window on the screen
// through SDL2. Either way the window's picture is a colour bitmap of the client size that
// the window's device contexts draw into; a real window shows it with the scroll bars.
//
// Every call taking an HWND refuses a null, stale or foreign handle. There is no screen
// position: client and screen coordinates are the same.
#pragma once

#include "qvplatform/msgmap.h"

class CDC;

using LPINT = int*;

// Back ends, chosen when a window is created.
constexpr UINT WNDBACK_HEADLESS = 0;  // the memory surface only
constexpr UINT WNDBACK_SDL = 1;       // a real window as well (SDL_VIDEODRIVER is honoured)

// Scroll bars and scroll codes.
constexpr int SB_HORZ = 0;
constexpr int SB_VERT = 1;
constexpr int SB_CTL = 2;  // scroll-bar controls do not exist here: calls on it fail
constexpr int SB_BOTH = 3;

constexpr UINT SB_LINEUP = 0;
constexpr UINT SB_LINELEFT = 0;
constexpr UINT SB_LINEDOWN = 1;
constexpr UINT SB_LINERIGHT = 1;
constexpr UINT SB_PAGEUP = 2;
constexpr UINT SB_PAGELEFT = 2;
constexpr UINT SB_PAGEDOWN = 3;
constexpr UINT SB_PAGERIGHT = 3;
constexpr UINT SB_THUMBPOSITION = 4;
constexpr UINT SB_THUMBTRACK = 5;
constexpr UINT SB_TOP = 6;
constexpr UINT SB_LEFT = 6;
constexpr UINT SB_BOTTOM = 7;
constexpr UINT SB_RIGHT = 7;
constexpr UINT SB_ENDSCROLL = 8;

constexpr UINT SIF_RANGE = 0x0001;
constexpr UINT SIF_PAGE = 0x0002;
constexpr UINT SIF_POS = 0x0004;
constexpr UINT SIF_DISABLENOSCROLL = 0x0008;  // accepted; bars of real windows always show
constexpr UINT SIF_TRACKPOS = 0x0010;
constexpr UINT SIF_ALL = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;

// A bar's state. The position always lies in [nMin, nMax - max(nPage - 1, 0)]; the page lies
// in [0, nMax - nMin + 1]. nTrackPos is the thumb's place while the user drags it.
struct SCROLLINFO {
    UINT cbSize;
    UINT fMask;
    int nMin;
    int nMax;
    UINT nPage;
    int nPos;
    int nTrackPos;
};
using LPSCROLLINFO = SCROLLINFO*;
using LPCSCROLLINFO = const SCROLLINFO*;

struct PAINTSTRUCT {
    HDC hdc;
    BOOL fErase;   // TRUE when the background still needs erasing
    RECT rcPaint;  // the invalid area, in client coordinates
    BOOL fRestore;
    BOOL fIncUpdate;
    BYTE rgbReserved[32];
};
using LPPAINTSTRUCT = PAINTSTRUCT*;

// WM_SIZE types, virtual keys, mouse-message flags.
constexpr UINT SIZE_RESTORED = 0;
constexpr UINT VK_BACK = 0x08, VK_TAB = 0x09, VK_RETURN = 0x0D, VK_SHIFT = 0x10;
constexpr UINT VK_CONTROL = 0x11, VK_ESCAPE = 0x1B, VK_SPACE = 0x20, VK_PRIOR = 0x21;
constexpr UINT VK_NEXT = 0x22, VK_END = 0x23, VK_HOME = 0x24, VK_LEFT = 0x25, VK_UP = 0x26;
constexpr UINT VK_RIGHT = 0x27, VK_DOWN = 0x28, VK_DELETE = 0x2E;  // 'A'..'Z', '0'..'9' as is
constexpr UINT MK_LBUTTON = 0x0001, MK_RBUTTON = 0x0002, MK_SHIFT = 0x0004, MK_CONTROL = 0x0008;
constexpr short WHEEL_DELTA = 120;

// ---- The window interface ----

QVP_API BOOL IsWindow(HWND hWnd);
// Sends WM_DESTROY, releases the window's contexts and picture and retires the handle.
QVP_API BOOL DestroyWindow(HWND hWnd);
// Runs the window's handler now and returns its result; 0 for a bad handle.
QVP_API LRESULT SendMessageA(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
inline LRESULT SendMessage(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return SendMessageA(hWnd, message, wParam, lParam);
}
// Queues a message that the loop sends on its next pass, before painting; FALSE for a bad
// handle. Scripts of input for a real window go this way too.
QVP_API BOOL PostMessageA(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
inline BOOL PostMessage(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return PostMessageA(hWnd, message, wParam, lParam);
}
// Sizes the client area to nWidth x nHeight, sends WM_SIZE and, with bRepaint, invalidates
// the whole client area. x and y are ignored: a window has no place on a screen here.
QVP_API BOOL MoveWindow(HWND hWnd, int x, int y, int nWidth, int nHeight, BOOL bRepaint);
QVP_API BOOL GetClientRect(HWND hWnd, LPRECT lpRect);

// The invalid area is kept as one rectangle, the bounding box of everything invalidated.
QVP_API BOOL InvalidateRect(HWND hWnd, const RECT* lpRect, BOOL bErase);  // null: all
QVP_API BOOL ValidateRect(HWND hWnd, const RECT* lpRect);  // null, or covering it: all
QVP_API BOOL GetUpdateRect(HWND hWnd, LPRECT lpRect, BOOL bErase);
// Sends WM_PAINT when part of the window is invalid.
QVP_API BOOL UpdateWindow(HWND hWnd);
// A context on the window's picture clipped to the invalid area, which becomes valid. When
// the background needs erasing, WM_ERASEBKGND is sent first (by default: white).
QVP_API HDC BeginPaint(HWND hWnd, LPPAINTSTRUCT lpPaint);
QVP_API BOOL EndPaint(HWND hWnd, const PAINTSTRUCT* lpPaint);
// A context on the window's picture, clipped to the client area, until ReleaseDC. A null
// window gives a screen context, whose compatible bitmaps are colour.
QVP_API HDC GetDC(HWND hWnd);
QVP_API int ReleaseDC(HWND hWnd, HDC hDC);
// Moves the picture inside lpRect (null: the client area) by (dx, dy), within lpClipRect,
// and invalidates what was uncovered. With lpRect null, a pending invalid area moves too.
QVP_API BOOL ScrollWindow(HWND hWnd, int dx, int dy, const RECT* lpRect, const RECT* lpClipRect);

// Scroll bars (SB_HORZ or SB_VERT). Every setter clamps the position into the range.
QVP_API int SetScrollInfo(HWND hWnd, int nBar, LPCSCROLLINFO lpsi, BOOL bRedraw);  // new pos
QVP_API BOOL GetScrollInfo(HWND hWnd, int nBar, LPSCROLLINFO lpsi);
QVP_API int SetScrollPos(HWND hWnd, int nBar, int nPos, BOOL bRedraw);  // previous position
QVP_API int GetScrollPos(HWND hWnd, int nBar);
QVP_API BOOL SetScrollRange(HWND hWnd, int nBar, int nMinPos, int nMaxPos, BOOL bRedraw);
QVP_API BOOL GetScrollRange(HWND hWnd, int nBar, LPINT lpMinPos, LPINT lpMaxPos);

// What the window shows: for a real window the screen picture with its scroll bars as last
// presented, else a copy of the client picture. A new colour bitmap the caller deletes.
QVP_API HBITMAP AfxCopyWindowImage(HWND hWnd);
// Why the last window creation failed (a real window needs a display), or "".
QVP_API LPCSTR AfxGetWindowError();

// ---- The message loop ----

// Sends the posted messages, paints every window with an invalid area and shows the
// pictures of real windows, then turns waiting input of real windows into messages (with
// bWait, waiting for some when nothing is posted) and does the same again. FALSE once
// PostQuitMessage was called or no real window is left.
QVP_API BOOL AfxPumpMessages(BOOL bWait);
// Pumps until PostQuitMessage or until the last real window is closed; returns the exit code.
QVP_API int AfxRunMessageLoop();
QVP_API void PostQuitMessage(int nExitCode);

// The framework's window object: owns one window (m_hWnd) and dispatches its messages
// through its class's message map; what no handler takes goes to DefWindowProc.
class QVP_API CWnd : public CCmdTarget {
    DECLARE_DYNAMIC(CWnd)
public:
    CWnd();
    // A window still open is destroyed, without OnDestroy or PostNcDestroy of derived classes.
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND GetSafeHwnd() const { return m_hWnd; }
    // The object of a live window, else null.
    static CWnd* FromHandle(HWND hWnd);

    // Makes the window, with a client area of cx x cy, then sends WM_CREATE (-1 from its
    // handler destroys the window again) and WM_SIZE, and invalidates it all. FALSE when
    // this object has a window already or the back end fails (see AfxGetWindowError).
    virtual BOOL Create(LPCSTR lpszWindowName, int cx, int cy, UINT nBackend = WNDBACK_HEADLESS);
    virtual BOOL DestroyWindow();
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE);

    void GetClientRect(LPRECT lpRect) const;
    void Invalidate(BOOL bErase = TRUE);
    void InvalidateRect(LPCRECT lpRect, BOOL bErase = TRUE);
    void ValidateRect(LPCRECT lpRect);
    BOOL GetUpdateRect(LPRECT lpRect, BOOL bErase = FALSE);
    void UpdateWindow();
    void ScrollWindow(int xAmount, int yAmount, LPCRECT lpRect = nullptr,
                      LPCRECT lpClipRect = nullptr);
    // The contexts of ::GetDC and ::BeginPaint as framework objects (CDC::FromHandle); an
    // object without a window gets a screen context from GetDC, as ::GetDC(nullptr) does.
    CDC* GetDC();
    int ReleaseDC(CDC* pDC);
    CDC* BeginPaint(LPPAINTSTRUCT lpPaint);
    void EndPaint(const PAINTSTRUCT* lpPaint);

    int SetScrollPos(int nBar, int nPos, BOOL bRedraw = TRUE);
    int GetScrollPos(int nBar) const;
    void SetScrollRange(int nBar, int nMinPos, int nMaxPos, BOOL bRedraw = TRUE);
    void GetScrollRange(int nBar, LPINT lpMinPos, LPINT lpMaxPos) const;
    BOOL SetScrollInfo(int nBar, LPSCROLLINFO lpScrollInfo, BOOL bRedraw = TRUE);
    // Fills the fields nMask asks for (and sets cbSize and fMask).
    BOOL GetScrollInfo(int nBar, LPSCROLLINFO lpScrollInfo, UINT nMask = SIF_ALL);
    // The largest position the bar takes: nMax - max(nPage - 1, 0).
    int GetScrollLimit(int nBar);

    HWND m_hWnd = nullptr;

protected:
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Runs the handler of the message map; FALSE when there is none.
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // What happens to a message no handler takes: WM_PAINT validates, WM_ERASEBKGND fills
    // white, WM_CLOSE destroys the window; arrow, page, Home and End keys and the mouse wheel
    // become scroll messages (with Shift, the wheel scrolls sideways).
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Called after the window is gone; views delete themselves here.
    virtual void PostNcDestroy();
    // DefWindowProc with the message being handled.
    LRESULT Default();

    // The handlers a derived class's map may name and call on: each does Default().
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnPaint();
    afx_msg void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    afx_msg void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    afx_msg void OnLButtonDown(UINT nFlags, POINT point);
    afx_msg void OnLButtonUp(UINT nFlags, POINT point);
    afx_msg void OnRButtonDown(UINT nFlags, POINT point);
    afx_msg void OnRButtonUp(UINT nFlags, POINT point);
    afx_msg void OnMouseMove(UINT nFlags, POINT point);
    afx_msg BOOL OnMouseWheel(UINT nFlags, short zDelta, POINT pt);
    afx_msg void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    afx_msg void OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags);
    afx_msg void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);
    afx_msg void OnDestroy();
    afx_msg void OnClose();

    DECLARE_MESSAGE_MAP()

private:
    friend LRESULT SendMessageA(HWND, UINT, WPARAM, LPARAM);
    friend BOOL DestroyWindow(HWND);

    struct Message {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    Message m_current{};  // for Default()
};
