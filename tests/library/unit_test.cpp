#include <qvdll/unit.h>
#include <qvplatform/archive.h>

#include <string>
#include <utility>

#include "platform/test_support.h"

using qvtest::Bytes;
using qvtest::LoadObject;
using qvtest::StoreObject;

namespace {

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

// The sample's full line with its first seven fields `head`, its texts, then `rest`.
std::string SampleLine(const std::string& head,
                       const std::string& rest = "100,2000000000,-2000000000,7,\"free text\"") {
    return head + ",\"tank\",\"tank.bmp\"," + rest;
}

// The full text line holds every field but the change flag.
void ExpectSameFields(const CUnit& a, const CUnit& b) {
    EXPECT_EQ(a.UnitDataToString(), b.UnitDataToString());
}

// A host's unit whose equality ignores the identity altogether.
class CEveryUnitIsEqual : public CUnit {
public:
    BOOL operator==(const CUnit&) const override { return TRUE; }
};

}  // namespace

// Equality itself is checked through the list's look-up.
TEST(CUnit, InequalityAsksTheVirtualEquality) {
    CUnit a, b;
    b.m_nId2 = 9;
    EXPECT_TRUE(a != b);
    CEveryUnitIsEqual host;
    host.m_nId1 = 9;
    EXPECT_FALSE(static_cast<const CUnit&>(host) != CUnit());
}

TEST(CUnit, CopiesTakeEveryFieldAndTheChangeFlagButNoPicture) {
    const CUnit source = Sample();
    CUnit copy(source), target;
    target = source;
    for (CUnit* unit : {&copy, &target}) {
        ExpectSameFields(*unit, source);
        EXPECT_EQ(unit->GetChangeFlag(), 3);
        EXPECT_EQ(unit->GetUnitDC(), nullptr);
        EXPECT_EQ(unit->IsUnitGraphicLoad(), FALSE);
    }
}

TEST(CUnit, ArchiveFormIsFieldByFieldLittleEndian) {
    CUnit wide = Sample();
    wide.m_nPosX = 0x0304;
    wide.m_nPosY = 0x0506;
    wide.m_strName = "\x90\xED";  // code page 932 bytes travel as they are
    wide.m_strImage = "t.bmp";
    const std::pair<CUnit, Bytes> cases[] = {
        {CUnit(), {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0, 0}},
        {wide, {0x01, 0x00, 0x02, 0x00, 0x04, 0x03, 0x06, 0x05, 0x05, 0x00, 0x02, 0x90,
                0xED, 0x33, 0x22, 0x11, 0x00, 0x05, 't',  '.',  'b',  'm',  'p'}},
    };
    for (auto [unit, golden] : cases) {
        SCOPED_TRACE(golden.size());
        EXPECT_EQ(StoreObject(unit), golden);
        CUnit loaded = Sample();
        EXPECT_EQ(LoadObject(loaded, golden), -1);
        EXPECT_EQ(StoreObject(loaded), golden);
    }
}

// Fields outside the archive form and the change flag stay; a short archive leaves the
// fields it did not reach, and a name cut short keeps its old text.
TEST(CUnit, ExtractionKeepsLowBytesAndThrowsWithTheFieldsReadSoFarChanged) {
    const struct {
        Bytes bytes;
        int result;
        std::string line;
    } cases[] = {
        {{0x34, 0x01, 0xFF, 0xFF, 0, 0, 0, 0, 0x07, 0x12, 0, 0, 0, 0, 0, 0}, -1,
         "52,255,0,0,7,0,-1,\"\",\"\",100,2000000000,-2000000000,7,\"free text\""},
        {{0x07, 0x00, 0x08, 0x00, 0x09}, CArchiveException::endOfFile,
         SampleLine("7,8,3,4,5,1122867,-1")},
        {{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x05, 'a', 'b'}, CArchiveException::endOfFile,
         SampleLine("0,0,0,0,0,1122867,-1")},
    };
    for (const auto& c : cases) {
        CUnit unit = Sample();
        EXPECT_EQ(LoadObject(unit, c.bytes), c.result) << c.line;
        EXPECT_EQ(unit.UnitDataToString(), c.line);
        EXPECT_EQ(unit.GetChangeFlag(), 3);
    }
}

