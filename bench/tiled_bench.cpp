// qvmap's Tiled forms on a 1000 x 1000 map: export (the map's text, written to a file) and
// import (the file read and turned back into cells) beside a plain write and read of the
// map's own bytes, for the XML form with CSV and with base64 + zlib layers, and the JSON
// form with CSV. The cells run in patches of one terrain, as painted maps do.
#include <cstdio>
#include <filesystem>
#include <string>

#include "bench_support.h"
#include "tiled_format.h"

namespace {

using qvtiled::Encoding;

constexpr long kSide = 1000;

qvtiled::Cells PaintedMap() {
    qvtiled::Cells cells{kSide, kSide, {}};
    for (long y = 0; y < kSide; ++y)
        for (long x = 0; x < kSide; ++x)
            cells.values.push_back(static_cast<std::uint8_t>((x / 7 + y / 5 * 3) % 16));
    return cells;
}

const std::string& BenchFile(const char* name) {
    static const std::string folder = std::filesystem::temp_directory_path().string();
    static std::string path;
    return path = folder + "/qvbench-" + name;
}

void Write(const std::string& path, const void* bytes, std::size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes, 1, size, file);
    std::fclose(file);
}

std::string Read(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    std::string bytes(std::filesystem::file_size(path), '\0');
    benchmark::DoNotOptimize(std::fread(bytes.data(), 1, bytes.size(), file));
    std::fclose(file);
    return bytes;
}

qvtiled::ExportSettings Settings(bool json, Encoding encoding) {
    qvtiled::ExportSettings settings;
    settings.json = json;
    settings.encoding = encoding;
    settings.tileset = {"chips.png", 8, 2};
    return settings;
}

void BM_TiledExportVsPlainWrite(benchmark::State& state, bool json, Encoding encoding) {
    const qvtiled::Cells cells = PaintedMap();
    const std::string tiled = BenchFile("export"), plain = BenchFile("export.map");
    qvbench::RunSideBySide(
        state,
        [&] {
            const std::string text = qvtiled::WriteTiledMap(cells, Settings(json, encoding));
            Write(tiled, text.data(), text.size());
        },
        [&] { Write(plain, cells.values.data(), cells.values.size()); });
    state.SetBytesProcessed(state.iterations() * kSide * kSide);
}

void BM_TiledImportVsPlainRead(benchmark::State& state, bool json, Encoding encoding) {
    const qvtiled::Cells cells = PaintedMap();
    const std::string tiled = BenchFile("import"), plain = BenchFile("import.map");
    const std::string text = qvtiled::WriteTiledMap(cells, Settings(json, encoding));
    Write(tiled, text.data(), text.size());
    Write(plain, cells.values.data(), cells.values.size());
    qvbench::RunSideBySide(
        state,
        [&] { benchmark::DoNotOptimize(qvtiled::ReadTiledMap(Read(tiled), {}).values.data()); },
        [&] { benchmark::DoNotOptimize(Read(plain).data()); });
    state.SetBytesProcessed(state.iterations() * kSide * kSide);
}

BENCHMARK_CAPTURE(BM_TiledExportVsPlainWrite, xml_csv, false, Encoding::Csv)->UseManualTime();
BENCHMARK_CAPTURE(BM_TiledExportVsPlainWrite, xml_zlib, false, Encoding::Base64Zlib)->UseManualTime();
BENCHMARK_CAPTURE(BM_TiledExportVsPlainWrite, json_csv, true, Encoding::Csv)->UseManualTime();
BENCHMARK_CAPTURE(BM_TiledImportVsPlainRead, xml_csv, false, Encoding::Csv)->UseManualTime();
BENCHMARK_CAPTURE(BM_TiledImportVsPlainRead, xml_zlib, false, Encoding::Base64Zlib)->UseManualTime();
BENCHMARK_CAPTURE(BM_TiledImportVsPlainRead, json_csv, true, Encoding::Csv)->UseManualTime();

}  // namespace
