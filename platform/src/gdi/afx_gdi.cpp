// The framework's graphics objects over the graphics handles.
#include <cstdlib>
#include <cstring>

#include "afx_handle_map.h"
#include "qvplatform/afxdc.h"
#include "qvplatform/bmpfile.h"
#include "qvplatform/module.h"

IMPLEMENT_DYNAMIC(CGdiObject, CObject)
IMPLEMENT_DYNAMIC(CBitmap, CGdiObject)
IMPLEMENT_DYNAMIC(CFont, CGdiObject)
IMPLEMENT_DYNAMIC(CBrush, CGdiObject)
IMPLEMENT_DYNAMIC(CPen, CGdiObject)

namespace {

// A wrapper of the handle's own kind, so that callers may cast it to CBitmap and so on.
std::unique_ptr<CGdiObject> MakeWrapper(HGDIOBJ h) {
    std::unique_ptr<CGdiObject> w;
    switch (GetObjectType(h)) {
        case OBJ_BITMAP:
            w = std::make_unique<CBitmap>();
            break;
        case OBJ_FONT:
            w = std::make_unique<CFont>();
            break;
        case OBJ_BRUSH:
            w = std::make_unique<CBrush>();
            break;
        case OBJ_PEN:
            w = std::make_unique<CPen>();
            break;
        default:
            w = std::make_unique<CGdiObject>();
            break;
    }
    w->m_hObject = h;
    return w;
}

bool IsLive(HGDIOBJ h) {
    DWORD type = GetObjectType(h);
    return type != 0 && type != OBJ_DC && type != OBJ_MEMDC;
}

// Never destroyed: framework objects may outlive the order of static destruction.
qvp::detail::HandleMap<CGdiObject, HGDIOBJ>& Map() {
    static auto* map = new qvp::detail::HandleMap<CGdiObject, HGDIOBJ>(
        MakeWrapper, IsLive, [](CGdiObject& w) { w.m_hObject = nullptr; });
    return *map;
}

}  // namespace

CGdiObject::~CGdiObject() {
    DeleteObject();
}

CGdiObject* CGdiObject::FromHandle(HGDIOBJ hObject) {
    return Map().FromHandle(hObject);
}

BOOL CGdiObject::Attach(HGDIOBJ hObject) {
    if (m_hObject || !hObject) return FALSE;
    m_hObject = hObject;
    Map().Attach(hObject, this);
    return TRUE;
}

HGDIOBJ CGdiObject::Detach() {
    HGDIOBJ h = m_hObject;
    if (h) Map().Detach(h, this);
    m_hObject = nullptr;
    return h;
}

BOOL CGdiObject::DeleteObject() {
    return m_hObject ? ::DeleteObject(Detach()) : FALSE;
}

int CGdiObject::GetObject(int nCount, LPVOID lpObject) const {
    return GetObjectA(m_hObject, nCount, lpObject);
}

UINT CGdiObject::GetObjectType() const {
    return ::GetObjectType(m_hObject);
}

BOOL CGdiObject::CreateStockObject(int nIndex) {
    return Attach(GetStockObject(nIndex));
}

CBitmap* CBitmap::FromHandle(HBITMAP hBitmap) {
    return static_cast<CBitmap*>(CGdiObject::FromHandle(hBitmap));
}

BOOL CBitmap::CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitcount,
                           const void* lpBits) {
    return Attach(::CreateBitmap(nWidth, nHeight, nPlanes, nBitcount, lpBits));
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* pDC, int nWidth, int nHeight) {
    return Attach(::CreateCompatibleBitmap(pDC ? pDC->m_hDC : nullptr, nWidth, nHeight));
}

BOOL CBitmap::LoadBitmap(UINT nIDResource) {
    return LoadBitmap(MAKEINTRESOURCE(nIDResource));
}

BOOL CBitmap::LoadBitmap(LPCSTR lpszResourceName) {
    HINSTANCE module = AfxFindResourceHandle(lpszResourceName, RT_BITMAP);
    return module && Attach(LoadImageA(module, lpszResourceName, IMAGE_BITMAP, 0, 0, 0));
}

