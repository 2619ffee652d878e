// Pieces the message's writers and readers share: the default unit and empty
// unit list that records carry in unused slots, block reading that never
// trusts a count, and the refusal of a record that cannot be written.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include <qvplatform/archive.h>

#include "qvdll/unit.h"
#include "qvdll/unitlist.h"

namespace qvdll::detail {

// A unit in its default state and an empty unit list, as the slots of a
// record that carry nothing are written.
const CUnit& DefaultUnit();
const CUnitList& EmptyUnitList();

// Reads `count` bytes into a new block of `prefix` + `count` bytes, after its
// first `prefix` bytes (left for the caller to fill). The count comes from a
// peer: memory grows as the bytes arrive, and fewer bytes than the count throw
// end-of-file. Null when prefix and count are both 0.
std::unique_ptr<BYTE[]> ReadBlock(CArchive& ar, std::size_t prefix, std::size_t count);

// A record that would not read back is refused before any byte of it is written.
[[noreturn]] void ThrowUnwritable(const std::string& why);

// The 16-bit little-endian value at `p`.
inline WORD LoadWord(const BYTE* p) {
    return static_cast<WORD>(p[0] | (p[1] << 8));
}

}  // namespace qvdll::detail
