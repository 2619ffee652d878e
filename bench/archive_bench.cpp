// The archive against its limit: storing and loading a megabyte byte by byte
// through the value operators, and as one block, each beside a memcpy of the
// same bytes. The counter `x_memcpy` is the archive's time over memcpy's.
#include <benchmark/benchmark.h>
#include <qvplatform/archive.h>
#include <qvplatform/cstring.h>

#include <chrono>
#include <cstring>
#include <vector>

namespace {

constexpr std::size_t kBytes = 1 << 20;

std::vector<BYTE> Source() {
    std::vector<BYTE> bytes(kBytes);
    for (std::size_t i = 0; i < kBytes; ++i) bytes[i] = static_cast<BYTE>(i * 31);
    return bytes;
}

// Seconds per call of `body`, over enough calls to be steady.
template <class Body>
double SecondsPerCall(Body body) {
    using Clock = std::chrono::steady_clock;
    int calls = 0;
    auto start = Clock::now();
    auto elapsed = Clock::duration::zero();
    while (elapsed < std::chrono::milliseconds(200)) {
        body();
        ++calls;
        elapsed = Clock::now() - start;
    }
    return std::chrono::duration<double>(elapsed).count() / calls;
}

double MemcpySeconds(const std::vector<BYTE>& source) {
    std::vector<BYTE> target(source.size());
    return SecondsPerCall([&] {
        std::memcpy(target.data(), source.data(), source.size());
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    });
}

// Runs `body` as the benchmark and as its own timing, then sets the ratio.
template <class Body>
void AgainstMemcpy(benchmark::State& state, const std::vector<BYTE>& source, Body body) {
    using Clock = std::chrono::steady_clock;
    auto start = Clock::now();
    for (auto _ : state) body();
    double own = std::chrono::duration<double>(Clock::now() - start).count() /
                 static_cast<double>(state.iterations());
    state.counters["x_memcpy"] = own / MemcpySeconds(source);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * source.size()));
}

// The source stored through an archive by `write`, against memcpy.
template <class Write>
void Store(benchmark::State& state, Write write) {
    const std::vector<BYTE> source = Source();
    AgainstMemcpy(state, source, [&] {
        CMemFile file;
        CArchive ar(&file, CArchive::store);
        write(ar, source);
        ar.Close();
        benchmark::DoNotOptimize(file.Bytes().data());
    });
}

// The source loaded through an archive by `read`, against memcpy.
template <class Read>
void Load(benchmark::State& state, Read read) {
    const std::vector<BYTE> source = Source();
    CMemFile file(source);
    std::vector<BYTE> target(source.size());
    AgainstMemcpy(state, source, [&] {
        file.SeekToBegin();
        CArchive ar(&file, CArchive::load);
        read(ar, target);
        benchmark::DoNotOptimize(target.data());
    });
}

void StoreByteByByte(benchmark::State& state) {
    Store(state, [](CArchive& ar, const std::vector<BYTE>& source) {
        for (BYTE by : source) ar << by;
    });
}
BENCHMARK(StoreByteByByte)->Unit(benchmark::kMicrosecond);

void StoreBlock(benchmark::State& state) {
    Store(state, [](CArchive& ar, const std::vector<BYTE>& source) {
        ar.Write(source.data(), static_cast<UINT>(source.size()));
    });
}
BENCHMARK(StoreBlock)->Unit(benchmark::kMicrosecond);

void LoadByteByByte(benchmark::State& state) {
    Load(state, [](CArchive& ar, std::vector<BYTE>& target) {
        for (BYTE& by : target) ar >> by;
    });
}
BENCHMARK(LoadByteByByte)->Unit(benchmark::kMicrosecond);

void LoadBlock(benchmark::State& state) {
    Load(state, [](CArchive& ar, std::vector<BYTE>& target) {
        ar.Read(target.data(), static_cast<UINT>(target.size()));
    });
}
BENCHMARK(LoadBlock)->Unit(benchmark::kMicrosecond);

}  // namespace
