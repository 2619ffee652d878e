// CGraphic: an off-screen picture, a bitmap selected into a memory drawing context of its
// own, to draw into and copy from with the block transfers. It is made blank, loaded from
// a bitmap resource, a BMP file or (through the module's JPEG converter) another picture
// file, or made as the transparency mask of another graphic.
#pragma once

#include <qvplatform/afxdc.h>

#include "qvdll/export.h"
#include "qvdll/ownedptr.h"

class QVDLL_API CGraphic {
public:
    CGraphic();
    // Copying hands the picture over: the target takes the drawing context and bitmap,
    // and the source is left empty, as after construction, so that nothing is released
    // twice. Hence the source is not const. Assigning first releases what the target had.
    CGraphic(CGraphic& other);
    CGraphic(CGraphic&& other) : CGraphic(other) {}
    CGraphic& operator=(CGraphic& other);
    CGraphic& operator=(CGraphic&& other) { return *this = other; }
    // Releases the picture, then the context and bitmap objects.
    virtual ~CGraphic();

    // The memory drawing context and the bitmap object; null before the first creation.
    CDC* GetDC() { return m_pDC.Get(); }
    CBitmap* GetBitmap() { return m_pBitmap.Get(); }
    // The size of the last picture made by Create or a successful LoadBitmapA (not by
    // CreateMask); 0 at first.
    int GetHeight() const { return m_nHeight; }
    int GetWidth() const { return m_nWidth; }

    // Releases the context and the bitmap; their objects stay, empty, and the size stays
    // as it was. Always TRUE.
    BOOL Destroy();
    // A white picture of width x height in the format of `pDC`'s bitmap (the screen's,
    // colour, when `pDC` is null). FALSE when the context or the bitmap cannot be made.
    BOOL Create(CDC* pDC, int nWidth, int nHeight);
    // The bitmap resource with this number (its low 16 bits) of the host or a loaded
    // module, at its own size.
    BOOL LoadBitmapA(CDC* pDC, UINT nIDResource);
    // Tries in turn: a bitmap resource of that name or number; a BMP file at that path
    // (relative to the current folder; `\` separates folders); and, for a text name that
    // does not end in "bmp" (in any case), the module's JPEG converter, given the handle of
    // `pDC` (null without one) and the name unchanged. FALSE when nothing gave a picture:
    // the graphic is then empty and keeps the size it had before.
    BOOL LoadBitmapA(CDC* pDC, const char* lpszName);
    // The monochrome mask of `pSource`'s picture: white where it has `crTransparent`, black
    // elsewhere. The source is left as it was; the recorded size does not change. FALSE,
    // leaving this graphic empty, when the source holds no picture or the mask cannot be
    // made.
    BOOL CreateMask(CDC* pDC, CGraphic* pSource, COLORREF crTransparent);

private:
    // Releases what this graphic holds and puts fresh context and bitmap objects in place:
    // the context compatible with `pDC`, the bitmap empty. FALSE when the context cannot
    // be made.
    BOOL Renew(CDC* pDC);
    // Selects the bitmap object's bitmap into the context, recording what it displaces.
    void SelectPicture();
    // After a hand-over: lets go of the pointers, now owned by the target, and the size.
    void Forget();

    TOwnedPtr<CDC> m_pDC;
    TOwnedPtr<CBitmap> m_pBitmap;
    CGdiObject* m_pOldBitmap;  // what the bitmap displaced in the context; not owned
    int m_nHeight;
    int m_nWidth;
};
