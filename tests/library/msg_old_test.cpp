// CMsg in the old format: what each kind is written as, what each old record
// reads back as, and the refresh text.
#include <qvdll/msg.h>
#include <qvdll/unit.h>
#include <qvdll/unitlist.h>

#include <string>
#include <vector>

#include "msg_test_support.h"

using qvtest::Bytes;
using qvtest::Concat;
using qvtest::kDefaultUnit;
using qvtest::kNoUnits;
using qvtest::LoadObject;
using qvtest::StoreObject;

namespace {

CMsg& Fill(CMsg& msg, WORD kind, const char* text = "") {
    msg.m_wKind = kind;
    msg.m_strMsg = text;
    return msg;
}

std::vector<std::string> Entries(const CStringList* list) {
    std::vector<std::string> entries;
    for (POSITION pos = list ? list->GetHeadPosition() : nullptr; pos;)
        entries.push_back(list->GetNext(pos).str());
    return entries;
}

// The old refresh head: tag 0, kind 5, an empty text.
const Bytes kRefreshHead = {0, 0, 5, 0, 0, 0, 0};

// The unit of the line 1,2,30,40,5,... in the unit archive form: ids, x, y,
// state, name "A", colour 0x123456, image "a.bmp".
const char kUnitLine[] = "1,2,30,40,5,1193046,0,\"A\",\"a.bmp\",0,0,0,0,\"\"";
const Bytes kLineUnit = {1,   0,    2,    0,    30,   0, 40,  0,   5,   0,   1,
                         'A', 0x56, 0x34, 0x12, 0x00, 5, 'a', '.', 'b', 'm', 'p'};

}  // namespace

TEST(CMsgOld, TextKindsGoAsOldKindsZeroAndOne) {
    CMsg msg;
    EXPECT_EQ(StoreObject(Fill(msg, 103, "abc")), (Bytes{0, 0, 1, 0, 0, 0, 3, 'a', 'b', 'c'}));
    EXPECT_EQ(StoreObject(Fill(msg, 102, "not sent")), (Bytes{0, 0, 0, 0, 0, 0, 0}));

    CMsg loaded;
    ASSERT_EQ(LoadObject(loaded, Bytes{0, 0, 0, 0, 0, 0, 2, 'h', 'i'}), -1);
    EXPECT_EQ(loaded.m_wKind, 102);
    EXPECT_EQ(loaded.m_strMsg, CString("hi"));
    ASSERT_EQ(LoadObject(loaded, Bytes{0, 0, 1, 0, 0, 0, 3, 'a', 'b', 'c'}), -1);
    EXPECT_EQ(loaded.m_wKind, 103);
    EXPECT_EQ(loaded.m_strMsg, CString("abc"));
}

TEST(CMsgOld, UnitLinesGoAsUnitObjects) {
    const std::pair<WORD, BYTE> kinds[] = {{104, 2}, {105, 3}, {107, 15}};
    for (auto [kind, oldKind] : kinds) {
        CMsg msg;
        EXPECT_EQ(StoreObject(Fill(msg, kind, kUnitLine)),
                  Concat({{0, 0, oldKind, 0, 0, 0, 0}, kLineUnit, kNoUnits}))
            << kind;
    }
}

TEST(CMsgOld, OldUnitRecordsKeepTheirKindWithFreshObjects) {
    CMsg loaded;
    loaded.m_strMsg = "kept";
    loaded.m_pUnit = new CUnit;  // replaced, not leaked
    const Bytes record = Concat({{0, 0, 2, 0, 0, 0, 1, 'x'}, kLineUnit, {1, 0, 0, 0}, kLineUnit});
    ASSERT_EQ(LoadObject(loaded, record), -1);
    EXPECT_EQ(loaded.m_wKind, 2);
    EXPECT_EQ(loaded.m_strMsg, CString("kept"));
    ASSERT_NE(loaded.m_pUnit, nullptr);
    EXPECT_EQ(loaded.m_pUnit->m_nPosY, 40);
    EXPECT_EQ(loaded.m_pUnit->m_strImage, CString("a.bmp"));
    ASSERT_NE(loaded.m_pUnitList, nullptr);
    EXPECT_EQ(loaded.m_pUnitList->GetCount(), 1);
    EXPECT_EQ(loaded.m_pClientList, nullptr);

    // Written back, a kept kind gives the same record (its text aside).
    EXPECT_EQ(StoreObject(loaded),
              Concat({{0, 0, 2, 0, 0, 0, 0}, kLineUnit, {1, 0, 0, 0}, kLineUnit}));
    CMsg bare;
    EXPECT_EQ(StoreObject(Fill(bare, 15)),
              Concat({{0, 0, 15, 0, 0, 0, 0}, kDefaultUnit, kNoUnits}));
}

