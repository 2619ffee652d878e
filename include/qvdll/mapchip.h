// CMapChip: the chip picture "MAP.BMP" as an image list for the host program, image n
// being chip n, the picture the map view draws for cell value n.
//
// The chip sheet is a grid of 50 x 40 chips numbered row by row from the top-left:
// chips per row = sheet width / 50, rows = sheet height / 40 (a partial chip at the right
// or bottom edge is ignored).
#pragma once

#include <qvplatform/imagelist.h>

#include "qvdll/export.h"
#include "qvdll/ownedptr.h"

class QVDLL_API CMapChip {
public:
    CMapChip() = default;
    // Copying hands the strip and the image list over: the target takes them, and the
    // source is left empty, as after construction, so that nothing is released twice.
    // Hence the source is not const. Assigning first destroys what the target owned.
    CMapChip(CMapChip& other);
    CMapChip(CMapChip&& other) : CMapChip(other) {}
    CMapChip& operator=(CMapChip& other);
    CMapChip& operator=(CMapChip&& other) { return *this = other; }
    virtual ~CMapChip();

    // Deletes the chip strip's bitmap (the CBitmap object stays); the image list stays.
    // Always true.
    bool DestroyObject();
    // Reads "MAP.BMP" from the current folder into the chip strip and a new image list of
    // 50 x 40 images. A missing or unreadable file gives an image list without images;
    // the result is true either way: check GetImageList()->GetImageCount().
    bool LoadMap();
    // The image list; null before the first LoadMap.
    CImageList* GetImageList() { return m_pImageList.Get(); }
    // Every chip side by side in one row, 40 pixels high, chip n at x = 50 n; null before
    // the first LoadMap.
    CBitmap* GetChipStrip() { return m_pChipStrip.Get(); }

private:
    // After a hand-over: lets go of the pointers, now owned by the target.
    void Forget();

    TOwnedPtr<CBitmap> m_pChipStrip;
    TOwnedPtr<CImageList> m_pImageList;
};
