#include "unitgraphic.h"

#include <algorithm>
#include <string>

#include <qvplatform/region.h>

#include "qvdll/drawutil.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

// Picture files are looked up in this folder of the current folder.
constexpr char kImageFolder[] = "Images\\";

// The image square: the top-left of the picture file, placed to sit inside the hex.
constexpr int kSquareSide = 32;
constexpr int kSquareLeft = 9;
constexpr int kSquareTop = 4;

// The box: a closed outline whose one-pixel pen covers x 10 to 39 and y 10 to 30.
constexpr POINT kBox[] = {{10, 10}, {10, 30}, {39, 30}, {39, 10}, {10, 10}};

// "ＭＳ ゴシック" in code page 932, at 7 points: 9 pixels high on a 96-dpi screen.
constexpr char kNameFace[] = "\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e";
constexpr int kNamePointSize = 70;
constexpr UINT kNameFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE;

}  // namespace

BOOL CUnitGraphic::CreateUnitImage(CDC* pDC, const char* lpszName, const char* lpszImage,
                                   COLORREF crColor) {
    Create(pDC, kWidth, kHeight);
    CGraphic picture;
    m_bLoaded = lpszImage && *lpszImage &&
                picture.LoadBitmapA(pDC, (std::string(kImageFolder) + lpszImage).c_str());

    CDC* pPictureDC = GetDC();
    CFont font;
    font.CreatePointFont(kNamePointSize, kNameFace);
    CFont* pOldFont = pPictureDC->SelectObject(&font);
    if (m_bLoaded)
        CopyImageSquare(picture);
    else
        DrawBox(lpszName ? lpszName : "", crColor);
    // The font goes back out before it dies with this frame.
    if (pOldFont) pPictureDC->SelectObject(pOldFont);
    return TRUE;
}

void CUnitGraphic::CopyImageSquare(CGraphic& picture) {
    // Only what the picture has is read; the rest of the square keeps the white.
    int width = std::min(picture.GetWidth(), kSquareSide);
    int height = std::min(picture.GetHeight(), kSquareSide);
    GetDC()->BitBlt(kSquareLeft, kSquareTop, width, height, picture.GetDC(), 0, 0, SRCCOPY);
}

void CUnitGraphic::DrawBox(const char* lpszName, COLORREF crColor) {
    CDC* pDC = GetDC();
    pDC->SetPolyFillMode(ALTERNATE);
    pDC->SetBkMode(OPAQUE);
    CBrush brush(crColor);
    CBrush* pOldBrush = pDC->SelectObject(&brush);
    pDC->Polygon(kBox, static_cast<int>(std::size(kBox)));
    DrawShadowText(pDC->GetSafeHdc(), lpszName, RECT{0, 0, kWidth, kHeight}, kNameFormat, kWhite,
                   kBlack);
    if (pOldBrush) pDC->SelectObject(pOldBrush);
}
