#include <qvplatform/archive.h>
#include <qvplatform/cstring.h>

#include <cerrno>
#include <iterator>
#include <numeric>
#include <string>
#include <tuple>
#include <typeinfo>

#include "platform/test_support.h"

using qvtest::Bytes;
using qvtest::Loaded;
using qvtest::MakeBytes;
using qvtest::Stored;

namespace {

// A source that hands out one byte per Read, as a slow connection might.
class CTrickleFile : public CMemFile {
public:
    using CMemFile::CMemFile;
    UINT Read(void* lpBuf, UINT nCount) override {
        ++reads;
        return CMemFile::Read(lpBuf, nCount ? 1 : 0);
    }
    int reads = 0;
};

// A sink whose next `failures` writes fail as on a full disk.
class CFailingFile : public CMemFile {
public:
    void Write(const void* lpBuf, UINT nCount) override {
        ++writes;
        if (failures > 0) {
            --failures;
            AfxThrowFileException(CFileException::diskFull, ENOSPC, "failing");
        }
        CMemFile::Write(lpBuf, nCount);
    }
    int failures = 1;
    int writes = 0;
};

// One value of every kind the archive carries, and their bytes.
using EveryValue = std::tuple<BYTE, WORD, LONG, DWORD, LONGLONG, ULONGLONG, float, double, short,
                              char, signed char, bool, bool>;
const EveryValue kEveryValue{0x12, 0x3456, -2, 0x89ABCDEF, -3,   0x0102030405060708, 1.5f, -2.0,
                             -4,   'A',    -5, true,       false};

const Bytes kEveryValueBytes = MakeBytes({
    0x12,                                            // BYTE
    0x56, 0x34,                                      // WORD
    0xFE, 0xFF, 0xFF, 0xFF,                          // LONG -2
    0xEF, 0xCD, 0xAB, 0x89,                          // DWORD
    0xFD, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,  // LONGLONG -3
    0x08, 0x07, 0x06, 0x05, 0x04, 0x03, 0x02, 0x01,  // ULONGLONG
    0x00, 0x00, 0xC0, 0x3F,                          // float 1.5
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xC0,  // double -2.0
    0xFC, 0xFF,                                      // short -4
    0x41,                                            // char
    0xFB,                                            // signed char -5
    0x01, 0x00,                                      // bool
});

void StoreEveryValue(CArchive& ar) {
    std::apply([&](const auto&... value) { (ar << ... << value); }, kEveryValue);
}

void LoadEveryValue(CArchive& ar) {
    EveryValue values;
    std::apply([&](auto&... value) { (ar >> ... >> value); }, values);
    EXPECT_EQ(values, kEveryValue);
}

Bytes Pattern(std::size_t n) {
    Bytes bytes(n);
    for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<BYTE>(i * 7 + i / 251);
    return bytes;
}

// Each extractor on archives holding one byte less than its value needs, and
// exactly as many.
template <class... T>
void CheckEndOfData(std::tuple<T...>*) {
    auto check = [](auto value) {
        const UINT size = sizeof value;
        SCOPED_TRACE(typeid(value).name());
        Loaded(Bytes(size - 1, 0xAB), [&](CArchive& ar) {
            EXPECT_THROW_CAUSE_MESSAGE(
                ar >> value, CArchiveException, CArchiveException::endOfFile,
                "needed " + std::to_string(size) + " bytes, " + std::to_string(size - 1) + " left");
            // The partial value's bytes are consumed: the archive is at its end.
            BYTE rest[8];
            EXPECT_EQ(ar.Read(rest, sizeof rest), 0u);
        });
        Loaded(Bytes(size, 0), [&](CArchive& ar) { EXPECT_NO_THROW(ar >> value); });
    };
    (check(T{}), ...);
}

}  // namespace

TEST(CArchive, EveryValueIsLittleEndianWithoutPadding) {
    EXPECT_EQ(Stored(StoreEveryValue), kEveryValueBytes);
    Loaded(kEveryValueBytes, LoadEveryValue);
}

TEST(CArchive, EveryExtractorThrowsEndOfFileWhenTheDataRunsShort) {
    CheckEndOfData(static_cast<EveryValue*>(nullptr));
}

