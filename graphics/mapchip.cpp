#include "qvdll/mapchip.h"

#include <qvplatform/bmpfile.h>

#include "qvdll/drawutil.h"

namespace {

constexpr char kChipFile[] = "MAP.BMP";
constexpr int kChipWidth = 50;
constexpr int kChipHeight = 40;
constexpr int kImageListGrowth = 32;

}  // namespace

CMapChip::CMapChip(CMapChip& other)
    : m_pChipStrip(other.m_pChipStrip), m_pImageList(other.m_pImageList) {
    other.Forget();
}

CMapChip& CMapChip::operator=(CMapChip& other) {
    if (this == &other) return *this;
    m_pChipStrip = other.m_pChipStrip;
    m_pImageList = other.m_pImageList;
    other.Forget();
    return *this;
}

void CMapChip::Forget() {
    // The owning pointers no longer own after the hand-over: resetting them only lets go.
    m_pChipStrip.Reset();
    m_pImageList.Reset();
}

CMapChip::~CMapChip() {
    DestroyObject();
}

bool CMapChip::DestroyObject() {
    if (m_pChipStrip) m_pChipStrip->DeleteObject();
    return true;
}

bool CMapChip::LoadMap() {
    DestroyObject();
    CDC source, strip;
    source.CreateCompatibleDC(nullptr);
    strip.CreateCompatibleDC(nullptr);

    auto hSheet =
        static_cast<HBITMAP>(LoadImageA(nullptr, kChipFile, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    SIZE size = GetBitmapSize(hSheet);
    int nPerRow = size.cx / kChipWidth;
    int nRows = size.cy / kChipHeight;
    HGDIOBJ hOldSource = source.SelectObject(hSheet);

    m_pChipStrip.Reset(new CBitmap);
    m_pChipStrip->CreateCompatibleBitmap(&source, nRows * nPerRow * kChipWidth, kChipHeight);
    HGDIOBJ hOldStrip = strip.SelectObject(m_pChipStrip->GetSafeHandle());
    // Chip row r goes to the strip after the r rows before it: chip n lands at x = 50 n.
    for (int r = 0; r < nRows; ++r)
        strip.BitBlt(r * nPerRow * kChipWidth, 0, nPerRow * kChipWidth, kChipHeight, &source, 0,
                     kChipHeight * r, SRCCOPY);

    if (hOldSource) source.SelectObject(hOldSource);
    if (hOldStrip) strip.SelectObject(hOldStrip);
    source.DeleteDC();
    strip.DeleteDC();
    if (hSheet) DeleteObject(hSheet);

    m_pImageList.Reset(new CImageList);
    m_pImageList->Create(kChipWidth, kChipHeight, ILC_COLORDDB, 0, kImageListGrowth);
    m_pImageList->Add(m_pChipStrip.Get(), RGB(0, 0, 0));
    return true;
}
