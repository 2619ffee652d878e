// The unit's full and move text lines.
#include <algorithm>
#include <cstring>

#include <qvplatform/cp932.h>

#include "qvdll/csvtoken.h"
#include "qvdll/unit.h"

namespace {

constexpr int kFullFields = 14;

// Builds one line, keeping at most one byte beyond the length limit: enough to
// know that the line was cut and where its last character would have ended.
class CLineWriter {
public:
    void Unsigned(DWORD value) { Decimal(false, value); }
    void Signed(LONG value) {
        const bool negative = value < 0;
        // Negated in unsigned arithmetic, so that -2147483648 has a magnitude.
        Decimal(negative, negative ? 0u - static_cast<DWORD>(value) : static_cast<DWORD>(value));
    }

    // A text in double quotes, as it is, up to its first zero byte.
    void Text(const CString& text) {
        const std::string_view bytes = text.view();
        Append("\"");
        Append(bytes.substr(0, std::min(bytes.find('\0'), bytes.size())));
        Append("\"");
    }

    void Comma() { Append(","); }

    // The line, cut to the limit at a character boundary: a double-byte
    // character that would straddle the limit is left out whole.
    CString Finish() const {
        if (m_nLength <= static_cast<std::size_t>(CUnit::kMaxLineLength))
            return CString(std::string_view(m_buffer, m_nLength));
        std::size_t end = 0;
        for (;;) {
            const std::size_t step = IsCp932LeadByte(static_cast<BYTE>(m_buffer[end])) ? 2 : 1;
            if (end + step > static_cast<std::size_t>(CUnit::kMaxLineLength)) break;
            end += step;
        }
        return CString(std::string_view(m_buffer, end));
    }

private:
    // Written by hand: std::to_chars keeps its digit table in a unique global
    // symbol, which would pin the library in memory after its last unload.
    void Decimal(bool negative, DWORD magnitude) {
        char digits[11];
        char* first = digits + sizeof digits;
        do {
            *--first = static_cast<char>('0' + magnitude % 10);
            magnitude /= 10;
        } while (magnitude != 0);
        if (negative) *--first = '-';
        Append(std::string_view(first, static_cast<std::size_t>(digits + sizeof digits - first)));
    }

    void Append(std::string_view bytes) {
        const std::size_t room = sizeof m_buffer - m_nLength;
        const std::size_t count = std::min(bytes.size(), room);
        std::memcpy(m_buffer + m_nLength, bytes.data(), count);
        m_nLength += count;
    }

