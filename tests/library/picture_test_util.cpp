#include "library/picture_test_util.h"

#include <gtest/gtest.h>

#include <qvplatform/bmpfile.h>
#include <qvplatform/draw.h>

namespace qvtest {

namespace {

// Runs `use` with the bitmap selected into a fresh memory context; false when the bitmap
// cannot be selected.
template <class F>
bool WithBitmapSelected(HBITMAP hbm, F use) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, hbm);
    if (old) {
        use(dc);
        SelectObject(dc, old);
    }
    DeleteDC(dc);
    return old != nullptr;
}

}  // namespace

SIZE SizeOf(HBITMAP hbm) {
    BITMAP bm{};
    if (!hbm || !GetObjectA(hbm, sizeof bm, &bm)) return {0, 0};
    return {bm.bmWidth, bm.bmHeight};
}

std::vector<COLORREF> PixelsOf(HDC hdc, int width, int height) {
    std::vector<COLORREF> out;
    out.reserve(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) out.push_back(GetPixel(hdc, x, y));
    return out;
}

std::vector<COLORREF> PixelsOf(HBITMAP hbm) {
    SIZE size = SizeOf(hbm);
    std::vector<COLORREF> out;
    if (size.cx) WithBitmapSelected(hbm, [&](HDC dc) { out = PixelsOf(dc, size.cx, size.cy); });
    return out;
}

Canvas::Canvas(int w, int h, COLORREF fill)
    : m_hdc(CreateCompatibleDC(nullptr)),
      m_hbm(CreateBitmap(w, h, 1, 32, nullptr)),
      m_hOld(SelectObject(m_hdc, m_hbm)),
      m_w(w),
      m_h(h) {
    RECT all{0, 0, w, h};
    FillSolidRect(m_hdc, &all, fill);
    SetBkColor(m_hdc, RGB(255, 255, 255));  // back to a fresh context's
}

Canvas::~Canvas() {
    SelectObject(m_hdc, m_hOld);
    DeleteDC(m_hdc);
    DeleteObject(m_hbm);
}

std::vector<COLORREF> WriteBmpFile(const std::string& path, int w, int h,
                                   const std::function<COLORREF(int x, int y)>& colour) {
    std::vector<COLORREF> pixels;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) pixels.push_back(colour(x, y));
    HBITMAP hbm = CreateBitmap(w, h, 1, 32, nullptr);
    WithBitmapSelected(hbm, [&](HDC dc) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) SetPixel(dc, x, y, pixels[y * w + x]);
    });
    EXPECT_TRUE(SaveBitmapBmp(hbm, path.c_str()));
    DeleteObject(hbm);
    return pixels;
}

}  // namespace qvtest
