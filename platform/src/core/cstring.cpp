#include "qvplatform/cstring.h"

#include <algorithm>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "qvplatform/archive.h"
#include "qvplatform/cp932.h"

namespace {

constexpr BYTE kByteEscape = 0xFF;
constexpr WORD kWideMarker = 0xFFFE;  // a wide string in later writers' encoding
constexpr WORD kWordEscape = 0xFFFF;
// A length from the archive is only believed as far as the bytes delivered:
// the text grows by at most this much ahead of them.
constexpr std::size_t kReadChunk = 64 * 1024;

bool IsAsciiSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}
char FoldLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
char FoldUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
bool IsLead(char c) {
    return IsCp932LeadByte(static_cast<BYTE>(c));
}
int Sign(int n) {
    return (n > 0) - (n < 0);
}

// Applies `fold` to every single-byte character, stepping over double-byte ones.
template <class Fold>
void FoldSingleBytes(std::string& text, Fold fold) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (IsLead(text[i]))
            ++i;
        else
            text[i] = fold(text[i]);
    }
}

std::size_t Clamp(int n, std::size_t size) {
    return n <= 0 ? 0 : std::min(static_cast<std::size_t>(n), size);
}

DWORD ReadStringLength(CArchive& ar) {
    BYTE byLength;
    ar >> byLength;
    if (byLength < kByteEscape) return byLength;
    WORD wLength;
    ar >> wLength;
    if (wLength == kWideMarker)
        AfxThrowArchiveException(CArchiveException::genericException,
                                 "string length 0xFFFE marks a wide string, which this "
                                 "archive does not carry");
    if (wLength < kWordEscape) return wLength;
    DWORD dwLength;
    ar >> dwLength;
    return dwLength;
}

}  // namespace

int CString::Compare(LPCSTR psz) const {
    return Sign(std::string_view(m_str).compare(psz ? psz : ""));
}

int CString::CompareNoCase(LPCSTR psz) const {
    std::string_view a = m_str;
    std::string_view b = psz ? psz : "";
    std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        char x = a[i];
        char y = b[i];
        if (IsLead(x) || IsLead(y)) {
            // Both bytes of a double-byte character compare as they are.
            if (x == y && i + 1 < n) {
                ++i;
                x = a[i];
                y = b[i];
            }
        } else {
            x = FoldLower(x);
            y = FoldLower(y);
        }
        if (x != y) return static_cast<BYTE>(x) < static_cast<BYTE>(y) ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
}

CString CString::Left(int nCount) const {
    return CString(m_str.substr(0, Clamp(nCount, m_str.size())));
}

CString CString::Right(int nCount) const {
    std::size_t n = Clamp(nCount, m_str.size());
    return CString(m_str.substr(m_str.size() - n));
}

CString CString::Mid(int nFirst, int nCount) const {
    std::size_t first = Clamp(nFirst, m_str.size());
    std::size_t count = nCount < 0 ? std::string::npos : static_cast<std::size_t>(nCount);
    return CString(m_str.substr(first, count));
}

int CString::Find(char ch, int nStart) const {
    for (std::size_t i = Clamp(nStart, m_str.size()); i < m_str.size(); ++i) {
        if (m_str[i] == ch) return static_cast<int>(i);
        if (IsLead(m_str[i])) ++i;
    }
    return -1;
}

int CString::Find(LPCSTR pszSub, int nStart) const {
    std::string_view sub = pszSub ? pszSub : "";
    if (nStart > GetLength()) return -1;
    for (std::size_t i = Clamp(nStart, m_str.size()); i + sub.size() <= m_str.size(); ++i) {
        if (std::string_view(m_str).substr(i, sub.size()) == sub) return static_cast<int>(i);
        if (IsLead(m_str[i])) ++i;
    }
    return -1;
}

void CString::MakeUpper() {
    FoldSingleBytes(m_str, FoldUpper);
}
void CString::MakeLower() {
    FoldSingleBytes(m_str, FoldLower);
}

void CString::TrimLeft() {
    auto first = std::find_if_not(m_str.begin(), m_str.end(), IsAsciiSpace);
    m_str.erase(m_str.begin(), first);
}

// A trail byte is never white space (trail bytes start at 0x40), so trimming
// from the end cannot split a double-byte character.
void CString::TrimRight() {
    auto last = std::find_if_not(m_str.rbegin(), m_str.rend(), IsAsciiSpace);
    m_str.erase(last.base(), m_str.end());
}

void CString::Format(LPCSTR pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    va_list again;
    va_copy(again, args);
    char small[256];
    int n = std::vsnprintf(small, sizeof small, pszFormat, args);
    va_end(args);
    std::string text;
    if (n >= 0 && static_cast<std::size_t>(n) < sizeof small) {
        text.assign(small, static_cast<std::size_t>(n));
    } else if (n > 0) {
        text.resize(static_cast<std::size_t>(n));
        std::vsnprintf(text.data(), text.size() + 1, pszFormat, again);
    }
    va_end(again);
    m_str = std::move(text);
}

LPSTR CString::GetBuffer(int nMinBufLength) {
    if (nMinBufLength > GetLength()) m_str.resize(static_cast<std::size_t>(nMinBufLength));
    return m_str.data();
}

void CString::ReleaseBuffer(int nNewLength) {
    std::size_t n =
        nNewLength < 0 ? ::strnlen(m_str.data(), m_str.size()) : Clamp(nNewLength, m_str.size());
    m_str.resize(n);
}

CArchive& operator<<(CArchive& ar, const CString& string) {
    const std::size_t n = string.str().size();
    if (n < kByteEscape) {
        ar << static_cast<BYTE>(n);
    } else if (n < kWideMarker) {
        ar << kByteEscape << static_cast<WORD>(n);
    } else {
        ar << kByteEscape << kWordEscape << static_cast<DWORD>(n);
    }
    ar.Write(string.str().data(), static_cast<UINT>(n));
    return ar;
}

CArchive& operator>>(CArchive& ar, CString& string) {
    const DWORD length = ReadStringLength(ar);
    CArchive::CRecordScope record(ar);
    // Texts this short live inside the CString and allocate nothing.
    static const std::size_t kInline = std::string().capacity();
    std::string text;
    std::size_t filled = 0, charged = 0;
    while (filled < length) {
        // The room grows as the bytes arrive, each step allocated exactly, so
        // the text ends with no spare capacity for the budget to miss.
        const std::size_t room =
            std::min<std::size_t>(length, std::max(filled + kReadChunk, 2 * filled));
        // Checked as the bytes arrive: a huge length over a short archive is
        // the end of the data, not a size problem.
        if (room > static_cast<std::size_t>(INT_MAX))
            AfxThrowArchiveException(
                CArchiveException::genericException,
                "string of " + std::to_string(length) + " bytes is longer than a CString holds");
        const std::size_t cost = room > kInline ? room + 1 + CArchive::kAllocationOverhead : 0;
        if (cost > charged) ar.ChargeRecord(cost - charged);
        charged = cost;
        std::string bigger(room, '\0');
        std::memcpy(bigger.data(), text.data(), filled);
        text = std::move(bigger);
        filled += ar.Read(text.data() + filled, static_cast<UINT>(room - filled));
        if (filled < room)
            AfxThrowArchiveException(CArchiveException::endOfFile,
                                     "archive ended inside a string: needed " +
                                         std::to_string(length) + " bytes, " +
                                         std::to_string(filled) + " left");
    }
    string = CString(std::move(text));
    return ar;
}
