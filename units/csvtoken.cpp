#include "qvdll/csvtoken.h"

#include <locale.h>
#include <stdlib.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

#include <qvplatform/cp932.h>

namespace {

// The white space that fields and numbers shed: space, tab, line feed, vertical
// tab, form feed, carriage return.
constexpr bool IsBlank(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool IsLeadByte(char c) {
    return IsCp932LeadByte(static_cast<BYTE>(c));
}

constexpr bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::size_t SkipBlanks(std::string_view s, std::size_t i) {
    while (i < s.size() && IsBlank(s[i])) ++i;
    return i;
}

std::size_t SkipDigits(std::string_view s, std::size_t i) {
    while (i < s.size() && IsDigit(s[i])) ++i;
    return i;
}

// The bytes at which passing a stretch of a field stops, with quote erasing
// off [0] or on [1]: every lead byte, the quote when it is erased, and the zero
// byte. A line holds no zero byte (it is copied up to its first), so the one
// after its end stops the pass without a bounds check. The separator is tested
// apart, as it changes from call to call.
constexpr auto kStops = [] {
    std::array<std::array<bool, 256>, 2> stops{};
    for (int erase = 0; erase < 2; ++erase) {
        for (int c = 0; c < 256; ++c) {
            stops[erase][c] =
                c == 0 || IsCp932LeadByte(static_cast<BYTE>(c)) || (erase && c == '"');
        }
    }
    return stops;
}();

// `text` without blanks at either end. `doubleByteEnd` is where the last
// double-byte character of `text` ends (0 when there is none): trimming from the
// right stops there, since a lead byte may have claimed a blank as its second
// half. A lead byte is never blank, so the left run stops before any.
std::string_view Trimmed(std::string_view text, std::size_t doubleByteEnd) {
    const char* first = text.data();
    const char* last = first + text.size();
    while (last > first + doubleByteEnd && IsBlank(last[-1])) --last;
    while (first < last && IsBlank(*first)) ++first;
    return {first, static_cast<std::size_t>(last - first)};
}

// Puts `text`, trimmed, in `target`, whose capacity is reused; `text` must not
// lie in `target`.
void StoreTrimmed(CString& target, std::string_view text, std::size_t doubleByteEnd) {
    // Most fields have no blank at either end: that is told by two bytes.
    if (!text.empty() && (IsBlank(text.front()) || IsBlank(text.back())))
        text = Trimmed(text, doubleByteEnd);
    target.Empty();
    target.Append(text);
}

// One line with the settings of one call of next.
struct CLineWalk {
    const char* line;  // zero-terminated
    std::size_t size;
    const std::array<bool, 256>& stops;
    char separator;

    // From `p`, passes ordinary bytes and whole double-byte characters, and
    // stops at the separator, an erased quote or the line's end. A double-byte
    // character passed sets `doubleByteEnd` to the index just after it.
    std::size_t Pass(std::size_t p, std::size_t& doubleByteEnd) const {
        for (;;) {
            char c;
            while (c = line[p], !stops[static_cast<BYTE>(c)] && c != separator) ++p;
            if (p == size || !IsLeadByte(c)) return p;
            p = doubleByteEnd = std::min(p + 2, size);
        }
    }

    // Whether a field outside quotes ends at `p`, where Pass stopped.
    bool EndsField(std::size_t p) const { return p == size || line[p] == separator; }

    // Whether the quote at `p`, where Pass stopped, closes a field: the line's
    // end or the separator must follow, and the separator as a byte of its own,
    // not as the first half of a double-byte character.
    bool ClosesField(std::size_t p) const {
        return p < size && line[p] == '"' &&
               (p + 1 == size || (line[p + 1] == separator && !IsLeadByte(separator)));
    }

    // The general walk of a field from `start`, gathering its pieces around
    // erased quotes in `text`; returns the position after the field. It stays
    // out of next, whose common case it would only burden with registers.
    [[gnu::noinline]] std::size_t TakeField(std::size_t start, CString& text) const;
};

std::size_t CLineWalk::TakeField(std::size_t start, CString& text) const {
    text.Empty();
    std::size_t p = start;
    std::size_t segment = start;    // first byte of the field not yet in the text
    std::size_t stop = size;        // where the field ends in the line
    std::size_t doubleByteEnd = 0;  // in field bytes
    bool inQuotes = false;
    for (;;) {
        std::size_t passedEnd = 0;
        p = Pass(p, passedEnd);
        if (passedEnd) doubleByteEnd = text.view().size() + (passedEnd - segment);
        if (p == size) break;
        if (line[p] == separator) {
            if (!inQuotes) {
                stop = p++;
                break;
            }
            ++p;
        } else {  // an erased quote
            text.Append({line + segment, p - segment});
            segment = ++p;
            inQuotes = !inQuotes;
        }
    }
    text.Append({line + segment, stop - segment});
    const std::string_view field = Trimmed(text.view(), doubleByteEnd);
    if (field.size() != text.view().size()) text = CString(field);
    return p;
}

// strtod reads "." as the decimal point only in the C locale; the field's
// number must not change with the host's locale. The locale object is freed
// when the library is unloaded.
locale_t CLocale() {
    static const struct Owner {
        locale_t c = newlocale(LC_ALL_MASK, "C", nullptr);
        ~Owner() { freelocale(c); }
    } owner;
    return owner.c;
}

}  // namespace

CToken::CToken(const char* pszText) {
    SetToken(pszText);
}

CToken::~CToken() = default;

void CToken::SetToken(const char* pszText) {
    const std::string_view text = pszText ? pszText : "";
    std::size_t doubleByteEnd = 0;
    for (std::size_t i = 0; i < text.size();) {
        if (IsLeadByte(text[i])) {
            i = std::min(i + 2, text.size());
            doubleByteEnd = i;
        } else {
            ++i;
        }
    }
    StoreTrimmed(m_strToken, text, doubleByteEnd);
}

LONG CToken::AsLong() const {
    const std::string_view s = m_strToken.view();
    std::size_t i = SkipBlanks(s, 0);
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    // Digits keep coming after the limit is passed; the value stays saturated.
    const std::int64_t limit = negative ? std::int64_t{1} << 31 : (std::int64_t{1} << 31) - 1;
    std::int64_t value = 0;
    for (; i < s.size() && IsDigit(s[i]); ++i) {
        if (value <= limit) value = value * 10 + (s[i] - '0');
    }
    value = std::min(value, limit);
    return static_cast<LONG>(negative ? -value : value);
}

double CToken::AsDouble() const {
    const std::string_view s = m_strToken.view();
    const std::size_t start = SkipBlanks(s, 0);
    std::size_t i = start;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    const std::size_t mantissa = i;
    i = SkipDigits(s, i);
    std::size_t digits = i - mantissa;
    if (i < s.size() && s[i] == '.') {
        const std::size_t fraction = i + 1;
        i = SkipDigits(s, fraction);
        digits += i - fraction;
    }
    if (digits == 0) return 0.0;
    // The exponent counts only when at least one digit follows its letter and sign.
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t e = i + 1;
        if (e < s.size() && (s[e] == '+' || s[e] == '-')) ++e;
        if (e < s.size() && IsDigit(s[e])) i = SkipDigits(s, e);
    }
    // strtod_l sees only the prefix checked above, so none of its other forms
    // (hexadecimal, inf, nan) can apply.
    const std::string number(s.substr(start, i - start));
    return strtod_l(number.c_str(), nullptr, CLocale());
}

