#include <qvplatform/cp932.h>

#include <clocale>
#include <string>
#include <thread>
#include <vector>

#include "platform/test_support.h"

namespace {

const std::string kNihongoCp932 = "\x93\xFA\x96\x7B\x8C\xEA";  // 日本語
const std::string kNihongoUtf8 = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E";
const std::string kReplacement = "\xEF\xBF\xBD";

}  // namespace

TEST(Cp932, LeadBytesAreTheTwoRangesWhateverTheLocale) {
    std::setlocale(LC_ALL, "C");
    for (int b = 0; b < 256; ++b) {
        bool expected = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
        EXPECT_EQ(IsCp932LeadByte(static_cast<BYTE>(b)), expected) << b;
    }
}

TEST(Cp932, ConvertsToUtf8) {
    EXPECT_EQ(Cp932ToUtf8(kNihongoCp932), kNihongoUtf8);
    EXPECT_EQ(Cp932ToUtf8("plain \\ and ~"), "plain \\ and ~");
    EXPECT_EQ(Cp932ToUtf8("\xB1"), "\xEF\xBD\xB1");      // half-width katakana
    EXPECT_EQ(Cp932ToUtf8("\x87\x40"), "\xE2\x91\xA0");  // circled digit one
    EXPECT_EQ(Cp932ToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
    EXPECT_EQ(Cp932ToUtf8(""), "");
}

TEST(Cp932, InvalidBytesBecomeReplacementCharacters) {
    EXPECT_EQ(Cp932ToUtf8("a\x80z"), "a" + kReplacement + "z");
    EXPECT_EQ(Cp932ToUtf8("a\xFD\xFE\xFF"), "a" + kReplacement + kReplacement + kReplacement);
    // A lead byte with no byte after it, at the end of the text.
    EXPECT_EQ(Cp932ToUtf8("ab\x93"), "ab" + kReplacement);
    // A lead byte followed by a byte that cannot be a trail byte keeps that byte.
    EXPECT_EQ(Cp932ToUtf8("\x93 x"), kReplacement + " x");
    // An unassigned pair is one character.
    EXPECT_EQ(Cp932ToUtf8("\x85\x40!"), kReplacement + "!");
}

TEST(Cp932, ConvertsToUtf32) {
    EXPECT_EQ(Cp932ToUtf32("\x83\x5C\x88\x9F"
                           "A"),
              U"\u30BD\u4E9CA");  // ソ亜A
    EXPECT_EQ(Cp932ToUtf32("x\x93"), U"x\uFFFD");
}

TEST(Cp932, ConvertsFromUtf8WithQuestionMarksForTheRest) {
    EXPECT_EQ(Utf8ToCp932(kNihongoUtf8), kNihongoCp932);
    EXPECT_EQ(Utf8ToCp932("\xEF\xBD\x9E"), "\x81\x60");  // fullwidth tilde
    EXPECT_EQ(Utf8ToCp932("1\xE2\x82\xAC"
                          "2"),
              "1?2");                            // the euro sign is not in it
    EXPECT_EQ(Utf8ToCp932("a\xF0\x9F\x98\x80z"), "a?z");  // a four-byte character is one
    EXPECT_EQ(Utf8ToCp932("a\xC3(b"), "a?(b");   // malformed sequence
    EXPECT_EQ(Utf8ToCp932("a\xE2\x82"), "a??");  // cut short at the end
}

TEST(Cp932, LongTextConvertsWhole) {
    std::string text;
    std::string expected;
    for (int i = 0; i < 3000; ++i) {
        text += kNihongoCp932 + "\x80";
        expected += kNihongoUtf8 + kReplacement;
    }
    EXPECT_EQ(Cp932ToUtf8(text), expected);
}

TEST(Cp932, ThreadsConvertAtTheSameTime) {
    std::vector<std::thread> threads;
    std::vector<int> failures(4, 0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 500; ++i)
                if (Cp932ToUtf8(kNihongoCp932) != kNihongoUtf8 ||
                    Utf8ToCp932(kNihongoUtf8) != kNihongoCp932)
                    ++failures[t];
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(failures, std::vector<int>(4, 0));
}

TEST(Cp932, PrintableTextEscapesControlsForOneLine) {
    EXPECT_EQ(Cp932ToPrintable("a\nb\t\\\x1B" + kNihongoCp932 + "\x7F"),
              "a\\nb\\t\\\\\\x1B" + kNihongoUtf8 + "\\x7F");
    EXPECT_EQ(Cp932ToPrintable("\x93"), kReplacement);
}
