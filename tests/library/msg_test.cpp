// CMsg: construction, the head, the current format, creation by class name,
// and records from a peer that cannot be trusted.
#include <qvdll/msg.h>
#include <qvdll/unit.h>
#include <qvdll/unitlist.h>

#include <algorithm>
#include <utility>

#include "msg_test_support.h"
#include "platform/alloc_counter.h"

using qvtest::Bytes;
using qvtest::Concat;
using qvtest::kDefaultUnit;
using qvtest::kNoUnits;
using qvtest::LoadObject;
using qvtest::StoreObject;

namespace {

// A block of `size` bytes 0, 1, 2, ... put into `msg` as its owned block.
void GiveBlock(CMsg& msg, DWORD size) {
    msg.m_pData.Reset(new BYTE[size]);
    for (DWORD i = 0; i < size; ++i) msg.m_pData[i] = static_cast<BYTE>(i);
    msg.m_dwDataSize = size;
}

Bytes BlockOf(const CMsg& msg) {
    return msg.m_pData ? Bytes(msg.m_pData.Get(), msg.m_pData.Get() + msg.m_dwDataSize) : Bytes{};
}

}  // namespace

// A fresh message is an initialized one.
TEST(CMsg, InitializeGivesAnEmptyTextOfKind103KeepingVersionAndBlock) {
    CMsg msg(CString("v"));
    msg.m_byTag = 9;
    msg.m_wKind = 5;
    msg.m_strMsg = "x";
    msg.m_pUnit = new CUnit;
    msg.m_pUnitList = new CUnitList;
    msg.m_pClientList = new CStringList;
    GiveBlock(msg, 3);
    msg.Initialize();  // the sanitizer build sees a leak if the objects were dropped
    EXPECT_TRUE(msg.m_byTag == 0 && msg.m_wKind == 103 && msg.m_strMsg.IsEmpty());
    EXPECT_TRUE(!msg.m_pUnit && !msg.m_pUnitList && !msg.m_pClientList);
    EXPECT_EQ(msg.GetServerVersion(), CString("v"));
    EXPECT_EQ(BlockOf(msg), (Bytes{0, 1, 2}));
}

TEST(CMsg, AVersionChoosesTheCurrentWriterAndLoadingKeepsTheOwnVersion) {
    CMsg msg(CString("1.0"));
    msg.m_byTag = 3;
    msg.m_strMsg = "\x93\xFA\x96\x7B";  // two double-byte characters
    const Bytes record = StoreObject(msg);
    EXPECT_EQ(record, (Bytes{3, 0, 0x67, 0, 0, 0, 0, 0, 0, 0, 4, 0x93, 0xFA, 0x96, 0x7B}));
    CMsg loaded(CString("mine"));
    ULONGLONG consumed = 0;
    ASSERT_EQ(LoadObject(loaded, record, &consumed), -1);
    EXPECT_EQ(consumed, record.size());
    EXPECT_EQ(loaded.m_wKind, 103);
    EXPECT_EQ(loaded.m_byTag, 3);
    EXPECT_EQ(loaded.m_strMsg, msg.m_strMsg);
    EXPECT_EQ(loaded.GetServerVersion(), CString("mine"));
    msg.SetServerVersion(CString());  // the old form, as in the old format's tests
    EXPECT_EQ(StoreObject(msg).size(), 11u);
}

TEST(CMsg, Kind100CarriesTheTextWithADefaultUnitAndAnEmptyList) {
    CMsg msg(CString("1.0"));
    msg.m_wKind = 100;
    msg.m_strMsg = "abc";
    // The message's own unit never travels in this record.
    msg.m_pUnit = new CUnit;
    msg.m_pUnit->m_nId1 = 7;
    const Bytes record = Concat({{0, 0, 0x64, 0, 0, 0, 3, 'a', 'b', 'c'}, kDefaultUnit, kNoUnits});
    EXPECT_EQ(StoreObject(msg), record);
    msg.SetServerVersion(CString());  // the old writer sends kind 100 the same way
    EXPECT_EQ(StoreObject(msg), record);

    CMsg loaded;
    auto* unit = new CUnit;
    auto* list = new CUnitList;
    loaded.m_pUnit = unit;
    loaded.m_pUnitList = list;
    ASSERT_EQ(LoadObject(loaded, record), -1);
    EXPECT_EQ(loaded.m_wKind, 100);
    EXPECT_EQ(loaded.m_strMsg, CString("abc"));
    EXPECT_EQ(loaded.m_pUnit, unit);
    EXPECT_EQ(loaded.m_pUnitList, list);
}

TEST(CMsg, HeadKeepsTheLowBitsOfTagAndKind) {
    CMsg msg(CString("1.0"));
    msg.m_byTag = 255;
    msg.m_wKind = 120;
    CMsg loaded;
    ASSERT_EQ(LoadObject(loaded, StoreObject(msg)), -1);
    EXPECT_EQ(loaded.m_byTag, 255);
    EXPECT_EQ(loaded.m_wKind, 120);

    // Tag word 300, kind word 0x00010064: tag 44, kind 100.
    const Bytes wide = Concat({{0x2C, 0x01, 0x64, 0, 1, 0, 0}, kDefaultUnit, kNoUnits});
    ASSERT_EQ(LoadObject(loaded, wide), -1);
    EXPECT_EQ(loaded.m_byTag, 44);
    EXPECT_EQ(loaded.m_wKind, 100);
}

