// Fuzz target for maps from outside: the map archive form read from an
// archive, and the same bytes as a map file through both file readers.
// Besides the sanitizers it checks that a map read whole is written back as
// the same bytes, and that the two file readers agree on whole files.
#include <qvdll/hexmap.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>

#include "fuzz_support.h"

namespace {

using qvfuzz::Check;

std::size_t WordAt(const uint8_t* p) {
    return static_cast<std::size_t>(p[0] | p[1] << 8);
}

std::size_t CellCount(CHexMap& map) {
    return std::size_t{map.GetMapWidth()} * map.GetMapHeight();
}

// The bytes of the map's archive form.
std::vector<BYTE> Stored(CHexMap& map) {
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        map.Serialize(ar);
    }
    return file.Bytes();
}

void FuzzExtraction(const uint8_t* data, size_t size) {
    CMemFile file(std::span<const BYTE>(data, size));
    CArchive ar(&file, CArchive::load);
    CHexMap map;
    try {
        map.Serialize(ar);
    } catch (const CArchiveException& e) {
        Check(size < 4 && e.m_cause == CArchiveException::endOfFile);
        return;
    }
    // A whole map is written back as the bytes it came from.
    if (CellCount(map) + 4 <= size) {
        const std::vector<BYTE> again = Stored(map);
        Check(again.size() == CellCount(map) + 4 &&
              std::memcmp(again.data(), data, again.size()) == 0);
    }
}

void FuzzMapFiles(const uint8_t* data, size_t size) {
    const qvfuzz::MemoryFile file(data, size);  // the readers take a path
    CHexMap current, old;
    const BOOL currentOk = current.ReadMapFile(file.Path());
    const BOOL oldOk = old.ReadOldMapFile(file.Path());
    const bool whole = size >= 4 && CellCount(current) + 4 <= size;
    Check(currentOk == (size >= 4));
    Check(oldOk == whole);
    if (whole) Check(Stored(current) == Stored(old));
}

}  // namespace

// A map takes the room its header claims before any cell arrives, since a
// short cell block is no error and leaves zeros: up to 4 GiB of address
// space, which the sanitizers make slow to set up. The unit tests cover such headers; here
// headers claim at most this many cells beyond the bytes given.
constexpr std::size_t kMaxClaimBeyondInput = 1 << 20;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size >= 4 && WordAt(data) * WordAt(data + 2) > size + kMaxClaimBeyondInput) return 0;
    FuzzExtraction(data, size);
    FuzzMapFiles(data, size);
    return 0;
}
