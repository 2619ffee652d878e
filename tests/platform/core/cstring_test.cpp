#include <qvplatform/cstring.h>

#include <cstring>
#include <string>
#include <utility>

#include "platform/alloc_counter.h"
#include "platform/test_support.h"

using qvtest::Bytes;
using qvtest::Loaded;
using qvtest::MakeBytes;
using qvtest::Stored;

namespace {

CString Text(std::size_t n) {
    std::string text(n, 'x');
    for (std::size_t i = 0; i < n; ++i) text[i] = static_cast<char>('a' + i % 26);
    return CString(std::move(text));
}

// Reads `bytes` into `string`; returns the archive exception's cause, or -1 when none.
int Read(const Bytes& bytes, CString& string) {
    int cause = -1;
    Loaded(bytes, [&](CArchive& ar) {
        try {
            ar >> string;
        } catch (const CArchiveException& e) {
            cause = e.m_cause;
        }
    });
    return cause;
}

}  // namespace

TEST(CStringArchive, EachLengthFormHasItsGoldenPrefixAndTheBytesGoAsTheyAre) {
    const std::pair<CString, Bytes> cases[] = {
        {Text(0), MakeBytes({0x00})},
        {CString("a\0\x93\xFA", 4), MakeBytes({0x04})},
        {Text(254), MakeBytes({0xFE})},
        {Text(255), MakeBytes({0xFF, 0xFF, 0x00})},
        {Text(256), MakeBytes({0xFF, 0x00, 0x01})},
        {Text(0xFFFD), MakeBytes({0xFF, 0xFD, 0xFF})},
        {Text(0xFFFE), MakeBytes({0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00})},
        {Text(0xFFFF), MakeBytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00})},
        {Text(0x10000), MakeBytes({0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x01, 0x00})},
    };
    for (const auto& [text, prefix] : cases) {
        SCOPED_TRACE(text.GetLength());
        Bytes bytes = Stored([&](CArchive& ar) { ar << text; });
        ASSERT_EQ(bytes.size(), prefix.size() + text.GetLength());
        EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + prefix.size()), prefix);
        EXPECT_EQ(std::string(bytes.begin() + prefix.size(), bytes.end()), text.str());
        CString back;
        EXPECT_EQ(Read(bytes, back), -1);
        EXPECT_EQ(back, text);
    }
}

TEST(CStringArchive, LongerFormsReadAndBadOrTruncatedOnesLeaveTheStringAlone) {
    const std::pair<Bytes, int> cases[] = {
        {MakeBytes({0xFF, 0x02, 0x00, 'h', 'i'}), -1},
        {MakeBytes({0xFF, 0xFF, 0xFF, 0x02, 0x00, 0x00, 0x00, 'h', 'i'}), -1},
        // A wide string's marker: a format error.
        {MakeBytes({0xFF, 0xFE, 0xFF, 0x01, 0x41, 0x00}), CArchiveException::genericException},
        {MakeBytes({}), CArchiveException::endOfFile},
        {MakeBytes({0xFF}), CArchiveException::endOfFile},
        {MakeBytes({0xFF, 0x00}), CArchiveException::endOfFile},
        {MakeBytes({0xFF, 0xFF, 0xFF, 0x01, 0x00}), CArchiveException::endOfFile},
        {MakeBytes({0x05, 'a', 'b'}), CArchiveException::endOfFile},
        {MakeBytes({0xFF, 0x00, 0x01, 'a'}), CArchiveException::endOfFile},
    };
    for (const auto& [bytes, cause] : cases) {
        SCOPED_TRACE(::testing::PrintToString(bytes));
        CString s("kept");
        EXPECT_EQ(Read(bytes, s), cause);
        EXPECT_EQ(s, cause == -1 ? "hi" : "kept");
    }
}

