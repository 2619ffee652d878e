// CDC: the drawing calls on the context it holds.
#include "afx_handle_map.h"
#include "qvplatform/afxdc.h"

IMPLEMENT_DYNAMIC(CDC, CObject)

namespace {

std::unique_ptr<CDC> MakeWrapper(HDC h) {
    auto w = std::make_unique<CDC>();
    w->m_hDC = w->m_hAttribDC = h;
    return w;
}

bool IsLive(HDC h) {
    DWORD type = GetObjectType(h);
    return type == OBJ_DC || type == OBJ_MEMDC;
}

// Never destroyed: framework objects may outlive the order of static destruction.
qvp::detail::HandleMap<CDC, HDC>& Map() {
    static auto* map = new qvp::detail::HandleMap<CDC, HDC>(
        MakeWrapper, IsLive, [](CDC& w) { w.m_hDC = w.m_hAttribDC = nullptr; });
    return *map;
}

template <class T>
T* Selected(HDC hdc, HGDIOBJ h) {
    return static_cast<T*>(CGdiObject::FromHandle(::SelectObject(hdc, h)));
}

template <class T>
T* Current(HDC hdc, UINT type) {
    return static_cast<T*>(CGdiObject::FromHandle(GetCurrentObject(hdc, type)));
}

HDC SourceOf(CDC* pSrcDC) {
    return pSrcDC ? pSrcDC->m_hDC : nullptr;
}

}  // namespace

CDC::~CDC() {
    if (m_hDC) ::DeleteDC(Detach());
}

CDC* CDC::FromHandle(HDC hDC) {
    return Map().FromHandle(hDC);
}

BOOL CDC::CreateCompatibleDC(CDC* pDC) {
    return Attach(::CreateCompatibleDC(pDC ? pDC->m_hDC : nullptr));
}

BOOL CDC::DeleteDC() {
    return m_hDC ? ::DeleteDC(Detach()) : FALSE;
}

BOOL CDC::Attach(HDC hDC) {
    if (m_hDC || !hDC) return FALSE;
    m_hDC = m_hAttribDC = hDC;
    Map().Attach(hDC, this);
    return TRUE;
}

HDC CDC::Detach() {
    HDC h = m_hDC;
    if (h) Map().Detach(h, this);
    m_hDC = m_hAttribDC = nullptr;
    return h;
}

CGdiObject* CDC::SelectObject(CGdiObject* pObject) {
    return Selected<CGdiObject>(m_hDC, pObject ? pObject->m_hObject : nullptr);
}
CBitmap* CDC::SelectObject(CBitmap* pBitmap) {
    return Selected<CBitmap>(m_hDC, pBitmap ? pBitmap->m_hObject : nullptr);
}
CFont* CDC::SelectObject(CFont* pFont) {
    return Selected<CFont>(m_hDC, pFont ? pFont->m_hObject : nullptr);
}
CBrush* CDC::SelectObject(CBrush* pBrush) {
    return Selected<CBrush>(m_hDC, pBrush ? pBrush->m_hObject : nullptr);
}
CPen* CDC::SelectObject(CPen* pPen) {
    return Selected<CPen>(m_hDC, pPen ? pPen->m_hObject : nullptr);
}
HGDIOBJ CDC::SelectObject(HGDIOBJ hObject) {
    return ::SelectObject(m_hDC, hObject);
}
CGdiObject* CDC::SelectStockObject(int nIndex) {
    return Selected<CGdiObject>(m_hDC, GetStockObject(nIndex));
}
CBitmap* CDC::GetCurrentBitmap() const {
    return Current<CBitmap>(m_hDC, OBJ_BITMAP);
}
CFont* CDC::GetCurrentFont() const {
    return Current<CFont>(m_hDC, OBJ_FONT);
}
CBrush* CDC::GetCurrentBrush() const {
    return Current<CBrush>(m_hDC, OBJ_BRUSH);
}
CPen* CDC::GetCurrentPen() const {
    return Current<CPen>(m_hDC, OBJ_PEN);
}

int CDC::SetBkMode(int nBkMode) {
    return ::SetBkMode(m_hDC, nBkMode);
}
int CDC::GetBkMode() const {
    return ::GetBkMode(m_hDC);
}
COLORREF CDC::SetBkColor(COLORREF crColor) {
    return ::SetBkColor(m_hDC, crColor);
}
COLORREF CDC::GetBkColor() const {
    return ::GetBkColor(m_hDC);
}
COLORREF CDC::SetTextColor(COLORREF crColor) {
    return ::SetTextColor(m_hDC, crColor);
}
COLORREF CDC::GetTextColor() const {
    return ::GetTextColor(m_hDC);
}
int CDC::SetPolyFillMode(int nPolyFillMode) {
    return ::SetPolyFillMode(m_hDC, nPolyFillMode);
}
int CDC::GetPolyFillMode() const {
    return ::GetPolyFillMode(m_hDC);
}
int CDC::SetStretchBltMode(int nStretchMode) {
    return ::SetStretchBltMode(m_hDC, nStretchMode);
}
int CDC::GetStretchBltMode() const {
    return ::GetStretchBltMode(m_hDC);
}

