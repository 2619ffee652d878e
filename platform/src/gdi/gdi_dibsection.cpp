// DIB sections: the pixels of a new colour bitmap handed to the caller in place.
#include "gdi_internal.h"
#include "qvplatform/dibsection.h"

using namespace qvp::detail;

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* pbmi, UINT usage, void** ppvBits, HANDLE hSection,
                         DWORD offset) {
    if (ppvBits) *ppvBits = nullptr;
    if (!pbmi || !ppvBits || usage != DIB_RGB_COLORS || hSection || offset) return nullptr;
    const BITMAPINFOHEADER& h = pbmi->bmiHeader;
    if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biPlanes != 1 || h.biBitCount != 32 ||
        h.biCompression != BI_RGB || h.biHeight >= 0 || h.biHeight == INT32_MIN)
        return nullptr;
    auto bitmap = BitmapObject::Make(h.biWidth, -h.biHeight, false);
    if (!bitmap) return nullptr;
    void* bits = bitmap->m_pixels.data();
    HBITMAP hbm = AddObject<HBITMAP>(std::move(bitmap));
    *ppvBits = bits;
    return hbm;
}
