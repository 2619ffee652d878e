#include <qvdll/csvtoken.h>

#include <cmath>
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
// the slow, plain reference the tokenizer is checked against.
Fields ReferenceSplit(const std::string& line, char separator, bool erase) {
    Fields fields;
    std::size_t pos = 0;
    while (pos < line.size()) {
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
        fields.push_back(field);
    }
    return fields;
}

std::string Text(const char* text) {
    return CToken(text).AsString().str();
}

}  // namespace

TEST(CCSVToken, SplitsAtEverySeparatorAndKeepsEmptyFields) {
    EXPECT_EQ(Split("a,b,c"), (Fields{"a", "b", "c"}));
    EXPECT_EQ(Split("a,,b"), (Fields{"a", "", "b"}));
    EXPECT_EQ(Split(",a"), (Fields{"", "a"}));
    EXPECT_EQ(Split(","), (Fields{""}));
}

TEST(CCSVToken, SeparatorAtTheEndGivesNoTrailingEmptyField) {
    CCSVToken tokens("a,b,", ',', true);
    EXPECT_EQ(tokens.next()->AsString(), "a");
    EXPECT_EQ(tokens.next()->AsString(), "b");
    EXPECT_TRUE(tokens.eol());
}

TEST(CCSVToken, EmptyLineIsAtItsEndAndStillGivesAnEmptyToken) {
    CCSVToken tokens("", ',', true);
    EXPECT_TRUE(tokens.eol());
    EXPECT_EQ(tokens.next()->AsString(), "");
    EXPECT_EQ(tokens.next()->AsString(), "");
    EXPECT_TRUE(tokens.eol());
}

TEST(CCSVToken, NullLineIsEmpty) {
    CCSVToken tokens(nullptr, ',', true);
    EXPECT_TRUE(tokens.eol());
    EXPECT_EQ(tokens.next()->AsString(), "");
}

TEST(CCSVToken, FieldsAreTrimmedAfterQuoteRemoval) {
    EXPECT_EQ(Split(" 12 , 34 "), (Fields{"12", "34"}));
    EXPECT_EQ(Split("\t\r\n\v\fx\f\v\n\r\t"), (Fields{"x"}));
    EXPECT_EQ(Split("\"  spaced  \",b"), (Fields{"spaced", "b"}));
    EXPECT_EQ(Split(" \" a \" "), (Fields{"a"}));
}

TEST(CCSVToken, QuotesGroupSeparatorsOnlyWhenErasing) {
    EXPECT_EQ(Split("\"a,b\",c"), (Fields{"a,b", "c"}));
    EXPECT_EQ(Split("\"a,b\",c", ',', false), (Fields{"\"a", "b\"", "c"}));
}

TEST(CCSVToken, QuotesOnlyFlipTheStateAndAreNeverEscapes) {
    EXPECT_EQ(Split("\"\",x"), (Fields{"", "x"}));
    EXPECT_EQ(Split("\"ab\"cd"), (Fields{"abcd"}));
    EXPECT_EQ(Split("a\"\"b"), (Fields{"ab"}));
    EXPECT_EQ(Split("\"a\"\"b\""), (Fields{"ab"}));
}

TEST(CCSVToken, UnmatchedQuoteMakesTheRestOfTheLineOneField) {
    EXPECT_EQ(Split("a,\"b,c,d"), (Fields{"a", "b,c,d"}));
    EXPECT_EQ(Split("\""), (Fields{""}));
}

TEST(CCSVToken, SecondByteOfADoubleByteCharacterIsNeverASeparatorOrQuote) {
    EXPECT_EQ(Split("\x83\x7C|x", '|'), (Fields{"\x83\x7C", "x"}));
    // Invalid pairs too: whatever follows a lead byte belongs to it.
    EXPECT_EQ(Split("\x81,a,b"), (Fields{"\x81,a", "b"}));
    EXPECT_EQ(Split("\x81\"a,b"), (Fields{"\x81\"a", "b"}));
    // A separator value in the lead-byte range is a lead byte, never a separator.
    EXPECT_EQ(Split("a\x81"
                    "bc\x81",
                    '\x81'),
              (Fields{"a\x81"
                      "bc\x81"}));
}

