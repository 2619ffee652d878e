#include <qvplatform/file.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/test_support.h"

using qvtest::ReadText;
using qvtest::TempDir;
using qvtest::WriteText;

namespace {

constexpr UINT kCreateWrite = CFile::modeCreate | CFile::modeWrite | CFile::typeBinary;
constexpr UINT kReadExclusive = CFile::modeRead | CFile::typeBinary | CFile::shareExclusive;

void Write(CFile& file, const std::string& text) {
    file.Write(text.data(), static_cast<UINT>(text.size()));
}

// A file whose descriptor is closed behind its back.
class CLostFile : public CFile {
public:
    using CFile::CFile;
    void LoseDescriptor() { ::close(m_fd); }
};

}  // namespace

TEST(CFile, CreatesWritesAndReadsBack) {
    TempDir dir;
    std::string path = dir / "a.bin";
    {
        CFile file(path.c_str(), kCreateWrite);
        Write(file, "hello");
        EXPECT_EQ(file.GetLength(), 5u);
        EXPECT_EQ(file.GetFilePath(), path);
    }
    CFile file(path.c_str(), CFile::modeRead);
    char buf[16] = {};
    EXPECT_EQ(file.Read(buf, sizeof buf), 5u);
    EXPECT_STREQ(buf, "hello");
    EXPECT_EQ(file.Read(buf, sizeof buf), 0u);
}

TEST(CFile, CreateTruncatesButNoTruncateKeepsOldBytesPastTheNewEnd) {
    TempDir dir;
    std::string path = dir / "map.bin";
    WriteText(path, "0123456789");
    {
        CFile file(path.c_str(), kCreateWrite | CFile::modeNoTruncate);
        Write(file, "ab");
    }
    EXPECT_EQ(ReadText(path), "ab23456789");
    {
        CFile file(path.c_str(), kCreateWrite);
        Write(file, "xy");
    }
    EXPECT_EQ(ReadText(path), "xy");
    {
        CFile file((dir / "new.bin").c_str(), kCreateWrite | CFile::modeNoTruncate);
        Write(file, "n");  // a missing file is still created
    }
    EXPECT_EQ(ReadText(dir / "new.bin"), "n");
}

TEST(CFile, MissingFileFailsWithItsNameAndErrno) {
    TempDir dir;
    std::string path = dir / "absent.bin";
    CFile file;
    CFileException error;
    EXPECT_FALSE(file.Open(path.c_str(), CFile::modeRead, &error));
    EXPECT_EQ(error.m_cause, CFileException::fileNotFound);
    EXPECT_EQ(error.m_lOsError, ENOENT);
    EXPECT_EQ(error.m_strFileName, path);
    EXPECT_EQ(std::string(error.what()),
              "file not found: " + path + " (errno 2: No such file or directory)");
    EXPECT_THROW_CAUSE(CFile(path.c_str(), CFile::modeRead), CFileException,
                       CFileException::fileNotFound);
    EXPECT_FALSE(file.Open(dir.Path().c_str(), CFile::modeRead, &error));  // a folder
    EXPECT_EQ(error.m_cause, CFileException::accessDenied);
    EXPECT_FALSE(file.Open(path.c_str(), CFile::modeWrite | CFile::modeReadWrite, &error));
    EXPECT_EQ(error.m_cause, CFileException::badPath);  // no such access mode
}

TEST(CFile, ExclusiveOpenIsRefusedWhileTheFileIsOpen) {
    TempDir dir;
    std::string path = dir / "locked.bin";
    WriteText(path, "x");
    CFile second;
    CFileException error;
    {
        CFile first(path.c_str(), kReadExclusive);
        EXPECT_FALSE(second.Open(path.c_str(), kReadExclusive, &error));
        EXPECT_EQ(error.m_cause, CFileException::sharingViolation);
        EXPECT_FALSE(second.Open(path.c_str(), CFile::modeRead | CFile::shareDenyNone, &error));
        EXPECT_EQ(error.m_cause, CFileException::sharingViolation);
    }
    // The destructor closed the first file and so released it.
    EXPECT_TRUE(second.Open(path.c_str(), kReadExclusive, &error));
}

