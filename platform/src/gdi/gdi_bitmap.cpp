// Bitmaps: creation, their pixels in the platform's row layouts, single pixels.
#include <cstring>
#include <new>

#include "gdi_internal.h"

namespace qvp::detail {

namespace {

// Bytes per row of the GetBitmapBits layout.
std::size_t RowBytes(int width, int bitsPerPixel) {
    std::size_t bits = static_cast<std::size_t>(width) * static_cast<std::size_t>(bitsPerPixel);
    return (bits + 15) / 16 * 2;
}

// Reads one row of packed pixels of the given depth into display pixels.
void UnpackRow(BitmapObject& bitmap, int y, const BYTE* src, int bitsPerPixel) {
    Pixel* row = bitmap.Row(y);
    for (int x = 0; x < bitmap.m_nWidth; ++x) {
        switch (bitsPerPixel) {
            case 1:
                row[x] = (src[x >> 3] >> (7 - (x & 7))) & 1 ? kWhite : kBlack;
                break;
            case 24: {
                const BYTE* p = src + 3 * x;
                row[x] = p[0] | (p[1] << 8) | (static_cast<Pixel>(p[2]) << 16);
                break;
            }
            default: {
                Pixel value;
                std::memcpy(&value, src + 4 * x, 4);
                row[x] = value & kWhite;
            }
        }
    }
}

void PackMonoRow(const BitmapObject& bitmap, int y, BYTE* dst) {
    const Pixel* row = bitmap.Row(y);
    for (int x = 0; x < bitmap.m_nWidth; ++x)
        if (row[x] != kBlack) dst[x >> 3] |= static_cast<BYTE>(0x80 >> (x & 7));
}

int Depth(const BitmapObject& bitmap) {
    return bitmap.m_bMono ? 1 : 32;
}

}  // namespace

std::unique_ptr<BitmapObject> BitmapObject::Make(int width, int height, bool mono) {
    if (width < 1 || height < 1 || width > QVP_MAX_BITMAP_SIDE || height > QVP_MAX_BITMAP_SIDE ||
        static_cast<long long>(width) * height > QVP_MAX_BITMAP_PIXELS)
        return nullptr;
    try {
        auto bitmap = std::make_unique<BitmapObject>(static_cast<std::size_t>(width) * height);
        bitmap->m_nWidth = width;
        bitmap->m_nHeight = height;
        bitmap->m_bMono = mono;
        return bitmap;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

}  // namespace qvp::detail

using namespace qvp::detail;

HBITMAP CreateCompatibleBitmap(HDC hdc, int cx, int cy) {
    bool mono = false;
    if (hdc) {
        auto* dc = Table().Get<DcObject>(hdc);
        if (!dc) return nullptr;
        mono = dc->m_state.bitmap && dc->m_state.bitmap->m_bMono;
    }
    if (cx == 0 || cy == 0) return AddObject<HBITMAP>(BitmapObject::Make(1, 1, true));
    return AddObject<HBITMAP>(BitmapObject::Make(cx, cy, mono));
}

HBITMAP CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitCount, const void* lpBits) {
    if (nPlanes != 1 || (nBitCount != 1 && nBitCount != 24 && nBitCount != 32)) return nullptr;
    auto bitmap = BitmapObject::Make(nWidth, nHeight, nBitCount == 1);
    if (bitmap && lpBits) {
        const auto* src = static_cast<const BYTE*>(lpBits);
        std::size_t stride = RowBytes(nWidth, static_cast<int>(nBitCount));
        for (int y = 0; y < nHeight; ++y)
            UnpackRow(*bitmap, y, src + stride * static_cast<std::size_t>(y),
                      static_cast<int>(nBitCount));
    }
    return AddObject<HBITMAP>(std::move(bitmap));
}

LONG GetBitmapBits(HBITMAP hbm, LONG cb, LPVOID lpvBits) {
    auto* bitmap = Table().Get<BitmapObject>(hbm);
    if (!bitmap || cb <= 0 || !lpvBits) return 0;
    std::size_t stride = RowBytes(bitmap->m_nWidth, Depth(*bitmap));
    std::size_t wanted = static_cast<std::size_t>(cb);
    auto* out = static_cast<BYTE*>(lpvBits);
    std::size_t done = 0;
    std::vector<BYTE> row(stride);
    for (int y = 0; y < bitmap->m_nHeight && done < wanted; ++y) {
        if (bitmap->m_bMono) {
            std::fill(row.begin(), row.end(), BYTE{0});
            PackMonoRow(*bitmap, y, row.data());
        } else {
            std::memcpy(row.data(), bitmap->Row(y), stride);
        }
        std::size_t n = std::min(stride, wanted - done);
        std::memcpy(out + done, row.data(), n);
        done += n;
    }
    return static_cast<LONG>(done);
}

LONG SetBitmapBits(HBITMAP hbm, DWORD cb, const void* lpBits) {
    auto* bitmap = Table().Get<BitmapObject>(hbm);
    if (!bitmap || bitmap->m_bStock || !lpBits) return 0;
    int depth = Depth(*bitmap);
    std::size_t stride = RowBytes(bitmap->m_nWidth, depth);
    const auto* src = static_cast<const BYTE*>(lpBits);
    // Only whole rows are taken, so a short buffer is never read past its end.
    int rows = static_cast<int>(std::min<std::size_t>(cb / stride, bitmap->m_nHeight));
    for (int y = 0; y < rows; ++y)
        UnpackRow(*bitmap, y, src + stride * static_cast<std::size_t>(y), depth);
    return static_cast<LONG>(stride * static_cast<std::size_t>(rows));
}

namespace {

// The pixel at logical (x, y) of the context's bitmap, or null outside what it may touch.
Pixel* PixelAt(DcObject* dc, int x, int y) {
    if (!dc || !dc->m_state.bitmap) return nullptr;
    POINT p = dc->ToDevice(x, y);
    RECT bounds = dc->DeviceBounds();
    if (p.x < bounds.left || p.x >= bounds.right || p.y < bounds.top || p.y >= bounds.bottom)
        return nullptr;
    return dc->m_state.bitmap->Row(p.y) + p.x;
}

}  // namespace

COLORREF GetPixel(HDC hdc, int x, int y) {
    Pixel* p = PixelAt(Table().Get<DcObject>(hdc), x, y);
    return p ? ColorFromPixel(*p) : CLR_INVALID;
}

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color) {
    DcObject* dc = Table().Get<DcObject>(hdc);
    Pixel* p = PixelAt(dc, x, y);
    if (!p) return CLR_INVALID;
    *p = dc->m_state.bitmap->FromColor(color);
    return ColorFromPixel(*p);
}