TEST(CMsg, BlockKindsCarryTheCountThenTheBytesWithOrWithoutAVersion) {
    CMsg loaded;
    GiveBlock(loaded, 2);  // owned: replacing it must free it
    for (const char* version : {"", "1.0"}) {
        CMsg msg{CString(version)};
        msg.m_wKind = 152;
        GiveBlock(msg, 5);
        const Bytes record = StoreObject(msg);
        EXPECT_EQ(record, (Bytes{0, 0, 0x98, 0, 0, 0, 5, 0, 0, 0, 0, 1, 2, 3, 4})) << version;
        ASSERT_EQ(LoadObject(loaded, record), -1);
        EXPECT_EQ(loaded.m_wKind, 152);
        EXPECT_TRUE(loaded.m_pData.Owns());
        EXPECT_EQ(BlockOf(loaded), (Bytes{0, 1, 2, 3, 4}));
    }
    // Kind 111 without a block: head and a zero count; read back, no block.
    CMsg empty(CString("1.0"));
    empty.m_wKind = 111;
    EXPECT_EQ(StoreObject(empty), (Bytes{0, 0, 0x6F, 0, 0, 0, 0, 0, 0, 0}));
    ASSERT_EQ(LoadObject(loaded, StoreObject(empty)), -1);
    EXPECT_EQ(loaded.m_wKind, 111);
    EXPECT_EQ(loaded.m_dwDataSize, 0u);
    EXPECT_FALSE(loaded.m_pData);
}

TEST(CMsg, LargeBlockRoundTripsThroughMemoryAndADiskFile) {
    CMsg msg(CString("1.0"));
    msg.m_wKind = 152;
    GiveBlock(msg, 300000);  // past the first allocation step of a block read
    auto roundTrip = [&msg](auto&& backing) {
        CMsg back;
        qvtest::RoundTrip(
            backing, [&](CArchive& ar) { msg.Serialize(ar); },
            [&](CArchive& ar) { back.Serialize(ar); });
        EXPECT_EQ(BlockOf(back), BlockOf(msg));
    };
    roundTrip(qvtest::MemBacking{});
    roundTrip(qvtest::DiskBacking{});
}

TEST(CMsg, BlockShorterThanItsCountOrItsMapIsNotWritten) {
    // Kind 152 with a count but no bytes, and map blocks (kind 111, old format)
    // without a head, cut in the head, and short of their 3 x 2 cells.
    const std::pair<WORD, Bytes> cases[] = {
        {152, {}}, {111, {}}, {111, {3, 0, 2}}, {111, {3, 0, 2, 0, 1, 2, 3, 4, 5}}};
    for (const auto& [kind, block] : cases) {
        SCOPED_TRACE(testing::Message() << kind << " of " << block.size());
        CMsg msg{CString(kind == 152 ? "1.0" : "")};
        msg.m_wKind = kind;
        if (!block.empty()) {
            msg.m_pData.Reset(new BYTE[block.size()]);
            std::copy(block.begin(), block.end(), msg.m_pData.Get());
        }
        msg.m_dwDataSize = kind == 152 ? 8 : static_cast<DWORD>(block.size());
        CMemFile file;
        CArchive ar(&file, CArchive::store);
        EXPECT_THROW_CAUSE(msg.Serialize(ar), CArchiveException,
                           CArchiveException::genericException);
        ar.Close();
        EXPECT_TRUE(file.Bytes().empty());
    }
}

TEST(CMsg, ShortBodiesThrowEndOfFileAndKeepThePreviousBlock) {
    CMsg msg;
    GiveBlock(msg, 3);
    // A block of 6 promised, 2 delivered.
    EXPECT_EQ(LoadObject(msg, Bytes{0, 0, 0x98, 0, 0, 0, 6, 0, 0, 0, 9, 9}),
              CArchiveException::endOfFile);
    EXPECT_EQ(BlockOf(msg), (Bytes{0, 1, 2}));
    EXPECT_EQ(msg.m_dwDataSize, 3u);
    // Cut inside the head, the count, the text, and the unit of kind 100.
    for (const Bytes& cut :
         {Bytes{0}, Bytes{0, 0, 0x67, 0}, Bytes{0, 0, 0x6F, 0, 0, 0, 1},
          Bytes{0, 0, 0x67, 0, 0, 0, 0, 0, 0, 0, 3, 'a'}, Bytes{0, 0, 0x64, 0, 0, 0, 0, 1, 0}})
        EXPECT_EQ(LoadObject(msg, cut), CArchiveException::endOfFile) << cut.size();
}

