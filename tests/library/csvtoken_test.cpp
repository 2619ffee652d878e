#include <qvdll/csvtoken.h>

#include <iterator>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "test_support.h"

namespace {

using Fields = std::vector<std::string>;

Fields Split(const std::string& line, char separator = ',', bool erase = true) {
    CCSVToken tokens(line.c_str(), separator, erase);
    Fields fields;
    while (!tokens.eol()) fields.push_back(tokens.next()->AsString().str());
    return fields;
}

bool Lead(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}
bool Blank(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// The splitting rules taken literally, one byte and one character at a time:
// the slow, plain reference the tokenizer is checked against. Reads the field
// at `pos` and moves `pos` past it.
std::string ReferenceField(const std::string& line, std::size_t& pos, char separator, bool erase) {
    std::vector<std::string> chars;  // the field, character by character
    bool inQuotes = false;
    while (pos < line.size()) {
        const char c = line[pos];
        if (Lead(static_cast<unsigned char>(c))) {
            chars.push_back(line.substr(pos, 2));
            pos += 2;
            continue;
        }
        ++pos;
        if (c == separator && !inQuotes) break;
        if (c == separator) {
            chars.emplace_back(1, c);
        } else if (c == '"' && erase) {
            inQuotes = !inQuotes;
        } else {
            chars.emplace_back(1, c);
        }
    }
    auto isBlankChar = [](const std::string& ch) { return ch.size() == 1 && Blank(ch[0]); };
    while (!chars.empty() && isBlankChar(chars.back())) chars.pop_back();
    std::size_t first = 0;
    while (first < chars.size() && isBlankChar(chars[first])) ++first;
    std::string field;
    for (std::size_t i = first; i < chars.size(); ++i) field += chars[i];
    return field;
}

// Random lines over bytes that matter to the rules (blanks, separators, quotes,
// lead bytes, trail bytes that look like separators, a single-byte character
// from 0x80 up); every fifth line is any bytes but zero, every seventh long.
std::string RandomLine(std::mt19937& random, int round) {
    const std::string alphabet = " \t,|\"ab1\x81\x40\x83\x7C\xE0\xFC\x9F\xA5";
    std::string line;
    const int length = static_cast<int>(random() % (round % 7 == 0 ? 300 : 40));
    for (int i = 0; i < length; ++i) {
        line += round % 5 == 0 ? static_cast<char>(1 + random() % 255)
                               : alphabet[random() % alphabet.size()];
    }
    return line;
}

constexpr char kSeparators[] = {',', '|', '"', ' ', '\0', '\xA5', '\x81'};

}  // namespace

// The common cases by hand; the random lines below check the rules in depth.
TEST(CCSVToken, SplitsTrimsAndGroupsFields) {
    EXPECT_EQ(Split(" a ,,\"b,c\" ,"), (Fields{"a", "", "b,c"}));  // the last separator opens none
    EXPECT_EQ(Split("\"a|b\"|\x83\x7C", '|', false), (Fields{"\"a", "b\"", "\x83\x7C"}));
    CCSVToken empty("", ',', true);
    EXPECT_TRUE(empty.eol());
    EXPECT_EQ(empty.next()->AsString(), "");  // past the end: an empty field
    EXPECT_TRUE(CCSVToken(nullptr, ',', true).eol());
}

TEST(CCSVToken, CopyTakesOverTheTokenAndTheSourceFollowsIt) {
    auto* source = new CCSVToken("a,b,c", ',', true);
    CToken* token = source->next();
    CCSVToken copy(*source);
    EXPECT_EQ(copy.next(), token);
    EXPECT_EQ(source->next(), token);  // the source still reads, into the same object
    EXPECT_EQ(token->AsString(), "b");
    delete source;  // no longer the owner: the token lives on in the copy
    EXPECT_EQ(copy.next()->AsString(), "c");
}

TEST(CCSVToken, AssignmentDropsTheTargetsOwnTokenAndTakesTheSources) {
    CCSVToken target("x;y", ';', false);
    target.next();
    {
        CCSVToken source("1,2", ',', true);
        CToken* token = source.next();
        target = source;
        EXPECT_EQ(target.next(), token);
    }
    EXPECT_EQ(target.next()->AsString(), "");  // the token outlived its first owner
    CCSVToken& alias = target;
    target = alias;
    EXPECT_EQ(target.next()->AsString(), "");
}

// Settings take effect at the next call.
TEST(CCSVToken, AgreesWithTheReferenceWhenSettingsChangeBetweenCalls) {
    std::mt19937 random(7);
    for (int round = 0; round < 4000; ++round) {
        const std::string line = RandomLine(random, round);
        CCSVToken tokens(line.c_str(), ',', true);
        std::size_t pos = 0;
        for (int call = 0; !tokens.eol(); ++call) {
            const char separator = kSeparators[random() % std::size(kSeparators)];
            const bool erase = random() % 2 == 0;
            tokens.set_separator(separator);
            tokens.set_doublequoterase(erase);
            const std::string expected = ReferenceField(line, pos, separator, erase);
            ASSERT_EQ(tokens.next()->AsString().str(), expected)
                << "round " << round << " call " << call;
            ASSERT_EQ(tokens.eol(), pos >= line.size());
        }
    }
}

TEST(CToken, SetTokenTrimsBlanksButNoDoubleByteCharacter) {
    EXPECT_EQ(CToken("  a b \r\n").AsString(), "a b");
    EXPECT_EQ(CToken("x \x81 ").AsString(), "x \x81 ");
    EXPECT_EQ(CToken(" \t ").AsString(), "");
    EXPECT_EQ(CToken(nullptr).AsString(), "");
}

TEST(CToken, AsLongReadsLeadingDigitsAndSaturates) {
    EXPECT_EQ(CToken("12abc").AsLong(), 12);
    EXPECT_EQ(CToken("+7").AsLong(), 7);
    EXPECT_EQ(CToken("- 7").AsLong(), 0);
    EXPECT_EQ(CToken("0x1F").AsLong(), 0);
    EXPECT_EQ(CToken("-2147483648").AsInteger(), std::numeric_limits<LONG>::min());
    EXPECT_EQ(CToken("2147483648").AsLong(), std::numeric_limits<LONG>::max());
    EXPECT_EQ(CToken("-99999999999999999999999").AsLong(), std::numeric_limits<LONG>::min());
    EXPECT_EQ(CToken("300").AsByte(), 44);
    EXPECT_EQ(CToken("-1").AsByte(), 255);
    EXPECT_EQ(CToken("4294967296").AsByte(), 0xFF);  // saturated, then cut: never 0
}

TEST(CToken, AsDoubleReadsTheLongestDecimalPrefixOnly) {
    EXPECT_EQ(CToken("1.5e2").AsDouble(), 150.0);
    EXPECT_EQ(CToken("-.5").AsDouble(), -0.5);
    EXPECT_EQ(CToken("3e+").AsDouble(), 3.0);
    EXPECT_EQ(CToken("3E-1x").AsDouble(), 0.3);
    EXPECT_EQ(CToken("1,5").AsDouble(), 1.0);
    EXPECT_EQ(CToken(".").AsDouble(), 0.0);
    EXPECT_EQ(CToken("inf").AsDouble(), 0.0);
    EXPECT_EQ(CToken("-1e999").AsDouble(), -std::numeric_limits<double>::infinity());
}
