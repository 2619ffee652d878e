#include <qvdll/unitlist.h>
#include <qvplatform/archive.h>

#include <memory>
#include <vector>

#include "test_support.h"

using qvtest::Bytes;

namespace {

Bytes Store(CUnitList& list) {
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        list.Serialize(ar);
    }
    return file.Bytes();
}

// Loads `bytes` into `list`; returns the archive exception's cause, or -1 when none.
int Load(CUnitList& list, const Bytes& bytes) {
    CMemFile file(bytes);
    CArchive ar(&file, CArchive::load);
    try {
        list.Serialize(ar);
    } catch (const CArchiveException& e) {
        return e.m_cause;
    }
    return -1;
}

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

TEST(CUnitList, EmptyListIsFourZeroBytes) {
    CUnitList list;
    EXPECT_EQ(Store(list), (Bytes{0, 0, 0, 0}));
    CUnitList loaded;
    loaded.AddTail(Unit(1, 1));
    EXPECT_EQ(Load(loaded, Bytes{0, 0, 0, 0}), -1);
    EXPECT_EQ(loaded.GetCount(), 0);
}

TEST(CUnitList, ArchiveFormIsAPlainCountThenTheUnits) {
    CUnitList list;
    list.AddTail(Unit(1, 2, "a"));
    CUnit second = Unit(3, 4, "bc");
    second.m_color = 0x00112233;
    list.AddTail(second);
    EXPECT_EQ(Store(list), kTwoUnits);
}

TEST(CUnitList, LoadingReplacesTheContentsWithCopiesInOrder) {
    CUnitList list;
    list.AddTail(Unit(9, 9, "old"));
    EXPECT_EQ(Load(list, kTwoUnits), -1);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"a", "bc"}));
    EXPECT_EQ(list.GetTail().m_color, 0x00112233u);
    EXPECT_EQ(Store(list), kTwoUnits);
}

TEST(CUnitList, RoundTripResetsFieldsOutsideTheArchiveForm) {
    CUnitList list;
    for (int i = 0; i < 25; ++i) {
        CUnit unit = Unit(static_cast<BYTE>(i), 1, "u");
        unit.m_nParam2 = 5;
        unit.m_strParam = "p";
        unit.SetChangeFlag(6);
        list.AddTail(unit);
    }
    CUnitList loaded;
    EXPECT_EQ(Load(loaded, Store(list)), -1);
    ASSERT_EQ(loaded.GetCount(), 25);
    int i = 0;
    for (POSITION pos = loaded.GetHeadPosition(); pos; ++i) {
        const CUnit& unit = loaded.GetNext(pos);
        EXPECT_EQ(unit.m_nId1, i);
        EXPECT_EQ(unit.m_nParam2, 0);
        EXPECT_EQ(unit.m_strParam, "");
        EXPECT_EQ(unit.GetChangeFlag(), 0);
    }
}

TEST(CUnitList, CountBeyondTheArchiveKeepsTheUnitsThatWereThere) {
    // 0xFFFFFFFF promised, two delivered: nothing is sized by the count.
    Bytes bytes = kTwoUnits;
    bytes[0] = bytes[1] = bytes[2] = bytes[3] = 0xFF;
    CUnitList list;
    EXPECT_EQ(Load(list, bytes), CArchiveException::endOfFile);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"a", "bc"}));

    // A unit cut short is not appended.
    bytes.pop_back();
    bytes[0] = 2;
    bytes[1] = bytes[2] = bytes[3] = 0;
    EXPECT_EQ(Load(list, bytes), CArchiveException::endOfFile);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"a"}));

    EXPECT_EQ(Load(list, Bytes{0x01, 0x00}), CArchiveException::endOfFile);
    EXPECT_EQ(list.GetCount(), 0);
}

TEST(CUnitList, MalformedUnitThrowsWithTheUnitsBeforeItKept) {
    // The second unit's name has the length marker of a wide string, which
    // unit archives never carry (found by fuzzing).
    Bytes bytes(kTwoUnits.begin(), kTwoUnits.begin() + 21);
    bytes.insert(bytes.end(), {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFE, 0xFF, 'x'});
    CUnitList list;
    EXPECT_EQ(Load(list, bytes), CArchiveException::genericException);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"a"}));
}

TEST(CUnitList, LookupFindsTheFirstUnitWithTheIdentity) {
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
}

TEST(CUnitList, LookupAsksTheListsUnitNotTheKey) {
    CUnitList list;
    list.AddTail(Unit(1, 1));
    CEveryUnitIsEqual key;
    EXPECT_EQ(list[key], nullptr);
    CUnitList empty;
    EXPECT_EQ(empty[key], nullptr);
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

TEST(CUnitList, RuntimeClassCreatesAnEmptyList) {
    const CRuntimeClass* runtimeClass = RUNTIME_CLASS(CUnitList);
    EXPECT_STREQ(runtimeClass->m_lpszClassName, "CUnitList");
    EXPECT_EQ(runtimeClass->m_pBaseClass, RUNTIME_CLASS(CObject));
    std::unique_ptr<CObject> object(runtimeClass->CreateObject());
    auto* list = DYNAMIC_DOWNCAST(CUnitList, object.get());
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->GetCount(), 0);
}