int CBitmap::GetBitmap(BITMAP* pBitMap) const {
    return GetObjectA(m_hObject, sizeof(BITMAP), pBitMap);
}

DWORD CBitmap::GetBitmapBits(DWORD dwCount, LPVOID lpBits) const {
    return static_cast<DWORD>(
        ::GetBitmapBits(static_cast<HBITMAP>(m_hObject), static_cast<LONG>(dwCount), lpBits));
}

DWORD CBitmap::SetBitmapBits(DWORD dwCount, const void* lpBits) {
    return static_cast<DWORD>(::SetBitmapBits(static_cast<HBITMAP>(m_hObject), dwCount, lpBits));
}

CFont* CFont::FromHandle(HFONT hFont) {
    return static_cast<CFont*>(CGdiObject::FromHandle(hFont));
}

BOOL CFont::CreateFontIndirect(const LOGFONTA* lpLogFont) {
    return Attach(CreateFontIndirectA(lpLogFont));
}

BOOL CFont::CreateFont(int nHeight, int nWidth, int nEscapement, int nOrientation, int nWeight,
                       BYTE bItalic, BYTE bUnderline, BYTE cStrikeOut, BYTE nCharSet,
                       BYTE nOutPrecision, BYTE nClipPrecision, BYTE nQuality, BYTE nPitchAndFamily,
                       LPCSTR lpszFacename) {
    return Attach(CreateFontA(nHeight, nWidth, nEscapement, nOrientation, nWeight, bItalic,
                              bUnderline, cStrikeOut, nCharSet, nOutPrecision, nClipPrecision,
                              nQuality, nPitchAndFamily, lpszFacename));
}

BOOL CFont::CreatePointFont(int nPointSize, LPCSTR lpszFaceName, CDC* pDC) {
    LOGFONTA log{};
    log.lfCharSet = DEFAULT_CHARSET;
    log.lfHeight = nPointSize;
    if (lpszFaceName) std::strncpy(log.lfFaceName, lpszFaceName, LF_FACESIZE - 1);
    return CreatePointFontIndirect(&log, pDC);
}

BOOL CFont::CreatePointFontIndirect(const LOGFONTA* lpLogFont, CDC* pDC) {
    if (!lpLogFont) return FALSE;
    LOGFONTA log = *lpLogFont;
    // Tenths of a point to pixels, rounded: pixels = dpi * tenths / 720.
    long long dpi = pDC && pDC->m_hAttribDC ? ::GetDeviceCaps(pDC->m_hAttribDC, LOGPIXELSY) : 96;
    long long tenths = std::llabs(static_cast<long long>(log.lfHeight));
    log.lfHeight = -static_cast<LONG>((dpi * tenths + 360) / 720);
    return CreateFontIndirect(&log);
}

int CFont::GetLogFont(LOGFONTA* pLogFont) const {
    return GetObjectA(m_hObject, sizeof(LOGFONTA), pLogFont);
}

CBrush::CBrush(COLORREF crColor) {
    CreateSolidBrush(crColor);
}

CBrush* CBrush::FromHandle(HBRUSH hBrush) {
    return static_cast<CBrush*>(CGdiObject::FromHandle(hBrush));
}

BOOL CBrush::CreateSolidBrush(COLORREF crColor) {
    return Attach(::CreateSolidBrush(crColor));
}

int CBrush::GetLogBrush(LOGBRUSH* pLogBrush) const {
    return GetObjectA(m_hObject, sizeof(LOGBRUSH), pLogBrush);
}

CPen::CPen(int nPenStyle, int nWidth, COLORREF crColor) {
    CreatePen(nPenStyle, nWidth, crColor);
}

CPen* CPen::FromHandle(HPEN hPen) {
    return static_cast<CPen*>(CGdiObject::FromHandle(hPen));
}

BOOL CPen::CreatePen(int nPenStyle, int nWidth, COLORREF crColor) {
    return Attach(::CreatePen(nPenStyle, nWidth, crColor));
}

int CPen::GetLogPen(LOGPEN* pLogPen) const {
    return GetObjectA(m_hObject, sizeof(LOGPEN), pLogPen);
}
