// Window contexts as framework objects.
#include "qvplatform/wnddc.h"

CDC* CWnd::GetDC() {
    return CDC::FromHandle(::GetDC(m_hWnd));
}

int CWnd::ReleaseDC(CDC* pDC) {
    return pDC ? ::ReleaseDC(m_hWnd, pDC->m_hDC) : 0;
}

CDC* CWnd::BeginPaint(LPPAINTSTRUCT lpPaint) {
    return CDC::FromHandle(::BeginPaint(m_hWnd, lpPaint));
}

void CWnd::EndPaint(const PAINTSTRUCT* lpPaint) {
    ::EndPaint(m_hWnd, lpPaint);
}

CPaintDC::CPaintDC(CWnd* pWnd) : m_hWnd(pWnd ? pWnd->m_hWnd : nullptr) {
    Attach(::BeginPaint(m_hWnd, &m_ps));
}

CPaintDC::~CPaintDC() {
    // The context goes back to the window, which deletes it; the base must not.
    if (Detach()) ::EndPaint(m_hWnd, &m_ps);
}

CClientDC::CClientDC(CWnd* pWnd) : m_hWnd(pWnd ? pWnd->m_hWnd : nullptr) {
    if (m_hWnd) Attach(::GetDC(m_hWnd));
}

CClientDC::~CClientDC() {
    if (HDC hdc = Detach()) ::ReleaseDC(m_hWnd, hdc);
}
