// Image lists: equal-sized images cut from wide bitmaps, each with an optional mask, drawn
// by index. Images are kept in colour. A list made without ILC_MASK keeps no masks: its
// images always draw opaque, and ImageList_AddMasked adds them as they are.
#pragma once

#include "qvplatform/afxdc.h"

QVP_DECLARE_HANDLE(HIMAGELIST);

constexpr UINT ILC_MASK = 0x0001;
constexpr UINT ILC_COLOR = 0x0000;
constexpr UINT ILC_COLORDDB = 0x00FE;
constexpr UINT ILC_COLOR4 = 0x0004;
constexpr UINT ILC_COLOR8 = 0x0008;
constexpr UINT ILC_COLOR16 = 0x0010;
constexpr UINT ILC_COLOR24 = 0x0018;
constexpr UINT ILC_COLOR32 = 0x0020;

// ILD_NORMAL draws through the mask when the list's background colour is CLR_NONE (the
// default) and fills the masked pixels with that colour otherwise; ILD_TRANSPARENT always
// draws through the mask; ILD_MASK draws the mask itself, black where the image is.
constexpr UINT ILD_NORMAL = 0x0000;
constexpr UINT ILD_TRANSPARENT = 0x0001;
constexpr UINT ILD_MASK = 0x0010;

constexpr COLORREF CLR_NONE = 0xFFFFFFFF;
constexpr COLORREF CLR_DEFAULT = 0xFF000000;

// Images of cx x cy pixels; the initial and grow counts are accepted and not needed.
QVP_API HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int cInitial, int cGrow);
QVP_API BOOL ImageList_Destroy(HIMAGELIST himl);
QVP_API int ImageList_GetImageCount(HIMAGELIST himl);
QVP_API BOOL ImageList_GetIconSize(HIMAGELIST himl, int* cx, int* cy);

// Cuts `hbmImage` into images from the left, as many whole cx-wide images as it holds
// (its rows beyond cy are not used; missing rows are black), and returns the index of the
// first, or -1 when none fits. With `hbmMask`, white mask pixels are transparent; with a
// mask colour, the pixels of that colour are. The bitmaps are not changed.
QVP_API int ImageList_Add(HIMAGELIST himl, HBITMAP hbmImage, HBITMAP hbmMask);
QVP_API int ImageList_AddMasked(HIMAGELIST himl, HBITMAP hbmImage, COLORREF crMask);
// Removes image i, or every image for -1.
QVP_API BOOL ImageList_Remove(HIMAGELIST himl, int i);
QVP_API COLORREF ImageList_SetBkColor(HIMAGELIST himl, COLORREF clrBk);
QVP_API COLORREF ImageList_GetBkColor(HIMAGELIST himl);
// Draws image i with its top-left at logical (x, y) of the context.
QVP_API BOOL ImageList_Draw(HIMAGELIST himl, int i, HDC hdcDst, int x, int y, UINT fStyle);

// Owner of one image list.
class QVP_API CImageList : public CObject {
    DECLARE_DYNAMIC(CImageList)
public:
    CImageList() = default;
    ~CImageList() override;  // DeleteImageList
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;

    BOOL Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow);
    BOOL DeleteImageList();
    BOOL Attach(HIMAGELIST hImageList);  // FALSE when a list is held already or it is null
    HIMAGELIST Detach();
    HIMAGELIST GetSafeHandle() const { return m_hImageList; }
    operator HIMAGELIST() const { return m_hImageList; }  // NOLINT: as the framework's

    int Add(CBitmap* pbmImage, CBitmap* pbmMask);
    int Add(CBitmap* pbmImage, COLORREF crMask);
    BOOL Remove(int nImage);
    int GetImageCount() const;
    COLORREF SetBkColor(COLORREF cr);
    COLORREF GetBkColor() const;
    BOOL Draw(CDC* pDC, int nImage, POINT pt, UINT nStyle);

    HIMAGELIST m_hImageList = nullptr;
};
