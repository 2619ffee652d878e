// The message record: construction, the head, and the current format.
#include "qvdll/msg.h"

#include <string>
#include <utility>

#include "messages/msg_internal.h"
#include "qvdll/unit.h"
#include "qvdll/unitlist.h"

using qvdll::detail::DefaultUnit;
using qvdll::detail::EmptyUnitList;

IMPLEMENT_SERIAL(CMsg, CObject, 1)

CMsg::CMsg() {
    Initialize();
}

CMsg::CMsg(const CString& strServerVersion) : CMsg() {
    m_strServerVersion = strServerVersion;
}

CMsg::~CMsg() {
    ReleaseObjects();
}

void CMsg::Initialize() {
    m_byTag = 0;
    m_wKind = kindText;
    m_strMsg.Empty();
    ReleaseObjects();
}

void CMsg::ReleaseObjects() {
    delete m_pUnit;
    delete m_pUnitList;
    delete m_pClientList;
    m_pUnit = nullptr;
    m_pUnitList = nullptr;
    m_pClientList = nullptr;
}

void CMsg::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        if (m_strServerVersion.IsEmpty())
            StoreOldData(ar);
        else
            StoreData(ar);
        return;
    }
    // One record, one budget. The body readers change the message only once
    // their record is whole, and the head is put back when the body fails, so
    // a record that cannot be read leaves the message as it was.
    CArchive::CRecordScope record(ar);
    WORD wTag;
    DWORD dwKind;
    ar >> wTag >> dwKind;
    const BYTE byTagBefore = m_byTag;
    const WORD wKindBefore = m_wKind;
    m_byTag = static_cast<BYTE>(wTag);
    m_wKind = static_cast<WORD>(dwKind);
    try {
        if (m_wKind < kindFirstCurrent)
            LoadOldData(ar);
        else
            LoadData(ar);
    } catch (...) {
        m_byTag = byTagBefore;
        m_wKind = wKindBefore;
        throw;
    }
}

void CMsg::WriteHead(CArchive& ar, DWORD dwKind) const {
    ar << WORD{m_byTag} << dwKind;
}

void CMsg::StoreData(CArchive& ar) {
    if (m_wKind < kindFirstCurrent)
        StoreOldData(ar);
    else
        WriteCurrentRecord(ar);
}

void CMsg::WriteCurrentRecord(CArchive& ar) {
    switch (m_wKind) {
        case kindTextUnits:
            // The message's own unit and unit list never travel here.
            WriteHead(ar, m_wKind);
            ar << m_strMsg << DefaultUnit() << EmptyUnitList();
            return;
        case kindMap:
        case kindBlock:
            // Without its bytes the count would make a reader take whatever
            // follows for the block.
            if (!m_pData && m_dwDataSize != 0)
                qvdll::detail::ThrowUnwritable("kind " + std::to_string(m_wKind) +
                                               " has no block for its " +
                                               std::to_string(m_dwDataSize) + " bytes");
            WriteHead(ar, m_wKind);
            ar << m_dwDataSize;
            if (m_pData) ar.Write(m_pData.Get(), m_dwDataSize);
            return;
        default:
            WriteHead(ar, m_wKind);
            ar << DWORD{0} << m_strMsg;
            return;
    }
}

void CMsg::LoadData(CArchive& ar) {
    switch (m_wKind) {
        case kindTextUnits: {
            CString strText;
            CUnit unit;
            CUnitList list;
            ar >> strText >> unit >> list;
            m_strMsg = std::move(strText);
            return;
        }
        case kindMap:
        case kindBlock: {
            DWORD dwCount;
            ar >> dwCount;
            // Block and count change together, once the whole block is in.
            m_pData.Reset(qvdll::detail::ReadBlock(ar, 0, dwCount).release());
            m_dwDataSize = dwCount;
            return;
        }
        default: {
            DWORD dwSize;
            CString strText;
            ar >> dwSize >> strText;
            m_dwDataSize = dwSize;
            m_strMsg = std::move(strText);
            return;
        }
    }
}
