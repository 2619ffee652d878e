// The message record that the client and the server exchange, in its current
// and its old archive format, with the refresh text that old refresh records
// are written from.
#pragma once

#include <qvplatform/archive.h>
#include <qvplatform/coll.h>
#include <qvplatform/cstring.h>

#include "qvdll/export.h"
#include "qvdll/ownedptr.h"

class CUnit;
class CUnitList;

// One message: a kind, a tag byte that travels first, and by kind a text, a
// binary block, or (after reading an old record) a unit, a unit list and a
// client list. The data fields are public: host programs fill and read them
// directly. The message owns its unit, unit list and client list (plain
// pointers it deletes) and its block when m_pData owns it.
//
// Writing picks the layout from the server version: empty gives the old
// format, anything else the current one. Reading picks it from the kind in the
// record: below 100 is the old format. Both layouts open with the same head,
// the tag as a 16-bit word and the kind as a 32-bit word.
class QVDLL_API CMsg : public CObject {
    DECLARE_SERIAL(CMsg)
public:
    // Kinds the library itself names. Every kind below 100 is read in the old
    // format, which has its own numbers (0 to 6 and 15): reading turns 0, 1, 4
    // and 6 into 102, 103, 106 and 111 and keeps 2, 3, 5 and 15, whose payload
    // is then the unit, unit list and client list objects.
    enum : WORD {
        kindRefresh = 5,         // refresh text: client entries, "%", unit lines
        kindFirstCurrent = 100,  // from here on a record is in the current format
        kindTextUnits = 100,     // text, then a default unit and an empty unit list
        kindText = 103,          // free text, the kind of a fresh message
        kindMove = 106,          // one unit line in the move form
        kindMap = 111,           // flat map block: width, height (16 bits each), cells
        kindBlock = 152,         // bytes the library does not interpret
    };

    CMsg();
    explicit CMsg(const CString& strServerVersion);
    CMsg(const CMsg&) = delete;
    CMsg& operator=(const CMsg&) = delete;
    ~CMsg() override;

    // Tag 0, kind 103, empty text, and no unit, unit list or client list (any
    // held are released). The server version and the block stay as they are.
    void Initialize();

    void SetServerVersion(const CString& strServerVersion) {
        m_strServerVersion = strServerVersion;
    }
    CString GetServerVersion() const { return m_strServerVersion; }

    // Storing: StoreOldData when the server version is empty, else StoreData.
    // Loading: reads the head, then LoadOldData for a kind below 100, else
    // LoadData. Both reach the four operations below through their slots.
    // Loading reads one record under the archive's record budget
    // (CArchive::SetRecordBudget); a record that fails, by its end, its
    // bytes or its budget, throws CArchiveException and leaves the message
    // as it was.
    void Serialize(CArchive& ar) override;

    // The current format: the whole record, head included. A kind below 100
    // exists only in the old format, so it is written through StoreOldData:
    // a reader sends such a record to the old-format reader by its kind.
    // Kinds 111 and 152 write m_dwDataSize and that many bytes of the block;
    // a block that is missing while m_dwDataSize is not 0 is refused with an
    // archive exception before anything is written.
    virtual void StoreData(CArchive& ar);
    // The old format, head included. What each kind becomes is in the file
    // that writes it; kinds the old format has no record for are refused with
    // an archive exception before anything is written (see msg_old.cpp).
    virtual void StoreOldData(CArchive& ar);
    // The body of a current-format record, after Serialize read the head. A
    // block arrives whole or not at all: a record that ends early throws
    // end-of-file and the message keeps its previous block.
    virtual void LoadData(CArchive& ar);
    // The body of an old-format record; may turn m_wKind into a current kind.
    virtual void LoadOldData(CArchive& ar);

    CString m_strMsg;
    BYTE m_byTag = 0;
    WORD m_wKind = kindText;
    DWORD m_dwDataSize = 0;     // byte count of the block
    TOwnedPtr<BYTE[]> m_pData;  // the block, null when absent
    CUnit* m_pUnit = nullptr;
    CUnitList* m_pUnitList = nullptr;
    CStringList* m_pClientList = nullptr;
    CString m_strServerVersion;  // empty selects the old format on writing

private:
    // The old refresh body (client list, a default unit, unit list) from the
    // refresh text in m_strMsg: client entries and unit lines split at line
    // feeds, the two parts joined by "%".
    void OldDataRefreshProc(CArchive& ar);
    // Append one entry (one unit, read from its full unit line) per line of
    // `pszText`; what the lists held stays in front.
    void StringToClientLists(const char* pszText, CStringList& list);
    void StringToUnitLists(const char* pszText, CUnitList& list);

    void ReleaseObjects();
    void WriteHead(CArchive& ar, DWORD dwKind) const;
    // The current-format record of a kind of 100 or more; both writers use it.
    void WriteCurrentRecord(CArchive& ar);
};
