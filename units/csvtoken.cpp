#include "qvdll/csvtoken.h"

#include <locale.h>
#include <stdlib.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
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

// The index of the first byte from `p` on that is the separator, the quote or
// at least 0x80 (where all lead bytes lie), or the line's length. The ordinary
// bytes between are most of every line, so they are passed eight at a time.
std::size_t FindSpecial(std::string_view line, std::size_t p, char separator, char quote) {
    constexpr std::uint64_t kOnes = 0x0101010101010101u;
    constexpr std::uint64_t kHighs = 0x8080808080808080u;
    const std::uint64_t separators = kOnes * static_cast<BYTE>(separator);
    const std::uint64_t quotes = kOnes * static_cast<BYTE>(quote);
    for (; p + 8 <= line.size(); p += 8) {
        std::uint64_t word;
        std::memcpy(&word, line.data() + p, 8);
        if constexpr (std::endian::native == std::endian::big) word = __builtin_bswap64(word);
        // A byte equal to the separator or quote becomes zero; (x - 1) & ~x
        // marks the first zero byte exactly (a borrow can only mark bytes
        // after it), so the first mark is the first special byte.
        const std::uint64_t s = word ^ separators;
        const std::uint64_t q = word ^ quotes;
        const std::uint64_t marks = (word | ((s - kOnes) & ~s) | ((q - kOnes) & ~q)) & kHighs;
        if (marks) return p + static_cast<std::size_t>(std::countr_zero(marks)) / 8;
    }
    while (p < line.size() && line[p] != separator && line[p] != quote &&
           static_cast<BYTE>(line[p]) < 0x80)
        ++p;
    return p;
}

// Stores `text` without blanks at either end. `doubleByteEnd` is where the
// last double-byte character of `text` ends (0 when there is none): trimming
// from the right stops there, since a lead byte may have claimed a blank as its
// second half. A lead byte is never blank, so the left run stops before any.
void StoreTrimmed(CString& target, std::string_view text, std::size_t doubleByteEnd) {
    std::size_t last = text.size();
    while (last > doubleByteEnd && IsBlank(text[last - 1])) --last;
    std::size_t first = SkipBlanks(text.substr(0, last), 0);
    target = text.substr(first, last - first);
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
      m_bDoubleQuoteErase(bDoubleQuoteErase),
      m_nNextSpecial(FindSpecial(m_strLine.view(), 0, '"', '"')) {}

CCSVToken::CCSVToken(const CCSVToken& other)
    : m_strLine(other.m_strLine),
      m_pToken(other.m_pToken),
      m_nPosition(other.m_nPosition),
      m_chSeparator(other.m_chSeparator),
      m_bDoubleQuoteErase(other.m_bDoubleQuoteErase),
      m_nNextSpecial(other.m_nNextSpecial) {}

CCSVToken& CCSVToken::operator=(const CCSVToken& other) {
    m_strLine = other.m_strLine;
    m_pToken = other.m_pToken;
    m_nPosition = other.m_nPosition;
    m_chSeparator = other.m_chSeparator;
    m_bDoubleQuoteErase = other.m_bDoubleQuoteErase;
    m_nNextSpecial = other.m_nNextSpecial;
    return *this;
}

CCSVToken::~CCSVToken() = default;

CToken* CCSVToken::next() {
    const std::string_view line = m_strLine.view();
    const std::size_t start = std::min(m_nPosition, line.size());
    if (!TakeSimpleField(line, start)) TakeField(line, start);
    return m_pToken.Get();
}

// Nearly every field of a unit line is a plain stretch or one quoted plain
// stretch, plain meaning without a quote or a byte from 0x80 up. The first is
// found with memchr and copied as it stands, the second found by its closing
// quote; anything else is left to TakeField.
bool CCSVToken::TakeSimpleField(std::string_view line, std::size_t start) {
    const char separator = m_chSeparator;
    if (static_cast<BYTE>(separator) >= 0x80 || separator == '"') return false;
    if (m_nNextSpecial < start) m_nNextSpecial = FindSpecial(line, start, '"', '"');

    std::size_t first = start, last;
    if (m_nNextSpecial == start && start < line.size() && line[start] == '"' &&
        m_bDoubleQuoteErase) {
        m_nNextSpecial = FindSpecial(line, start + 1, '"', '"');
        last = m_nNextSpecial;
        // The closing quote must be followed by the separator or the line's end.
        if (last == line.size() || line[last] != '"') return false;
        if (last + 1 < line.size() && line[last + 1] != separator) return false;
        first = start + 1;
        m_nPosition = std::min(last + 2, line.size());
    } else {
        const void* found = std::memchr(line.data() + start, separator, line.size() - start);
        last = found ? static_cast<const char*>(found) - line.data() : line.size();
        if (last > m_nNextSpecial) return false;
        m_nPosition = found ? last + 1 : line.size();
    }
    StoreTrimmed(m_pToken->m_strToken, line.substr(first, last - first), 0);
    return true;
}

// The general walk, byte by byte. The field is still one stretch of the line
// unless a quote was erased from it; only then are its pieces gathered in the
// scratch buffer.
void CCSVToken::TakeField(std::string_view line, std::size_t p) {
    const char separator = m_chSeparator;
    // With erasing off the quote is an ordinary byte: its test becomes the
    // separator's, which comes first anyway.
    const char quote = m_bDoubleQuoteErase ? '"' : separator;
    m_scratch.clear();
    std::size_t segment = p;  // first byte of the field not yet in the scratch buffer
    std::size_t stop = line.size();
    std::size_t resume = line.size();
    std::size_t doubleByteEnd = 0;  // in field bytes
    bool inQuotes = false;
    while ((p = FindSpecial(line, p, separator, quote)) < line.size()) {
        const char c = line[p];
        if (static_cast<BYTE>(c) >= 0x80 && IsLeadByte(c)) {
            p = std::min(p + 2, line.size());
            doubleByteEnd = m_scratch.size() + (p - segment);
        } else if (c == separator) {
            if (!inQuotes) {
                stop = p;
                resume = p + 1;
                break;
            }
            ++p;
        } else if (c == quote) {
            m_scratch.append(line.substr(segment, p - segment));
            segment = ++p;
            inQuotes = !inQuotes;
        } else {
            ++p;  // a single-byte character from 0x80 up
        }
    }
    m_nPosition = resume;

    const std::string_view rest = line.substr(segment, stop - segment);
    if (m_scratch.empty()) {
        StoreTrimmed(m_pToken->m_strToken, rest, doubleByteEnd);
    } else {
        m_scratch.append(rest);
        StoreTrimmed(m_pToken->m_strToken, m_scratch, doubleByteEnd);
    }
}
