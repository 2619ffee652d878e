// CString: narrow text in code page 932 with a byte length (it may hold any
// byte, NUL included), and its archive form, the framework string encoding.
#pragma once

#include <string>
#include <string_view>

#include "qvplatform/types.h"

class CArchive;

class QVP_API CString {
public:
    CString() = default;
    CString(LPCSTR psz) : m_str(psz ? psz : "") {}  // NOLINT: implicit like the framework's
    CString(LPCSTR pch, int nLength) : m_str(pch, nLength > 0 ? nLength : 0) {}
    CString(std::string_view text) : m_str(text) {}  // NOLINT
    CString(std::string text) : m_str(std::move(text)) {}  // NOLINT
    CString(char ch, int nRepeat) : m_str(nRepeat > 0 ? nRepeat : 0, ch) {}

    int GetLength() const { return static_cast<int>(m_str.size()); }
    BOOL IsEmpty() const { return m_str.empty(); }
    void Empty() { m_str.clear(); }
    operator LPCSTR() const { return m_str.c_str(); }  // NOLINT
    LPCSTR GetString() const { return m_str.c_str(); }
    char GetAt(int nIndex) const { return m_str.at(static_cast<std::size_t>(nIndex)); }
    void SetAt(int nIndex, char ch) { m_str.at(static_cast<std::size_t>(nIndex)) = ch; }

    CString& operator=(LPCSTR psz) { m_str = psz ? psz : ""; return *this; }
    CString& operator+=(const CString& s) { m_str += s.m_str; return *this; }
    CString& operator+=(LPCSTR psz) { if (psz) m_str += psz; return *this; }
    CString& operator+=(char ch) { m_str += ch; return *this; }
    friend CString operator+(const CString& a, const CString& b) { return CString(a.m_str + b.m_str); }
    friend CString operator+(const CString& a, LPCSTR b) { return a + CString(b); }
    friend CString operator+(LPCSTR a, const CString& b) { return CString(a) + b; }
    friend bool operator==(const CString& a, const CString& b) { return a.m_str == b.m_str; }
    friend bool operator==(const CString& a, LPCSTR b) { return a.m_str == (b ? b : ""); }
    friend auto operator<=>(const CString& a, const CString& b) { return a.m_str <=> b.m_str; }

    int Compare(LPCSTR psz) const;        // byte order: <0, 0, >0
    int CompareNoCase(LPCSTR psz) const;  // ASCII letters folded
    CString Left(int nCount) const;
    CString Right(int nCount) const;
    CString Mid(int nFirst, int nCount = -1) const;
    int Find(char ch, int nStart = 0) const;
    int Find(LPCSTR pszSub, int nStart = 0) const;
    void MakeUpper();  // ASCII only: double-byte characters are left alone
    void MakeLower();
    void TrimLeft();
    void TrimRight();
    void Format(LPCSTR pszFormat, ...) __attribute__((format(printf, 2, 3)));

    // Direct access for code that fills the text itself.
    LPSTR GetBuffer(int nMinBufLength);
    void ReleaseBuffer(int nNewLength = -1);

    const std::string& str() const { return m_str; }
    std::string_view view() const { return m_str; }

private:
    std::string m_str;
};

QVP_API CArchive& operator<<(CArchive& ar, const CString& string);
QVP_API CArchive& operator>>(CArchive& ar, CString& string);
