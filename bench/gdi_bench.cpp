// The graphics layer's hot paths beside their baselines: block transfers of a map tile and
// of a whole map picture against memcpy of the same bytes, and a hex label against a
// bare fill of its rectangle. Each benchmark runs both sides in every iteration and reports
// their times and ratio as counters.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "qvplatform/draw.h"
#include "qvplatform/font.h"

namespace {

using Clock = std::chrono::steady_clock;

// A memory context with its own colour bitmap of w x h pixels.
struct Canvas {
    Canvas(int w, int h)
        : dc(CreateCompatibleDC(nullptr)), bitmap(CreateBitmap(w, h, 1, 32, nullptr)) {
        old = SelectObject(dc, bitmap);
        RECT all{0, 0, w, h};
        FillSolidRect(dc, &all, RGB(90, 160, 40));
    }
    ~Canvas() {
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ old;
};

// The middle value; the vector is reordered.
double Median(std::vector<double>& v) {
    auto mid = v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2);
    std::nth_element(v.begin(), mid, v.end());
    return *mid;
}

// Runs `subject` and each peer `batch` times per iteration; reports the subject's time per
// call and its ratio to each peer's. Both are medians over the iterations, each ratio taken
// within one iteration, so that an iteration in which another process took the processor
// does not move the figures on a shared machine.
template <class Subject, class... Peers>
void SideBySide(benchmark::State& state, int batch, Subject subject,
                std::pair<const char*, Peers>... peers) {
    std::vector<double> subjectNs;
    std::vector<double> ratios[sizeof...(Peers)];
    auto time = [batch](auto& f) {
        auto t0 = Clock::now();
        for (int i = 0; i < batch; ++i) f();
        benchmark::ClobberMemory();
        return std::chrono::duration<double, std::nano>(Clock::now() - t0).count();
    };
    for (auto _ : state) {
        double ns = time(subject);
        subjectNs.push_back(ns / batch);
        std::size_t k = 0;
        (ratios[k++].push_back(ns / time(peers.second)), ...);
    }
    if (subjectNs.empty()) return;
    state.counters["ns"] = Median(subjectNs);
    std::size_t k = 0;
    ((state.counters[std::string("x_") + peers.first] = Median(ratios[k++])), ...);
}

// A transfer of w x h pixels from a picture of that size into a 1050 x 1060 map buffer,
// beside memcpy of the same bytes in one piece and row by row at the same strides.
void BlitVsMemcpy(benchmark::State& state, DWORD rop, int w, int h, int batch) {
    Canvas source(w, h), target(1050, 1060);
    const std::size_t rowBytes = static_cast<std::size_t>(w) * 4;
    std::vector<std::uint8_t> from(rowBytes * h, 7), to(from.size());
    std::vector<std::uint8_t> buffer(std::size_t{1050} * 4 * 1060);
    SideBySide(
        state, batch, [&] { BitBlt(target.dc, 1050 - w, 1060 - h, w, h, source.dc, 0, 0, rop); },
        std::pair{"memcpy",
                  [&] {
                      std::memcpy(to.data(), from.data(), from.size());
                      benchmark::DoNotOptimize(to.data());
                  }},
        std::pair{"memcpy_rows", [&] {
                      for (int y = 0; y < h; ++y)
                          std::memcpy(buffer.data() + std::size_t{1050} * 4 * y,
                                      from.data() + rowBytes * y, rowBytes);
                      benchmark::DoNotOptimize(buffer.data());
                  }});
}

void TileSrcCopy(benchmark::State& s) {
    BlitVsMemcpy(s, SRCCOPY, 50, 40, 32);
}
void TileSrcErase(benchmark::State& s) {
    BlitVsMemcpy(s, SRCERASE, 50, 40, 32);
}
void TileSrcAnd(benchmark::State& s) {
    BlitVsMemcpy(s, SRCAND, 50, 40, 32);
}
void TileSrcPaint(benchmark::State& s) {
    BlitVsMemcpy(s, SRCPAINT, 50, 40, 32);
}
void PictureSrcCopy(benchmark::State& s) {
    BlitVsMemcpy(s, SRCCOPY, 1050, 1060, 1);
}
void PictureSrcErase(benchmark::State& s) {
    BlitVsMemcpy(s, SRCERASE, 1050, 1060, 1);
}

// A hex label as the map view draws it, with glyphs already cached, beside the copy of one
// 50 x 40 chip that accompanies every label. Also reports labels per second.
void HexLabel(benchmark::State& state) {
    Canvas chip(50, 40), map(1050, 1060);
    LOGFONTA log{};
    log.lfHeight = -9;
    std::strcpy(log.lfFaceName, "\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e");
    HFONT font = CreateFontIndirectA(&log);
    HGDIOBJ old = SelectObject(map.dc, font);
    SetBkMode(map.dc, TRANSPARENT);
    RECT cell{400, 420, 450, 460};
    DrawTextA(map.dc, " (AB,12) ", -1, &cell,
              DT_SINGLELINE | DT_BOTTOM | DT_CENTER);  // warm the cache
    SideBySide(
        state, 16,
        [&] { DrawTextA(map.dc, " (AB,12) ", -1, &cell, DT_SINGLELINE | DT_BOTTOM | DT_CENTER); },
        std::pair{"tile_blit", [&] { BitBlt(map.dc, 400, 420, 50, 40, chip.dc, 0, 0, SRCCOPY); }});
    state.counters["labels_per_s"] = 1e9 / state.counters["ns"];
    SelectObject(map.dc, old);
    DeleteObject(font);
}

}  // namespace

BENCHMARK(HexLabel);
BENCHMARK(TileSrcCopy);
BENCHMARK(TileSrcErase);
BENCHMARK(TileSrcAnd);
BENCHMARK(TileSrcPaint);
BENCHMARK(PictureSrcCopy);
BENCHMARK(PictureSrcErase);
