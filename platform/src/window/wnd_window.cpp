// Window life: creation on a back end, destruction, sizing and the dispatch of messages to
// the window object.
#include <algorithm>
#include <cstring>

#include "wnd_internal.h"

namespace qvp::detail {

namespace {

// Windows in creation order. Windows belong to the user-interface thread; nothing locks.
std::vector<HWND>& Registry() {
    static auto* const registry = new std::vector<HWND>;
    return *registry;
}

std::string& LastError() {
    static auto* const error = new std::string;
    return *error;
}

// Copies what both sizes share from one picture to another.
void CopyOverlap(HBITMAP hFrom, HBITMAP hTo) {
    auto* from = Table().Get<BitmapObject>(hFrom);
    auto* to = Table().Get<BitmapObject>(hTo);
    if (!from || !to) return;
    int w = std::min(from->m_nWidth, to->m_nWidth);
    int h = std::min(from->m_nHeight, to->m_nHeight);
    for (int y = 0; y < h; ++y) std::memcpy(to->Row(y), from->Row(y), w * sizeof(Pixel));
}

}  // namespace

WindowObject::~WindowObject() {
    for (HDC hdc : m_dcs) DeleteDC(hdc);
    m_dcs.clear();
    DeleteObject(m_hSurface);
    DropRetiredSurfaces();
}

bool WindowObject::MakeSurface() {
    HBITMAP hNew = CreateBitmap(std::max<LONG>(m_sizeClient.cx, 1),
                                std::max<LONG>(m_sizeClient.cy, 1), 1, 32, nullptr);
    if (!hNew) return false;
    if (m_hSurface) {
        CopyOverlap(m_hSurface, hNew);
        if (!DeleteObject(m_hSurface)) m_retired.push_back(m_hSurface);
    }
    m_hSurface = hNew;
    return true;
}

void WindowObject::DropRetiredSurfaces() {
    std::erase_if(m_retired, [](HBITMAP h) { return DeleteObject(h) != FALSE; });
}

WindowObject* FindWindowObject(HWND hWnd) {
    return Table().Get<WindowObject>(hWnd);
}

std::vector<HWND> LiveWindows() {
    return Registry();
}

bool ResizeClient(HWND hWnd, int cx, int cy, bool bRepaint, bool bFromScreen) {
    WindowObject* w = FindWindowObject(hWnd);
    if (!w) return false;
    SIZE old = w->m_sizeClient;
    w->m_sizeClient = {std::max(cx, 0), std::max(cy, 0)};
    if (!w->MakeSurface()) {
        w->m_sizeClient = old;
        return false;
    }
    if (!IsEmpty(w->m_rcInvalid) && !IntersectRect(w->m_rcInvalid, w->ClientRect()))
        w->m_rcInvalid = {0, 0, 0, 0};
    if (w->m_pBackend && !bFromScreen) w->m_pBackend->ClientResized(cx, cy);
    w->m_bShowPending = true;
    SIZE now = w->m_sizeClient;
    SendMessageA(hWnd, WM_SIZE, SIZE_RESTORED,
                 MAKELPARAM(static_cast<WORD>(now.cx), static_cast<WORD>(now.cy)));
    if (bRepaint) InvalidateRect(hWnd, nullptr, TRUE);
    return true;
}

}  // namespace qvp::detail

using namespace qvp::detail;

BOOL IsWindow(HWND hWnd) {
    return FindWindowObject(hWnd) ? TRUE : FALSE;
}

BOOL DestroyWindow(HWND hWnd) {
    WindowObject* w = FindWindowObject(hWnd);
    if (!w || w->m_bDestroying) return FALSE;
    // From here a handler that destroys the window again finds nothing to do.
    w->m_bDestroying = true;
    CWnd* pWnd = w->m_pWnd;
    SendMessageA(hWnd, WM_DESTROY, 0, 0);
    std::erase(Registry(), hWnd);
    Table().Remove(hWnd);
    if (pWnd) {
        pWnd->m_hWnd = nullptr;
        pWnd->PostNcDestroy();
    }
    return TRUE;
}

