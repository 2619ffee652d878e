// Fuzz target for message records from a peer: records back to back, read as
// a receiver reads them, and the same bytes read through the framework's
// object serialization. Besides the sanitizers it checks that every message
// read is written again in both formats as a record that reads back whole,
// and that the current format gives back its kind, tag, text and block.
#include <qvdll/msg.h>
#include <qvdll/unitlist.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <span>
#include <vector>

#include "fuzz_support.h"

namespace {

using qvfuzz::Check;

bool SameBlock(const CMsg& a, const CMsg& b) {
    if (a.m_dwDataSize != b.m_dwDataSize || !a.m_pData != !b.m_pData) return false;
    return !a.m_pData || std::memcmp(a.m_pData.Get(), b.m_pData.Get(), a.m_dwDataSize) == 0;
}

// Writes `msg` with `version` deciding the format and reads the record back
// into `copy`; false when the writer refused the message (nothing written).
bool WriteAndRead(CMsg& msg, const char* version, CMsg& copy) {
    const CString saved = msg.GetServerVersion();
    msg.SetServerVersion(CString(version));
    CMemFile file;
    bool written = true;
    {
        CArchive ar(&file, CArchive::store);
        try {
            msg.Serialize(ar);
        } catch (const CArchiveException& e) {
            Check(e.m_cause == CArchiveException::genericException);
            written = false;
        }
        ar.Close();
    }
    msg.SetServerVersion(saved);
    Check(written || file.GetLength() == 0);
    if (!written) return false;
    file.SeekToBegin();
    CArchive ar(&file, CArchive::load);
    copy.Serialize(ar);  // must not throw: the writer's own record
    ar.Flush();
    Check(file.GetPosition() == file.GetLength());
    return true;
}

void CheckRewrites(CMsg& msg) {
    CMsg current;
    // Only a map block that is not a whole map is refused, and only by the old
    // writer; the current one carries any block as it is.
    Check(WriteAndRead(msg, "fuzz", current));
    if (msg.m_wKind >= CMsg::kindFirstCurrent) {
        Check(current.m_wKind == msg.m_wKind && current.m_byTag == msg.m_byTag);
        if (msg.m_wKind == CMsg::kindMap || msg.m_wKind == CMsg::kindBlock)
            Check(SameBlock(current, msg));
        else
            Check(current.m_strMsg == msg.m_strMsg);
    }
    CMsg old;
    if (!WriteAndRead(msg, "", old)) Check(msg.m_wKind == CMsg::kindMap);
}

void FuzzRecords(const uint8_t* data, size_t size) {
    CMemFile file(std::span<const BYTE>(data, size));
    CArchive ar(&file, CArchive::load);
    for (int records = 0; records < 64; ++records) {
        CMsg msg;
        try {
            msg.Serialize(ar);
        } catch (const CArchiveException&) {
            return;  // short or malformed: the archive's exception, nothing else
        }
        CheckRewrites(msg);
    }
}

void FuzzObjects(const uint8_t* data, size_t size) {
    CMemFile file(std::span<const BYTE>(data, size));
    CArchive ar(&file, CArchive::load);
    // A back-reference gives an object already read again: each is owned once.
    std::vector<std::unique_ptr<CMsg>> read;
    try {
        for (int objects = 0; objects < 8; ++objects) {
            CMsg* pMsg = nullptr;
            ReadTypedObject(ar, pMsg);
            if (!pMsg ||
                std::any_of(read.begin(), read.end(), [&](auto& p) { return p.get() == pMsg; }))
                continue;
            read.emplace_back(pMsg);
            CheckRewrites(*pMsg);
        }
    } catch (const CArchiveException&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzRecords(data, size);
    FuzzObjects(data, size);
    return 0;
}
