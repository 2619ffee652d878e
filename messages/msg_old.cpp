// The old message format: its own kind numbers, units as objects instead of
// text lines, and maps in the map archive form instead of the flat block.
//
// Writing, by the message's kind (old kind written, then what follows the
// head and an empty text unless said otherwise):
//   5         5   the refresh body built from the refresh text
//   100       the current-format record (a reader takes 100 and up as current)
//   101, 110  5   an empty refresh: no clients, a default unit, no units
//   102       0   nothing (the text is not sent)
//   103       1   the text instead of the empty one
//   104 105 107   2, 3, 15: the unit read from the full unit line; no units
//   106       4   the unit move record of the unit read from the move line
//   111       6   the map of the flat block, in the map archive form
//   181, 182  5   the client list (a fresh one with the text, or the text
//                 appended to the message's own), a default unit, the
//                 message's unit list
//
// A lone tag word, which no reader can parse, is never written for the other
// kinds: each of them gives a record that reads back too:
//   2, 3, 15  themselves, with the message's unit and unit list (defaults
//             where it has none), as reading them fills the message;
//   182 on a message without a client list starts one, as 181 does;
//   0, 1, 4, 6, which reading turns into 102, 103, 106 and 111, are written
//             as those kinds;
//   7-14, 16-99 themselves with nothing after the text, as they are read;
//   152 and every other kind of 100 or more: the current-format record.
// A kind-111 block that is missing or shorter than its map is refused with an
// archive exception before anything is written.
#include <memory>
#include <string>

#include "messages/msg_internal.h"
#include "qvdll/msg.h"
#include "qvdll/unit.h"
#include "qvdll/unitlist.h"

using qvdll::detail::DefaultUnit;
using qvdll::detail::EmptyUnitList;

namespace {

// The old format's own kind numbers.
enum : WORD {
    oldQuiet = 0,
    oldText = 1,
    oldUnit = 2,
    oldUnit2 = 3,
    oldMove = 4,
    oldRefresh = 5,
    oldMap = 6,
    oldUnit3 = 15,
};

// Client lists take their nodes in blocks of this many.
constexpr INT_PTR kClientBlockSize = 10;

// The current kind that reading an old record of `wKind` gives, for the old
// numbers that reading converts; `wKind` itself for every other kind.
WORD CurrentKindOf(WORD wKind) {
    switch (wKind) {
        case oldQuiet:
            return 102;
        case oldText:
            return CMsg::kindText;
        case oldMove:
            return CMsg::kindMove;
        case oldMap:
            return CMsg::kindMap;
        default:
            return wKind;
    }
}

// The unit move record: id1, id2, x, y and state as 16-bit words.
void WriteMoveRecord(CArchive& ar, const CUnit& unit) {
    ar << WORD{unit.m_nId1} << WORD{unit.m_nId2} << unit.m_nPosX << unit.m_nPosY
       << WORD{unit.m_nState};
}

CUnit ReadMoveRecord(CArchive& ar) {
    WORD w[5];
    for (WORD& word : w) ar >> word;
    CUnit unit;
    unit.m_nId1 = static_cast<BYTE>(w[0]);
    unit.m_nId2 = static_cast<BYTE>(w[1]);
    unit.m_nPosX = w[2];
    unit.m_nPosY = w[3];
    unit.m_nState = static_cast<BYTE>(w[4]);
    return unit;
}

// Checks the flat map block (width, height, cells) against its byte count
// before anything is written: the map is read from the block alone.
void CheckMapBlock(const BYTE* pData, DWORD dwSize) {
    if (!pData) qvdll::detail::ThrowUnwritable("kind 111 has no map block");
    if (dwSize < 4)
        qvdll::detail::ThrowUnwritable("kind 111 block of " + std::to_string(dwSize) +
                                       " bytes has no room for its map size");
    const WORD width = qvdll::detail::LoadWord(pData);
    const WORD height = qvdll::detail::LoadWord(pData + 2);
    const ULONGLONG needed = 4 + ULONGLONG{width} * height;
    if (dwSize < needed)
        qvdll::detail::ThrowUnwritable("kind 111 block of " + std::to_string(dwSize) +
                                       " bytes is short of its " + std::to_string(width) + " x " +
                                       std::to_string(height) + " map (" + std::to_string(needed) +
                                       " bytes)");
}

}  // namespace