TEST(CArchive, EndOfFileMessageNamesTheFile) {
    qvtest::TempDir dir;
    std::string path = dir / "short.bin";
    {
        CFile file(path.c_str(), CFile::modeCreate | CFile::modeWrite);
        BYTE one = 1;
        file.Write(&one, 1);
    }
    CFile file(path.c_str(), CFile::modeRead);
    CArchive ar(&file, CArchive::load);
    DWORD value;
    EXPECT_THROW_CAUSE_MESSAGE(ar >> value, CArchiveException, CArchiveException::endOfFile,
                               "needed 4 bytes, 1 left (" + path + ")");
}

TEST(CArchive, ValuesStraddlingABufferRefillComeBackWhole) {
    // The smallest buffer, and an odd start, so that values cross refills.
    Bytes bytes = Stored([](CArchive& ar) {
        ar << BYTE{0xEE};
        for (DWORD i = 0; i < 1000; ++i) ar << (i * 0x01010101u) << WORD(i);
    });
    CMemFile file(bytes);
    CArchive ar(&file, CArchive::load, 1);
    BYTE first;
    ar >> first;
    EXPECT_EQ(first, 0xEE);
    for (DWORD i = 0; i < 1000; ++i) {
        DWORD dw;
        WORD w;
        ar >> dw >> w;
        ASSERT_EQ(dw, i * 0x01010101u);
        ASSERT_EQ(w, WORD(i));
    }
}

TEST(CArchive, ReadsFromASourceThatDeliversOneByteAtATime) {
    Bytes block = Pattern(10000);
    Bytes bytes = Stored([&](CArchive& ar) {
        StoreEveryValue(ar);
        ar << CString("trickled");
        ar.Write(block.data(), static_cast<UINT>(block.size()));
    });
    CTrickleFile file(bytes);
    CArchive ar(&file, CArchive::load);
    LoadEveryValue(ar);
    CString text;
    ar >> text;
    EXPECT_EQ(text, "trickled");
    Bytes back(block.size() + 10);
    EXPECT_EQ(ar.Read(back.data(), static_cast<UINT>(back.size())), block.size());
    back.resize(block.size());
    EXPECT_EQ(back, block);
    EXPECT_GT(file.reads, 10000);
    DWORD beyond;
    EXPECT_THROW_CAUSE(ar >> beyond, CArchiveException, CArchiveException::endOfFile);
}

TEST(CArchive, TransfersInTheWrongDirectionThrow) {
    CMemFile file;
    CArchive storing(&file, CArchive::store);
    BYTE buf[4];
    WORD w;
    EXPECT_THROW_CAUSE(storing.Read(buf, 4), CArchiveException, CArchiveException::writeOnly);
    EXPECT_THROW_CAUSE(storing >> w, CArchiveException, CArchiveException::writeOnly);
    // With bytes waiting to be written, a read must not hand them out.
    storing << DWORD{1} << DWORD{2};
    EXPECT_THROW_CAUSE(storing.Read(buf, 4), CArchiveException, CArchiveException::writeOnly);
    EXPECT_THROW_CAUSE(storing >> w, CArchiveException, CArchiveException::writeOnly);

    CMemFile source(MakeBytes({1, 2, 3, 4}));
    CArchive loading(&source, CArchive::load);
    EXPECT_THROW_CAUSE(loading.Write(buf, 4), CArchiveException, CArchiveException::readOnly);
    EXPECT_THROW_CAUSE(loading << WORD{1}, CArchiveException, CArchiveException::readOnly);
}

TEST(CArchive, ClosedArchiveRefusesTransfersAndLeavesTheFileOpen) {
    CMemFile file;
    CArchive ar(&file, CArchive::store);
    ar << DWORD{7};
    ar.Close();
    EXPECT_EQ(ar.GetFile(), nullptr);
    EXPECT_TRUE(file.IsOpen());
    EXPECT_EQ(file.Bytes(), MakeBytes({7, 0, 0, 0}));
    EXPECT_THROW_CAUSE(ar << BYTE{1}, CArchiveException, CArchiveException::genericException);
    EXPECT_THROW_CAUSE(ar.Flush(), CArchiveException, CArchiveException::genericException);
    EXPECT_NO_THROW(ar.Close());
}

