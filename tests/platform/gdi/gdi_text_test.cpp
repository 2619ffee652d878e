// Fonts and text: face resolution, placement by the format flags, exact colours, code
// page 932 text and clipping.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <tuple>

#include "gdi_test_util.h"
#include "qvplatform/font.h"

using gditest::MemDc;

namespace {

// "ＭＳ ゴシック" in code page 932, as the library names its face.
const char kMsGothic[] = "\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e";
// "戦車" (tank) in code page 932.
const char kTank[] = "\x90\xed\x8e\xd4";
const COLORREF kWhite = RGB(255, 255, 255);

// Selects a font for the object's life.
class FontIn {
public:
    FontIn(HDC dc, LONG height, const char* face) : m_dc(dc) {
        LOGFONTA log{};
        log.lfHeight = height;
        std::strncpy(log.lfFaceName, face, LF_FACESIZE - 1);
        m_font = CreateFontIndirectA(&log);
        m_old = SelectObject(dc, m_font);
    }
    ~FontIn() {
        SelectObject(m_dc, m_old);
        DeleteObject(m_font);
    }

private:
    HDC m_dc;
    HFONT m_font;
    HGDIOBJ m_old;
};

// A memory context with a font selected for its life, the library's 9-pixel gothic unless
// told otherwise.
class TextDc : public MemDc {
public:
    TextDc(int w, int h, bool mono = false, COLORREF fill = kWhite, LONG height = -9,
           const char* face = kMsGothic)
        : MemDc(w, h, mono, fill), m_font(*this, height, face) {}

private:
    FontIn m_font;
};

// The smallest rectangle holding every pixel that is not `background`.
RECT InkBounds(const MemDc& dc, COLORREF background) {
    RECT r{dc.width(), dc.height(), 0, 0};
    auto pixels = dc.Pixels();
    for (int y = 0; y < dc.height(); ++y)
        for (int x = 0; x < dc.width(); ++x)
            if (pixels[static_cast<std::size_t>(y) * dc.width() + x] != background) {
                r.left = std::min<LONG>(r.left, x);
                r.top = std::min<LONG>(r.top, y);
                r.right = std::max<LONG>(r.right, x + 1);
                r.bottom = std::max<LONG>(r.bottom, y + 1);
            }
    return r;
}

int Count(const MemDc& dc, COLORREF c) {
    auto pixels = dc.Pixels();
    return static_cast<int>(std::count(pixels.begin(), pixels.end(), c));
}

}  // namespace

TEST(Font, JapaneseGothicNameResolvesToAnInstalledGothicFace) {
    // At 9 pixels the IPA gothic face has an ascent of 8 and a descent of 2, and its
    // half-width characters advance 5 pixels.
    TextDc dc(60, 20);
    TEXTMETRICA tm{};
    ASSERT_TRUE(GetTextMetricsA(dc, &tm));
    EXPECT_EQ(std::tie(tm.tmAscent, tm.tmDescent, tm.tmHeight), std::make_tuple(8, 2, 10));
    SIZE size{}, tank{};
    ASSERT_TRUE(GetTextExtentPoint32A(dc, " (AB,12) ", 9, &size));
    ASSERT_TRUE(GetTextExtentPoint32A(dc, kTank, 4, &tank));  // two full-width characters
    EXPECT_EQ(std::tie(size.cx, size.cy, tank.cx), std::make_tuple(45, 10, 18));

    // The same pixels as asking for the face by its own name.
    TextDc direct(60, 20, false, kWhite, -9, "IPAGothic");
    RECT r{0, 0, 60, 20};
    DrawTextA(dc, "Tank (AB,12)", -1, &r, DT_SINGLELINE);
    DrawTextA(direct, "Tank (AB,12)", -1, &r, DT_SINGLELINE);
    EXPECT_EQ(gditest::FirstDifference(dc, direct), "");
}

TEST(DrawText, DrawsInTheTextColourOnlyWithoutAntiAliasing) {
    TextDc dc(60, 20);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(200, 10, 30));
    RECT r{0, 0, 60, 20};
    DrawTextA(dc, "(AB,12) Wg", -1, &r, DT_SINGLELINE);
    int ink = Count(dc, RGB(200, 10, 30)), paper = Count(dc, kWhite);
    EXPECT_GT(ink, 40);
    EXPECT_EQ(ink + paper, 60 * 20);  // no third colour anywhere
}

TEST(DrawText, OpaqueModeFillsTheTextCellsWithTheBackgroundColour) {
    TextDc dc(60, 20);
    SetBkColor(dc, RGB(0, 0, 200));
    RECT r{3, 4, 60, 20};
    DrawTextA(dc, "AB", -1, &r, DT_SINGLELINE);  // opaque is the default
    // The cell is 10 x 10 at (3, 4): everything in it blue or black, nothing outside.
    EXPECT_EQ(InkBounds(dc, kWhite), (RECT{3, 4, 13, 14}));
    EXPECT_EQ(Count(dc, RGB(0, 0, 200)) + Count(dc, 0), 100);
}

