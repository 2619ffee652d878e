// CString: narrow text in code page 932 with a byte length (it may hold any
// byte, NUL included), and its archive form, the framework string encoding.
// Searching and case changes step over double-byte characters whole, so a
// trail byte is never taken for the ASCII character of the same value.
#pragma once

#include <string>
#include <string_view>

#include "qvplatform/types.h"

class CArchive;

class QVP_API CString {
public:
    CString() = default;
    CString(LPCSTR psz) : m_str(psz ? psz : "") {}  // NOLINT: implicit like the framework's
    CString(LPCSTR pch, int nLength)
        : m_str(pch && nLength > 0 ? std::string(pch, nLength) : std::string()) {}
    CString(std::string_view text) : m_str(text) {}        // NOLINT
    CString(std::string text) : m_str(std::move(text)) {}  // NOLINT
    CString(char ch, int nRepeat) : m_str(nRepeat > 0 ? nRepeat : 0, ch) {}

    int GetLength() const { return static_cast<int>(m_str.size()); }
    BOOL IsEmpty() const { return m_str.empty(); }
    void Empty() { m_str.clear(); }
    operator LPCSTR() const { return m_str.c_str(); }  // NOLINT
    LPCSTR GetString() const { return m_str.c_str(); }
    char GetAt(int nIndex) const { return m_str.at(static_cast<std::size_t>(nIndex)); }
    void SetAt(int nIndex, char ch) { m_str.at(static_cast<std::size_t>(nIndex)) = ch; }

    CString& operator=(LPCSTR psz) {
        m_str = psz ? psz : "";
        return *this;
    }
    // Adds bytes that need no terminator (a NUL among them is kept) without a
    // temporary string; after Empty, the capacity already held is reused.
    void Append(std::string_view text) { m_str.append(text); }
    CString& operator+=(const CString& s) {
        m_str += s.m_str;
        return *this;
    }
    CString& operator+=(LPCSTR psz) {
        if (psz) m_str += psz;
        return *this;
    }
    CString& operator+=(char ch) {
        m_str += ch;
        return *this;
    }
    friend CString operator+(const CString& a, const CString& b) {
        return CString(a.m_str + b.m_str);
    }
    friend CString operator+(const CString& a, LPCSTR b) { return a + CString(b); }
    friend CString operator+(LPCSTR a, const CString& b) { return CString(a) + b; }
    friend bool operator==(const CString& a, const CString& b) { return a.m_str == b.m_str; }
    friend bool operator==(const CString& a, LPCSTR b) { return a.m_str == (b ? b : ""); }
    friend auto operator<=>(const CString& a, const CString& b) { return a.m_str <=> b.m_str; }

    // Byte order, unsigned: -1, 0 or 1. A null pointer compares as "".
    int Compare(LPCSTR psz) const;
    // ASCII letters folded; double-byte characters compared as they are.
    int CompareNoCase(LPCSTR psz) const;
    // Counts and positions are clamped to the text; a negative count in Mid
    // means "to the end".
    CString Left(int nCount) const;
    CString Right(int nCount) const;
    CString Mid(int nFirst, int nCount = -1) const;
    // The byte index of the first match at or after nStart (a character
    // boundary), or -1. Only whole characters match.
    int Find(char ch, int nStart = 0) const;
    int Find(LPCSTR pszSub, int nStart = 0) const;
    void MakeUpper();  // ASCII letters only: double-byte characters are left alone
    void MakeLower();
    // ASCII white space (space, tab, CR, LF, VT, FF).
    void TrimLeft();
    void TrimRight();
    void Trim() {
        TrimRight();
        TrimLeft();
    }
    void Format(LPCSTR pszFormat, ...) __attribute__((format(printf, 2, 3)));

    // Direct access for code that fills the text itself: GetBuffer keeps the
    // text and makes room for at least nMinBufLength bytes (and a terminator);
    // ReleaseBuffer sets the length, by default to the first NUL.
    LPSTR GetBuffer(int nMinBufLength);
    void ReleaseBuffer(int nNewLength = -1);

    const std::string& str() const { return m_str; }
    std::string_view view() const { return m_str; }

private:
    std::string m_str;
};

// The framework string encoding: the byte length as one byte when below 255;
// else 0xFF and a 16-bit length when below 0xFFFE; else 0xFF, 0xFFFF and a
// 32-bit length; then the bytes, without terminator.
QVP_API CArchive& operator<<(CArchive& ar, const CString& string);
// Reading: a 16-bit length of 0xFFFE (a wide-string marker this encoding never
// writes) is genericException; a length past the end of the data is endOfFile,
// found without setting aside more memory than the data delivered. The string
// is left as it was when reading fails.
QVP_API CArchive& operator>>(CArchive& ar, CString& string);
