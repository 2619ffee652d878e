// What a received record costs in memory: the bytes the allocator holds for a
// loaded message (mallinfo2, while the message lives) per byte of its record,
// for an old refresh of client entries and an old unit record of units, by the
// length of their names. The peer is the same number of bytes received as a
// kind-152 block, which the message holds as they came. Reported as counters:
// resident_per_byte and peer_resident_per_byte; the time ratio as usual.
#include <qvdll/msg.h>
#include <qvdll/unit.h>
#include <qvdll/unitlist.h>

#include <malloc.h>

#include <string>
#include <vector>

#include "bench_support.h"

namespace {

constexpr DWORD kRecordBytes = 1 << 20;

std::size_t HeldByAllocator() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// A record of about kRecordBytes: client entries (old kind 5) or units with a
// name and a picture name (old kind 2), each name `nameLength` bytes long.
std::vector<BYTE> ListRecord(bool units, int nameLength) {
    const std::string name(static_cast<std::size_t>(nameLength), 'n');
    CUnit unit;
    unit.m_strName = name;
    unit.m_strImage = name;
    const DWORD perEntry = units ? 16 + 2 * nameLength : 1 + nameLength;
    const DWORD count = kRecordBytes / perEntry;
    CMemFile file;
    CArchive ar(&file, CArchive::store);
    ar << WORD{0} << DWORD{units ? 2u : 5u} << CString();
    if (units) {
        ar << CUnit() << count;
        for (DWORD i = 0; i < count; ++i) ar << unit;
    } else {
        ar.WriteCount(count);
        for (DWORD i = 0; i < count; ++i) ar << CString(name);
        ar << CUnit() << DWORD{0};
    }
    ar.Close();
    return file.Bytes();
}

std::vector<BYTE> BlockRecord(std::size_t size) {
    CMemFile file;
    CArchive ar(&file, CArchive::store);
    const auto count = static_cast<DWORD>(size - 10);
    ar << WORD{0} << DWORD{CMsg::kindBlock} << count;
    const std::string bytes(count, 'b');
    ar.Write(bytes.data(), count);
    ar.Close();
    return file.Bytes();
}

// Loads `record` and gives the bytes the allocator held for it.
std::size_t LoadedCost(const std::vector<BYTE>& record) {
    CMemFile file(record);
    const std::size_t before = HeldByAllocator();
    CMsg msg;
    CArchive ar(&file, CArchive::load);
    msg.Serialize(ar);
    return HeldByAllocator() - before;
}

void BM_ListMemoryVsBlock(benchmark::State& state) {
    const std::vector<BYTE> list =
        ListRecord(state.range(0) != 0, static_cast<int>(state.range(1)));
    const std::vector<BYTE> block = BlockRecord(list.size());
    const auto received = static_cast<double>(list.size());
    state.counters["resident_per_byte"] = static_cast<double>(LoadedCost(list)) / received;
    state.counters["peer_resident_per_byte"] = static_cast<double>(LoadedCost(block)) / received;
    qvbench::RunSideBySide(
        state, [&] { LoadedCost(list); }, [&] { LoadedCost(block); });
}
// Arguments: units (1) or client entries (0); the length of each name.
BENCHMARK(BM_ListMemoryVsBlock)
    ->ArgsProduct({{0, 1}, {0, 8, 16, 32}})
    ->ArgNames({"units", "name"})
    ->UseManualTime();

}  // namespace