TEST(CMsgOld, MoveGoesAsFiveWordsAndComesBackAsMoveText) {
    CMsg msg;
    EXPECT_EQ(StoreObject(Fill(msg, 106, "1,2,0,30,40,5")),
              (Bytes{0, 0, 4, 0, 0, 0, 0, 1, 0, 2, 0, 30, 0, 40, 0, 5, 0}));
    // A move that sets only the state leaves the place at 0.
    EXPECT_EQ(StoreObject(Fill(msg, 106, "9,8,2,7")),
              (Bytes{0, 0, 4, 0, 0, 0, 0, 9, 0, 8, 0, 0, 0, 0, 0, 7, 0}));

    CMsg loaded;
    ASSERT_EQ(LoadObject(loaded, Bytes{0, 0, 4, 0, 0, 0, 0, 1, 0, 2, 0, 30, 0, 40, 0, 5, 0}), -1);
    EXPECT_EQ(loaded.m_wKind, 106);
    EXPECT_EQ(loaded.m_strMsg, CString("1,2,0,30,40,5"));
    // Words for the byte fields keep their low 8 bits.
    ASSERT_EQ(LoadObject(loaded, Bytes{0, 0, 4, 0, 0, 0, 0, 1, 1, 2, 0, 0, 1, 0, 0, 0x2C, 1}), -1);
    EXPECT_EQ(loaded.m_strMsg, CString("1,2,0,256,0,44"));
}

TEST(CMsgOld, MapBlockGoesInTheMapArchiveFormAndBack) {
    CMsg msg;
    msg.m_wKind = 111;
    const BYTE block[] = {3, 0, 2, 0, 10, 11, 12, 13, 14, 15};
    msg.m_pData.Reset(new BYTE[sizeof block]);
    std::copy(block, block + sizeof block, msg.m_pData.Get());
    msg.m_dwDataSize = sizeof block;
    const Bytes record = {0, 0, 6, 0, 0, 0, 0, 2, 0, 3, 0, 10, 11, 12, 13, 14, 15};
    EXPECT_EQ(StoreObject(msg), record);

    CMsg loaded;
    ASSERT_EQ(LoadObject(loaded, record), -1);
    EXPECT_EQ(loaded.m_wKind, 111);
    ASSERT_EQ(loaded.m_dwDataSize, sizeof block);
    EXPECT_EQ(Bytes(loaded.m_pData.Get(), loaded.m_pData.Get() + sizeof block),
              Bytes(block, block + sizeof block));
    // A map whose cells stop early is a failure, not a map with holes.
    EXPECT_EQ(LoadObject(loaded, Bytes(record.begin(), record.end() - 1)),
              CArchiveException::endOfFile);
}

// Their text is not sent: an empty refresh (as the text "%" gives below).
TEST(CMsgOld, EmptyRefreshKindsSendNoText) {
    const Bytes empty = Concat({kRefreshHead, {0, 0}, kDefaultUnit, kNoUnits});
    for (WORD kind : {101, 110}) {
        CMsg msg;
        EXPECT_EQ(StoreObject(Fill(msg, kind, "not sent")), empty) << kind;
    }
}

TEST(CMsgOld, RefreshTextSplitsIntoClientsAndUnits) {
    const Bytes oneUnit = Concat({{1, 0, 0, 0}, kLineUnit});
    struct Case {
        std::string text;
        Bytes body;
    };
    const Case cases[] = {
        {"alice\nbob",
         Concat({{2, 0, 5, 'a', 'l', 'i', 'c', 'e', 3, 'b', 'o', 'b'}, kDefaultUnit, kNoUnits})},
        {"%", Concat({{0, 0}, kDefaultUnit, kNoUnits})},
        {"al%" + std::string(kUnitLine) + "%ignored\nthird",
         Concat({{1, 0, 2, 'a', 'l'}, kDefaultUnit, oneUnit})},
        {"alice\r\nbob\r\n%" + std::string(kUnitLine) + "\r\n",
         Concat({{2, 0, 5, 'a', 'l', 'i', 'c', 'e', 3, 'b', 'o', 'b'}, kDefaultUnit, oneUnit})},
        // Two line feeds in a row give an empty entry; quotes protect nothing.
        {"a\n\n\"b\nc\"",
         Concat({{4, 0, 1, 'a', 0, 2, '"', 'b', 2, 'c', '"'}, kDefaultUnit, kNoUnits})},
    };
    for (const Case& c : cases) {
        CMsg msg;
        EXPECT_EQ(StoreObject(Fill(msg, 5, c.text.c_str())), Concat({kRefreshHead, c.body}))
            << c.text;
    }
}