TEST(CStringArchive, HostileLengthCostsOnlyTheBytesPresent) {
    // 0xFFFFFFFF bytes promised over 3, and nearly 4 GiB over a megabyte really present.
    Bytes megabyte = MakeBytes({0xFF, 0xFF, 0xFF, 0xF0, 0xFF, 0xFF, 0xFF});
    megabyte.resize(megabyte.size() + (1 << 20), 'q');
    const struct {
        Bytes bytes;
        std::size_t limit;
        const char* message;
    } cases[] = {
        {MakeBytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 'a', 'b', 'c'}), 128u * 1024,
         "archive ended inside a string: needed 4294967295 bytes, 3 left"},
        {megabyte, 3u << 20, "needed 4294967280 bytes, 1048576 left"},
    };
    for (const auto& c : cases) {
        CMemFile file(c.bytes);
        CArchive ar(&file, CArchive::load);
        CString s;
        std::size_t largest;
        {
            qvtest::AllocationWatch watch;
            EXPECT_THROW_CAUSE_MESSAGE(ar >> s, CArchiveException, CArchiveException::endOfFile,
                                       c.message);
            largest = watch.Largest();
        }
        EXPECT_LE(largest, c.limit) << c.message;
    }
}

TEST(CString, ComparesBytesUnsignedAndFoldsOnlySingleByteLetters) {
    EXPECT_EQ(CString("abc").Compare("abd"), -1);
    EXPECT_EQ(CString("abc").Compare("abc"), 0);
    EXPECT_EQ(CString("\x81").Compare("a"), 1);
    EXPECT_EQ(CString("x").Compare(nullptr), 1);
    EXPECT_EQ(CString("Hello").CompareNoCase("hELLO"), 0);
    EXPECT_EQ(CString("a").CompareNoCase("B"), -1);
    EXPECT_EQ(CString("ab").CompareNoCase("A"), 1);
    // ャ (83 61) and ア (83 41): their trail bytes look like 'a' and 'A'.
    EXPECT_NE(CString("\x83\x61").CompareNoCase("\x83\x41"), 0);
}

TEST(CString, FindMatchesWholeCharactersOnly) {
    // 表 is 95 5C: its trail byte is a backslash.
    CString path("\x95\x5C\\x\\");
    EXPECT_EQ(path.Find('\\'), 2);
    EXPECT_EQ(path.Find('\\', 3), 4);
    EXPECT_EQ(path.Find("\\x"), 2);
    EXPECT_EQ(path.Find('y'), -1);
    EXPECT_EQ(path.Find('x', 99), -1);
    EXPECT_EQ(CString("abcabc").Find("bc", 2), 4);
    EXPECT_EQ(CString("abc").Find(""), 0);
    EXPECT_EQ(CString("abc").Find("abcd"), -1);
}

TEST(CString, CaseChangesLeaveDoubleByteCharactersAlone) {
    CString s("abc\x83\x61z");
    s.MakeUpper();
    EXPECT_EQ(s, "ABC\x83\x61Z");
    CString t("ABC\x83\x41Z");
    t.MakeLower();
    EXPECT_EQ(t, "abc\x83\x41z");
}

TEST(CString, TrimRemovesAsciiWhiteSpace) {
    CString s(" \t\r\nab c\x81\x40 \n");
    s.TrimLeft();
    EXPECT_EQ(s, "ab c\x81\x40 \n");
    s.TrimRight();
    EXPECT_EQ(s, "ab c\x81\x40");
    CString t("  x  ");
    t.Trim();
    EXPECT_EQ(t, "x");
}

TEST(CString, AppendTakesAnyBytesEvenItsOwn) {
    CString s("ab");
    s.Append(std::string_view("c\0d", 3));
    EXPECT_EQ(s.view(), std::string_view("abc\0d", 5));
    s.Append(s.view().substr(0, 2));
    EXPECT_EQ(s.view(), std::string_view("abc\0dab", 7));
    s.Empty();
    s.Append({});
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_EQ(s.GetString()[0], '\0');
}