TEST(CFile, RefusedCreateLeavesTheFileInUseIntact) {
    TempDir dir;
    std::string path = dir / "inuse.bin";
    WriteText(path, "precious");
    CFile holder(path.c_str(), kReadExclusive);
    CFile other;
    CFileException error;
    EXPECT_FALSE(other.Open(path.c_str(), kCreateWrite | CFile::shareExclusive, &error));
    EXPECT_EQ(error.m_cause, CFileException::sharingViolation);
    EXPECT_EQ(ReadText(path), "precious");
}

TEST(CFile, ReadOnlyFileRefusesWrites) {
    TempDir dir;
    std::string path = dir / "ro.bin";
    WriteText(path, "keep");
    CFile file(path.c_str(), CFile::modeRead);
    EXPECT_THROW_CAUSE(Write(file, "no"), CFileException, CFileException::accessDenied);
    EXPECT_EQ(ReadText(path), "keep");

    CFile writeOnly(path.c_str(), CFile::modeWrite | CFile::modeCreate | CFile::modeNoTruncate);
    char buf[4];
    EXPECT_THROW_CAUSE(writeOnly.Read(buf, 4), CFileException, CFileException::accessDenied);
}

TEST(CFile, WriteToAFullDiskThrowsDiskFull) {
    if (::access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
    CFile file("/dev/full", CFile::modeWrite);
    EXPECT_THROW_CAUSE_MESSAGE(Write(file, "data"), CFileException, CFileException::diskFull,
                               "disk full: /dev/full (errno 28: No space left on device)");
}

TEST(CFile, LostDescriptorIsAnInvalidFile) {
    TempDir dir;
    std::string path = dir / "lost.bin";
    CLostFile file(path.c_str(), kCreateWrite);
    file.LoseDescriptor();
    EXPECT_THROW_CAUSE(Write(file, "x"), CFileException, CFileException::invalidFile);
    file.Abort();
    EXPECT_FALSE(file.IsOpen());
}

TEST(CFile, ClosedFileRefusesAccessAndClosesTwiceQuietly) {
    TempDir dir;
    CFile file((dir / "c.bin").c_str(), kCreateWrite);
    file.Close();
    EXPECT_FALSE(file.IsOpen());
    char buf[1];
    EXPECT_THROW_CAUSE(file.Read(buf, 1), CFileException, CFileException::invalidFile);
    EXPECT_THROW_CAUSE(Write(file, "x"), CFileException, CFileException::invalidFile);
    EXPECT_THROW_CAUSE(file.Seek(0, CFile::begin), CFileException, CFileException::invalidFile);
    EXPECT_THROW_CAUSE(file.GetLength(), CFileException, CFileException::invalidFile);
    EXPECT_NO_THROW(file.Flush());
    EXPECT_NO_THROW(file.Close());
}

// Seeking past the end, then writing, fills the gap with zeros. The same on disk and in memory.
template <class Backing>
void CheckSeeking(const char* where) {
    SCOPED_TRACE(where);
    Backing backing;
    CFile& file = backing.file;
    Write(file, "ab");
    EXPECT_EQ(file.Seek(2, CFile::current), 4u);
    Write(file, "z");
    EXPECT_EQ(file.GetLength(), 5u);
    file.SeekToBegin();
    char buf[8] = {};
    EXPECT_EQ(file.Read(buf, sizeof buf), 5u);
    EXPECT_EQ(std::string(buf, 5), std::string("ab\0\0z", 5));
    EXPECT_EQ(file.Seek(-1, CFile::end), 4u);
    EXPECT_THROW_CAUSE(file.Seek(-6, CFile::end), CFileException, CFileException::badSeek);
    EXPECT_THROW_CAUSE(file.Seek(0, 7), CFileException, CFileException::badSeek);
    EXPECT_EQ(file.SeekToEnd(), 5u);
}

TEST(CFile, SeekingWorksAlikeOnDiskAndInMemory) {
    CheckSeeking<qvtest::DiskBacking>("disk");
    CheckSeeking<qvtest::MemBacking>("memory");
}

TEST(CMemFile, StartsWithACopyAndGrowsOnWriting) {
    BYTE source[] = {1, 2, 3};
    CMemFile file(source);
    source[0] = 9;
    BYTE buf[4] = {};
    EXPECT_EQ(file.Read(buf, 2), 2u);
    EXPECT_EQ(buf[0], 1);
    BYTE more[] = {7, 8, 9};
    file.Write(more, 3);
    EXPECT_EQ(file.Bytes(), qvtest::MakeBytes({1, 2, 7, 8, 9}));
    // Growing past the largest buffer there can be is out of memory, not a wild write.
    file.Seek(LLONG_MAX, CFile::begin);
    EXPECT_THROW(file.Write(more, 1), CMemoryException);
}

TEST(CMemFile, ClosedMemoryFileRefusesAccessAndCannotOpenAName) {
    CMemFile file(qvtest::MakeBytes({1, 2}));
    CFileException error;
    EXPECT_FALSE(file.Open("anything", CFile::modeRead, &error));
    EXPECT_EQ(error.m_cause, CFileException::genericException);
    file.Close();
    EXPECT_FALSE(file.IsOpen());
    EXPECT_TRUE(file.Bytes().empty());
    BYTE by;
    EXPECT_THROW_CAUSE(file.Read(&by, 1), CFileException, CFileException::invalidFile);
    EXPECT_THROW_CAUSE(file.Write(&by, 1), CFileException, CFileException::invalidFile);
}

TEST(CFileException, MessagesCopyOutCutToFit) {
    CFileException e(CFileException::diskFull, ENOSPC, "x.map");
    char buf[10];
    UINT help = 99;
    EXPECT_TRUE(e.GetErrorMessage(buf, sizeof buf, &help));
    EXPECT_STREQ(buf, "disk full");
    EXPECT_EQ(help, 0u);
    EXPECT_FALSE(e.GetErrorMessage(buf, 0));
    // A cause from outside the names, as a newer peer may send, still reads safely.
    for (int cause : {-1, CFileException::endOfFile + 1})
        EXPECT_STREQ(CFileException(cause).what(), "file error");
    EXPECT_STREQ(CArchiveException(CArchiveException::overBudget + 1).what(), "archive error");
}

TEST(AfxResolvePath, BackslashesSeparateFoldersAndLetterCaseIsMatchedFolderByFolder) {
    TempDir dir;
    std::filesystem::create_directories(dir.Path() / "Images");
    std::filesystem::create_directories(dir.Path() / "maps/units");
    for (const char* name : {"Images/tank.bmp", "maps/units/tank.bmp", "Map.bmp", "MAP.BMP"})
        WriteText(dir / name, "t");
    const std::string root = dir.Path().string();
    const struct {
        std::string asked, resolved;
    } cases[] = {
        {"\\Images\\tank.bmp", "/Images/tank.bmp"},
        {"\\MAPS\\Units\\TANK.BMP", "/maps/units/tank.bmp"},
        {"/Map.bmp", "/Map.bmp"},              // the exact spelling wins
        {"/map.bmp", "/MAP.BMP"},              // several matches go by byte order
        {"\\Maps\\New.bmp", "/maps/New.bmp"},  // a missing file keeps its name
        {"/Missing/Images/x.bmp", "/Missing/Images/x.bmp"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AfxResolvePath((root + c.asked).c_str()), root + c.resolved);

    // Opening goes through the same resolution and keeps the caller's name.
    const std::string asked = root + "\\MAPS\\Units\\TANK.BMP";
    CFile file(asked.c_str(), CFile::modeRead);
    EXPECT_EQ(file.GetFilePath(), asked);
    char c;
    EXPECT_EQ(file.Read(&c, 1), 1u);
    EXPECT_EQ(c, 't');
    CFile created((root + "\\Maps\\New.bmp").c_str(), kCreateWrite);
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "maps/New.bmp"));
}

TEST(AfxResolvePath, RelativeNamesResolveFromTheCurrentFolder) {
    TempDir dir;
    std::filesystem::create_directories(dir.Path() / "images");
    WriteText(dir / "images/a.bmp", "");
    auto saved = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    std::string resolved = AfxResolvePath("Images\\A.BMP");
    std::string dotted = AfxResolvePath(".\\IMAGES\\..\\images\\a.BMP");
    std::filesystem::current_path(saved);
    EXPECT_EQ(resolved, "images/a.bmp");
    EXPECT_EQ(dotted, "./images/../images/a.bmp");
    EXPECT_EQ(AfxResolvePath(nullptr), "");
}
