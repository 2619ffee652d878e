// Fonts: creation, faces found through fontconfig, glyphs rendered by FreeType without
// anti-aliasing and kept in a cache per face and size.
#include "gdi_font.h"
#include "qvplatform/cp932.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include <strings.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <tuple>
#include <unordered_map>

namespace qvp::detail {

namespace {

constexpr int kMinEm = 1;
constexpr int kMaxEm = 1024;
constexpr int kDefaultCellHeight = 16;
constexpr const char* kJapaneseGothic = "IPAGothic";

// Face names of the platform the library comes from and what stands in for them here.
// The Japanese names arrive in code page 932 and are compared after conversion.
struct Substitute {
    const char* name;
    const char* family;
    bool japanese;
};
constexpr Substitute kSubstitutes[] = {
    {"ＭＳ ゴシック", "IPAGothic", true},    {"MS Gothic", "IPAGothic", true},
    {"ＭＳ Ｐゴシック", "IPAPGothic", true}, {"MS PGothic", "IPAPGothic", true},
    {"MS UI Gothic", "IPAPGothic", true},    {"ＭＳ 明朝", "IPAMincho", true},
    {"MS Mincho", "IPAMincho", true},        {"ＭＳ Ｐ明朝", "IPAPMincho", true},
    {"MS PMincho", "IPAPMincho", true},      {"MS Sans Serif", "sans-serif", false},
    {"MS Shell Dlg", "sans-serif", false},   {"MS Shell Dlg 2", "sans-serif", false},
    {"System", "sans-serif", false},         {"Fixedsys", "monospace", false},
    {"Terminal", "monospace", false},        {"Courier", "monospace", false},
};

// What fontconfig is asked for.
struct Request {
    std::string family;
    bool bold = false;
    bool italic = false;
    bool japanese = false;
};

Request RequestFor(const LOGFONTA& log) {
    Request r;
    std::size_t length = strnlen(log.lfFaceName, LF_FACESIZE);
    r.family = Cp932ToUtf8({log.lfFaceName, length});
    r.bold = log.lfWeight >= 600;
    r.italic = log.lfItalic != 0;
    r.japanese = log.lfCharSet == SHIFTJIS_CHARSET;
    for (const Substitute& s : kSubstitutes) {
        if (strcasecmp(r.family.c_str(), s.name) == 0) {
            r.family = s.family;
            r.japanese = r.japanese || s.japanese;
            break;
        }
    }
    if (r.family.empty()) r.family = (log.lfPitchAndFamily & 3) == 1 ? "monospace" : "sans-serif";
    return r;
}

// A face file chosen by fontconfig, and what the file lacks of the request.
struct Match {
    std::string file;
    int index = 0;
    bool synthBold = false;
    bool synthItalic = false;
    bool operator<(const Match& o) const {
        return std::tie(file, index, synthBold, synthItalic) <
               std::tie(o.file, o.index, o.synthBold, o.synthItalic);
    }
};

class FreeTypeFace final : public FontFace {
public:
    // `face` may be null (no font at all): every glyph is then blank.
    FreeTypeFace(FT_Face face, const LOGFONTA& log, const Match& match, FreeTypeFace* fallback)
        : m_face(face), m_pFallback(fallback), m_match(match) {
        Size(std::clamp<long long>(log.lfHeight, -kMaxEm, kMaxEm));
    }
    ~FreeTypeFace() override {
        if (m_face) FT_Done_Face(m_face);
    }
    FreeTypeFace(const FreeTypeFace&) = delete;
    FreeTypeFace& operator=(const FreeTypeFace&) = delete;

    const Glyph& GlyphOf(char32_t c) override {
        auto it = m_glyphs.find(c);
        if (it != m_glyphs.end()) return it->second;
        Glyph glyph;
        if (c >= 0x20) {
            FT_UInt index = m_face ? FT_Get_Char_Index(m_face, c) : 0;
            if (index == 0 && m_pFallback) return m_glyphs[c] = m_pFallback->GlyphOf(c);
            if (m_face) glyph = Render(index);
        }
        return m_glyphs[c] = std::move(glyph);
    }

private:
    // A negative height is the character height; a positive one the cell height (ascent
    // plus descent), which then comes out exactly; 0 asks for the default cell.
    void Size(long long height) {
        auto [up, down] = DesignExtent();
        const bool byCell = height >= 0;
        const long long cell = height > 0 ? height : kDefaultCellHeight;
        double em = byCell ? static_cast<double>(cell) : static_cast<double>(-height);
        if (byCell && up + down > 0) em = static_cast<double>(cell) * UnitsPerEm() / (up + down);
        em = std::clamp<double>(em, kMinEm, kMaxEm);
        if (m_face && FT_Set_Char_Size(m_face, 0, std::lround(em * 64), 72, 72) != 0) {
            FT_Done_Face(m_face);
            m_face = nullptr;
        }
        int unitsPerEm = UnitsPerEm();
        if (up + down <= 0) up = 4, down = 1, unitsPerEm = 5;  // no face: a plain proportion
        const double scale = em / unitsPerEm;
        m_nAscent =
            static_cast<int>(byCell ? std::lround(static_cast<double>(cell) * up / (up + down))
                                    : std::lround(up * scale));
        m_nDescent = byCell ? static_cast<int>(cell) - m_nAscent
                            : static_cast<int>(std::lround(down * scale));
        m_nInternalLeading = std::max(0, Height() - static_cast<int>(std::lround(em)));
        m_nAverageWidth = m_nMaxWidth = static_cast<int>(std::lround(em / 2));
        if (!m_face) return;
        auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(m_face, FT_SFNT_OS2));
        if (os2 && os2->xAvgCharWidth > 0)
            m_nAverageWidth = static_cast<int>(std::lround(os2->xAvgCharWidth * scale));
        m_nMaxWidth = static_cast<int>(std::lround(m_face->max_advance_width * scale));
    }

