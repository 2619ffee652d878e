#include <qvdll/unitlist.h>
#include <qvplatform/archive.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/test_support.h"

using qvtest::Bytes;
using qvtest::LoadObject;
using qvtest::StoreObject;

namespace {

CUnit Unit(BYTE id1, BYTE id2, const char* name = "") {
    CUnit unit;
    unit.m_nId1 = id1;
    unit.m_nId2 = id2;
    unit.m_strName = name;
    return unit;
}

// The names of the list's units, head to tail.
std::vector<std::string> Names(const CUnitList& list) {
    std::vector<std::string> names;
    for (POSITION pos = list.GetHeadPosition(); pos;)
        names.push_back(list.GetNext(pos).m_strName.str());
    return names;
}

// A key that claims to equal every unit: look-up must ask the list's unit.
class CEveryUnitIsEqual : public CUnit {
public:
    BOOL operator==(const CUnit&) const override { return TRUE; }
};

// Two units: (1,2,"a") and (3,4,"bc") with colour 0x00112233.
const Bytes kTwoUnits = {0x02, 0x00, 0x00, 0x00,                                      //
                         0x01, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  //
                         0x01, 'a',  0x00, 0x00, 0xFF, 0x00, 0x00,                    //
                         0x03, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  //
                         0x02, 'b',  'c',  0x33, 0x22, 0x11, 0x00, 0x00};

}  // namespace

TEST(CUnitList, ArchiveFormIsAPlainCountThenTheUnitsAndLoadingReplacesTheContents) {
    CUnitList empty, two;
    two.AddTail(Unit(1, 2, "a"));
    two.AddTail(Unit(3, 4, "bc"));
    two.GetTail().m_color = 0x00112233;
    const std::pair<CUnitList*, Bytes> cases[] = {{&empty, {0, 0, 0, 0}}, {&two, kTwoUnits}};
    for (auto [list, golden] : cases) {
        EXPECT_EQ(StoreObject(*list), golden);
        CUnitList loaded;
        loaded.AddTail(Unit(9, 9, "old"));
        EXPECT_EQ(LoadObject(loaded, golden), -1);
        EXPECT_EQ(Names(loaded), Names(*list));
        EXPECT_EQ(StoreObject(loaded), golden);
    }
}

// Loading replaces the list's units, so a failed load keeps only the units read before it.
TEST(CUnitList, HostileArchivesThrowKeepingTheUnitsReadBefore) {
    Bytes huge = kTwoUnits, cut(kTwoUnits.begin(), kTwoUnits.end() - 1);
    huge[0] = huge[1] = huge[2] = huge[3] = 0xFF;  // nothing may be sized by the count
    // The second unit's name has the length marker of a wide string, which unit archives
    // never carry (found by fuzzing).
    Bytes wide(kTwoUnits.begin(), kTwoUnits.begin() + 21);
    wide.insert(wide.end(), {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFE, 0xFF, 'x'});
    const struct {
        Bytes bytes;
        int cause;
        std::vector<std::string> names;
    } cases[] = {{huge, CArchiveException::endOfFile, {"a", "bc"}},
                 {cut, CArchiveException::endOfFile, {"a"}},  // a unit cut short is not added
                 {{0x01, 0x00}, CArchiveException::endOfFile, {}},
                 {wide, CArchiveException::genericException, {"a"}}};
    for (const auto& c : cases) {
        CUnitList list;
        list.AddTail(Unit(9, 9, "old"));
        EXPECT_EQ(LoadObject(list, c.bytes), c.cause) << c.bytes.size();
        EXPECT_EQ(Names(list), c.names) << c.bytes.size();
    }
}

TEST(CUnitList, LookupFindsTheFirstUnitWithTheIdentityAskingTheListsUnit) {
    CUnitList list;
    list.AddTail(Unit(1, 1, "first"));
    list.AddTail(Unit(1, 2, "near"));
    list.AddTail(Unit(1, 2, "far"));
    CUnit* found = list[Unit(1, 2)];
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->m_strName, "near");
    found->m_nState = 7;  // the list's own unit, not a copy
    EXPECT_EQ(list[Unit(1, 2)]->m_nState, 7);
    EXPECT_EQ(list[Unit(2, 1)], nullptr);
    CEveryUnitIsEqual key;
    EXPECT_EQ(list[key], nullptr);
    EXPECT_EQ(CUnitList()[key], nullptr);
}

TEST(CUnitList, AssignmentAndCopyTakeCopiesOfTheUnits) {
    CUnitList source;
    source.AddTail(Unit(1, 1, "a"));
    source.AddTail(Unit(2, 2, "b"));
    CUnitList target;
    target.AddTail(Unit(9, 9, "gone"));
    target = source;
    EXPECT_EQ(Names(target), (std::vector<std::string>{"a", "b"}));
    target.GetHead().m_strName = "changed";
    EXPECT_EQ(Names(source), (std::vector<std::string>{"a", "b"}));

    const CUnitList copy(source);
    EXPECT_EQ(Names(copy), (std::vector<std::string>{"a", "b"}));

    CUnitList& alias = source;
    source = alias;
    EXPECT_EQ(Names(source), (std::vector<std::string>{"a", "b"}));
}
