// Side-by-side timing: every benchmark here runs its subject and its peer (the
// limit it is compared with) in the same iterations and reports their ratio.
#pragma once

#include <benchmark/benchmark.h>

#include <chrono>

namespace qvbench {

// Times `subject` as the benchmark's own time (register with UseManualTime) and
// `peer` beside it; reports `peer_ratio` = subject time / peer time.
template <class Subject, class Peer>
void RunSideBySide(benchmark::State& state, Subject subject, Peer peer) {
    using Clock = std::chrono::steady_clock;
    double subjectSeconds = 0, peerSeconds = 0;
    for (auto _ : state) {
        auto t0 = Clock::now();
        subject();
        auto t1 = Clock::now();
        peer();
        auto t2 = Clock::now();
        double s = std::chrono::duration<double>(t1 - t0).count();
        state.SetIterationTime(s);
        subjectSeconds += s;
        peerSeconds += std::chrono::duration<double>(t2 - t1).count();
    }
    state.counters["peer_ratio"] = peerSeconds > 0 ? subjectSeconds / peerSeconds : 0;
}

}  // namespace qvbench
