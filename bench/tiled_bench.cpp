// qvmap's Tiled forms on a 1000 x 1000 map: export (the map's text, written to a file) and
// import (the file read and turned back into cells) beside a plain write and read of the
// map's own bytes, for the XML form with CSV and with base64 + zlib layers, and the JSON
// form with CSV. The cells run in patches of one terrain, as painted maps do. Beside the
// same peers, zlib alone on the layer's ids: the least the base64 + zlib cases can cost.
#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_support.h"
#include "tiled_format.h"

namespace {

using qvtiled::Encoding;

constexpr long kSide = 1000;

const qvtiled::Cells& PaintedMap() {
    static const qvtiled::Cells cells = [] {
        qvtiled::Cells painted{kSide, kSide, {}};
        for (long y = 0; y < kSide; ++y)
            for (long x = 0; x < kSide; ++x)
                painted.values.push_back(static_cast<std::uint8_t>((x / 7 + y / 5 * 3) % 16));
        return painted;
    }();
    return cells;
}

std::string BenchFile(const char* name) {
    return std::filesystem::temp_directory_path().string() + "/qvbench-" + name;
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

// Times `subject` beside writing the map's bytes to a file.
template <class Subject>
void BesidePlainWrite(benchmark::State& state, Subject subject) {
    const std::string plain = BenchFile("export.map");
    const std::vector<std::uint8_t>& values = PaintedMap().values;
    qvbench::RunSideBySide(state, subject, [&] { Write(plain, values.data(), values.size()); });
    state.SetBytesProcessed(state.iterations() * kSide * kSide);
}

// Times `subject` beside reading the map's bytes from a file.
template <class Subject>
void BesidePlainRead(benchmark::State& state, Subject subject) {
    const std::string plain = BenchFile("import.map");
    Write(plain, PaintedMap().values.data(), PaintedMap().values.size());
    qvbench::RunSideBySide(state, subject, [&] { benchmark::DoNotOptimize(Read(plain).data()); });
    state.SetBytesProcessed(state.iterations() * kSide * kSide);
}

std::string TiledText(bool json, Encoding encoding) {
    qvtiled::ExportSettings settings;
    settings.json = json;
    settings.encoding = encoding;
    settings.tileset = {"chips.png", 8, 2};
    return qvtiled::WriteTiledMap(PaintedMap(), settings);
}

void BM_TiledExportVsPlainWrite(benchmark::State& state, bool json, Encoding encoding) {
    const std::string tiled = BenchFile("export");
    BesidePlainWrite(state, [&] {
        const std::string text = TiledText(json, encoding);
        Write(tiled, text.data(), text.size());
    });
}

void BM_TiledImportVsPlainRead(benchmark::State& state, bool json, Encoding encoding) {
    const std::string tiled = BenchFile("import");
    const std::string text = TiledText(json, encoding);
    Write(tiled, text.data(), text.size());
    BesidePlainRead(state, [&] {
        benchmark::DoNotOptimize(qvtiled::ReadTiledMap(Read(tiled), {}).values.data());
    });
}

// The layer's ids as the base64 + zlib form holds them: 4 bytes a cell, little-endian.
std::vector<Bytef> IdBytes() {
    std::vector<Bytef> bytes;
    for (std::uint8_t value : PaintedMap().values)
        bytes.insert(bytes.end(), {static_cast<Bytef>(value + 1), 0, 0, 0});
    return bytes;
}

void BM_TiledZlibAloneVsPlainWrite(benchmark::State& state) {
    const std::vector<Bytef> ids = IdBytes();
    std::vector<Bytef> packed(compressBound(ids.size()));
    BesidePlainWrite(state, [&] {
        uLongf size = packed.size();
        benchmark::DoNotOptimize(compress(packed.data(), &size, ids.data(), ids.size()));
    });
}

void BM_TiledZlibAloneVsPlainRead(benchmark::State& state) {
    std::vector<Bytef> ids = IdBytes();
    std::vector<Bytef> packed(compressBound(ids.size()));
    uLongf packedSize = packed.size();
    compress(packed.data(), &packedSize, ids.data(), ids.size());
    BesidePlainRead(state, [&] {
        uLongf size = ids.size();
        benchmark::DoNotOptimize(uncompress(ids.data(), &size, packed.data(), packedSize));
    });
}

BENCHMARK_CAPTURE(BM_TiledExportVsPlainWrite, xml_csv, false, Encoding::Csv)->UseManualTime();
BENCHMARK_CAPTURE(BM_TiledExportVsPlainWrite, xml_zlib, false, Encoding::Base64Zlib)->UseManualTime();
BENCHMARK_CAPTURE(BM_TiledExportVsPlainWrite, json_csv, true, Encoding::Csv)->UseManualTime();
BENCHMARK(BM_TiledZlibAloneVsPlainWrite)->UseManualTime();
BENCHMARK_CAPTURE(BM_TiledImportVsPlainRead, xml_csv, false, Encoding::Csv)->UseManualTime();
BENCHMARK_CAPTURE(BM_TiledImportVsPlainRead, xml_zlib, false, Encoding::Base64Zlib)->UseManualTime();
BENCHMARK_CAPTURE(BM_TiledImportVsPlainRead, json_csv, true, Encoding::Csv)->UseManualTime();
BENCHMARK(BM_TiledZlibAloneVsPlainRead)->UseManualTime();

}  // namespace
