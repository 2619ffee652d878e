// Drawing contexts tied to a window for the life of the object: the paint context of a
// WM_PAINT handler and a context on the client area.
#pragma once

#include "qvplatform/afxdc.h"
#include "qvplatform/wnd.h"

// BeginPaint on construction, EndPaint on destruction. m_hDC is null when the window is gone.
class QVP_API CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* pWnd);
    ~CPaintDC() override;

    PAINTSTRUCT m_ps{};

protected:
    HWND m_hWnd;
};

// GetDC on construction, ReleaseDC on destruction.
class QVP_API CClientDC : public CDC {
public:
    explicit CClientDC(CWnd* pWnd);
    ~CClientDC() override;

protected:
    HWND m_hWnd;
};
