#include <qvdll/hexmap.h>
#include <qvplatform/archive.h>

#include "platform/test_support.h"

using qvtest::Bytes;
using qvtest::LoadObject;

TEST(CHexMap, SizingFillsWithFourRowByRowAndBoundsChecks) {
    CHexMap map;
    map.SetMapSize(3, 2);
    const tagHexMapStruct* raw = map.GetMap();
    EXPECT_EQ(raw->width, 3);
    EXPECT_EQ(raw->height, 2);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(raw->cells[i], 4);
    EXPECT_EQ(map.GetData(2, 1), 4);
    EXPECT_EQ(map.GetData(3, 0), 0);
    EXPECT_EQ(map.SetData(0, 2, 7), FALSE);
    EXPECT_EQ(map.SetData(3, 0, 7), FALSE);
    EXPECT_EQ(map.GetWidth(), 130);
    EXPECT_EQ(map.GetHeight(), 100);
    // Cells lie row by row, and writes through the record reach the map.
    EXPECT_EQ(map.SetData(1, 1, 9), TRUE);
    EXPECT_EQ(map.GetMap()->cells[4], 9);
    map.GetMap()->cells[2] = 77;
    EXPECT_EQ(map.GetData(2, 0), 77);
}

TEST(CHexMap, RecordConstructorCopiesTheCells) {
    BYTE cells[] = {1, 2, 3, 4, 5, 6};
    tagHexMapStruct record{2, 3, cells};
    CHexMap map(&record);
    cells[0] = 99;
    EXPECT_EQ(map.GetData(0, 0), 1);
    EXPECT_EQ(map.GetData(2, 1), 6);
    EXPECT_NE(map.GetMap()->cells, cells);
}

TEST(CHexMap, AssignmentCopiesAndSelfAssignmentKeepsTheMap) {
    CHexMap source(3, 2), target(5, 5);
    source.SetData(2, 1, 8);
    target = source;
    EXPECT_EQ(target.GetMapWidth(), 3);
    EXPECT_EQ(target.GetData(2, 1), 8);
    EXPECT_NE(target.GetMap()->cells, source.GetMap()->cells);

    CHexMap& alias = source;
    source = alias;
    EXPECT_EQ(source.GetMapWidth(), 3);
    EXPECT_EQ(source.GetData(2, 1), 8);
}

TEST(CHexMap, HugeDeclaredSizeCostsOnlyTheBytesPresent) {
    // 65535 x 65535 promised, four cells delivered: sized without touching 4 GiB.
    CHexMap map;
    EXPECT_EQ(LoadObject(map, Bytes{0xFF, 0xFF, 0xFF, 0xFF, 1, 2, 3, 4}), -1);
    EXPECT_EQ(map.GetMapWidth(), 65535);
    EXPECT_EQ(map.GetData(3, 0), 4);
    EXPECT_EQ(map.GetData(65534, 65534), 0);
    EXPECT_EQ(map.GetWidth(), 65535 * 40 + 10);
}

namespace {

// A host's map that overrides some virtual operations.
class CCountingMap : public CHexMap {
public:
    BYTE lastFill = 0;
    int fills = 0;
    int serializations = 0;
    void InitializeMaps(BYTE value) override {
        ++fills;
        lastFill = value;
        CHexMap::InitializeMaps(value);
    }
    WORD GetMapWidth() const override { return 100; }
    void Serialize(CArchive& ar) override {
        ++serializations;
        CHexMap::Serialize(ar);
    }
};

}  // namespace

TEST(CHexMap, CallsGoThroughVirtualSlots) {
    CCountingMap map;
    map.SetMapSize(2, 2);
    EXPECT_EQ(map.fills, 1);
    EXPECT_EQ(map.lastFill, 4);
    EXPECT_EQ(map.GetWidth(), 100 * 40 + 10);  // GetWidth asks the override

    CHexMap other(1, 1);
    static_cast<CHexMap&>(map) = other;  // assignment copies without refilling
    EXPECT_EQ(map.fills, 1);

    qvtest::TempDir dir;
    EXPECT_TRUE(map.WriteMapFile(CString(dir / "m.qvm")));
    EXPECT_TRUE(map.ReadMapFile(CString(dir / "m.qvm")));
    EXPECT_EQ(map.serializations, 2);
}

TEST(CHexMap, HasAVersionableSchema) {
    const CRuntimeClass* pClass = RUNTIME_CLASS(CHexMap);
    EXPECT_STREQ(pClass->m_lpszClassName, "CHexMap");
    EXPECT_EQ(pClass->m_wSchema, 1u | VERSIONABLE_SCHEMA);
}
