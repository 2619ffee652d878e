#include <qvdll/unit.h>
#include <qvplatform/archive.h>

#include <memory>
#include <string>

#include "test_support.h"

using qvtest::Bytes;

namespace {

Bytes Store(CUnit& unit) {
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        unit.Serialize(ar);
    }
    return file.Bytes();
}

// Loads `bytes` into `unit`; returns the archive exception's cause, or -1 when none.
int Load(CUnit& unit, const Bytes& bytes) {
    CMemFile file(bytes);
    CArchive ar(&file, CArchive::load);
    try {
        unit.Serialize(ar);
    } catch (const CArchiveException& e) {
        return e.m_cause;
    }
    return -1;
}

// A unit with every field away from its default.
CUnit Sample() {
    CUnit unit;
    unit.m_nId1 = 1;
    unit.m_nId2 = 2;
    unit.m_nState = 5;
    unit.m_nPosY = 4;
    unit.m_nPosX = 3;
    unit.m_strName = "tank";
    unit.m_strImage = "tank.bmp";
    unit.m_color = 0x00112233;
    unit.m_nParam1 = -1;
    unit.m_nParam2 = 100;
    unit.m_nParam3 = 2000000000;
    unit.m_nParam4 = -2000000000;
    unit.m_nParam5 = 7;
    unit.m_strParam = "free text";
    unit.SetChangeFlag(3);
    return unit;
}

void ExpectSameFields(const CUnit& a, const CUnit& b) {
    EXPECT_EQ(a.m_nId1, b.m_nId1);
    EXPECT_EQ(a.m_nId2, b.m_nId2);
    EXPECT_EQ(a.m_nState, b.m_nState);
    EXPECT_EQ(a.m_nPosY, b.m_nPosY);
    EXPECT_EQ(a.m_nPosX, b.m_nPosX);
    EXPECT_EQ(a.m_strName, b.m_strName);
    EXPECT_EQ(a.m_strImage, b.m_strImage);
    EXPECT_EQ(a.m_color, b.m_color);
    EXPECT_EQ(a.m_nParam1, b.m_nParam1);
    EXPECT_EQ(a.m_nParam2, b.m_nParam2);
    EXPECT_EQ(a.m_nParam3, b.m_nParam3);
    EXPECT_EQ(a.m_nParam4, b.m_nParam4);
    EXPECT_EQ(a.m_nParam5, b.m_nParam5);
    EXPECT_EQ(a.m_strParam, b.m_strParam);
}

// A host's unit whose equality ignores the identity altogether.
class CEveryUnitIsEqual : public CUnit {
public:
    BOOL operator==(const CUnit&) const override { return TRUE; }
};

}  // namespace

TEST(CUnit, EqualityComparesTheIdentityBytesOnly) {
    CUnit a = Sample(), b;
    b.m_nId1 = a.m_nId1;
    b.m_nId2 = a.m_nId2;
    EXPECT_TRUE(a == b);
    EXPECT_FALSE(a != b);
    b.m_nId2 = 9;
    EXPECT_FALSE(a == b);
    EXPECT_TRUE(a != b);
}

TEST(CUnit, InequalityGoesThroughTheVirtualEquality) {
    CEveryUnitIsEqual host;
    host.m_nId1 = 9;
    const CUnit& asUnit = host;
    EXPECT_TRUE(asUnit == CUnit());
    EXPECT_FALSE(asUnit != CUnit());
}

TEST(CUnit, CopiesTakeEveryFieldAndTheChangeFlagButNoPicture) {
    const CUnit source = Sample();
    CUnit copy(source);
    ExpectSameFields(copy, source);
    EXPECT_EQ(copy.GetChangeFlag(), 3);
    EXPECT_EQ(copy.GetUnitDC(), nullptr);
    EXPECT_EQ(copy.IsUnitGraphicLoad(), FALSE);

    CUnit target;
    target = source;
    ExpectSameFields(target, source);
    EXPECT_EQ(target.GetChangeFlag(), 3);
}

