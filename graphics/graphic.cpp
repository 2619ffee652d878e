#include "qvdll/graphic.h"

#include <cstring>

#include <qvplatform/bmpfile.h>
#include <qvplatform/cp932.h>
#include <qvplatform/module.h>

#include "qvdll/drawutil.h"
#include "qvdll/jpegconverter.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);

// Whether the name's last three characters are "bmp" in any letter case. Characters, not
// bytes: in code page 932 the trail byte of a double-byte character may be 'b', 'm' or 'p'.
bool EndsInBmp(const char* lpszName) {
    std::size_t length = std::strlen(lpszName);
    std::size_t starts[3] = {};  // where the last three characters start, as a ring
    std::size_t count = 0;
    for (std::size_t i = 0; i < length; ++count) {
        starts[count % 3] = i;
        i += IsCp932LeadByte(static_cast<BYTE>(lpszName[i])) && i + 1 < length ? 2 : 1;
    }
    if (count < 3) return false;
    std::size_t first = starts[count % 3];
    if (length - first != 3) return false;  // a double-byte character among them
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    return lower(lpszName[first]) == 'b' && lower(lpszName[first + 1]) == 'm' &&
           lower(lpszName[first + 2]) == 'p';
}

// A bitmap loaded from a resource of the host or a loaded module, or from a file.
HBITMAP LoadResourceOrFile(LPCSTR lpszName) {
    if (HINSTANCE hInst = AfxFindResourceHandle(lpszName, RT_BITMAP))
        if (auto h = static_cast<HBITMAP>(
                LoadImageA(hInst, lpszName, IMAGE_BITMAP, 0, 0, LR_DEFAULTSIZE)))
            return h;
    if (IS_INTRESOURCE(lpszName)) return nullptr;  // a number is no path
    return static_cast<HBITMAP>(
        LoadImageA(nullptr, lpszName, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_DEFAULTSIZE));
}

}  // namespace

CGraphic::CGraphic() : m_pOldBitmap(nullptr), m_nHeight(0), m_nWidth(0) {}

CGraphic::CGraphic(CGraphic& other)
    : m_pDC(other.m_pDC),
      m_pBitmap(other.m_pBitmap),
      m_pOldBitmap(other.m_pOldBitmap),
      m_nHeight(other.m_nHeight),
      m_nWidth(other.m_nWidth) {
    other.Forget();
}

CGraphic& CGraphic::operator=(CGraphic& other) {
    if (this == &other) return *this;
    Destroy();
    m_pDC = other.m_pDC;
    m_pBitmap = other.m_pBitmap;
    m_pOldBitmap = other.m_pOldBitmap;
    m_nHeight = other.m_nHeight;
    m_nWidth = other.m_nWidth;
    other.Forget();
    return *this;
}

void CGraphic::Forget() {
    // The owning pointers no longer own after the hand-over: resetting them only lets go.
    m_pDC.Reset();
    m_pBitmap.Reset();
    m_pOldBitmap = nullptr;
    m_nHeight = m_nWidth = 0;
}

CGraphic::~CGraphic() {
    Destroy();
}

BOOL CGraphic::Destroy() {
    if (m_pOldBitmap && m_pDC) m_pDC->SelectObject(m_pOldBitmap);
    if (m_pDC) m_pDC->DeleteDC();
    if (m_pBitmap) m_pBitmap->DeleteObject();
    m_pOldBitmap = nullptr;
    return TRUE;
}

BOOL CGraphic::Renew(CDC* pDC) {
    Destroy();
    m_pDC.Reset(new CDC);
    m_pBitmap.Reset(new CBitmap);
    return m_pDC->CreateCompatibleDC(pDC);
}

void CGraphic::SelectPicture() {
    m_pOldBitmap = m_pDC->SelectObject(m_pBitmap.Get());
}

BOOL CGraphic::Create(CDC* pDC, int nWidth, int nHeight) {
    BOOL bMade = Renew(pDC) && m_pBitmap->CreateCompatibleBitmap(pDC, nWidth, nHeight);
    if (bMade) {
        SelectPicture();
        m_pDC->FillSolidRect(0, 0, nWidth, nHeight, kWhite);
    }
    m_nHeight = nHeight;
    m_nWidth = nWidth;
    return bMade;
}

BOOL CGraphic::LoadBitmapA(CDC* pDC, UINT nIDResource) {
    return LoadBitmapA(pDC, MAKEINTRESOURCE(nIDResource & 0xFFFF));
}

BOOL CGraphic::LoadBitmapA(CDC* pDC, const char* lpszName) {
    Renew(pDC);
    HBITMAP hBitmap = LoadResourceOrFile(lpszName);
    if (!hBitmap && !IS_INTRESOURCE(lpszName) && *lpszName && !EndsInBmp(lpszName)) {
        const CJpegConverter* pConverter = GetModuleJpegConverter();
        if (pConverter && pConverter->IsLoaded())
            hBitmap = pConverter->Convert(pDC ? pDC->GetSafeHdc() : nullptr, lpszName);
    }
    // The converter lives in another module: what it returns is checked, not trusted.
    if (GetObjectType(hBitmap) != OBJ_BITMAP) hBitmap = nullptr;
    if (hBitmap) {
        m_pBitmap->Attach(hBitmap);  // from here on the bitmap object deletes it
        if (m_pDC->GetSafeHdc()) SelectPicture();
    }
    if (!m_pOldBitmap) {  // nothing loaded, or it could not be selected
        Destroy();
        return FALSE;
    }
    SIZE size = GetBitmapSize(hBitmap);
    m_nWidth = size.cx;
    m_nHeight = size.cy;
    return TRUE;
}

BOOL CGraphic::CreateMask(CDC* pDC, CGraphic* pSource, COLORREF crTransparent) {
    BOOL bMade = Renew(pDC);
    if (pSource && pSource->m_pDC && pSource->m_pBitmap && pSource->m_pBitmap->GetSafeHandle()) {
        // The source's bitmap must be free of its context while the mask is made.
        if (pSource->m_pOldBitmap) pSource->m_pDC->SelectObject(pSource->m_pOldBitmap);
        HBITMAP hMask = ::CreateMask(*pSource->m_pBitmap, crTransparent);
        pSource->SelectPicture();
        bMade = bMade && hMask;
        if (hMask) m_pBitmap->Attach(hMask);
    } else {
        bMade = FALSE;
    }
    if (bMade) SelectPicture();
    return bMade;
}
