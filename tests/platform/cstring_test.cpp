#include <qvplatform/cstring.h>

#include <cstring>
#include <string>

#include "alloc_counter.h"
#include "test_support.h"

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

Bytes Prefix(const Bytes& bytes, std::size_t n) {
    return Bytes(bytes.begin(), bytes.begin() + n);
}

CString ReadString(const Bytes& bytes) {
    CString string;
    Loaded(bytes, [&](CArchive& ar) { ar >> string; });
    return string;
}

}  // namespace

TEST(CStringArchive, EachLengthFormHasItsGoldenPrefix) {
    struct Case {
        std::size_t length;
        Bytes prefix;
    };
    const Case cases[] = {
        {0, MakeBytes({0x00})},
        {3, MakeBytes({0x03})},
        {254, MakeBytes({0xFE})},
        {255, MakeBytes({0xFF, 0xFF, 0x00})},
        {256, MakeBytes({0xFF, 0x00, 0x01})},
        {0xFFFD, MakeBytes({0xFF, 0xFD, 0xFF})},
        {0xFFFE, MakeBytes({0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00})},
        {0xFFFF, MakeBytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00})},
        {0x10000, MakeBytes({0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x01, 0x00})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        CString text = Text(c.length);
        Bytes bytes = Stored([&](CArchive& ar) { ar << text; });
        ASSERT_EQ(bytes.size(), c.prefix.size() + c.length);
        EXPECT_EQ(Prefix(bytes, c.prefix.size()), c.prefix);
        EXPECT_EQ(std::string(bytes.begin() + c.prefix.size(), bytes.end()), text.str());
        EXPECT_EQ(ReadString(bytes), text);
    }
}

TEST(CStringArchive, BytesGoOutAsTheyAreNulIncluded) {
    CString text("a\0\x93\xFA", 4);
    Bytes bytes = Stored([&](CArchive& ar) { ar << text; });
    EXPECT_EQ(bytes, MakeBytes({4, 'a', 0, 0x93, 0xFA}));
    EXPECT_EQ(ReadString(bytes), text);
}

TEST(CStringArchive, LongerFormsOfShortLengthsStillRead) {
    EXPECT_EQ(ReadString(MakeBytes({0xFF, 0x02, 0x00, 'h', 'i'})), "hi");
    EXPECT_EQ(ReadString(MakeBytes({0xFF, 0xFF, 0xFF, 0x02, 0x00, 0x00, 0x00, 'h', 'i'})), "hi");
}

TEST(CStringArchive, WideStringMarkerIsAFormatError) {
    Loaded(MakeBytes({0xFF, 0xFE, 0xFF, 0x01, 0x41, 0x00}), [](CArchive& ar) {
        CString s("kept");
        EXPECT_THROW_CAUSE(ar >> s, CArchiveException, CArchiveException::genericException);
        EXPECT_EQ(s, "kept");
    });
}

TEST(CStringArchive, TruncatedLengthOrTextIsEndOfFile) {
    const Bytes truncated[] = {
        MakeBytes({}),
        MakeBytes({0xFF}),
        MakeBytes({0xFF, 0x00}),
        MakeBytes({0xFF, 0xFF, 0xFF, 0x01, 0x00}),
        MakeBytes({0x05, 'a', 'b'}),
        MakeBytes({0xFF, 0x00, 0x01, 'a'}),
    };
    for (const Bytes& bytes : truncated) {
        SCOPED_TRACE(bytes.size());
        Loaded(bytes, [](CArchive& ar) {
            CString s("kept");
            EXPECT_THROW_CAUSE(ar >> s, CArchiveException, CArchiveException::endOfFile);
            EXPECT_EQ(s, "kept");
        });
    }
}