TEST(CArchive, DestructorFlushesUnlessAbortedOrToldNotTo) {
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        ar << WORD{0xBEEF};
        EXPECT_TRUE(file.Bytes().empty());  // still buffered
    }
    {
        CArchive ar(&file, CArchive::store | CArchive::bNoFlushOnDelete);
        ar << WORD{1};
    }
    {
        CArchive ar(&file, CArchive::store);
        ar << WORD{2};
        ar.Abort();
    }
    EXPECT_EQ(file.Bytes(), MakeBytes({0xEF, 0xBE}));
}

TEST(CArchive, FailedFlushThrowsTheFileErrorAndNeverWritesTheBytesTwice) {
    CFailingFile file;
    {
        CArchive ar(&file, CArchive::store);
        ar << DWORD{1};
        EXPECT_THROW_CAUSE(ar.Flush(), CFileException, CFileException::diskFull);
        ar << DWORD{2};
    }
    EXPECT_EQ(file.Bytes(), MakeBytes({2, 0, 0, 0}));
    EXPECT_EQ(file.writes, 2);
    file.failures = 1;
    EXPECT_NO_THROW({  // the destructor swallows it
        CArchive ar(&file, CArchive::store);
        ar << DWORD{3};
    });
    EXPECT_EQ(file.writes, 3);
}

TEST(CArchive, LoadingFlushPutsTheFileJustPastWhatWasRead) {
    CMemFile file(Pattern(100));
    {
        CArchive ar(&file, CArchive::load);
        WORD w;
        ar >> w;
        ar.Flush();
        EXPECT_EQ(file.GetPosition(), 2u);
        BYTE by;
        ar >> by;
        EXPECT_EQ(by, Pattern(100)[2]);
        ar.Close();
    }
    EXPECT_EQ(file.GetPosition(), 3u);
}

TEST(CArchive, LargeBlocksInOddPiecesComeBackInOrder) {
    Bytes block = Pattern(70000);
    const UINT pieces[] = {1, 4095, 4096, 4097, 13, 20000, 37698};
    ASSERT_EQ(std::accumulate(std::begin(pieces), std::end(pieces), 0u), block.size());
    Bytes bytes = Stored([&](CArchive& ar) {
        std::size_t at = 0;
        for (UINT n : pieces) {
            ar.Write(block.data() + at, n);
            at += n;
        }
    });
    EXPECT_EQ(bytes, block);
    Loaded(bytes, [&](CArchive& ar) {
        Bytes back(block.size());
        std::size_t at = 0;
        for (auto it = std::rbegin(pieces); it != std::rend(pieces); ++it) {
            ASSERT_EQ(ar.Read(back.data() + at, *it), *it);
            at += *it;
        }
        EXPECT_EQ(back, block);
    });
}

TEST(CArchive, CountEncodingHasAShortAndALongForm) {
    EXPECT_EQ(Stored([](CArchive& ar) { ar.WriteCount(0); }), MakeBytes({0x00, 0x00}));
    EXPECT_EQ(Stored([](CArchive& ar) { ar.WriteCount(0xFFFE); }), MakeBytes({0xFE, 0xFF}));
    EXPECT_EQ(Stored([](CArchive& ar) { ar.WriteCount(0xFFFF); }),
              MakeBytes({0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}));
    EXPECT_EQ(Stored([](CArchive& ar) { ar.WriteCount(0x12345678); }),
              MakeBytes({0xFF, 0xFF, 0x78, 0x56, 0x34, 0x12}));

    Loaded(MakeBytes({0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0x05, 0x00, 0x00,
                      0x00}),
           [](CArchive& ar) {
               EXPECT_EQ(ar.ReadCount(), 0xFFFEu);
               EXPECT_EQ(ar.ReadCount(), 0xFFFFu);
               EXPECT_EQ(ar.ReadCount(), 5u);  // the long form of a small count still reads
           });
    Loaded(MakeBytes({0xFF, 0xFF, 0x01}), [](CArchive& ar) {
        EXPECT_THROW_CAUSE(ar.ReadCount(), CArchiveException, CArchiveException::endOfFile);
    });
}

TEST(CArchive, CStringLiteralGoesOutInTheStringEncoding) {
    EXPECT_EQ(Stored([](CArchive& ar) { ar << "abc" << static_cast<LPCSTR>(nullptr); }),
              MakeBytes({3, 'a', 'b', 'c', 0}));
}
