#include "library/picture_test_util.h"

#include <cstdlib>

#include <qvplatform/bmpfile.h>

namespace qvtest {

std::vector<COLORREF> PixelsOf(HDC hdc, int width, int height) {
    std::vector<COLORREF> out;
    out.reserve(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) out.push_back(GetPixel(hdc, x, y));
    return out;
}

std::vector<COLORREF> PixelsOf(HBITMAP hbm) {
    SIZE size = SizeOf(hbm);
    if (size.cx == 0) return {};
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, hbm);
    std::vector<COLORREF> out = old ? PixelsOf(dc, size.cx, size.cy) : std::vector<COLORREF>{};
    if (old) SelectObject(dc, old);
    DeleteDC(dc);
    return out;
}

SIZE SizeOf(HBITMAP hbm) {
    BITMAP bm{};
    if (!hbm || !GetObjectA(hbm, sizeof bm, &bm)) return {0, 0};
    return {bm.bmWidth, bm.bmHeight};
}

std::string SavePictureForViewing(HBITMAP hbm, const std::string& name) {
    const char* dir = std::getenv("QVTEST_PICTURE_DIR");
    if (!dir || !*dir) return {};
    std::string path = std::string(dir) + "/" + name + ".png";
    return SaveBitmapPng(hbm, path.c_str()) ? path : std::string{};
}

}  // namespace qvtest