TEST(CMsg, HugeCountsCostOnlyTheBytesPresent) {
    struct Case {
        const char* what;
        Bytes record;
    };
    const Case cases[] = {
        {"block", {0, 0, 0x98, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 1, 2, 3}},
        {"old map", {0, 0, 6, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 1, 2, 3}},
        {"text", {0, 0, 0x67, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 'a'}},
        {"client list", {0, 0, 5, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 1, 'a'}},
        {"unit list", Concat({{0, 0, 2, 0, 0, 0, 0}, kDefaultUnit, {0xFF, 0xFF, 0xFF, 0xFF}})},
    };
    for (const Case& c : cases) {
        CMsg msg;
        qvtest::AllocationWatch watch;
        EXPECT_EQ(LoadObject(msg, c.record), CArchiveException::endOfFile) << c.what;
        EXPECT_LE(watch.Largest(), 128u * 1024) << c.what;
    }
}

TEST(CMsg, RecordsPastTheirBudgetThrowAndLeaveTheMessageAsItWas) {
    // Memory, not bytes, is what a record is charged: every client entry and
    // unit costs its node, however few bytes it took.
    const auto refresh = [](std::size_t entries) {
        return Concat({{0, 0, 5, 0, 0, 0, 0},
                       {BYTE(entries), BYTE(entries >> 8)},
                       Bytes(entries),
                       kDefaultUnit,
                       kNoUnits});
    };
    const auto units = [](std::size_t count) {
        Bytes record =
            Concat({{0, 0, 2, 0, 0, 0, 0}, kDefaultUnit, {BYTE(count), BYTE(count >> 8), 0, 0}});
        for (std::size_t i = 0; i < count; ++i)
            record.insert(record.end(), kDefaultUnit.begin(), kDefaultUnit.end());
        return record;
    };
    const Bytes block = Concat({{0, 0, 0x98, 0, 0, 0, 0, 0, 1, 0}, Bytes(0x10000)});
    const Bytes text =
        Concat({{0, 0, 0x67, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0, 0, 1, 0}, Bytes(0x10000)});
    struct Case {
        const char* what;
        Bytes record;
        bool fits;
    } const cases[] = {
        {"500 client entries", refresh(500), true},
        {"2000 client entries", refresh(2000), false},
        {"200 units", units(200), true},
        {"500 units", units(500), false},
        {"64 KiB block", block, false},
        {"64 KiB text", text, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // Twice over one archive: each record starts its count afresh.
        CMemFile file(Concat({c.record, c.record}));
        CArchive ar(&file, CArchive::load);
        ar.SetRecordBudget(64 * 1024);
        for (int round = 0; round < 2; ++round) {
            CMsg msg;
            msg.m_byTag = 7;
            msg.m_strMsg = "kept";
            if (c.fits) {
                EXPECT_NO_THROW(msg.Serialize(ar));
                continue;
            }
            EXPECT_THROW_CAUSE(msg.Serialize(ar), CArchiveException, CArchiveException::overBudget);
            EXPECT_TRUE(msg.m_byTag == 7 && msg.m_wKind == CMsg::kindText &&
                        msg.m_strMsg == "kept" && !msg.m_pData && !msg.m_pClientList &&
                        !msg.m_pUnitList);
            break;
        }
    }
}

// Back-references and the class table are the archive's own (its tests hold them).
TEST(CMsg, IsCreatedByNameThroughObjectSerialization) {
    CMsg first(CString("1.0"));
    first.m_strMsg = "abc";
    const Bytes bytes = qvtest::Stored([&](CArchive& ar) { ar << &first; });
    // New class: 0xFFFF, schema 1, name length 4, "CMsg", then the record.
    const Bytes opening = {0xFF, 0xFF, 1, 0, 4, 0, 'C', 'M', 's', 'g', 0, 0, 0x67, 0};
    ASSERT_GE(bytes.size(), opening.size());
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + opening.size()), opening);

    CMsg* pLoaded = nullptr;
    qvtest::Loaded(bytes, [&](CArchive& ar) { ReadTypedObject(ar, pLoaded); });
    ASSERT_NE(pLoaded, nullptr);
    EXPECT_EQ(pLoaded->m_strMsg, CString("abc"));
    delete pLoaded;
}

namespace {

// A host's message that takes over the current-format writer and the old reader.
class CTracingMsg : public CMsg {
public:
    int stores = 0;
    int oldLoads = 0;
    void StoreData(CArchive& ar) override {
        ++stores;
        CMsg::StoreData(ar);
    }
    void LoadOldData(CArchive& ar) override {
        ++oldLoads;
        CMsg::LoadOldData(ar);
    }
};

}  // namespace

TEST(CMsg, SerializeGoesThroughTheVirtualSlots) {
    CTracingMsg msg;
    msg.SetServerVersion(CString("1.0"));
    const Bytes record = StoreObject(msg);
    EXPECT_EQ(msg.stores, 1);
    msg.SetServerVersion(CString());
    CTracingMsg loaded;
    ASSERT_EQ(LoadObject(loaded, StoreObject(msg)), -1);
    EXPECT_EQ(msg.stores, 1);
    EXPECT_EQ(loaded.oldLoads, 1);
    ASSERT_EQ(LoadObject(loaded, record), -1);
    EXPECT_EQ(loaded.oldLoads, 1);
}