TEST(CCSVToken, LeadByteAtTheEndOfTheLineEndsTheLastField) {
    EXPECT_EQ(Split("a,\x82"), (Fields{"a", "\x82"}));
    EXPECT_EQ(Split("\"\x82"), (Fields{"\x82"}));
}

TEST(CCSVToken, DoubleByteCharactersAreNeverTrimmed) {
    const std::string wideSpace = "\x81\x40";
    EXPECT_EQ(Split(wideSpace + "a" + wideSpace), (Fields{wideSpace + "a" + wideSpace}));
    // A lead byte claims a following tab as its second half; that pair stays whole.
    EXPECT_EQ(Split(" \x81\t,b"), (Fields{"\x81\t", "b"}));
}

TEST(CCSVToken, SettingsChangeAtTheNextCall) {
    CCSVToken tokens("a,b|c,\"d|e\"", ',', true);
    EXPECT_EQ(tokens.next()->AsString(), "a");
    tokens.set_separator('|');
    EXPECT_EQ(tokens.next()->AsString(), "b");
    tokens.set_doublequoterase(false);
    tokens.set_separator(',');
    EXPECT_EQ(tokens.next()->AsString(), "c");
    tokens.set_separator('|');
    EXPECT_EQ(tokens.next()->AsString(), "\"d");
    EXPECT_EQ(tokens.next()->AsString(), "e\"");
    EXPECT_TRUE(tokens.eol());
}

TEST(CCSVToken, NextAlwaysReturnsTheOneTokenObject) {
    CCSVToken tokens("a,b", ',', true);
    CToken* first = tokens.next();
    EXPECT_EQ(tokens.next(), first);
    EXPECT_EQ(first->AsString(), "b");
}

TEST(CCSVToken, CopyTakesOverTheTokenAndTheSourceFollowsIt) {
    auto* source = new CCSVToken("a,b,c", ',', true);
    CToken* token = source->next();
    CCSVToken copy(*source);
    EXPECT_EQ(copy.next(), token);
    EXPECT_EQ(token->AsString(), "b");
    EXPECT_EQ(source->next(), token);  // the source still reads, into the same object
    EXPECT_EQ(token->AsString(), "b");
    delete source;  // no longer the owner: the token lives on in the copy
    EXPECT_EQ(copy.next()->AsString(), "c");
    EXPECT_TRUE(copy.eol());
}

TEST(CCSVToken, AssignmentDropsTheTargetsOwnTokenAndTakesTheSources) {
    CCSVToken target("x;y", ';', false);
    target.next();
    {
        CCSVToken source("1,2", ',', true);
        CToken* token = source.next();
        target = source;
        EXPECT_EQ(target.next(), token);
        EXPECT_EQ(token->AsString(), "2");
    }
    EXPECT_TRUE(target.eol());
    EXPECT_EQ(target.next()->AsString(), "");  // the token outlived its first owner

    CCSVToken& alias = target;
    target = alias;
    EXPECT_EQ(target.next()->AsString(), "");
}

TEST(CCSVToken, AgreesWithTheReferenceOnRandomLines) {
    std::mt19937 random(20240611);
    const std::string alphabet = " \t,|\"ab1\x81\x40\x83\x7C\xE0\xFC\x9F\xA5";
    for (int round = 0; round < 4000; ++round) {
        std::string line;
        const int length = static_cast<int>(random() % 40);
        for (int i = 0; i < length; ++i) {
            line += round % 5 == 0 ? static_cast<char>(1 + random() % 255)
                                   : alphabet[random() % alphabet.size()];
        }
        for (const char separator : {',', '|', '"', '\xA5', '\x81'}) {
            for (const bool erase : {true, false}) {
                ASSERT_EQ(Split(line, separator, erase), ReferenceSplit(line, separator, erase))
                    << "round " << round << " separator " << separator << " erase " << erase;
            }
        }
    }
}

