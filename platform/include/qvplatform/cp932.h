// Code page 932 (Japanese Shift-JIS as Windows has it), the encoding of every
// narrow text of the library: the lead-byte test and conversions to and from
// UTF-8 and UTF-32 for drawing text and for tool output. None of it depends on
// the process's locale. Bytes that are not valid code page 932 never stop a
// conversion: they come out as U+FFFD, or as '?' going the other way.
#pragma once

#include <string>
#include <string_view>

#include "qvplatform/types.h"

// True for the first byte of a double-byte character (0x81-0x9F, 0xE0-0xFC).
constexpr bool IsCp932LeadByte(BYTE by) {
    return (by >= 0x81 && by <= 0x9F) || (by >= 0xE0 && by <= 0xFC);
}

// An invalid byte, an unmapped pair or a lead byte with no byte after it
// becomes one U+FFFD each.
QVP_API std::string Cp932ToUtf8(std::string_view text);
QVP_API std::u32string Cp932ToUtf32(std::string_view text);

// Characters code page 932 lacks, and malformed UTF-8, become '?'.
QVP_API std::string Utf8ToCp932(std::string_view text);

// Text from a file or a peer, made safe to print on one line of a terminal:
// UTF-8 with control characters and the backslash escaped (\n, \t, \\, \xNN).
QVP_API std::string Cp932ToPrintable(std::string_view text);
