// The message loop: posted messages, input of real windows, painting of invalid windows,
// and showing the pictures of real windows on the screen.
#include <deque>

#include "wnd_internal.h"

namespace {

struct Posted {
    HWND hWnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// The loop belongs to the user-interface thread; nothing locks.
std::deque<Posted> g_posted;
bool g_bQuit = false;
int g_nExitCode = 0;

// Sends what was posted before this pass; what its handlers post waits for the next.
void DeliverPosted() {
    std::deque<Posted> batch;
    batch.swap(g_posted);
    for (const Posted& p : batch) SendMessageA(p.hWnd, p.message, p.wParam, p.lParam);
}

// Paints every invalid window, then shows what changed on real windows. True while a real
// window is open.
bool PaintAndShow() {
    using namespace qvp::detail;
    for (HWND hWnd : LiveWindows()) UpdateWindow(hWnd);
    bool bAnyReal = false;
    for (HWND hWnd : LiveWindows()) {
        WindowObject* w = FindWindowObject(hWnd);
        if (!w || !w->m_pBackend) continue;
        bAnyReal = true;
        if (w->m_bShowPending) {
            w->m_pBackend->Present(*w);
            w->m_bShowPending = false;
        }
    }
    return bAnyReal;
}

}  // namespace

BOOL PostMessageA(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!IsWindow(hWnd)) return FALSE;
    g_posted.push_back({hWnd, message, wParam, lParam});
    return TRUE;
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::PostMessageA(m_hWnd, message, wParam, lParam);
}

BOOL AfxPumpMessages(BOOL bWait) {
    DeliverPosted();
    if (PaintAndShow() && !g_bQuit) qvp::detail::PumpSdlEvents(bWait != FALSE && g_posted.empty());
    DeliverPosted();
    bool bAnyReal = PaintAndShow();
    return bAnyReal && !g_bQuit ? TRUE : FALSE;
}

int AfxRunMessageLoop() {
    while (AfxPumpMessages(TRUE)) {
    }
    int nExitCode = g_nExitCode;
    g_bQuit = false;
    g_nExitCode = 0;
    return nExitCode;
}

void PostQuitMessage(int nExitCode) {
    g_bQuit = true;
    g_nExitCode = nExitCode;
}
