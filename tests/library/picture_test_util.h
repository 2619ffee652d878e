// Helpers for the picture tests: pixels of bitmaps and contexts, a canvas to draw on, and
// BMP files made to order.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <qvplatform/afxdc.h>
#include <qvplatform/gdi.h>

namespace qvtest {

// Width and height from GetObjectA; (0, 0) for a refused handle.
SIZE SizeOf(HBITMAP hbm);
// `width` x `height` pixels of a context from (0, 0) as colours, row by row.
std::vector<COLORREF> PixelsOf(HDC hdc, int width, int height);
// The pixels of a bitmap (black and white for a monochrome one); empty for a handle
// GetObjectA refuses or a bitmap selected into a context.
std::vector<COLORREF> PixelsOf(HBITMAP hbm);

// A memory context holding its own colour bitmap of w x h pixels filled with `fill`.
class Canvas {
public:
    Canvas(int w, int h, COLORREF fill = RGB(255, 255, 255));
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    operator HDC() const { return m_hdc; }  // NOLINT: used where a context is wanted
    std::vector<COLORREF> Pixels() const { return PixelsOf(m_hdc, m_w, m_h); }

private:
    HDC m_hdc;
    HBITMAP m_hbm;
    HGDIOBJ m_hOld;
    int m_w, m_h;
};

// A context of the screen: bitmaps made compatible with it are colour.
class ScreenDC : public CDC {
public:
    ScreenDC() { Attach(CreateDCA("DISPLAY", nullptr, nullptr, nullptr)); }
};

// Whether a handle still names a live object.
inline bool IsLive(HGDIOBJ h) {
    return GetObjectType(h) != 0;
}

// Writes a w x h colour BMP file whose pixel (x, y) is colour(x, y); returns the pixels,
// row by row.
std::vector<COLORREF> WriteBmpFile(const std::string& path, int w, int h,
                                   const std::function<COLORREF(int x, int y)>& colour);

}  // namespace qvtest
