#include "painter.h"

#include <cmath>
#include <vector>

namespace mkchips {

namespace {

BYTE Clamp(int v) {
    return static_cast<BYTE>(v < 0 ? 0 : v > 255 ? 255 : v);
}

// Selects a pen and a brush for the lifetime of a drawing call.
class PenAndBrush {
public:
    PenAndBrush(HDC hdc, COLORREF fill, COLORREF outline)
        : m_hdc(hdc), m_pen(CreatePen(PS_SOLID, 1, outline)), m_brush(CreateSolidBrush(fill)) {
        m_oldPen = SelectObject(hdc, m_pen);
        m_oldBrush = SelectObject(hdc, m_brush);
    }
    ~PenAndBrush() {
        SelectObject(m_hdc, m_oldPen);
        SelectObject(m_hdc, m_oldBrush);
        DeleteObject(m_pen);
        DeleteObject(m_brush);
    }
    PenAndBrush(const PenAndBrush&) = delete;
    PenAndBrush& operator=(const PenAndBrush&) = delete;

private:
    HDC m_hdc;
    HPEN m_pen;
    HBRUSH m_brush;
    HGDIOBJ m_oldPen;
    HGDIOBJ m_oldBrush;
};

}  // namespace

Painter::Painter(HDC hdc, int left, int top, std::uint32_t seed)
    : m_hdc(hdc), m_left(left), m_top(top), m_nSavedDC(SaveDC(hdc)), m_rng(seed) {
    IntersectClipRect(hdc, left, top, left + kChipWidth, top + kChipHeight);
}

Painter::~Painter() {
    RestoreDC(m_hdc, m_nSavedDC);
}

COLORREF Painter::Vary(COLORREF base, int jitter) {
    int light = Random(-jitter, jitter);
    auto channel = [&](BYTE v) { return Clamp(v + light + Random(-jitter / 3, jitter / 3)); };
    return RGB(channel(GetRValue(base)), channel(GetGValue(base)), channel(GetBValue(base)));
}

void Painter::Speckle(COLORREF base, int jitter) {
    for (int y = 0; y < kChipHeight; ++y)
        for (int x = 0; x < kChipWidth; ++x) Pixel(x, y, Vary(base, jitter));
}

void Painter::Sprinkle(COLORREF colour, int jitter, int count) {
    for (int i = 0; i < count; ++i)
        Pixel(Random(0, kChipWidth - 1), Random(0, kChipHeight - 1), Vary(colour, jitter));
}

void Painter::Pixel(int x, int y, COLORREF colour) {
    SetPixel(m_hdc, m_left + x, m_top + y, colour);
}

void Painter::Shape(std::initializer_list<POINT> points, COLORREF fill, COLORREF outline) {
    std::vector<POINT> device;
    for (POINT p : points) device.push_back({m_left + p.x, m_top + p.y});
    PenAndBrush tools(m_hdc, fill, outline);
    Polygon(m_hdc, device.data(), static_cast<int>(device.size()));
}

void Painter::Ellipse(int cx, int cy, int rx, int ry, COLORREF fill, COLORREF outline) {
    constexpr int kSides = 24;
    std::vector<POINT> device;
    for (int i = 0; i < kSides; ++i) {
        double a = 2 * 3.14159265358979 * i / kSides;
        device.push_back({m_left + cx + static_cast<LONG>(std::lround(rx * std::cos(a))),
                          m_top + cy + static_cast<LONG>(std::lround(ry * std::sin(a)))});
    }
    PenAndBrush tools(m_hdc, fill, outline);
    Polygon(m_hdc, device.data(), kSides);
}

void Painter::Line(std::initializer_list<POINT> points, COLORREF colour) {
    std::vector<POINT> device;
    for (POINT p : points) device.push_back({m_left + p.x, m_top + p.y});
    PenAndBrush tools(m_hdc, colour, colour);
    Polyline(m_hdc, device.data(), static_cast<int>(device.size()));
    const POINT& last = device.back();
    SetPixel(m_hdc, last.x, last.y, colour);
}

}  // namespace mkchips