TEST(CUnitText, FullLineRoundTripsEveryField) {
    CUnit wide = Sample();
    wide.m_color = 0xFF000000;  // written signed
    wide.m_strName = "\x90\xED\x8E\xD4, \x81\x40";
    wide.m_nParam5 = -2147483647 - 1;
    const std::pair<CUnit, const char*> cases[] = {
        {CUnit(), "0,0,0,0,0,16711680,0,\"\",\"\",0,0,0,0,\"\""},
        {wide, "1,2,3,4,5,-16777216,-1,\"\x90\xED\x8E\xD4, \x81\x40\",\"tank.bmp\",100,2000000000,"
               "-2000000000,-2147483648,\"free text\""},
    };
    for (const auto& [unit, line] : cases) {
        EXPECT_EQ(unit.UnitDataToString(), line);
        CUnit loaded = Sample();
        loaded.StringToUnitData(line);
        ExpectSameFields(loaded, unit);
        EXPECT_EQ(loaded.GetChangeFlag(), 3);  // never touched by the full form
    }
}

TEST(CUnitText, FullLinesFillOnlyTheFourteenFieldsTheyReach) {
    CUnit unit = Sample();
    unit.StringToUnitData("9,8,7");
    EXPECT_EQ(unit.UnitDataToString(), SampleLine("9,8,7,4,5,1122867,-1"));
    unit.StringToUnitData("1,2,3,4,5,6,7,\"n\",\"i\",10,11,12,13,\"p\",15,\"x\"");
    EXPECT_EQ(unit.UnitDataToString(), "1,2,3,4,5,6,7,\"n\",\"i\",10,11,12,13,\"p\"");
    EXPECT_EQ(unit.GetChangeFlag(), 3);
}

TEST(CUnitText, NumbersAreCutToTheirFieldsWidth) {
    CUnit unit;
    unit.StringToUnitData("257,-1,65537,-1,300,abc");
    EXPECT_EQ(unit.UnitDataToString(), "1,255,1,65535,44,0,0,\"\",\"\",0,0,0,0,\"\"");
}

TEST(CUnitText, TextsSurviveCommasButLoseEdgeBlanksAndEndAtAZeroByte) {
    CUnit unit, loaded;
    unit.m_strName = "a,b";
    unit.m_strImage = "  padded  ";
    loaded.StringToUnitData(unit.UnitDataToString());
    EXPECT_EQ(loaded.m_strName, "a,b");
    EXPECT_EQ(loaded.m_strImage, "padded");

    // A zero byte ends a text being written.
    unit.m_strName = CString(std::string("ab\0cd", 5));
    const CString line = unit.UnitDataToString();
    EXPECT_EQ(line.view().find('\0'), std::string_view::npos);
    loaded.StringToUnitData(line);
    EXPECT_EQ(loaded.m_strName, "ab");
    EXPECT_EQ(loaded.m_color, CUnit::kDefaultColor);

    // A zero byte ends a line being read.
    loaded.StringToUnitData(CString(std::string("7,\0008", 4)));
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

TEST(CUnitText, MoveLinesSetOnlyTheirFieldsAndStoreAnyChangeFlag) {
    // Applied one after the other to the sample unit.
    const std::string kMoved = "1,2,3,4,44,1122867,-1";
    const struct {
        const char* move;
        int flag;
        std::string fields;
    } cases[] = {
        {"10,20,1,30,40,50", 1, SampleLine("10,20,30,40,5,1122867,-1")},
        {"1,2,2,7", 2, SampleLine("1,2,30,40,7,1122867,-1")},
        {"1,2,0,3,4,300,99", 0, SampleLine(kMoved)},
        {"1,2,6,\" a,b \"", 6, SampleLine(kMoved, "100,2000000000,-2000000000,7,\"a,b\"")},
        {"1,2,5,-8", 5, SampleLine(kMoved, "100,2000000000,-8,7,\"a,b\"")},
        {"1,2,9,77,88,99", 9, SampleLine(kMoved, "100,2000000000,-8,7,\"a,b\"")},
    };
    CUnit unit = Sample();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.move);
        unit.StringToUnitMoveData(c.move);
        EXPECT_EQ(unit.GetChangeFlag(), c.flag);
        EXPECT_EQ(unit.UnitDataToString(), c.fields);
    }
}