TEST(CToken, SetTokenTrimsBlanksButNoDoubleByteCharacter) {
    EXPECT_EQ(Text("  a b \r\n"), "a b");
    EXPECT_EQ(Text("\x81\x40x\x81\x40"), "\x81\x40x\x81\x40");
    EXPECT_EQ(Text("x \x81 "), "x \x81 ");
    EXPECT_EQ(Text("x \x81"), "x \x81");
    EXPECT_EQ(Text(" \t "), "");
    EXPECT_EQ(Text(nullptr), "");
    CToken token("one");
    CToken copy(token);
    token.SetToken("two");
    EXPECT_EQ(copy.AsString(), "one");
    copy = token;
    EXPECT_EQ(copy.AsString(), "two");
}

TEST(CToken, AsLongReadsLeadingDigitsLikeAtol) {
    EXPECT_EQ(CToken("12abc").AsLong(), 12);
    EXPECT_EQ(CToken("abc").AsLong(), 0);
    EXPECT_EQ(CToken("").AsLong(), 0);
    EXPECT_EQ(CToken("-42").AsLong(), -42);
    EXPECT_EQ(CToken("+7").AsLong(), 7);
    EXPECT_EQ(CToken("- 7").AsLong(), 0);
    EXPECT_EQ(CToken("--7").AsLong(), 0);
    EXPECT_EQ(CToken("007").AsLong(), 7);
    EXPECT_EQ(CToken("0x1F").AsLong(), 0);
    EXPECT_EQ(CToken("1 2").AsLong(), 1);
    EXPECT_EQ(CToken("-2147483648").AsInteger(), -2147483647 - 1);
}

TEST(CToken, AsLongSaturatesOutsideThe32BitRange) {
    constexpr LONG kMax = std::numeric_limits<LONG>::max();
    constexpr LONG kMin = std::numeric_limits<LONG>::min();
    EXPECT_EQ(CToken("2147483647").AsLong(), kMax);
    EXPECT_EQ(CToken("2147483648").AsLong(), kMax);
    EXPECT_EQ(CToken("-2147483649").AsLong(), kMin);
    EXPECT_EQ(CToken("99999999999999999999999999").AsLong(), kMax);
    EXPECT_EQ(CToken("-99999999999999999999999999").AsLong(), kMin);
    EXPECT_EQ(CToken("4294967296").AsByte(), 0xFF);  // saturated, then cut: never 0
}

TEST(CToken, AsByteKeepsTheLowEightBits) {
    EXPECT_EQ(CToken("300").AsByte(), 44);
    EXPECT_EQ(CToken("-1").AsByte(), 255);
    EXPECT_EQ(CToken("256").AsByte(), 0);
}

TEST(CToken, AsDoubleReadsTheLongestDecimalPrefix) {
    EXPECT_EQ(CToken("1.5e2").AsDouble(), 150.0);
    EXPECT_EQ(CToken("-.5").AsDouble(), -0.5);
    EXPECT_EQ(CToken("2.").AsDouble(), 2.0);
    EXPECT_EQ(CToken("3e").AsDouble(), 3.0);
    EXPECT_EQ(CToken("3e+").AsDouble(), 3.0);
    EXPECT_EQ(CToken("3E-1x").AsDouble(), 0.3);
    EXPECT_EQ(CToken("1,5").AsDouble(), 1.0);
    EXPECT_EQ(CToken(".").AsDouble(), 0.0);
    EXPECT_EQ(CToken("abc").AsDouble(), 0.0);
}

TEST(CToken, AsDoubleKnowsNoHexInfinityOrNanButOverflowsToInfinity) {
    EXPECT_EQ(CToken("0x10").AsDouble(), 0.0);
    EXPECT_EQ(CToken("inf").AsDouble(), 0.0);
    EXPECT_EQ(CToken("nan").AsDouble(), 0.0);
    EXPECT_EQ(CToken("1e999").AsDouble(), std::numeric_limits<double>::infinity());
    EXPECT_EQ(CToken("-1e999").AsDouble(), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(CToken("1e-999").AsDouble(), 0.0);
}
