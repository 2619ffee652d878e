#include "qvdll/unitlist.h"

IMPLEMENT_DYNCREATE(CUnitList, CObject)

CUnitList::CUnitList() : CList(kBlockSize) {}

CUnitList::CUnitList(const CUnitList& other) : CUnitList() {
    *this = other;
}

CUnitList::~CUnitList() = default;

const CUnitList& CUnitList::operator=(const CUnitList& other) {
    if (this == &other) return *this;
    RemoveAll();
    for (POSITION pos = other.GetHeadPosition(); pos;) AddTail(other.GetNext(pos));
    return *this;
}

CUnit* CUnitList::operator[](const CUnit& key) {
    for (POSITION pos = GetHeadPosition(); pos;) {
        CUnit& unit = GetNext(pos);
        if (unit == key) return &unit;
    }
    return nullptr;
}

void CUnitList::Serialize(CArchive& ar) {
    if (ar.IsStoring())
        ar << *this;
    else
        ar >> *this;
}

CArchive& operator<<(CArchive& ar, const CUnitList& list) {
    ar << static_cast<DWORD>(list.GetCount());
    for (POSITION pos = list.GetHeadPosition(); pos;) ar << list.GetNext(pos);
    return ar;
}

// Each unit is read in place at the tail, into a unit in its default state; one
// that the archive cuts short is taken off again.
CArchive& operator>>(CArchive& ar, CUnitList& list) {
    CArchive::CRecordScope record(ar);
    list.RemoveAll();
    DWORD count;
    ar >> count;
    for (DWORD i = 0; i < count; ++i) list.AddTailFrom(ar);
    return ar;
}
