// Helpers of the message tests: a message's record as bytes, a record read
// back, and the bytes of the slots that records fill with defaults.
#pragma once

#include <qvdll/msg.h>
#include <qvplatform/archive.h>

#include <initializer_list>

#include "test_support.h"

namespace qvtest {

// What Serialize writes for `msg`.
inline Bytes StoreMsg(CMsg& msg) {
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        msg.Serialize(ar);
        ar.Close();
    }
    return file.Bytes();
}

// Reads `bytes` into `msg`; returns the archive exception's cause, or -1 when
// none. `pConsumed`, when given, gets how many bytes the record took.
inline int LoadMsg(CMsg& msg, const Bytes& bytes, ULONGLONG* pConsumed = nullptr) {
    CMemFile file(bytes);
    CArchive ar(&file, CArchive::load);
    try {
        msg.Serialize(ar);
    } catch (const CArchiveException& e) {
        return e.m_cause;
    }
    ar.Flush();
    if (pConsumed) *pConsumed = file.GetPosition();
    return -1;
}

inline Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

// A unit in its default state: five zero words, an empty name, blue, no image.
inline const Bytes kDefaultUnit = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0, 0};
inline const Bytes kNoUnits = {0, 0, 0, 0};

}  // namespace qvtest
