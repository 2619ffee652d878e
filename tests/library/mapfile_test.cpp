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

// The current reader takes the cells that are there; the old one, cell by cell, fails at
// the end of the file. Both keep the size fields they read.
TEST_F(MapFile, ShortFilesReadAsFarAsTheyGo) {
    const struct {
        Bytes bytes;
        bool currentReads, oldReads;
        WORD height, width;
        BYTE cell;  // (1, 0)
    } cases[] = {
        {{0x05, 0x00, 0x00, 0x00}, true, true, 5, 0, 0},  // no cells at all
        {{0x02, 0x00, 0x03, 0x00, 7, 8, 9}, true, false, 2, 3, 8},
        // Ends inside the header: the old cells no longer fit the size and are gone.
        {{0x07, 0x00, 0x03}, false, false, 7, 2, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes.size());
        const std::string path = dir / "short.map";
        WriteBytes(path, c.bytes);
        CHexMap current(2, 1), old(2, 1);
        EXPECT_EQ(current.ReadMapFile(CString(path)), c.currentReads);
        EXPECT_EQ(old.ReadOldMapFile(CString(path)), c.oldReads);
        for (CHexMap* read : {&current, &old}) {
            EXPECT_EQ(read->GetMapHeight(), c.height);
            EXPECT_EQ(read->GetMapWidth(), c.width);
            EXPECT_EQ(read->GetData(1, 0), c.cell);
            EXPECT_EQ(read->GetData(0, 1), 0);
        }
        if (c.width == 0) {
            EXPECT_EQ(current.GetMap()->cells, nullptr);
        }
    }
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
