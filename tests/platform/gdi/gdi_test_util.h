// Small helpers for the graphics tests: owned contexts and bitmaps, pictures as pixel
// vectors, and a seeded random picture maker.
#pragma once

#include <cstdint>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "qvplatform/draw.h"

// Whole rectangles compare and print in the tests.
inline bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline bool operator==(const POINT& a, const POINT& b) {
    return a.x == b.x && a.y == b.y;
}
inline void PrintTo(const POINT& p, std::ostream* os) {
    *os << "(" << p.x << ", " << p.y << ")";
}
inline void PrintTo(const RECT& r, std::ostream* os) {
    *os << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}

namespace gditest {

// A memory context that deletes itself and keeps its own bitmap selected.
class MemDc {
public:
    // A colour (or monochrome) bitmap of w x h pixels, filled with `fill`.
    MemDc(int w, int h, bool mono = false, COLORREF fill = RGB(255, 255, 255));
    ~MemDc();
    MemDc(const MemDc&) = delete;
    MemDc& operator=(const MemDc&) = delete;

    operator HDC() const { return m_hdc; }  // NOLINT: used where a context is wanted
    HBITMAP bitmap() const { return m_hbm; }
    int width() const { return m_w; }
    int height() const { return m_h; }

    COLORREF At(int x, int y) const;  // device coordinates, ignoring the viewport
    void Set(int x, int y, COLORREF c);
    std::vector<COLORREF> Pixels() const;  // row by row, COLORREF values
    void Load(const std::vector<COLORREF>& pixels);

private:
    HDC m_hdc;
    HBITMAP m_hbm;
    HGDIOBJ m_old;
    int m_w, m_h;
    bool m_mono;
};

// Random colours drawn from a few values, so that equal colours (the background colour
// of a colour-to-monochrome conversion) occur often enough.
class PictureMaker {
public:
    explicit PictureMaker(std::uint32_t seed) : m_rng(seed) {}
    COLORREF Color();
    int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(m_rng); }
    void Fill(MemDc& dc, bool mono);

private:
    std::mt19937 m_rng;
};

// The first differing pixel as "(x, y): a vs b", or empty when equal. On a difference
// both pictures are written as PNG files to the test's temporary folder.
std::string FirstDifference(const MemDc& a, const MemDc& b);

}  // namespace gditest
