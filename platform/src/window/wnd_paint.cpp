// The paint cycle: the invalid area, painting contexts, window contexts, scrolling the
// picture, and copies of what a window shows.
#include <algorithm>

#include "wnd_internal.h"

namespace qvp::detail {

RECT UnionRect(const RECT& a, const RECT& b) {
    if (IsEmpty(a)) return b;
    if (IsEmpty(b)) return a;
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

namespace {

// A context on the window's picture, clipped to `clip`, that the window keeps until it is
// released.
HDC OpenSurfaceDC(WindowObject& w, const RECT& clip) {
    HDC hdc = CreateSurfaceDC(w.m_hSurface);
    if (!hdc) return nullptr;
    IntersectClipRect(hdc, clip.left, clip.top, clip.right, clip.bottom);
    w.m_dcs.push_back(hdc);
    return hdc;
}

bool CloseSurfaceDC(WindowObject& w, HDC hdc) {
    auto it = std::find(w.m_dcs.begin(), w.m_dcs.end(), hdc);
    if (it == w.m_dcs.end()) return false;
    w.m_dcs.erase(it);
    DeleteDC(hdc);
    w.DropRetiredSurfaces();
    w.m_bShowPending = true;  // whatever was drawn has to reach the screen
    return true;
}

// Contexts on the screen handed out by GetDC(nullptr), so ReleaseDC deletes only those.
std::vector<HDC>& ScreenDCs() {
    static auto* const dcs = new std::vector<HDC>;
    return *dcs;
}

// Removes from the invalid box what `v` covers, where that leaves a box.
void Validate(RECT& inv, const RECT& v) {
    bool fullWidth = v.left <= inv.left && v.right >= inv.right;
    bool fullHeight = v.top <= inv.top && v.bottom >= inv.bottom;
    if (fullWidth && fullHeight) {
        inv = {0, 0, 0, 0};
    } else if (fullWidth && v.top <= inv.top && v.bottom > inv.top) {
        inv.top = v.bottom;
    } else if (fullWidth && v.bottom >= inv.bottom && v.top < inv.bottom) {
        inv.bottom = v.top;
    } else if (fullHeight && v.left <= inv.left && v.right > inv.left) {
        inv.left = v.right;
    } else if (fullHeight && v.right >= inv.right && v.left < inv.right) {
        inv.right = v.left;
    }
}

// Sends WM_ERASEBKGND for the invalid area when it is due; true when the handler erased.
bool EraseBackground(HWND hWnd, HDC hdc) {
    return SendMessageA(hWnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0) != 0;
}

// The strips of `area` left uncovered when its content moves by (dx, dy).
RECT Uncovered(const RECT& area, int dx, int dy) {
    RECT strips{0, 0, 0, 0};
    if (dx > 0) strips = UnionRect(strips, {area.left, area.top, area.left + dx, area.bottom});
    if (dx < 0) strips = UnionRect(strips, {area.right + dx, area.top, area.right, area.bottom});
    if (dy > 0) strips = UnionRect(strips, {area.left, area.top, area.right, area.top + dy});
    if (dy < 0) strips = UnionRect(strips, {area.left, area.bottom + dy, area.right, area.bottom});
    IntersectRect(strips, area);
    return strips;
}

}  // namespace

}  // namespace qvp::detail

using namespace qvp::detail;

BOOL InvalidateRect(HWND hWnd, const RECT* lpRect, BOOL bErase) {
    WindowObject* w = FindWindowObject(hWnd);
    if (!w) return FALSE;
    RECT r = lpRect ? *lpRect : w->ClientRect();
    if (IntersectRect(r, w->ClientRect())) {
        w->m_rcInvalid = UnionRect(w->m_rcInvalid, r);
        if (bErase) w->m_bErase = true;
    }
    return TRUE;
}

BOOL ValidateRect(HWND hWnd, const RECT* lpRect) {
    WindowObject* w = FindWindowObject(hWnd);
    if (!w) return FALSE;
    Validate(w->m_rcInvalid, lpRect ? *lpRect : w->ClientRect());
    if (IsEmpty(w->m_rcInvalid)) w->m_bErase = false;
    return TRUE;
}

BOOL GetUpdateRect(HWND hWnd, LPRECT lpRect, BOOL bErase) {
    WindowObject* w = FindWindowObject(hWnd);
    if (!w) return FALSE;
    RECT inv = IsEmpty(w->m_rcInvalid) ? RECT{0, 0, 0, 0} : w->m_rcInvalid;
    if (lpRect) *lpRect = inv;
    if (bErase && w->m_bErase && !IsEmpty(inv)) {
        if (HDC hdc = OpenSurfaceDC(*w, inv)) {
            bool erased = EraseBackground(hWnd, hdc);
            if ((w = FindWindowObject(hWnd)) != nullptr) {
                CloseSurfaceDC(*w, hdc);
                if (erased) w->m_bErase = false;
            }
        }
    }
    return IsEmpty(inv) ? FALSE : TRUE;
}

BOOL UpdateWindow(HWND hWnd) {
    WindowObject* w = FindWindowObject(hWnd);
    if (!w) return FALSE;
    if (!IsEmpty(w->m_rcInvalid)) SendMessageA(hWnd, WM_PAINT, 0, 0);
    return TRUE;
}

HDC BeginPaint(HWND hWnd, LPPAINTSTRUCT lpPaint) {
    WindowObject* w = FindWindowObject(hWnd);
    if (!w || !lpPaint) return nullptr;
    RECT rcPaint = IsEmpty(w->m_rcInvalid) ? RECT{0, 0, 0, 0} : w->m_rcInvalid;
    HDC hdc = OpenSurfaceDC(*w, rcPaint);
    if (!hdc) return nullptr;
    bool erase = w->m_bErase;
    w->m_rcInvalid = {0, 0, 0, 0};
    w->m_bErase = false;
    *lpPaint = PAINTSTRUCT{};
    lpPaint->hdc = hdc;
    lpPaint->rcPaint = rcPaint;
    lpPaint->fErase = erase && !IsEmpty(rcPaint) && !EraseBackground(hWnd, hdc) ? TRUE : FALSE;
    return hdc;
}

BOOL EndPaint(HWND hWnd, const PAINTSTRUCT* lpPaint) {
    WindowObject* w = FindWindowObject(hWnd);
    return w && lpPaint && CloseSurfaceDC(*w, lpPaint->hdc) ? TRUE : FALSE;
}

HDC GetDC(HWND hWnd) {
    if (!hWnd) {
        HDC hdc = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
        if (hdc) ScreenDCs().push_back(hdc);
        return hdc;
    }
    WindowObject* w = FindWindowObject(hWnd);
    return w ? OpenSurfaceDC(*w, w->ClientRect()) : nullptr;
}

int ReleaseDC(HWND hWnd, HDC hDC) {
    if (!hWnd) {
        auto& dcs = ScreenDCs();
        auto it = std::find(dcs.begin(), dcs.end(), hDC);
        if (it == dcs.end()) return 0;
        dcs.erase(it);
        return DeleteDC(hDC) ? 1 : 0;
    }
    WindowObject* w = FindWindowObject(hWnd);
    return w && CloseSurfaceDC(*w, hDC) ? 1 : 0;
}

BOOL ScrollWindow(HWND hWnd, int dx, int dy, const RECT* lpRect, const RECT* lpClipRect) {
    WindowObject* w = FindWindowObject(hWnd);
    if (!w) return FALSE;
    const RECT client = w->ClientRect();
    RECT area = lpRect ? *lpRect : client;
    RECT clip = lpClipRect ? *lpClipRect : client;
    if (!IntersectRect(area, client) || !IntersectRect(clip, client)) return TRUE;
    dx = std::clamp(dx, -client.right, client.right);
    dy = std::clamp(dy, -client.bottom, client.bottom);

    RECT damaged = Uncovered(area, dx, dy);
    if (HDC hdc = OpenSurfaceDC(*w, clip)) {
        BitBlt(hdc, area.left + dx, area.top + dy, area.right - area.left, area.bottom - area.top,
               hdc, area.left, area.top, SRCCOPY);
        CloseSurfaceDC(*w, hdc);
    } else {
        damaged = area;  // the picture could not be moved: all of it is drawn again
    }
    if (!lpRect && !IsEmpty(w->m_rcInvalid)) {
        RECT& inv = w->m_rcInvalid;
        inv = {inv.left + dx, inv.top + dy, inv.right + dx, inv.bottom + dy};
        if (!IntersectRect(inv, client)) inv = {0, 0, 0, 0};
    }
    IntersectRect(damaged, clip);
    InvalidateRect(hWnd, &damaged, TRUE);
    return TRUE;
}

HBITMAP AfxCopyWindowImage(HWND hWnd) {
    WindowObject* w = FindWindowObject(hWnd);
    if (!w) return nullptr;
    if (w->m_pBackend) return w->m_pBackend->CopyScreen();
    auto* surface = Table().Get<BitmapObject>(w->m_hSurface);
    if (!surface) return nullptr;
    return CreateBitmap(surface->m_nWidth, surface->m_nHeight, 1, 32, surface->m_pixels.data());
}

// ---- CWnd ----

void CWnd::Invalidate(BOOL bErase) {
    ::InvalidateRect(m_hWnd, nullptr, bErase);
}

void CWnd::InvalidateRect(LPCRECT lpRect, BOOL bErase) {
    ::InvalidateRect(m_hWnd, lpRect, bErase);
}

void CWnd::ValidateRect(LPCRECT lpRect) {
    ::ValidateRect(m_hWnd, lpRect);
}

BOOL CWnd::GetUpdateRect(LPRECT lpRect, BOOL bErase) {
    return ::GetUpdateRect(m_hWnd, lpRect, bErase);
}

void CWnd::UpdateWindow() {
    ::UpdateWindow(m_hWnd);
}

void CWnd::ScrollWindow(int xAmount, int yAmount, LPCRECT lpRect, LPCRECT lpClipRect) {
    ::ScrollWindow(m_hWnd, xAmount, yAmount, lpRect, lpClipRect);
}
