// Argument parsing for qvmap: numbers, column letters and options.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "toolmain.h"

namespace qvmap {

using qvtool::InputError;
using qvtool::UsageError;

// A whole decimal number in [lo, hi], optionally negative; nothing else.
long ParseNumber(std::string_view text, long lo, long hi, std::string_view what);

// Two whole numbers "A,B", each in [lo, hi].
std::pair<long, long> ParsePair(std::string_view text, long lo, long hi, std::string_view what);

// A column as a number (0-based) or as the letters the map view labels it
// with: A is column 0, Z 25, AA 26, AZ 51, BA 52, ZZ 701.
long ParseColumn(std::string_view text, std::string_view what);

// The letters of a column as the map view writes them.
std::string ColumnLetters(long column);

// "(B,3)": the label the map view draws on hex (1, 2).
std::string HexLabel(long column, long row);

}  // namespace qvmap
