#include "args.h"

#include <cctype>
#include <charconv>

namespace qvmap {

namespace {
constexpr long kLettersPerColumn = 26;
constexpr long kLastTwoLetterColumn = 701;  // ZZ
}  // namespace

long ParseNumber(std::string_view text, long lo, long hi, std::string_view what) {
    long value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        throw UsageError{std::string(what) + " must be a whole number, not '" + std::string(text) +
                         "'"};
    if (value < lo || value > hi)
        throw UsageError{std::string(what) + " must lie between " + std::to_string(lo) + " and " +
                         std::to_string(hi) + ", not " + std::to_string(value)};
    return value;
}

std::pair<long, long> ParsePair(std::string_view text, long lo, long hi, std::string_view what) {
    const std::size_t comma = text.find(',');
    if (comma == std::string_view::npos)
        throw UsageError{std::string(what) + " takes two numbers as A,B, not '" +
                         std::string(text) + "'"};
    return {ParseNumber(text.substr(0, comma), lo, hi, what),
            ParseNumber(text.substr(comma + 1), lo, hi, what)};
}

long ParseColumn(std::string_view text, std::string_view what) {
    if (text.empty() || !std::isalpha(static_cast<unsigned char>(text[0])))
        return ParseNumber(text, -2147483647L - 1, 2147483647L, what);
    if (text.size() > 2)
        throw UsageError{std::string(what) + " letters run from A to ZZ, not '" +
                         std::string(text) + "'"};
    long column = -1;
    for (char ch : text) {
        if (!std::isalpha(static_cast<unsigned char>(ch)))
            throw UsageError{std::string(what) + " is neither a number nor column letters: '" +
                             std::string(text) + "'"};
        column =
            (column + 1) * kLettersPerColumn + (std::toupper(static_cast<unsigned char>(ch)) - 'A');
    }
    return column;
}

std::string ColumnLetters(long column) {
    if (column < 0 || column > kLastTwoLetterColumn) return std::to_string(column);
    if (column < kLettersPerColumn) return std::string(1, static_cast<char>('A' + column));
    return {static_cast<char>('@' + column / kLettersPerColumn),
            static_cast<char>('A' + column % kLettersPerColumn)};
}

std::string HexLabel(long column, long row) {
    return "(" + ColumnLetters(column) + "," + std::to_string(row + 1) + ")";
}

}  // namespace qvmap