TEST(DrawText, FormatFlagsPlaceTheLineAndSetTheResult) {
    TextDc dc(50, 40);
    SetBkColor(dc, RGB(0, 0, 200));
    RECT r{0, 0, 50, 40};
    // Centred: the 45 x 10 cell of " (AB,12) " lands at (2, 15); the result is the distance
    // from the top to the text's bottom.
    EXPECT_EQ(DrawTextA(dc, " (AB,12) ", -1, &r, DT_SINGLELINE | DT_CENTER | DT_VCENTER), 25);
    EXPECT_EQ(InkBounds(dc, kWhite), (RECT{2, 15, 47, 25}));
    TextDc bottom(50, 40);
    SetBkColor(bottom, RGB(0, 0, 200));
    EXPECT_EQ(DrawTextA(bottom, " (A,1) ", -1, &r, DT_SINGLELINE | DT_BOTTOM | DT_CENTER), 40);
    EXPECT_EQ(InkBounds(bottom, kWhite), (RECT{7, 30, 42, 40}));  // 35 wide
    // Unplaced text returns its height; lines break at CR, LF and CR LF.
    TextDc plain(50, 40);
    EXPECT_EQ(DrawTextA(plain, "a\r\nb\nc", -1, &r, 0), 30);
    EXPECT_EQ(DrawTextA(plain, "a\r\nb\nc", -1, &r, DT_SINGLELINE), 10);
}

TEST(DrawText, ClipsToTheRectangleUnlessToldNotTo) {
    TextDc clipped(50, 20), free(50, 20);
    RECT r{10, 0, 20, 20};
    DrawTextA(clipped, "WWWWWW", -1, &r, DT_SINGLELINE | DT_CENTER);
    DrawTextA(free, "WWWWWW", -1, &r, DT_SINGLELINE | DT_CENTER | DT_NOCLIP);
    RECT a = InkBounds(clipped, kWhite), b = InkBounds(free, kWhite);
    EXPECT_GE(a.left, 10);
    EXPECT_LE(a.right, 20);
    EXPECT_LT(b.left, 10);
    EXPECT_GT(b.right, 20);
}

TEST(DrawText, PrefixAmpersandUnderlinesUnlessNoPrefix) {
    TextDc dc(50, 20);
    RECT r{0, 0, 50, 20};
    RECT calc = r;
    DrawTextA(dc, "a&&b", -1, &calc, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(calc.right, 15);  // "a&b"
    calc = r;
    DrawTextA(dc, "a&&b", -1, &calc, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_EQ(calc.right, 20);
    SetBkMode(dc, TRANSPARENT);
    DrawTextA(dc, "&_", -1, &r, DT_SINGLELINE);  // an underlined underscore: row 9 under it
    int underline = 0;
    for (int x = 0; x < 5; ++x) underline += dc.At(x, 9) == 0;
    EXPECT_EQ(underline, 5);
}

TEST(DrawText, JapaneseLabelDrawsGlyphs) {
    TextDc dc(40, 20);
    RECT r{0, 0, 40, 20};
    SetBkMode(dc, TRANSPARENT);
    DrawTextA(dc, kTank, -1, &r, DT_SINGLELINE);
    RECT ink = InkBounds(dc, kWhite);
    EXPECT_GT(Count(dc, 0), 30);
    EXPECT_LE(ink.right, 18);
    EXPECT_GT(ink.right, 10);  // the second character has ink too
    // A lead byte without its trail byte draws a replacement and stops there.
    EXPECT_EQ(DrawTextA(dc, "\x90", 1, &r, DT_SINGLELINE), 10);
}

TEST(DrawText, FollowsTheViewportAndMonochromeColours) {
    TextDc mono(30, 20, true, kWhite);
    SetViewportOrgEx(mono, -10, 0, nullptr);
    SetTextColor(mono, RGB(100, 100, 100));  // nearer to black
    SetBkMode(mono, TRANSPARENT);
    RECT r{10, 0, 40, 20};
    DrawTextA(mono, "AB", -1, &r, DT_SINGLELINE);
    RECT ink = InkBounds(mono, kWhite);
    EXPECT_LT(ink.left, 5);
    EXPECT_GT(Count(mono, 0), 10);
}

TEST(DrawText, RefusesBadArguments) {
    MemDc dc(10, 10);
    RECT r{0, 0, 10, 10};
    EXPECT_EQ(DrawTextA(nullptr, "a", -1, &r, 0), 0);
    EXPECT_EQ(DrawTextA(dc, nullptr, -1, &r, 0), 0);
    EXPECT_EQ(DrawTextA(dc, "a", -1, nullptr, 0), 0);
    EXPECT_FALSE(ExtTextOutA(dc, 0, 0, 0, nullptr, "a", 1, reinterpret_cast<const INT*>(&r)));
    EXPECT_FALSE(TextOutA(dc, 0, 0, "a", -1));
    SIZE s;
    EXPECT_FALSE(GetTextExtentPoint32A(dc, "a", -1, &s));
}
