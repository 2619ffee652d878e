// The message loop: input of real windows, painting of invalid windows, and showing the
// pictures of real windows on the screen.
#include "wnd_internal.h"

namespace {

bool g_bQuit = false;
int g_nExitCode = 0;

// Paints every invalid window, then shows what changed on real windows.
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

BOOL AfxPumpMessages(BOOL bWait) {
    if (PaintAndShow() && !g_bQuit) qvp::detail::PumpSdlEvents(bWait != FALSE);
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