    int UnitsPerEm() const { return m_face && m_face->units_per_EM ? m_face->units_per_EM : 1; }

    // Ascent and descent in font units: the ones the font gives for text layout on
    // screen (OS/2 table) where present.
    std::pair<int, int> DesignExtent() const {
        if (!m_face) return {0, 0};
        auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(m_face, FT_SFNT_OS2));
        if (os2 && os2->usWinAscent + os2->usWinDescent > 0)
            return {os2->usWinAscent, os2->usWinDescent};
        return {m_face->ascender, -m_face->descender};
    }

    Glyph Render(FT_UInt index) {
        Glyph glyph;
        bool synth = m_match.synthBold || m_match.synthItalic;
        if (FT_Load_Glyph(m_face, index, FT_LOAD_TARGET_MONO | (synth ? FT_LOAD_NO_BITMAP : 0)))
            return glyph;
        FT_GlyphSlot slot = m_face->glyph;
        if (m_match.synthBold) FT_GlyphSlot_Embolden(slot);
        if (m_match.synthItalic) FT_GlyphSlot_Oblique(slot);
        if (slot->format != FT_GLYPH_FORMAT_BITMAP && FT_Render_Glyph(slot, FT_RENDER_MODE_MONO))
            return glyph;
        glyph.advance = static_cast<int>((slot->advance.x + 32) >> 6);
        const FT_Bitmap& bm = slot->bitmap;
        auto on = [&bm](unsigned x, unsigned y) {
            const unsigned char* row = bm.buffer + static_cast<long>(y) * bm.pitch;
            return bm.pixel_mode == FT_PIXEL_MODE_MONO ? (row[x / 8] >> (7 - x % 8)) & 1
                                                       : row[x] >= 128;
        };
        if (bm.pixel_mode != FT_PIXEL_MODE_MONO && bm.pixel_mode != FT_PIXEL_MODE_GRAY)
            return glyph;
        for (unsigned y = 0; y < bm.rows; ++y) {
            for (unsigned x = 0; x < bm.width;) {
                if (!on(x, y)) {
                    ++x;
                    continue;
                }
                unsigned end = x;
                while (end < bm.width && on(end, y)) ++end;
                glyph.runs.push_back(
                    {static_cast<std::int16_t>(static_cast<int>(y) - slot->bitmap_top),
                     static_cast<std::int16_t>(slot->bitmap_left + static_cast<int>(x)),
                     static_cast<std::int16_t>(slot->bitmap_left + static_cast<int>(end))});
                x = end;
            }
        }
        return glyph;
    }

    FT_Face m_face;
    FreeTypeFace* m_pFallback;
    Match m_match;
    std::unordered_map<char32_t, Glyph> m_glyphs;
};

// Every face in use, by file and size, for the life of the process.
class FontCache {
public:
    static FontCache& Instance() {
        static FontCache cache;
        return cache;
    }
    ~FontCache() {
        m_faces.clear();
        if (m_library) FT_Done_FreeType(m_library);
        if (m_config) FcConfigDestroy(m_config);
    }

    // Callers hold FontMutex().
    FontFace& Resolve(const LOGFONTA& log) {
        Match match = Find(RequestFor(log));
        Request japanese;
        japanese.family = kJapaneseGothic;
        japanese.japanese = true;
        Match fallbackMatch = Find(japanese);
        FreeTypeFace* fallback = nullptr;
        if (fallbackMatch.file != match.file || fallbackMatch.index != match.index) {
            LOGFONTA plain = log;
            plain.lfWeight = FW_NORMAL;
            plain.lfItalic = 0;
            fallback = &Face(fallbackMatch, plain, nullptr);
        }
        return Face(match, log, fallback);
    }

private:
    FontCache() {
        FT_Init_FreeType(&m_library);
        m_config = FcInitLoadConfigAndFonts();
    }

