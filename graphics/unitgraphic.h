// CUnitGraphic: the 50 x 40 picture a unit draws of itself, owned by the unit. Hosts reach
// it only through CUnit::CreateUnit, GetUnitDC and IsUnitGraphicLoad.
#pragma once

#include "qvdll/graphic.h"

class CUnitGraphic : public CGraphic {
public:
    // The size of one hex's bounding box, so the picture drops onto a hex cell.
    static constexpr int kWidth = 50;
    static constexpr int kHeight = 40;

    CUnitGraphic() = default;

    // Draws the picture anew, compatible with `pDC` (the screen when it is null): the
    // top-left 32 x 32 of the picture file "Images\<lpszImage>" at (9, 4) on white when
    // that file loads (resource, BMP file, then the JPEG module), otherwise a box in
    // `crColor` outlined in black from (10, 10) to (39, 30) with `lpszName` across it in
    // black with a white shadow. A picture smaller than 32 x 32 leaves the rest white.
    // A missing or unreadable file is no error: the box is drawn. Always TRUE.
    BOOL CreateUnitImage(CDC* pDC, const char* lpszName, const char* lpszImage, COLORREF crColor);
    // Whether the current picture came from the picture file.
    BOOL IsGraphicLoad() const { return m_bLoaded; }

private:
    // Copies the top-left square of `picture` to the image square, as much as it has.
    void CopyImageSquare(CGraphic& picture);
    // The coloured box with the name across it.
    void DrawBox(const char* lpszName, COLORREF crColor);

    BOOL m_bLoaded = FALSE;
};
