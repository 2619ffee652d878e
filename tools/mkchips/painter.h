// Drawing one 50 x 40 chip of the sheet: speckled fills and shapes in chip coordinates,
// with a seeded random source so that the sheet comes out the same on every run.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <random>

#include <qvplatform/draw.h>

namespace mkchips {

constexpr int kChipWidth = 50;
constexpr int kChipHeight = 40;

class Painter {
public:
    // Draws into `hdc` with the chip's top-left corner at (left, top); nothing it draws
    // leaves the chip.
    Painter(HDC hdc, int left, int top, std::uint32_t seed);
    ~Painter();  // the context's clipping as it was
    Painter(const Painter&) = delete;
    Painter& operator=(const Painter&) = delete;

    // A whole number in [lo, hi].
    int Random(int lo, int hi) { return lo + static_cast<int>(m_rng() % (hi - lo + 1)); }
    // `base` with each channel moved by up to +-jitter, together (light) and apart (hue).
    COLORREF Vary(COLORREF base, int jitter);

    // Every pixel of the chip in a varied `base`.
    void Speckle(COLORREF base, int jitter);
    // `count` single pixels of a varied `colour` at random places.
    void Sprinkle(COLORREF colour, int jitter, int count);
    void Pixel(int x, int y, COLORREF colour);
    // A filled polygon, outlined in `outline` (or in its fill colour when equal).
    void Shape(std::initializer_list<POINT> points, COLORREF fill, COLORREF outline);
    // An ellipse centred at (cx, cy) with radii rx and ry, as a 24-sided polygon.
    void Ellipse(int cx, int cy, int rx, int ry, COLORREF fill, COLORREF outline);
    // A line through the points, the last one included.
    void Line(std::initializer_list<POINT> points, COLORREF colour);

private:
    HDC m_hdc;
    int m_left;
    int m_top;
    int m_nSavedDC;
    std::mt19937 m_rng;
};

}  // namespace mkchips
