// The unit list: the ordered units that messages carry and hosts keep, with a
// look-up by identity and an archive form of its own.
#pragma once

#include <qvplatform/archive.h>
#include <qvplatform/coll.h>

#include "qvdll/export.h"
#include "qvdll/unit.h"

// A framework list of units: each node holds its own copy, destroyed with the
// node. Adding, walking, removing and counting are the list's own interface.
class QVDLL_API CUnitList : public CList<CUnit, const CUnit&> {
    DECLARE_DYNCREATE(CUnitList)
public:
    // Nodes come from blocks of this many, so appending rarely allocates.
    static constexpr int kBlockSize = 10;

    CUnitList();
    // A list holding copies of `other`'s units, in the same order.
    CUnitList(const CUnitList& other);
    ~CUnitList() override;

    // Replaces the units with copies of `other`'s; a list assigned to itself is
    // unchanged.
    const CUnitList& operator=(const CUnitList& other);

    // The first unit from the head that equals `key` (through the unit's
    // virtual operator==, the list's unit on the left), or null. The unit stays
    // owned by the list and lives as long as its node.
    CUnit* operator[](const CUnit& key);

    // Storing: the list's archive form; loading: replaces the units with the
    // ones the archive holds.
    void Serialize(CArchive& ar) override;
};

// The unit list archive form: a plain 32-bit count, then each unit from head to
// tail in the unit archive form.
QVDLL_API CArchive& operator<<(CArchive& ar, const CUnitList& list);
// Empties the list, then appends the units as they are read. The count is not
// trusted: nothing is reserved for it, and an archive that holds fewer units
// throws end-of-file with the complete units read so far in the list. The
// units, their nodes and their texts count against the record budget.
QVDLL_API CArchive& operator>>(CArchive& ar, CUnitList& list);