CCSVToken::CCSVToken(const char* pszLine, char chSeparator, bool bDoubleQuoteErase)
    : m_strLine(pszLine),
      m_pToken(new CToken),
      m_chSeparator(chSeparator),
      m_bDoubleQuoteErase(bDoubleQuoteErase) {}

CCSVToken::CCSVToken(const CCSVToken& other)
    : m_strLine(other.m_strLine),
      m_pToken(other.m_pToken),
      m_nPosition(other.m_nPosition),
      m_chSeparator(other.m_chSeparator),
      m_bDoubleQuoteErase(other.m_bDoubleQuoteErase) {}

CCSVToken& CCSVToken::operator=(const CCSVToken& other) {
    m_strLine = other.m_strLine;
    m_pToken = other.m_pToken;
    m_nPosition = other.m_nPosition;
    m_chSeparator = other.m_chSeparator;
    m_bDoubleQuoteErase = other.m_bDoubleQuoteErase;
    return *this;
}

CCSVToken::~CCSVToken() = default;

// Nearly every field is a plain stretch (ordinary bytes and double-byte
// characters), bare or inside one pair of quotes: such a field is copied into the
// token once, with no intermediate buffer. Anything else takes the general walk.
// Flattened so that the copy into the token's string is inlined here whole: it
// saves two calls on every field, and the general walk stays out (noinline).
[[gnu::flatten]] CToken* CCSVToken::next() {
    const CLineWalk walk{m_strLine.GetString(), m_strLine.view().size(),
                         kStops[m_bDoubleQuoteErase], m_chSeparator};
    CString& text = m_pToken->m_strToken;
    const std::size_t start = m_nPosition;
    std::size_t doubleByteEnd = 0;
    std::size_t first = start;  // the field's text is [first, last)
    std::size_t last = walk.Pass(start, doubleByteEnd);
    std::size_t end = last;       // the field's separator or the line's end
    if (!walk.EndsField(last)) {  // an erased quote
        const bool opens = last == start;
        if (opens) last = walk.Pass(start + 1, doubleByteEnd);
        if (!opens || !walk.ClosesField(last)) {
            m_nPosition = walk.TakeField(start, text);
            return m_pToken.Get();
        }
        first = start + 1;
        end = last + 1;
    }
    m_nPosition = std::min(end + 1, walk.size);
    StoreTrimmed(text, {walk.line + first, last - first},
                 doubleByteEnd ? doubleByteEnd - first : 0);
    return m_pToken.Get();
}