    char m_buffer[CUnit::kMaxLineLength + 1];
    std::size_t m_nLength = 0;
};

WORD AsWord(const CToken& field) {
    return static_cast<WORD>(field.AsLong());
}

// The fourteen fields of the full form in line order: how each is written, and
// how it is read back, cut to its field's width.
struct FieldForm {
    void (*write)(CLineWriter&, const CUnit&);
    void (*read)(CUnit&, const CToken&);
};

constexpr FieldForm kFullForm[kFullFields] = {
    {[](CLineWriter& w, const CUnit& u) { w.Unsigned(u.m_nId1); },
     [](CUnit& u, const CToken& f) { u.m_nId1 = f.AsByte(); }},
    {[](CLineWriter& w, const CUnit& u) { w.Unsigned(u.m_nId2); },
     [](CUnit& u, const CToken& f) { u.m_nId2 = f.AsByte(); }},
    {[](CLineWriter& w, const CUnit& u) { w.Unsigned(u.m_nPosX); },
     [](CUnit& u, const CToken& f) { u.m_nPosX = AsWord(f); }},
    {[](CLineWriter& w, const CUnit& u) { w.Unsigned(u.m_nPosY); },
     [](CUnit& u, const CToken& f) { u.m_nPosY = AsWord(f); }},
    {[](CLineWriter& w, const CUnit& u) { w.Unsigned(u.m_nState); },
     [](CUnit& u, const CToken& f) { u.m_nState = f.AsByte(); }},
    {[](CLineWriter& w, const CUnit& u) { w.Signed(static_cast<LONG>(u.m_color)); },
     [](CUnit& u, const CToken& f) { u.m_color = static_cast<COLORREF>(f.AsLong()); }},
    {[](CLineWriter& w, const CUnit& u) { w.Signed(u.m_nParam1); },
     [](CUnit& u, const CToken& f) { u.m_nParam1 = f.AsLong(); }},
    {[](CLineWriter& w, const CUnit& u) { w.Text(u.m_strName); },
     [](CUnit& u, const CToken& f) { u.m_strName = f.AsString(); }},
    {[](CLineWriter& w, const CUnit& u) { w.Text(u.m_strImage); },
     [](CUnit& u, const CToken& f) { u.m_strImage = f.AsString(); }},
    {[](CLineWriter& w, const CUnit& u) { w.Signed(u.m_nParam2); },
     [](CUnit& u, const CToken& f) { u.m_nParam2 = f.AsLong(); }},
    {[](CLineWriter& w, const CUnit& u) { w.Signed(u.m_nParam3); },
     [](CUnit& u, const CToken& f) { u.m_nParam3 = f.AsLong(); }},
    {[](CLineWriter& w, const CUnit& u) { w.Signed(u.m_nParam4); },
     [](CUnit& u, const CToken& f) { u.m_nParam4 = f.AsLong(); }},
    {[](CLineWriter& w, const CUnit& u) { w.Signed(u.m_nParam5); },
     [](CUnit& u, const CToken& f) { u.m_nParam5 = f.AsLong(); }},
    {[](CLineWriter& w, const CUnit& u) { w.Text(u.m_strParam); },
     [](CUnit& u, const CToken& f) { u.m_strParam = f.AsString(); }},
};

// A move line is the two identity fields, the change flag, then these fields
// of the full form, by change flag (-1 ends the list).
constexpr int kMoveFlags = 7;
constexpr int kMoveFormFields[kMoveFlags][3] = {
    {2, 3, 4}, {2, 3, -1}, {4, -1, -1}, {9, -1, -1}, {10, -1, -1}, {11, -1, -1}, {13, -1, -1},
};
constexpr int kMoveFields = 6;

}  // namespace

CString CUnit::UnitDataToString() const {
    CLineWriter line;
    for (int index = 0; index < kFullFields; ++index) {
        if (index > 0) line.Comma();
        kFullForm[index].write(line, *this);
    }
    return line.Finish();
}

void CUnit::StringToUnitData(const CString& line) {
    CCSVToken tokens(line, ',', true);
    for (int index = 0; index < kFullFields && !tokens.eol(); ++index)
        kFullForm[index].read(*this, *tokens.next());
}

CString CUnit::UnitMoveDataToString() const {
    if (m_nChangeFlag < 0 || m_nChangeFlag >= kMoveFlags) return CString();
    CLineWriter line;
    kFullForm[0].write(line, *this);
    line.Comma();
    kFullForm[1].write(line, *this);
    line.Comma();
    line.Signed(m_nChangeFlag);
    for (const int field : kMoveFormFields[m_nChangeFlag]) {
        if (field < 0) break;
        line.Comma();
        kFullForm[field].write(line, *this);
    }
    return line.Finish();
}

void CUnit::StringToUnitMoveData(const CString& line) {
    CCSVToken tokens(line, ',', true);
    for (int index = 0; index < kMoveFields && !tokens.eol(); ++index) {
        const CToken& field = *tokens.next();
        if (index < 2) {
            kFullForm[index].read(*this, field);
        } else if (index == 2) {
            m_nChangeFlag = field.AsInteger();
        } else if (m_nChangeFlag >= 0 && m_nChangeFlag < kMoveFlags) {
            const int target = kMoveFormFields[m_nChangeFlag][index - 3];
            if (target >= 0) kFullForm[target].read(*this, field);
        }
    }
}
