// The hex under the mouse, over every pixel of a 26 x 26 map picture: the library's
// region-based search against the closed-form computation of the same answer.
#include <benchmark/benchmark.h>

#include <chrono>

#include "../tests/library/hex_closed_form.h"
#include "qvdll/hexgeom.h"

namespace {

constexpr int kPictureWidth = 40 * 26 + 10;
constexpr int kPictureHeight = 40 * 26 + 20;

template <class HexUnder>
double SecondsOverPicture(HexUnder hexUnder) {
    const auto start = std::chrono::steady_clock::now();
    for (int y = 0; y < kPictureHeight; ++y)
        for (int x = 0; x < kPictureWidth; ++x) benchmark::DoNotOptimize(hexUnder(x, y));
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

POINT LibraryHexUnder(int x, int y) {
    const POINT pixel{x, y};
    return GetMousePosToHexPos(&pixel);
}

void BM_GetMousePosToHexPos_vs_ClosedForm(benchmark::State& state) {
    for (int y = 0; y < kPictureHeight; ++y)
        for (int x = 0; x < kPictureWidth; ++x) {
            const POINT library = LibraryHexUnder(x, y);
            const POINT reference = hexref::HexUnderPixel(x, y);
            if (library.x != reference.x || library.y != reference.y) {
                state.SkipWithError("the library and the closed form disagree");
                return;
            }
        }
    double librarySeconds = 0;
    double closedFormSeconds = 0;
    for (auto _ : state) {
        librarySeconds += SecondsOverPicture(LibraryHexUnder);
        closedFormSeconds += SecondsOverPicture(hexref::HexUnderPixel);
    }
    const double pixels = double{kPictureWidth} * kPictureHeight * state.iterations();
    state.counters["library_px_per_s"] = pixels / librarySeconds;
    state.counters["closed_form_px_per_s"] = pixels / closedFormSeconds;
    state.counters["library_over_closed_form"] = librarySeconds / closedFormSeconds;
}
BENCHMARK(BM_GetMousePosToHexPos_vs_ClosedForm)->Unit(benchmark::kMillisecond);

}  // namespace
