// Text: code page 932 decoding, line layout with the selected font, and drawing glyphs in
// the exact text colour.
#include <algorithm>
#include <cstring>

#include "gdi_draw_internal.h"
#include "gdi_font.h"
#include "qvplatform/cp932.h"

namespace qvp::detail {

namespace {

// Division rounding towards minus infinity, so centring is the same on both sides of 0.
int FloorDiv(int a, int b) {
    return a / b - (a % b != 0 && (a < 0) != (b < 0));
}

struct TextLine {
    std::vector<const Glyph*> glyphs;
    std::vector<bool> underlined;  // per glyph: marked by an '&' prefix
    int width = 0;
};

// Splits into lines (unless single-line) and applies '&' prefixes.
std::vector<TextLine> LayOut(FontFace& face, const std::u32string& text, bool singleLine,
                             bool prefixes) {
    std::vector<TextLine> lines(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (!singleLine && (c == U'\r' || c == U'\n')) {
            if (c == U'\r' && i + 1 < text.size() && text[i + 1] == U'\n') ++i;
            lines.emplace_back();
            continue;
        }
        bool underline = false;
        if (prefixes && c == U'&') {
            if (++i == text.size()) break;
            c = text[i];
            underline = c != U'&';
        }
        const Glyph& glyph = face.GlyphOf(c);
        lines.back().glyphs.push_back(&glyph);
        lines.back().underlined.push_back(underline);
        lines.back().width += glyph.advance;
    }
    return lines;
}

void FillRow(BitmapObject& bitmap, const RECT& clip, int y, int x0, int x1, Pixel ink) {
    if (y < clip.top || y >= clip.bottom) return;
    x0 = std::max(x0, static_cast<int>(clip.left));
    x1 = std::min(x1, static_cast<int>(clip.right));
    if (x0 < x1) std::fill(bitmap.Row(y) + x0, bitmap.Row(y) + x1, ink);
}

// Draws one line with the top-left of its text cell at device (x, y), inside `clip`.
void DrawLine(DcObject& dc, FontFace& face, const LOGFONTA& log, const TextLine& line, int x, int y,
              const RECT& clip) {
    if (IsEmpty(clip)) return;
    const DcState& s = dc.m_state;
    if (s.bkMode == OPAQUE) {
        RECT cell{x, y, x + line.width, y + face.Height()};
        if (IntersectRect(cell, clip)) FillDevice(dc, cell, s.bkColor);
    }
    BitmapObject& bitmap = *s.bitmap;
    const Pixel ink = bitmap.FromColor(s.textColor);
    const int baseline = y + face.Ascent();
    const int underlineRow = std::min(baseline + 1, y + face.Height() - 1);
    int pen = x;
    for (std::size_t i = 0; i < line.glyphs.size(); ++i) {
        const Glyph& glyph = *line.glyphs[i];
        for (const Glyph::Run& run : glyph.runs)
            FillRow(bitmap, clip, baseline + run.y, pen + run.x0, pen + run.x1, ink);
        if (line.underlined[i] || log.lfUnderline)
            FillRow(bitmap, clip, underlineRow, pen, pen + glyph.advance, ink);
        pen += glyph.advance;
    }
    if (log.lfStrikeOut) FillRow(bitmap, clip, baseline - face.Ascent() / 3, x, pen, ink);
}

// The context's font face with the lock that guards it.
struct TextContext {
    explicit TextContext(HDC hdc) : dc(Table().Get<DcObject>(hdc)), lock(FontMutex()) {
        if (dc && dc->m_state.font) face = &dc->m_state.font->Face();
    }
    explicit operator bool() const { return face != nullptr; }
    const LOGFONTA& Log() const { return dc->m_state.font->m_log; }