void CMsg::StoreOldData(CArchive& ar) {
    const WORD wKind = CurrentKindOf(m_wKind);
    switch (wKind) {
        case kindRefresh:
            WriteHead(ar, oldRefresh);
            ar << CString();
            OldDataRefreshProc(ar);
            return;
        case 101:
        case 110:
            WriteHead(ar, oldRefresh);
            ar << CString();
            ar.WriteCount(0);
            ar << DefaultUnit() << EmptyUnitList();
            return;
        case 102:
            WriteHead(ar, oldQuiet);
            ar << CString();
            return;
        case kindText:
            WriteHead(ar, oldText);
            ar << m_strMsg;
            return;
        case 104:
        case 105:
        case 107: {
            CUnit unit;
            unit.StringToUnitData(m_strMsg);
            WriteHead(ar, wKind == 104 ? oldUnit : wKind == 105 ? oldUnit2 : oldUnit3);
            ar << CString() << unit << EmptyUnitList();
            return;
        }
        case kindMove: {
            CUnit unit;
            unit.StringToUnitMoveData(m_strMsg);
            WriteHead(ar, oldMove);
            ar << CString();
            WriteMoveRecord(ar, unit);
            return;
        }
        case kindMap: {
            CheckMapBlock(m_pData.Get(), m_dwDataSize);
            const BYTE* pBlock = m_pData.Get();
            WriteHead(ar, oldMap);
            // The map archive form puts the height first; the flat block the width.
            ar << CString() << qvdll::detail::LoadWord(pBlock + 2)
               << qvdll::detail::LoadWord(pBlock);
            ar.Write(pBlock + 4, static_cast<UINT>(DWORD{qvdll::detail::LoadWord(pBlock)} *
                                                   qvdll::detail::LoadWord(pBlock + 2)));
            return;
        }
        case 181:
        case 182:
            if (wKind == 181 || !m_pClientList) {
                delete m_pClientList;
                m_pClientList = nullptr;
                m_pClientList = new CStringList(kClientBlockSize);
            }
            m_pClientList->AddTail(m_strMsg);
            WriteHead(ar, oldRefresh);
            ar << CString();
            m_pClientList->Serialize(ar);
            ar << DefaultUnit() << (m_pUnitList ? *m_pUnitList : EmptyUnitList());
            return;
        case oldUnit:
        case oldUnit2:
        case oldUnit3:
            WriteHead(ar, wKind);
            ar << CString() << (m_pUnit ? *m_pUnit : DefaultUnit())
               << (m_pUnitList ? *m_pUnitList : EmptyUnitList());
            return;
        default:
            if (wKind >= kindFirstCurrent) {
                WriteCurrentRecord(ar);
                return;
            }
            WriteHead(ar, wKind);
            ar << CString();
            return;
    }
}

void CMsg::LoadOldData(CArchive& ar) {
    CString strText;
    ar >> strText;
    switch (m_wKind) {
        case oldQuiet:
        case oldText:
            m_wKind = CurrentKindOf(m_wKind);
            m_strMsg = strText;
            return;
        case oldUnit:
        case oldUnit2:
        case oldUnit3: {
            auto pUnit = std::make_unique<CUnit>();
            auto pUnitList = std::make_unique<CUnitList>();
            ar >> *pUnit >> *pUnitList;
            delete m_pUnit;
            m_pUnit = pUnit.release();
            delete m_pUnitList;
            m_pUnitList = pUnitList.release();
            return;
        }
        case oldMove: {
            const CUnit unit = ReadMoveRecord(ar);
            m_wKind = kindMove;
            m_strMsg = unit.UnitMoveDataToString();
            return;
        }
        case oldRefresh: {
            auto pClientList = std::make_unique<CStringList>(kClientBlockSize);
            auto pUnit = std::make_unique<CUnit>();
            auto pUnitList = std::make_unique<CUnitList>();
            pClientList->Serialize(ar);
            ar >> *pUnit >> *pUnitList;
            ReleaseObjects();
            m_pClientList = pClientList.release();
            m_pUnit = pUnit.release();
            m_pUnitList = pUnitList.release();
            return;
        }
        case oldMap: {
            WORD wHeight, wWidth;
            ar >> wHeight >> wWidth;
            const DWORD dwCells = DWORD{wWidth} * wHeight;
            auto block = qvdll::detail::ReadBlock(ar, 4, dwCells);
            block[0] = static_cast<BYTE>(wWidth);
            block[1] = static_cast<BYTE>(wWidth >> 8);
            block[2] = static_cast<BYTE>(wHeight);
            block[3] = static_cast<BYTE>(wHeight >> 8);
            m_pData.Reset(block.release());
            m_dwDataSize = dwCells + 4;
            m_wKind = kindMap;
            return;
        }
        default:
            return;
    }
}