TEST(CMsgOld, RefreshRecordFillsClientsUnitAndUnits) {
    CMsg msg;
    const Bytes record =
        StoreObject(Fill(msg, 5, (std::string("alice\nbob%") + kUnitLine).c_str()));
    CMsg loaded;
    loaded.m_strMsg = "kept";
    loaded.m_pClientList = new CStringList;
    loaded.m_pClientList->AddTail(CString("old"));
    ASSERT_EQ(LoadObject(loaded, record), -1);
    EXPECT_EQ(loaded.m_wKind, 5);
    EXPECT_EQ(loaded.m_strMsg, CString("kept"));
    EXPECT_EQ(Entries(loaded.m_pClientList), (std::vector<std::string>{"alice", "bob"}));
    ASSERT_NE(loaded.m_pUnit, nullptr);
    EXPECT_EQ(loaded.m_pUnit->m_color, CUnit::kDefaultColor);
    ASSERT_EQ(loaded.m_pUnitList->GetCount(), 1);
    EXPECT_EQ(loaded.m_pUnitList->GetHead().m_strName, CString("A"));
}

TEST(CMsgOld, ClientKindsStartOrExtendTheMessagesClientList) {
    CMsg msg;
    msg.m_pClientList = new CStringList;
    msg.m_pClientList->AddTail(CString("old"));
    EXPECT_EQ(StoreObject(Fill(msg, 181, "ann")),
              Concat({kRefreshHead, {1, 0, 3, 'a', 'n', 'n'}, kDefaultUnit, kNoUnits}));
    EXPECT_EQ(Entries(msg.m_pClientList), (std::vector<std::string>{"ann"}));

    msg.m_pUnitList = new CUnitList;
    msg.m_pUnitList->AddTail(CUnit());
    EXPECT_EQ(StoreObject(Fill(msg, 182, "bo")), Concat({kRefreshHead,
                                                         {2, 0, 3, 'a', 'n', 'n', 2, 'b', 'o'},
                                                         kDefaultUnit,
                                                         {1, 0, 0, 0},
                                                         kDefaultUnit}));
    StoreObject(msg);  // each write appends again
    EXPECT_EQ(Entries(msg.m_pClientList), (std::vector<std::string>{"ann", "bo", "bo"}));

    // Without a list, 182 starts one rather than writing an unreadable record.
    CMsg fresh;
    EXPECT_EQ(StoreObject(Fill(fresh, 182, "cy")),
              Concat({kRefreshHead, {1, 0, 2, 'c', 'y'}, kDefaultUnit, kNoUnits}));
}

// Kinds below 100 go in the old format with a version too.
TEST(CMsgOld, EveryKindWritesARecordThatReadsBack) {
    // Old numbers written directly go as the kinds reading makes of them.
    CMsg msg;
    CMsg alias;
    EXPECT_EQ(StoreObject(Fill(msg, 1, "abc")), StoreObject(Fill(alias, 103, "abc")));
    EXPECT_EQ(StoreObject(Fill(msg, 4, "1,2,0,3,4,5")),
              StoreObject(Fill(alias, 106, "1,2,0,3,4,5")));

    CMsg current(CString("1.0"));
    current.m_byTag = 4;
    for (WORD kind : {0, 2, 5, 7, 14, 15, 16, 42, 99, 120, 152, 999, 65535}) {
        CMsg out;
        Fill(out, kind, "a%b");
        out.m_byTag = 4;
        const Bytes record = StoreObject(out);
        if (kind < 100) {
            EXPECT_EQ(StoreObject(Fill(current, kind, "a%b")), record) << kind;
        }
        CMsg in;
        ULONGLONG consumed = 0;
        ASSERT_EQ(LoadObject(in, record, &consumed), -1) << kind;
        EXPECT_EQ(consumed, record.size()) << kind;
        EXPECT_EQ(in.m_byTag, 4) << kind;
        EXPECT_EQ(in.m_wKind, kind == 0 ? 102 : kind) << kind;
        if (kind >= 100 && kind != 152) {
            EXPECT_EQ(in.m_strMsg, CString("a%b")) << kind;
        }
    }
}
