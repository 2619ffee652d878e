#include <qvdll/hexmap.h>

#include "test_support.h"

using qvtest::Bytes;
using qvtest::ReadBytes;
using qvtest::WriteBytes;

namespace {

// A 3 x 2 map whose cells count 1 to 6.
void FillThreeByTwo(CHexMap& map) {
    map.SetMapSize(3, 2);
    for (BYTE i = 0; i < 6; ++i) map.GetMap()->cells[i] = static_cast<BYTE>(i + 1);
}

}  // namespace

class MapFile : public ::testing::Test {
protected:
    qvtest::TempDir dir;
};

TEST_F(MapFile, WriteGivesTheArchiveFormAndBothReadersRestoreIt) {
    CHexMap map;
    FillThreeByTwo(map);
    const std::string path = dir / "a.map";
    ASSERT_TRUE(map.WriteMapFile(CString(path)));
    EXPECT_EQ(ReadBytes(path), (Bytes{0x02, 0x00, 0x03, 0x00, 1, 2, 3, 4, 5, 6}));

    CHexMap current(7, 7), old(7, 7);  // reading replaces the cells they had
    EXPECT_TRUE(current.ReadMapFile(CString(path)));
    EXPECT_TRUE(old.ReadOldMapFile(CString(path)));
    for (CHexMap* read : {&current, &old}) {
        EXPECT_EQ(read->GetMapWidth(), 3);
        EXPECT_EQ(read->GetMapHeight(), 2);
        EXPECT_EQ(read->GetData(2, 1), 6);
    }
}

// A map that holds a size but no cells (an allocation failed) still writes its whole cell
// block, as zeros, so that the file reads back, by the old reader too.
TEST_F(MapFile, SizedMapWithoutCellsWritesZeroCells) {
    CHexMap map;
    map.GetMap()->width = 3;
    map.GetMap()->height = 2;
    EXPECT_EQ(map.GetData(0, 0), 0);
    EXPECT_FALSE(map.SetData(0, 0, 1));
    const std::string path = dir / "nocells.map";
    ASSERT_TRUE(map.WriteMapFile(CString(path)));
    EXPECT_EQ(ReadBytes(path), (Bytes{0x02, 0x00, 0x03, 0x00, 0, 0, 0, 0, 0, 0}));
    CHexMap old(1, 1);
    EXPECT_TRUE(old.ReadOldMapFile(CString(path)));
    EXPECT_EQ(old.GetData(2, 1), 0);
}

TEST_F(MapFile, WritingASmallerMapKeepsTheOldTail) {
    const std::string path = dir / "a.map";
    WriteBytes(path, {0x02, 0x00, 0x03, 0x00, 1, 2, 3, 4, 5, 6});
    CHexMap small(1, 1);
    small.SetData(0, 0, 42);
    ASSERT_TRUE(small.WriteMapFile(CString(path)));
    EXPECT_EQ(ReadBytes(path), (Bytes{0x01, 0x00, 0x01, 0x00, 42, 2, 3, 4, 5, 6}));

    CHexMap read;
    ASSERT_TRUE(read.ReadMapFile(CString(path)));
    EXPECT_EQ(read.GetMapWidth(), 1);
    EXPECT_EQ(read.GetData(0, 0), 42);
}

TEST_F(MapFile, HeaderWithAnEmptyDimensionReadsWithBothReaders) {
    const std::string path = dir / "empty.map";
    WriteBytes(path, {0x05, 0x00, 0x00, 0x00});
    CHexMap current(2, 2), old(2, 2);
    EXPECT_TRUE(current.ReadMapFile(CString(path)));
    EXPECT_TRUE(old.ReadOldMapFile(CString(path)));
    for (CHexMap* read : {&current, &old}) {
        EXPECT_EQ(read->GetMapHeight(), 5);
        EXPECT_EQ(read->GetMapWidth(), 0);
        EXPECT_EQ(read->GetMap()->cells, nullptr);
    }
}

TEST_F(MapFile, ShortCellBlockSucceedsForTheCurrentReaderOnly) {
    const std::string path = dir / "short.map";
    WriteBytes(path, {0x02, 0x00, 0x03, 0x00, 7, 8, 9});

    CHexMap current;
    EXPECT_TRUE(current.ReadMapFile(CString(path)));
    EXPECT_EQ(current.GetData(2, 0), 9);
    EXPECT_EQ(current.GetData(0, 1), 0);

    CHexMap old;
    EXPECT_FALSE(old.ReadOldMapFile(CString(path)));
    EXPECT_EQ(old.GetMapWidth(), 3);  // keeps its new size and the cells read so far
    EXPECT_EQ(old.GetMapHeight(), 2);
    EXPECT_EQ(old.GetData(1, 0), 8);
    EXPECT_EQ(old.GetData(0, 1), 0);
}

TEST_F(MapFile, FileEndingInsideTheHeaderFails) {
    const std::string path = dir / "header.map";
    WriteBytes(path, {0x07, 0x00, 0x03});
    CHexMap current(1, 1), old(1, 1);
    EXPECT_FALSE(current.ReadMapFile(CString(path)));
    EXPECT_FALSE(old.ReadOldMapFile(CString(path)));
    EXPECT_EQ(current.GetMapHeight(), 7);  // the height was read before the file ended
    EXPECT_EQ(old.GetMapHeight(), 7);
}

TEST_F(MapFile, MissingOrUnwritableFilesFailAndLeaveTheMapAlone) {
    CHexMap map;
    FillThreeByTwo(map);
    EXPECT_FALSE(map.ReadMapFile(CString(dir / "none.map")));
    EXPECT_FALSE(map.ReadOldMapFile(CString(dir / "none.map")));
    EXPECT_EQ(map.GetMapWidth(), 3);
    EXPECT_EQ(map.GetData(2, 1), 6);
    EXPECT_FALSE(map.WriteMapFile(CString(dir / "no-such-folder/a.map")));
    EXPECT_FALSE(map.WriteMapFile(CString(dir / "")));  // a folder, not a file
}

TEST_F(MapFile, WindowsStylePathsFindTheFile) {
    std::filesystem::create_directories(dir / "Maps");
    CHexMap map;
    FillThreeByTwo(map);
    ASSERT_TRUE(map.WriteMapFile(CString(dir / "Maps/first.map")));
    CHexMap read;
    EXPECT_TRUE(read.ReadMapFile(CString(dir / "maps\\FIRST.MAP")));
    EXPECT_EQ(read.GetData(2, 1), 6);
}