TEST(CUnit, DefaultUnitIsSixteenBytes) {
    CUnit unit;
    const Bytes golden = {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                          0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00};
    EXPECT_EQ(Store(unit), golden);
    CUnit loaded = Sample();
    EXPECT_EQ(Load(loaded, golden), -1);
    EXPECT_EQ(Store(loaded), golden);
}

TEST(CUnit, ArchiveFormRoundTripsFieldByFieldLittleEndian) {
    CUnit unit = Sample();
    unit.m_nPosX = 0x0304;
    unit.m_nPosY = 0x0506;
    unit.m_strName = "\x90\xED";  // code page 932 bytes travel as they are
    unit.m_strImage = "t.bmp";
    const Bytes golden = {0x01, 0x00, 0x02, 0x00, 0x04, 0x03, 0x06, 0x05, 0x05, 0x00, 0x02, 0x90,
                          0xED, 0x33, 0x22, 0x11, 0x00, 0x05, 't',  '.',  'b',  'm',  'p'};
    EXPECT_EQ(Store(unit), golden);
    CUnit loaded;
    EXPECT_EQ(Load(loaded, golden), -1);
    EXPECT_EQ(Store(loaded), golden);
}

TEST(CUnit, ExtractionKeepsTheLowByteOfByteFields) {
    CUnit unit;
    EXPECT_EQ(Load(unit, Bytes{0x34, 0x01, 0xFF, 0xFF, 0, 0, 0, 0, 0x07, 0x12, 0, 0, 0, 0, 0, 0}),
              -1);
    EXPECT_EQ(unit.m_nId1, 0x34);
    EXPECT_EQ(unit.m_nId2, 0xFF);
    EXPECT_EQ(unit.m_nState, 0x07);
    EXPECT_EQ(unit.m_color, 0u);
}

TEST(CUnit, ExtractionLeavesFieldsOutsideTheArchiveFormAlone) {
    CUnit unit = Sample();
    CUnit blank;
    EXPECT_EQ(Load(unit, Store(blank)), -1);
    EXPECT_EQ(unit.m_strImage, "");
    EXPECT_EQ(unit.m_nParam1, -1);
    EXPECT_EQ(unit.m_nParam2, 100);
    EXPECT_EQ(unit.m_nParam5, 7);
    EXPECT_EQ(unit.m_strParam, "free text");
    EXPECT_EQ(unit.GetChangeFlag(), 3);
}

TEST(CUnit, LongNameTakesTheThreeBytePrefix) {
    CUnit unit;
    unit.m_strName = CString('n', 300);
    const Bytes stored = Store(unit);
    ASSERT_EQ(stored.size(), 16u + 2 + 300);
    EXPECT_EQ(Bytes(stored.begin() + 10, stored.begin() + 14), (Bytes{0xFF, 0x2C, 0x01, 'n'}));
    CUnit loaded;
    EXPECT_EQ(Load(loaded, stored), -1);
    EXPECT_EQ(loaded.m_strName, unit.m_strName);
}

TEST(CUnit, TruncatedArchiveThrowsWithTheFieldsReadSoFarChanged) {
    CUnit unit = Sample();
    EXPECT_EQ(Load(unit, Bytes{0x07, 0x00, 0x08, 0x00, 0x09}), CArchiveException::endOfFile);
    EXPECT_EQ(unit.m_nId1, 7);
    EXPECT_EQ(unit.m_nId2, 8);
    EXPECT_EQ(unit.m_nPosX, 3);
    EXPECT_EQ(unit.m_strName, "tank");

    // The name is cut short: it keeps its old text, not a piece of the new one.
    EXPECT_EQ(Load(unit, Bytes{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x05, 'a', 'b'}),
              CArchiveException::endOfFile);
    EXPECT_EQ(unit.m_nState, 0);
    EXPECT_EQ(unit.m_strName, "tank");
}

