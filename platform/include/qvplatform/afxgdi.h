// The framework's graphics objects: one owner object per handle (bitmap, font, brush, pen).
//
// An object owns the handle it created or attached and deletes it when it is destroyed.
// FromHandle gives the object that owns a handle or, for a handle nobody owns (stock
// objects, the default bitmap of a context), a wrapper the platform keeps while the handle
// lives; such a wrapper never deletes its handle.
#pragma once

#include "qvplatform/draw.h"
#include "qvplatform/font.h"
#include "qvplatform/object.h"

class CDC;

class QVP_API CGdiObject : public CObject {
    DECLARE_DYNAMIC(CGdiObject)
public:
    CGdiObject() = default;
    ~CGdiObject() override;  // DeleteObject
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    // The owner of `hObject`, or a kept wrapper of the handle's kind (a CBitmap for a
    // bitmap, ...). Null for a null or dead handle.
    static CGdiObject* FromHandle(HGDIOBJ hObject);

    HGDIOBJ GetSafeHandle() const { return m_hObject; }
    operator HGDIOBJ() const { return m_hObject; }  // NOLINT: as the framework's

    // FALSE when this object already holds a handle or `hObject` is null.
    BOOL Attach(HGDIOBJ hObject);
    HGDIOBJ Detach();
    // Detaches the handle and deletes it. FALSE when there was none or the platform
    // refused (a bitmap still selected into a context); the handle is let go either way,
    // as the framework does.
    BOOL DeleteObject();

    int GetObject(int nCount, LPVOID lpObject) const;
    UINT GetObjectType() const;
    BOOL CreateStockObject(int nIndex);

    HGDIOBJ m_hObject = nullptr;
};

class QVP_API CBitmap : public CGdiObject {
    DECLARE_DYNAMIC(CBitmap)
public:
    static CBitmap* FromHandle(HBITMAP hBitmap);

    BOOL CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitcount, const void* lpBits);
    // Compatible with `pDC`, or with the screen when it is null.
    BOOL CreateCompatibleBitmap(CDC* pDC, int nWidth, int nHeight);
    // A bitmap resource of the host or a linked module (AfxFindResourceHandle).
    BOOL LoadBitmap(UINT nIDResource);
    BOOL LoadBitmap(LPCSTR lpszResourceName);

    int GetBitmap(BITMAP* pBitMap) const;
    DWORD GetBitmapBits(DWORD dwCount, LPVOID lpBits) const;
    DWORD SetBitmapBits(DWORD dwCount, const void* lpBits);
    operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }  // NOLINT
};

class QVP_API CFont : public CGdiObject {
    DECLARE_DYNAMIC(CFont)
public:
    static CFont* FromHandle(HFONT hFont);

    BOOL CreateFontIndirect(const LOGFONTA* lpLogFont);
    BOOL CreateFont(int nHeight, int nWidth, int nEscapement, int nOrientation, int nWeight,
                    BYTE bItalic, BYTE bUnderline, BYTE cStrikeOut, BYTE nCharSet,
                    BYTE nOutPrecision, BYTE nClipPrecision, BYTE nQuality, BYTE nPitchAndFamily,
                    LPCSTR lpszFacename);
    // A size in tenths of a point, turned into a character height in pixels at the
    // context's vertical resolution (96 dots per inch): 70 gives 9 pixels.
    BOOL CreatePointFont(int nPointSize, LPCSTR lpszFaceName, CDC* pDC = nullptr);
    BOOL CreatePointFontIndirect(const LOGFONTA* lpLogFont, CDC* pDC = nullptr);
    int GetLogFont(LOGFONTA* pLogFont) const;
    operator HFONT() const { return static_cast<HFONT>(m_hObject); }  // NOLINT
};

class QVP_API CBrush : public CGdiObject {
    DECLARE_DYNAMIC(CBrush)
public:
    CBrush() = default;
    explicit CBrush(COLORREF crColor);  // a solid brush

    static CBrush* FromHandle(HBRUSH hBrush);
    BOOL CreateSolidBrush(COLORREF crColor);
    int GetLogBrush(LOGBRUSH* pLogBrush) const;
    operator HBRUSH() const { return static_cast<HBRUSH>(m_hObject); }  // NOLINT
};

class QVP_API CPen : public CGdiObject {
    DECLARE_DYNAMIC(CPen)
public:
    CPen() = default;
    CPen(int nPenStyle, int nWidth, COLORREF crColor);

    static CPen* FromHandle(HPEN hPen);
    BOOL CreatePen(int nPenStyle, int nWidth, COLORREF crColor);
    int GetLogPen(LOGPEN* pLogPen) const;
    operator HPEN() const { return static_cast<HPEN>(m_hObject); }  // NOLINT
};
