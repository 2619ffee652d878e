// Fuzz target for the readers of untrusted unit data: the CSV tokenizer, the
// full and move unit lines, and the unit list archive form. Besides the
// sanitizers it checks what every line must give: trimmed fields, a tokenizer
// that always advances, written lines within the length limit that end on a
// character boundary, and archives that load or throw the archive's exception.
#include <qvdll/csvtoken.h>
#include <qvdll/unitlist.h>
#include <qvplatform/cp932.h>

#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "fuzz_support.h"

namespace {

using qvfuzz::Check;

bool IsBlank(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// True when `text` does not end in the first half of a double-byte character.
bool EndsOnCharacterBoundary(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) i += IsCp932LeadByte(static_cast<BYTE>(text[i])) ? 2 : 1;
    return i == text.size();
}

void FuzzTokenizer(const std::string& line, char separator, bool erase) {
    CCSVToken tokens(line.c_str(), separator, erase);
    std::size_t calls = 0;
    while (!tokens.eol()) {
        Check(++calls <= line.size());  // every call consumes at least one byte
        const CToken* token = tokens.next();
        const CString field = token->AsString();
        const std::string_view text = field.view();
        if (!text.empty()) {
            Check(!IsBlank(text.front()));
            // A blank may end a field only as the second half of a double-byte
            // character.
            if (IsBlank(text.back()))
                Check(!EndsOnCharacterBoundary(text.substr(0, text.size() - 1)));
        }
        token->AsLong();
        token->AsDouble();
    }
    tokens.next();  // past the end: an empty field
}

void FuzzUnitLines(const std::string& line) {
    CUnit unit;
    unit.StringToUnitData(line.c_str());
    const CString full = unit.UnitDataToString();
    Check(full.GetLength() <= CUnit::kMaxLineLength);
    Check(EndsOnCharacterBoundary(full.view()));
    CUnit again;
    again.StringToUnitData(full);

    unit.StringToUnitMoveData(line.c_str());
    const CString move = unit.UnitMoveDataToString();
    Check(move.GetLength() <= CUnit::kMaxLineLength);
    Check(move.IsEmpty() == (unit.GetChangeFlag() < 0 || unit.GetChangeFlag() > 6));
}

void FuzzUnitListArchive(const uint8_t* data, size_t size) {
    CMemFile file(std::span<const BYTE>(data, size));
    CArchive ar(&file, CArchive::load);
    CUnitList list;
    try {
        list.Serialize(ar);
    } catch (const CArchiveException&) {
        // Short or malformed: the archive's own exception, nothing else.
    }
    // Every unit read takes at least 16 bytes.
    Check(static_cast<std::size_t>(list.GetCount()) * 16 + 4 <= size || list.GetCount() == 0);
}

}  // namespace

// The first byte picks the separator and the quote flag; the rest is the line,
// up to its first zero byte as every reader of a C string sees it.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzUnitListArchive(data, size);
    if (size == 0) return 0;
    const char separators[] = {',', '|', '%', '\n', '"', '\x81', '\xA5', ' '};
    const char separator = separators[data[0] & 7];
    const bool erase = (data[0] & 8) != 0;
    std::string line(reinterpret_cast<const char*>(data + 1), size - 1);
    line.resize(std::min(line.find('\0'), line.size()));
    FuzzTokenizer(line, separator, erase);
    FuzzUnitLines(line);
    return 0;
}
