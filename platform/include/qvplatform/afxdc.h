// CDC: the framework's drawing context object, owner of one device-context handle, with
// the drawing calls as members taking logical coordinates.
#pragma once

#include "qvplatform/afxgdi.h"
#include "qvplatform/cstring.h"

class QVP_API CDC : public CObject {
    DECLARE_DYNAMIC(CDC)
public:
    CDC() = default;
    ~CDC() override;  // deletes the context it holds
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    // The CDC that holds `hDC`, or one the platform keeps for it while it lives (which never
    // deletes it). Null for a null or dead handle.
    static CDC* FromHandle(HDC hDC);

    // A memory context compatible with `pDC`, or with the screen when it is null.
    BOOL CreateCompatibleDC(CDC* pDC);
    BOOL DeleteDC();
    BOOL Attach(HDC hDC);  // FALSE when a context is held already or hDC is null
    HDC Detach();
    HDC GetSafeHdc() const { return m_hDC; }
    operator HDC() const { return m_hDC; }  // NOLINT: as the framework's

    // Each returns the object displaced, as a framework object (see FromHandle).
    CGdiObject* SelectObject(CGdiObject* pObject);
    CBitmap* SelectObject(CBitmap* pBitmap);
    CFont* SelectObject(CFont* pFont);
    CBrush* SelectObject(CBrush* pBrush);
    CPen* SelectObject(CPen* pPen);
    HGDIOBJ SelectObject(HGDIOBJ hObject);
    CGdiObject* SelectStockObject(int nIndex);
    CBitmap* GetCurrentBitmap() const;
    CFont* GetCurrentFont() const;
    CBrush* GetCurrentBrush() const;
    CPen* GetCurrentPen() const;

    int SetBkMode(int nBkMode);
    int GetBkMode() const;
    COLORREF SetBkColor(COLORREF crColor);
    COLORREF GetBkColor() const;
    COLORREF SetTextColor(COLORREF crColor);
    COLORREF GetTextColor() const;
    int SetPolyFillMode(int nPolyFillMode);
    int GetPolyFillMode() const;
    int SetStretchBltMode(int nStretchMode);
    int GetStretchBltMode() const;
    POINT SetViewportOrg(int x, int y);  // returns the previous origin
    POINT SetViewportOrg(POINT point) { return SetViewportOrg(point.x, point.y); }
    POINT OffsetViewportOrg(int nWidth, int nHeight);
    POINT GetViewportOrg() const;
    int GetDeviceCaps(int nIndex) const;
    int IntersectClipRect(int x1, int y1, int x2, int y2);
    int IntersectClipRect(LPCRECT lpRect);
    int GetClipBox(LPRECT lpRect) const;
    int SaveDC();
    BOOL RestoreDC(int nSavedDC);

    BOOL BitBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc,
                DWORD dwRop);
    BOOL StretchBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc,
                    int nSrcWidth, int nSrcHeight, DWORD dwRop);
    BOOL PatBlt(int x, int y, int nWidth, int nHeight, DWORD dwRop);
    COLORREF GetPixel(int x, int y) const;
    COLORREF SetPixel(int x, int y, COLORREF crColor);

    // Leaves `clr` as the background colour, as the framework's does.
    void FillSolidRect(LPCRECT lpRect, COLORREF clr);
    void FillSolidRect(int x, int y, int cx, int cy, COLORREF clr);
    void FillRect(LPCRECT lpRect, CBrush* pBrush);
    BOOL Rectangle(int x1, int y1, int x2, int y2);
    BOOL Rectangle(LPCRECT lpRect);
    BOOL Polygon(const POINT* lpPoints, int nCount);
    BOOL Polyline(const POINT* lpPoints, int nCount);
    POINT MoveTo(int x, int y);  // returns the previous position
    BOOL LineTo(int x, int y);

    int DrawText(LPCSTR lpszString, int nCount, LPRECT lpRect, UINT nFormat);
    int DrawText(const CString& str, LPRECT lpRect, UINT nFormat);
    BOOL TextOut(int x, int y, LPCSTR lpszString, int nCount);
    BOOL TextOut(int x, int y, const CString& str);
    SIZE GetTextExtent(LPCSTR lpszString, int nCount) const;
    SIZE GetTextExtent(const CString& str) const;
    BOOL GetTextMetrics(TEXTMETRICA* lpMetrics) const;

    HDC m_hDC = nullptr;
    HDC m_hAttribDC = nullptr;  // the same context: there is no separate attribute context
};