LRESULT SendMessageA(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowObject* w = FindWindowObject(hWnd);
    if (!w || !w->m_pWnd) return 0;
    CWnd* pWnd = w->m_pWnd;
    CWnd::Message saved = pWnd->m_current;
    pWnd->m_current = {message, wParam, lParam};
    LRESULT result = pWnd->WindowProc(message, wParam, lParam);
    // The handler may have destroyed the window and with it a view object.
    if (FindWindowObject(hWnd)) pWnd->m_current = saved;
    return result;
}

BOOL MoveWindow(HWND hWnd, int, int, int nWidth, int nHeight, BOOL bRepaint) {
    return ResizeClient(hWnd, nWidth, nHeight, bRepaint != FALSE, false) ? TRUE : FALSE;
}

BOOL GetClientRect(HWND hWnd, LPRECT lpRect) {
    WindowObject* w = FindWindowObject(hWnd);
    if (!w || !lpRect) return FALSE;
    *lpRect = w->ClientRect();
    return TRUE;
}

LPCSTR AfxGetWindowError() {
    return LastError().c_str();
}

// ---- CWnd ----

IMPLEMENT_DYNAMIC(CWnd, CCmdTarget)

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
END_MESSAGE_MAP()

CWnd::CWnd() = default;

CWnd::~CWnd() {
    WindowObject* w = FindWindowObject(m_hWnd);
    if (!w) return;
    w->m_pWnd = nullptr;
    w->m_bDestroying = true;
    std::erase(Registry(), m_hWnd);
    Table().Remove(m_hWnd);
}

CWnd* CWnd::FromHandle(HWND hWnd) {
    WindowObject* w = FindWindowObject(hWnd);
    return w ? w->m_pWnd : nullptr;
}

BOOL CWnd::Create(LPCSTR lpszWindowName, int cx, int cy, UINT nBackend) {
    LastError().clear();
    if (m_hWnd) {
        LastError() = "the object has a window already";
        return FALSE;
    }
    if (nBackend != WNDBACK_HEADLESS && nBackend != WNDBACK_SDL) {
        LastError() = "unknown window back end " + std::to_string(nBackend);
        return FALSE;
    }
    auto window = std::make_unique<WindowObject>();
    window->m_pWnd = this;
    window->m_strTitle = lpszWindowName ? lpszWindowName : "";
    window->m_sizeClient = {std::max(cx, 0), std::max(cy, 0)};
    if (!window->MakeSurface()) {
        LastError() = "no picture of " + std::to_string(cx) + " x " + std::to_string(cy) +
                      " pixels can be made for the window";
        return FALSE;
    }
    WindowObject* w = window.get();
    auto hWnd = static_cast<HWND>(Table().Add(std::move(window)));
    if (nBackend == WNDBACK_SDL) {
        w->m_pBackend = CreateSdlBackend(hWnd, w->m_strTitle, w->m_sizeClient.cx,
                                         w->m_sizeClient.cy, LastError());
        if (!w->m_pBackend) {
            w->m_bDestroying = true;
            Table().Remove(hWnd);
            return FALSE;
        }
    }
    m_hWnd = hWnd;
    Registry().push_back(hWnd);
    SIZE size = w->m_sizeClient;
    SendMessage(WM_SIZE, SIZE_RESTORED,
                MAKELPARAM(static_cast<WORD>(size.cx), static_cast<WORD>(size.cy)));
    ::InvalidateRect(hWnd, nullptr, TRUE);
    return TRUE;
}

BOOL CWnd::DestroyWindow() {
    return ::DestroyWindow(m_hWnd);
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
}

void CWnd::MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint) {
    ::MoveWindow(m_hWnd, x, y, nWidth, nHeight, bRepaint);
}

void CWnd::GetClientRect(LPRECT lpRect) const {
    ::GetClientRect(m_hWnd, lpRect);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result))
        result = DefWindowProc(message, wParam, lParam);
    return result;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    const AFX_MSGMAP_ENTRY* entry = FindMessageEntry(message);
    if (!entry) return FALSE;
    LRESULT result = entry->pfnThunk(this, wParam, lParam);
    if (pResult) *pResult = result;
    return TRUE;
}

LRESULT CWnd::Default() {
    return DefWindowProc(m_current.message, m_current.wParam, m_current.lParam);
}

void CWnd::PostNcDestroy() {}