    // The face of `match` sized for `log`; one per file, size and synthesis.
    FreeTypeFace& Face(const Match& match, const LOGFONTA& log, FreeTypeFace* fallback) {
        auto key = std::make_tuple(match, log.lfHeight, fallback);
        auto it = m_faces.find(key);
        if (it != m_faces.end()) return *it->second;
        FT_Face face = nullptr;
        if (m_library && !match.file.empty() &&
            FT_New_Face(m_library, match.file.c_str(), match.index, &face) != 0)
            face = nullptr;
        auto created = std::make_unique<FreeTypeFace>(face, log, match, fallback);
        return *(m_faces[key] = std::move(created));
    }

    Match Find(const Request& request) {
        auto key = std::make_tuple(request.family, request.bold, request.italic, request.japanese);
        auto known = m_matches.find(key);
        if (known != m_matches.end()) return known->second;
        return m_matches[key] = Ask(request);
    }

    Match Ask(const Request& request) {
        Match match;
        if (!m_config) return match;
        FcPattern* pattern = FcPatternCreate();
        FcPatternAddString(pattern, FC_FAMILY,
                           reinterpret_cast<const FcChar8*>(request.family.c_str()));
        FcPatternAddInteger(pattern, FC_WEIGHT, request.bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
        FcPatternAddInteger(pattern, FC_SLANT, request.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
        if (request.japanese)
            FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>("ja"));
        FcConfigSubstitute(m_config, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result;
        FcPattern* found = FcFontMatch(m_config, pattern, &result);
        FcPatternDestroy(pattern);
        if (!found) return match;
        FcChar8* file = nullptr;
        int weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
        if (FcPatternGetString(found, FC_FILE, 0, &file) == FcResultMatch)
            match.file = reinterpret_cast<const char*>(file);
        FcPatternGetInteger(found, FC_INDEX, 0, &match.index);
        FcPatternGetInteger(found, FC_WEIGHT, 0, &weight);
        FcPatternGetInteger(found, FC_SLANT, 0, &slant);
        match.synthBold = request.bold && weight < FC_WEIGHT_DEMIBOLD;
        match.synthItalic = request.italic && slant == FC_SLANT_ROMAN;
        FcPatternDestroy(found);
        return match;
    }

    FT_Library m_library = nullptr;
    FcConfig* m_config = nullptr;
    std::map<std::tuple<std::string, bool, bool, bool>, Match> m_matches;
    std::map<std::tuple<Match, LONG, FreeTypeFace*>, std::unique_ptr<FreeTypeFace>> m_faces;
};

}  // namespace

std::mutex& FontMutex() {
    static std::mutex mutex;
    return mutex;
}

FontFace& FontObject::Face() {
    if (!m_pFace) m_pFace = &FontCache::Instance().Resolve(m_log);
    return *m_pFace;
}

}  // namespace qvp::detail

using namespace qvp::detail;

HFONT CreateFontIndirectA(const LOGFONTA* lplf) {
    if (!lplf) return nullptr;
    auto font = std::make_unique<FontObject>();
    font->m_log = *lplf;
    font->m_log.lfFaceName[LF_FACESIZE - 1] = '\0';
    return AddObject<HFONT>(std::move(font));
}

HFONT CreateFontA(int cHeight, int cWidth, int cEscapement, int cOrientation, int cWeight,
                  DWORD bItalic, DWORD bUnderline, DWORD bStrikeOut, DWORD iCharSet,
                  DWORD iOutPrecision, DWORD iClipPrecision, DWORD iQuality, DWORD iPitchAndFamily,
                  LPCSTR pszFaceName) {
    LOGFONTA log{};
    log.lfHeight = cHeight;
    log.lfWidth = cWidth;
    log.lfEscapement = cEscapement;
    log.lfOrientation = cOrientation;
    log.lfWeight = cWeight;
    log.lfItalic = static_cast<BYTE>(bItalic != 0);
    log.lfUnderline = static_cast<BYTE>(bUnderline != 0);
    log.lfStrikeOut = static_cast<BYTE>(bStrikeOut != 0);
    log.lfCharSet = static_cast<BYTE>(iCharSet);
    log.lfOutPrecision = static_cast<BYTE>(iOutPrecision);
    log.lfClipPrecision = static_cast<BYTE>(iClipPrecision);
    log.lfQuality = static_cast<BYTE>(iQuality);
    log.lfPitchAndFamily = static_cast<BYTE>(iPitchAndFamily);
    if (pszFaceName) std::strncpy(log.lfFaceName, pszFaceName, LF_FACESIZE - 1);
    return CreateFontIndirectA(&log);
}