POINT CDC::SetViewportOrg(int x, int y) {
    POINT previous{0, 0};
    ::SetViewportOrgEx(m_hDC, x, y, &previous);
    return previous;
}
POINT CDC::OffsetViewportOrg(int nWidth, int nHeight) {
    POINT previous{0, 0};
    ::OffsetViewportOrgEx(m_hDC, nWidth, nHeight, &previous);
    return previous;
}
POINT CDC::GetViewportOrg() const {
    POINT org{0, 0};
    ::GetViewportOrgEx(m_hDC, &org);
    return org;
}
int CDC::GetDeviceCaps(int nIndex) const {
    return ::GetDeviceCaps(m_hDC, nIndex);
}
int CDC::IntersectClipRect(int x1, int y1, int x2, int y2) {
    return ::IntersectClipRect(m_hDC, x1, y1, x2, y2);
}
int CDC::IntersectClipRect(LPCRECT lpRect) {
    return lpRect ? IntersectClipRect(lpRect->left, lpRect->top, lpRect->right, lpRect->bottom)
                  : ERROR;
}
int CDC::GetClipBox(LPRECT lpRect) const {
    return ::GetClipBox(m_hDC, lpRect);
}
int CDC::SaveDC() {
    return ::SaveDC(m_hDC);
}
BOOL CDC::RestoreDC(int nSavedDC) {
    return ::RestoreDC(m_hDC, nSavedDC);
}

BOOL CDC::BitBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc,
                 DWORD dwRop) {
    return ::BitBlt(m_hDC, x, y, nWidth, nHeight, SourceOf(pSrcDC), xSrc, ySrc, dwRop);
}
BOOL CDC::StretchBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc,
                     int nSrcWidth, int nSrcHeight, DWORD dwRop) {
    return ::StretchBlt(m_hDC, x, y, nWidth, nHeight, SourceOf(pSrcDC), xSrc, ySrc, nSrcWidth,
                        nSrcHeight, dwRop);
}
BOOL CDC::PatBlt(int x, int y, int nWidth, int nHeight, DWORD dwRop) {
    return ::PatBlt(m_hDC, x, y, nWidth, nHeight, dwRop);
}
COLORREF CDC::GetPixel(int x, int y) const {
    return ::GetPixel(m_hDC, x, y);
}
COLORREF CDC::SetPixel(int x, int y, COLORREF crColor) {
    return ::SetPixel(m_hDC, x, y, crColor);
}

void CDC::FillSolidRect(LPCRECT lpRect, COLORREF clr) {
    ::FillSolidRect(m_hDC, lpRect, clr);
}
void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF clr) {
    RECT r{x, y, x + cx, y + cy};
    ::FillSolidRect(m_hDC, &r, clr);
}
void CDC::FillRect(LPCRECT lpRect, CBrush* pBrush) {
    if (pBrush) ::FillRect(m_hDC, lpRect, static_cast<HBRUSH>(pBrush->m_hObject));
}
BOOL CDC::Rectangle(int x1, int y1, int x2, int y2) {
    return ::Rectangle(m_hDC, x1, y1, x2, y2);
}
BOOL CDC::Rectangle(LPCRECT lpRect) {
    return lpRect && Rectangle(lpRect->left, lpRect->top, lpRect->right, lpRect->bottom);
}
BOOL CDC::Polygon(const POINT* lpPoints, int nCount) {
    return ::Polygon(m_hDC, lpPoints, nCount);
}
BOOL CDC::Polyline(const POINT* lpPoints, int nCount) {
    return ::Polyline(m_hDC, lpPoints, nCount);
}
POINT CDC::MoveTo(int x, int y) {
    POINT previous{0, 0};
    ::MoveToEx(m_hDC, x, y, &previous);
    return previous;
}
BOOL CDC::LineTo(int x, int y) {
    return ::LineTo(m_hDC, x, y);
}

int CDC::DrawText(LPCSTR lpszString, int nCount, LPRECT lpRect, UINT nFormat) {
    return ::DrawTextA(m_hDC, lpszString, nCount, lpRect, nFormat);
}
int CDC::DrawText(const CString& str, LPRECT lpRect, UINT nFormat) {
    return DrawText(str.GetString(), str.GetLength(), lpRect, nFormat);
}
BOOL CDC::TextOut(int x, int y, LPCSTR lpszString, int nCount) {
    return ::TextOutA(m_hDC, x, y, lpszString, nCount);
}
BOOL CDC::TextOut(int x, int y, const CString& str) {
    return TextOut(x, y, str.GetString(), str.GetLength());
}
SIZE CDC::GetTextExtent(LPCSTR lpszString, int nCount) const {
    SIZE size{0, 0};
    ::GetTextExtentPoint32A(m_hDC, lpszString, nCount, &size);
    return size;
}
SIZE CDC::GetTextExtent(const CString& str) const {
    return GetTextExtent(str.GetString(), str.GetLength());
}
BOOL CDC::GetTextMetrics(TEXTMETRICA* lpMetrics) const {
    return ::GetTextMetricsA(m_hDC, lpMetrics);
}