TEST(CStringArchive, HostileLengthDoesNotSizeAnAllocation) {
    CMemFile file(MakeBytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 'a', 'b', 'c'}));
    CArchive ar(&file, CArchive::load);
    CString s;
    std::size_t largest = 0;
    {
        qvtest::AllocationWatch watch;
        try {
            ar >> s;
            ADD_FAILURE() << "a string of 0xFFFFFFFF bytes over 3 bytes was read";
        } catch (const CArchiveException& e) {
            largest = watch.Largest();
            EXPECT_EQ(e.m_cause, CArchiveException::endOfFile);
            EXPECT_STREQ(e.what(),
                         "archive ended inside a string: needed 4294967295 bytes, 3 left");
        }
    }
    EXPECT_LE(largest, 128u * 1024);
}

TEST(CStringArchive, MemoryGrowsWithTheDataNotWithTheLength) {
    // A megabyte really present under a length of nearly 4 GiB.
    Bytes bytes = MakeBytes({0xFF, 0xFF, 0xFF, 0xF0, 0xFF, 0xFF, 0xFF});
    bytes.resize(bytes.size() + (1 << 20), 'q');
    CMemFile file(bytes);
    CArchive ar(&file, CArchive::load);
    CString s;
    qvtest::AllocationWatch watch;
    EXPECT_THROW_CAUSE(ar >> s, CArchiveException, CArchiveException::endOfFile);
    EXPECT_LE(watch.Largest(), 3u << 20);
}

template <class Backing>
class CStringRoundTrip : public ::testing::Test {
protected:
    Backing backing;
};
TYPED_TEST_SUITE(CStringRoundTrip, qvtest::Backings, qvtest::BackingNames);

TYPED_TEST(CStringRoundTrip, StringsOfEveryLengthFormComeBackInOrder) {
    const std::size_t lengths[] = {0, 1, 254, 255, 0xFFFD, 0xFFFE, 0xFFFF, 200000};
    qvtest::RoundTrip(
        this->backing,
        [&](CArchive& ar) {
            for (std::size_t n : lengths) ar << Text(n) << BYTE{0x5A};
        },
        [&](CArchive& ar) {
            for (std::size_t n : lengths) {
                CString s;
                BYTE marker;
                ar >> s >> marker;
                EXPECT_EQ(s, Text(n)) << n;
                EXPECT_EQ(marker, 0x5A);
            }
        });
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
    EXPECT_TRUE(CString("abc") == "abc");
    EXPECT_TRUE("abc" == CString("abc"));
    EXPECT_TRUE(CString("a") < CString("b"));
}

TEST(CString, LeftRightAndMidClampToTheText) {
    CString s("abcdef");
    EXPECT_EQ(s.Left(2), "ab");
    EXPECT_EQ(s.Left(-1), "");
    EXPECT_EQ(s.Left(99), "abcdef");
    EXPECT_EQ(s.Right(2), "ef");
    EXPECT_EQ(s.Right(99), "abcdef");
    EXPECT_EQ(s.Mid(2), "cdef");
    EXPECT_EQ(s.Mid(2, 3), "cde");
    EXPECT_EQ(s.Mid(-5, 2), "ab");
    EXPECT_EQ(s.Mid(10), "");
    EXPECT_EQ(s.Mid(4, 99), "ef");
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

TEST(CString, FormatWritesAnyLength) {
    CString s;
    s.Format("%d-%s", 42, "x");
    EXPECT_EQ(s, "42-x");
    s.Format("%s", std::string(1000, 'y').c_str());
    EXPECT_EQ(s.GetLength(), 1000);
    s.Format("%s", "");
    EXPECT_TRUE(s.IsEmpty());
}

TEST(CString, BufferAccessKeepsTheTextAndSetsTheLength) {
    CString s("ab");
    char* p = s.GetBuffer(10);
    EXPECT_EQ(p[0], 'a');
    std::strcpy(p, "hello");
    s.ReleaseBuffer();
    EXPECT_EQ(s, "hello");
    s.GetBuffer(0);
    s.ReleaseBuffer(1);
    EXPECT_EQ(s, "h");
    EXPECT_EQ(CString(nullptr, 5), "");
    EXPECT_EQ(CString('-', 3), "---");
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
