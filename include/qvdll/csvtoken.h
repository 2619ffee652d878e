// The library's CSV tokenizer: CCSVToken walks one line of code page 932 text and
// hands out one field per call; CToken holds that field and converts it.
#pragma once

#include <cstddef>

#include <qvplatform/cstring.h>

#include "qvdll/export.h"
#include "qvdll/ownedptr.h"

// One field of a line, kept without white space at either end, with the C
// library's decimal conversions. The conversions do not depend on the process
// locale: the field is always read with "." as the decimal point.
class QVDLL_API CToken {
public:
    CToken() = default;
    explicit CToken(const char* pszText);
    CToken(const CToken& other) = default;
    CToken& operator=(const CToken& other) = default;
    virtual ~CToken();

    // Stores the text without the white space bytes (space, tab, line feed,
    // vertical tab, form feed, carriage return) at either end. A double-byte
    // character is never trimmed, the full-width space included, nor is a
    // white-space byte that a lead byte claims as its second half. A null
    // pointer stores the empty text.
    void SetToken(const char* pszText);

    CString AsString() const { return m_strToken; }

    // atol: optional white space, an optional sign, then decimal digits up to
    // the first other byte; 0 when there are no digits. A value beyond the
    // 32-bit range saturates to -2147483648 or 2147483647, as strtol does for a
    // 32-bit long; it never wraps.
    LONG AsLong() const;
    int AsInteger() const { return AsLong(); }
    // The low 8 bits of AsLong: "300" gives 44, "-1" gives 255.
    BYTE AsByte() const { return static_cast<BYTE>(AsLong()); }
    // atof: optional white space, an optional sign, digits with an optional "."
    // fraction and an optional e or E exponent, up to the first other byte; 0.0
    // when nothing converts. Hexadecimal forms, "inf" and "nan" are not numbers
    // here (they read as 0.0); a value too large gives plus or minus infinity,
    // one too small a denormal or zero, as strtod does.
    double AsDouble() const;

private:
    friend class CCSVToken;  // fills the text in place

    CString m_strToken;
};

// Splits a line into fields at a one-byte separator. With double-quote erasing
// on, a double quote switches between outside and inside quotes and is dropped;
// a separator inside quotes belongs to the field. Quote pairs are not escapes:
// "" yields nothing, and "ab"cd yields abcd. A double-byte character of code
// page 932 is never split, and neither of its bytes counts as a separator or a
// quote, whatever the process locale. A lead byte that ends the line ends the
// last field.
//
// A field ends at the first separator outside quotes or at the end of the line;
// a separator as the last byte of the line yields no empty field after it, and
// an unmatched quote makes the rest of the line one field. The line is taken up
// to its terminating zero; it may be of any length.
class QVDLL_API CCSVToken {
public:
    CCSVToken(const char* pszLine, char chSeparator, bool bDoubleQuoteErase);

    // Copying hands the token object over: the target owns it from then on; the
    // source still refers to it without owning it, so it may go on calling next
    // only while the target lives. Assignment first destroys the token object
    // the target owned, unless it is the one handed over.
    CCSVToken(const CCSVToken& other);
    CCSVToken& operator=(const CCSVToken& other);
    virtual ~CCSVToken();

    // Both take effect at the next call of next; every call starts outside quotes.
    void set_separator(char chSeparator) { m_chSeparator = chSeparator; }
    void set_doublequoterase(bool bErase) { m_bDoubleQuoteErase = bErase; }

    // Reads the next field into the token object and returns that object, which
    // stays owned by the tokenizer (or by the copy it was handed to) and whose
    // text the next call replaces. At the end of the line the field is empty.
    CToken* next();
    bool eol() const { return m_nPosition >= m_strLine.view().size(); }

private:
    CString m_strLine;
    // Mutable because copying hands the token over even from a const tokenizer.
    mutable TOwnedPtr<CToken> m_pToken;
    std::size_t m_nPosition = 0;  // byte index of the next unread byte
    char m_chSeparator;
    bool m_bDoubleQuoteErase;
};
