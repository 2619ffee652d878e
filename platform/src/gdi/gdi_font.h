// Faces at a pixel size and their glyphs, as the text drawing needs them.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "gdi_internal.h"

namespace qvp::detail {

// One rendered glyph: its ink as runs of pixels relative to the pen position on the
// baseline (y grows downwards, so ink above the baseline has negative y).
struct Glyph {
    struct Run {
        std::int16_t y, x0, x1;  // pixels x0 <= x < x1 of row y
    };
    std::vector<Run> runs;
    int advance = 0;
};

// A font face at one pixel size with its glyph cache. Characters the face lacks come from
// the fallback face (a Japanese gothic face of the same size), so any text draws.
class FontFace {
public:
    virtual ~FontFace() = default;

    int Ascent() const { return m_nAscent; }
    int Descent() const { return m_nDescent; }
    int Height() const { return m_nAscent + m_nDescent; }
    int InternalLeading() const { return m_nInternalLeading; }
    int AverageWidth() const { return m_nAverageWidth; }
    int MaxWidth() const { return m_nMaxWidth; }

    // The glyph of a Unicode code point, rendered on first use. Callers hold FontMutex().
    // The reference stays valid as long as the face.
    virtual const Glyph& GlyphOf(char32_t codePoint) = 0;

protected:
    int m_nAscent = 0;
    int m_nDescent = 0;
    int m_nInternalLeading = 0;
    int m_nAverageWidth = 0;
    int m_nMaxWidth = 0;
};

// Guards every face and its glyph cache.
std::mutex& FontMutex();

// Code page 932 text as code points, U+FFFD for bytes that form no character.
std::u32string DecodeCp932(const char* text, std::size_t length);

}  // namespace qvp::detail