TEST(CUnit, RuntimeClassCreatesADefaultUnit) {
    const CRuntimeClass* runtimeClass = RUNTIME_CLASS(CUnit);
    EXPECT_STREQ(runtimeClass->m_lpszClassName, "CUnit");
    EXPECT_EQ(runtimeClass->m_pBaseClass, RUNTIME_CLASS(CObject));
    std::unique_ptr<CObject> object(runtimeClass->CreateObject());
    auto* unit = DYNAMIC_DOWNCAST(CUnit, object.get());
    ASSERT_NE(unit, nullptr);
    EXPECT_EQ(unit->UnitDataToString(), CUnit().UnitDataToString());
}

TEST(CUnitText, DefaultUnitFullLineAndBack) {
    const CString line = CUnit().UnitDataToString();
    EXPECT_EQ(line, "0,0,0,0,0,16711680,0,\"\",\"\",0,0,0,0,\"\"");
    CUnit unit = Sample();
    unit.StringToUnitData(line);
    ExpectSameFields(unit, CUnit());
    EXPECT_EQ(unit.GetChangeFlag(), 3);  // never touched by the full form
}

TEST(CUnitText, FullLineRoundTripsEveryField) {
    CUnit unit = Sample();
    unit.m_color = 0xFF000000;  // written signed
    unit.m_strName = "\x90\xED\x8E\xD4, \x81\x40";
    unit.m_nParam5 = -2147483647 - 1;
    const CString line = unit.UnitDataToString();
    EXPECT_EQ(line,
              "1,2,3,4,5,-16777216,-1,\"\x90\xED\x8E\xD4, \x81\x40\",\"tank.bmp\",100,2000000000,"
              "-2000000000,-2147483648,\"free text\"");
    CUnit loaded;
    loaded.StringToUnitData(line);
    ExpectSameFields(loaded, unit);
}

TEST(CUnitText, FullLinesFillOnlyTheFourteenFieldsTheyReach) {
    CUnit unit = Sample();
    unit.StringToUnitData("9,8,7");
    EXPECT_EQ(unit.m_nPosX, 7);
    EXPECT_EQ(unit.m_nPosY, 4);
    EXPECT_EQ(unit.m_strName, "tank");
    unit.StringToUnitData("1,2,3,4,5,6,7,\"n\",\"i\",10,11,12,13,\"p\",15,\"x\"");
    EXPECT_EQ(unit.m_nParam5, 13);
    EXPECT_EQ(unit.m_strParam, "p");
    EXPECT_EQ(unit.GetChangeFlag(), 3);
}

TEST(CUnitText, NumbersAreCutToTheirFieldsWidth) {
    CUnit unit;
    unit.StringToUnitData("257,-1,65537,-1,300,abc");
    EXPECT_EQ(unit.m_nId1, 1);
    EXPECT_EQ(unit.m_nId2, 255);
    EXPECT_EQ(unit.m_nPosX, 1);
    EXPECT_EQ(unit.m_nPosY, 65535);
    EXPECT_EQ(unit.m_nState, 44);
    EXPECT_EQ(unit.m_color, 0u);
}

TEST(CUnitText, TextsSurviveCommasButLoseEdgeBlanksAndQuotes) {
    CUnit unit, loaded;
    unit.m_strName = "a,b";
    unit.m_strImage = "  padded  ";
    loaded.StringToUnitData(unit.UnitDataToString());
    EXPECT_EQ(loaded.m_strName, "a,b");
    EXPECT_EQ(loaded.m_strImage, "padded");

    // An inner quote inverts the quoting of the rest of the line: the name
    // swallows the fields after it.
    unit = CUnit();
    unit.m_strName = "a\"b";
    loaded = Sample();
    loaded.StringToUnitData(unit.UnitDataToString());
    EXPECT_EQ(loaded.m_strName, "ab,,0,0,0,0,");
    EXPECT_EQ(loaded.m_strImage, "tank.bmp");
}

