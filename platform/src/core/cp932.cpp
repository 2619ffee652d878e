// Conversions through glibc's iconv, which knows code page 932 with the
// vendor extensions Windows has. One converter per direction and thread: an
// iconv descriptor must not be shared between threads.
#include "qvplatform/cp932.h"

#include <iconv.h>

#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstdio>

namespace {

constexpr char32_t kReplacement = U'\uFFFD';

class Converter {
public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~Converter() {
        if (m_cd != kInvalid) iconv_close(m_cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts `text` into `out` (appended), calling `onBad(input, left)` where
    // the input cannot be converted; it appends a replacement and returns how
    // many input bytes to skip (at least 1).
    template <class Out, class OnBad>
    void Run(std::string_view text, Out& out, OnBad onBad) {
        using Unit = typename Out::value_type;
        if (m_cd == kInvalid) {
            // No converter on this system: keep ASCII, replace everything else.
            for (std::size_t i = 0; i < text.size();) {
                if (static_cast<unsigned char>(text[i]) < 0x80)
                    out.push_back(static_cast<Unit>(text[i++]));
                else
                    i += onBad(text.data() + i, text.size() - i);
            }
            return;
        }
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        char* in = const_cast<char*>(text.data());
        std::size_t inLeft = text.size();
        Unit chunk[256];
        while (inLeft > 0) {
            char* dst = reinterpret_cast<char*>(chunk);
            std::size_t dstLeft = sizeof chunk;
            std::size_t rc = iconv(m_cd, &in, &inLeft, &dst, &dstLeft);
            int err = rc == static_cast<std::size_t>(-1) ? errno : 0;
            out.append(chunk, (sizeof chunk - dstLeft) / sizeof(Unit));
            if (err == EILSEQ || err == EINVAL) {
                std::size_t skip = onBad(in, inLeft);
                in += skip;
                inLeft -= skip;
            } else if (err != 0 && err != E2BIG) {
                break;
            }
        }
    }

private:
    static inline const iconv_t kInvalid = reinterpret_cast<iconv_t>(std::intptr_t{-1});
    iconv_t m_cd;
};

// glibc's names for the UTF-32 of this machine's byte order, without a mark.
constexpr const char* kUtf32 = std::endian::native == std::endian::little ? "UTF-32LE" : "UTF-32BE";

// How many code page 932 bytes one bad character spans: a lead byte with a
// byte of the trail range after it is an unmapped pair, anything else one byte.
std::size_t BadCp932Length(const char* p, std::size_t left) {
    auto lead = static_cast<BYTE>(p[0]);
    if (!IsCp932LeadByte(lead) || left < 2) return 1;
    auto trail = static_cast<BYTE>(p[1]);
    bool trailRange = (trail >= 0x40 && trail <= 0x7E) || (trail >= 0x80 && trail <= 0xFC);
    return trailRange ? 2 : 1;
}

// How many bytes a well-formed UTF-8 sequence at `p` spans, or 1 for a
// malformed one (which is then replaced byte by byte).
std::size_t Utf8SequenceLength(const char* p, std::size_t left) {
    auto lead = static_cast<BYTE>(p[0]);
    std::size_t n = lead < 0xC2 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF5 ? 4 : 1;
    if (n > left) return 1;
    for (std::size_t i = 1; i < n; ++i)
        if ((static_cast<BYTE>(p[i]) & 0xC0) != 0x80) return 1;
    return n;
}

Converter& ToUtf8() {
    thread_local Converter converter("UTF-8", "CP932");
    return converter;
}

Converter& ToUtf32() {
    thread_local Converter converter(kUtf32, "CP932");
    return converter;
}

Converter& FromUtf8() {
    thread_local Converter converter("CP932", "UTF-8");
    return converter;
}

}  // namespace

std::string Cp932ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    ToUtf8().Run(text, out, [&](const char* p, std::size_t left) {
        out += "\xEF\xBF\xBD";  // U+FFFD
        return BadCp932Length(p, left);
    });
    return out;
}

std::u32string Cp932ToUtf32(std::string_view text) {
    std::u32string out;
    out.reserve(text.size());
    ToUtf32().Run(text, out, [&](const char* p, std::size_t left) {
        out += kReplacement;
        return BadCp932Length(p, left);
    });
    return out;
}

std::string Utf8ToCp932(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    FromUtf8().Run(text, out, [&](const char* p, std::size_t left) {
        out += '?';
        return Utf8SequenceLength(p, left);
    });
    return out;
}

std::string Cp932ToPrintable(std::string_view text) {
    std::string utf8 = Cp932ToUtf8(text);
    std::string out;
    out.reserve(utf8.size());
    for (unsigned char c : utf8) {
        switch (c) {
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\\':
                out += "\\\\";
                break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    char escaped[5];
                    std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
                    out += escaped;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    return out;
}