    DcObject* dc;
    std::lock_guard<std::mutex> lock;
    FontFace* face = nullptr;
};

std::u32string Decode(LPCSTR text, int length) {
    return DecodeCp932(text, length < 0 ? std::strlen(text) : static_cast<std::size_t>(length));
}

}  // namespace

std::u32string DecodeCp932(const char* text, std::size_t length) {
    // Labels are mostly ASCII, which maps to itself; only other text goes to the converter.
    if (std::all_of(text, text + length,
                    [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return std::u32string(text, text + length);
    return Cp932ToUtf32({text, length});
}

}  // namespace qvp::detail

using namespace qvp::detail;

int DrawTextA(HDC hdc, LPCSTR lpchText, int cchText, LPRECT lprc, UINT format) {
    TextContext text(hdc);
    if (!text || !lpchText || !lprc) return 0;
    const bool singleLine = (format & DT_SINGLELINE) != 0;
    auto lines = LayOut(*text.face, Decode(lpchText, cchText), singleLine, !(format & DT_NOPREFIX));
    const int lineHeight = text.face->Height();
    const int total = lineHeight * static_cast<int>(lines.size());
    if (format & DT_CALCRECT) {
        int widest = 0;
        for (const TextLine& line : lines) widest = std::max(widest, line.width);
        lprc->right = lprc->left + widest;
        lprc->bottom = lprc->top + total;
        return total;
    }
    DcObject& dc = *text.dc;
    POINT tl = dc.ToDevice(lprc->left, lprc->top), br = dc.ToDevice(lprc->right, lprc->bottom);
    int top = tl.y;
    if (singleLine && (format & DT_BOTTOM)) {
        top = br.y - lineHeight;
    } else if (singleLine && (format & DT_VCENTER)) {
        top = tl.y + FloorDiv(br.y - tl.y - lineHeight, 2);
    }
    RECT clip = dc.DeviceBounds();
    if (!(format & DT_NOCLIP)) IntersectRect(clip, {tl.x, tl.y, br.x, br.y});
    for (std::size_t i = 0; i < lines.size(); ++i) {
        int x = tl.x;
        if (format & DT_CENTER) {
            x = tl.x + FloorDiv(br.x - tl.x - lines[i].width, 2);
        } else if (format & DT_RIGHT) {
            x = br.x - lines[i].width;
        }
        DrawLine(dc, *text.face, text.Log(), lines[i], x, top + static_cast<int>(i) * lineHeight,
                 clip);
    }
    // Placed lines report where their text ends, measured from the rectangle's top.
    if (singleLine && (format & (DT_VCENTER | DT_BOTTOM))) return top + lineHeight - tl.y;
    return total;
}

BOOL ExtTextOutA(HDC hdc, int x, int y, UINT options, const RECT* lprc, LPCSTR lpString, UINT c,
                 const INT* lpDx) {
    TextContext text(hdc);
    if (!text || (!lpString && c) || lpDx) return FALSE;
    DcObject& dc = *text.dc;
    RECT clip = dc.DeviceBounds();
    if (lprc && (options & (ETO_OPAQUE | ETO_CLIPPED))) {
        POINT a = dc.ToDevice(lprc->left, lprc->top), b = dc.ToDevice(lprc->right, lprc->bottom);
        if (options & ETO_OPAQUE) FillDevice(dc, {a.x, a.y, b.x, b.y}, dc.m_state.bkColor);
        if (options & ETO_CLIPPED) IntersectRect(clip, {a.x, a.y, b.x, b.y});
    }
    if (!c) return TRUE;
    auto lines = LayOut(*text.face, Decode(lpString, static_cast<int>(c)), true, false);
    POINT at = dc.ToDevice(x, y);
    DrawLine(dc, *text.face, text.Log(), lines.front(), at.x, at.y, clip);
    return TRUE;
}

BOOL TextOutA(HDC hdc, int x, int y, LPCSTR lpString, int c) {
    return c >= 0 ? ExtTextOutA(hdc, x, y, 0, nullptr, lpString, static_cast<UINT>(c), nullptr)
                  : FALSE;
}

BOOL GetTextExtentPoint32A(HDC hdc, LPCSTR lpString, int c, SIZE* psizl) {
    TextContext text(hdc);
    if (!text || !psizl || c < 0 || (!lpString && c)) return FALSE;
    auto lines = LayOut(*text.face, Decode(lpString ? lpString : "", c), true, false);
    *psizl = {lines.front().width, text.face->Height()};
    return TRUE;
}

BOOL GetTextMetricsA(HDC hdc, TEXTMETRICA* lptm) {
    TextContext text(hdc);
    if (!text || !lptm) return FALSE;
    const FontFace& face = *text.face;
    const LOGFONTA& log = text.Log();
    *lptm = {};
    lptm->tmHeight = face.Height();
    lptm->tmAscent = face.Ascent();
    lptm->tmDescent = face.Descent();
    lptm->tmInternalLeading = face.InternalLeading();
    lptm->tmAveCharWidth = face.AverageWidth();
    lptm->tmMaxCharWidth = face.MaxWidth();
    lptm->tmWeight = log.lfWeight ? log.lfWeight : FW_NORMAL;
    lptm->tmDigitizedAspectX = lptm->tmDigitizedAspectY = 96;
    lptm->tmFirstChar = 0x20;
    lptm->tmLastChar = 0xFF;
    lptm->tmDefaultChar = '?';
    lptm->tmBreakChar = ' ';
    lptm->tmItalic = log.lfItalic;
    lptm->tmUnderlined = log.lfUnderline;
    lptm->tmStruckOut = log.lfStrikeOut;
    lptm->tmPitchAndFamily = log.lfPitchAndFamily;
    lptm->tmCharSet = log.lfCharSet;
    return TRUE;
}