TEST(CUnitText, TextEndsAtAZeroByte) {
    CUnit unit, loaded;
    unit.m_strName = CString(std::string("ab\0cd", 5));
    const CString line = unit.UnitDataToString();
    EXPECT_EQ(line.view().find('\0'), std::string_view::npos);
    loaded.StringToUnitData(line);
    EXPECT_EQ(loaded.m_strName, "ab");
    EXPECT_EQ(loaded.m_color, CUnit::kDefaultColor);

    // A zero byte ends a line being read.
    loaded.StringToUnitData(
        CString(std::string("7,\0"
                            "8",
                            4)));
    EXPECT_EQ(loaded.m_nId1, 7);
    EXPECT_EQ(loaded.m_nId2, 0);
}

TEST(CUnitText, LongLinesAreCutAtACharacterBoundary) {
    CUnit unit;
    // "0,0,0,0,0,16711680,0,\"" is 22 bytes; the name's double-byte characters
    // then start at even offsets, so one straddles the 1,023-byte limit.
    std::string name;
    while (name.size() < 2000) name += "\x88\x9F";
    unit.m_strName = name;
    const CString line = unit.UnitDataToString();
    ASSERT_EQ(line.GetLength(), 1022);
    EXPECT_EQ(line.view().substr(1020), "\x88\x9F");

    unit.m_strName = "x" + name;  // now one ends exactly at the limit
    EXPECT_EQ(unit.UnitDataToString().GetLength(), CUnit::kMaxLineLength);

    CUnit loaded = Sample();
    loaded.StringToUnitData(line);
    EXPECT_EQ(loaded.m_strName.GetLength(), 1000);
    EXPECT_EQ(loaded.m_strImage, "tank.bmp");  // cut off: not reached
}

TEST(CUnitText, MoveLinesFollowTheChangeFlag) {
    CUnit unit = Sample();
    const char* expected[] = {"1,2,0,3,4,5",        "1,2,1,3,4",        "1,2,2,5",
                              "1,2,3,100",          "1,2,4,2000000000", "1,2,5,-2000000000",
                              "1,2,6,\"free text\""};
    for (int flag = 0; flag <= 6; ++flag) {
        unit.SetChangeFlag(flag);
        EXPECT_EQ(unit.UnitMoveDataToString(), expected[flag]) << "flag " << flag;
    }
    for (int flag : {-1, 7, 9}) {
        unit.SetChangeFlag(flag);
        EXPECT_EQ(unit.UnitMoveDataToString(), "") << "flag " << flag;
    }
}

TEST(CUnitText, MoveLinesSetOnlyTheirFields) {
    CUnit unit = Sample();
    unit.StringToUnitMoveData("10,20,1,30,40,50");
    EXPECT_EQ(unit.m_nId1, 10);
    EXPECT_EQ(unit.m_nId2, 20);
    EXPECT_EQ(unit.GetChangeFlag(), 1);
    EXPECT_EQ(unit.m_nPosX, 30);
    EXPECT_EQ(unit.m_nPosY, 40);
    EXPECT_EQ(unit.m_nState, 5);

    unit.StringToUnitMoveData("1,2,2,7");
    EXPECT_EQ(unit.GetChangeFlag(), 2);
    EXPECT_EQ(unit.m_nState, 7);
    EXPECT_EQ(unit.m_nPosX, 30);

    unit.StringToUnitMoveData("1,2,0,3,4,300,99");
    EXPECT_EQ(unit.m_nPosX, 3);
    EXPECT_EQ(unit.m_nPosY, 4);
    EXPECT_EQ(unit.m_nState, 44);

    unit.StringToUnitMoveData("1,2,6,\" a,b \"");
    EXPECT_EQ(unit.m_strParam, "a,b");
    unit.StringToUnitMoveData("1,2,5,-8");
    EXPECT_EQ(unit.m_nParam4, -8);
    EXPECT_EQ(unit.m_nParam2, 100);
}

TEST(CUnitText, UnknownChangeFlagIsStoredAndSelectsNothing) {
    CUnit unit = Sample();
    unit.StringToUnitMoveData("1,2,9,77,88,99");
    EXPECT_EQ(unit.GetChangeFlag(), 9);
    ExpectSameFields(unit, Sample());
    EXPECT_EQ(unit.UnitMoveDataToString(), "");
}
