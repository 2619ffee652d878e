// Map archive store and load of a 1000 x 1000 map against memcpy of the same bytes.
#include <qvdll/hexmap.h>

#include <cstring>
#include <vector>

#include "bench_support.h"

namespace {

constexpr WORD kSide = 1000;

void FillPattern(CHexMap& map) {
    BYTE* cells = map.GetMap()->cells;
    for (std::size_t i = 0; i < std::size_t{kSide} * kSide; ++i) cells[i] = static_cast<BYTE>(i * 7);
}

void BM_MapStoreVsMemcpy(benchmark::State& state) {
    CHexMap map(kSide, kSide);
    FillPattern(map);
    CMemFile file;
    std::vector<BYTE> peerTarget(std::size_t{kSide} * kSide + 4);
    qvbench::RunSideBySide(
        state,
        [&] {
            file.SeekToBegin();
            CArchive ar(&file, CArchive::store);
            map.Serialize(ar);
            ar.Close();
            benchmark::DoNotOptimize(file.Bytes().data());
        },
        [&] {
            std::memcpy(peerTarget.data() + 4, map.GetMap()->cells, std::size_t{kSide} * kSide);
            benchmark::DoNotOptimize(peerTarget.data());
        });
    state.SetBytesProcessed(state.iterations() * kSide * kSide);
}
BENCHMARK(BM_MapStoreVsMemcpy)->UseManualTime();

void BM_MapLoadVsMemcpy(benchmark::State& state) {
    CHexMap source(kSide, kSide);
    FillPattern(source);
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        source.Serialize(ar);
    }
    CHexMap map;
    std::vector<BYTE> peerTarget(std::size_t{kSide} * kSide);
    qvbench::RunSideBySide(
        state,
        [&] {
            file.SeekToBegin();
            CArchive ar(&file, CArchive::load);
            map.Serialize(ar);
            benchmark::DoNotOptimize(map.GetMap()->cells);
        },
        [&] {
            std::memcpy(peerTarget.data(), file.Bytes().data() + 4, peerTarget.size());
            benchmark::DoNotOptimize(peerTarget.data());
        });
    state.SetBytesProcessed(state.iterations() * kSide * kSide);
}
BENCHMARK(BM_MapLoadVsMemcpy)->UseManualTime();

}  // namespace
