#include "tiled_layer.h"

#include <zlib.h>
#include <zstd.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>

#include "args.h"

namespace qvtiled::detail {
namespace {

using qvtool::InputError;

constexpr std::uint64_t kFlipBits = 0xF0000000;  // flipped across either axis, or rotated
constexpr std::uint64_t kLargestId = 0xFFFFFFFF;
constexpr std::size_t kChunk = 64 * 1024;
constexpr std::size_t kIdBatch = 1024;  // ids handed to the sink at once
constexpr char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

bool IsSpace(char ch) {
    return ch == ' ' || ch == '\n' || ch == '\r' || ch == '\t';
}

void AppendBase64(std::string& text, const std::uint8_t* bytes, std::size_t count) {
    std::size_t at = text.size();
    text.resize(at + (count + 2) / 3 * 4);
    for (std::size_t i = 0; i < count; i += 3, at += 4) {
        const std::size_t left = count - i;
        const std::uint32_t group = std::uint32_t{bytes[i]} << 16 |
                                    (left > 1 ? std::uint32_t{bytes[i + 1]} << 8 : 0) |
                                    (left > 2 ? bytes[i + 2] : 0);
        text[at] = kBase64[group >> 18];
        text[at + 1] = kBase64[group >> 12 & 63];
        text[at + 2] = left > 1 ? kBase64[group >> 6 & 63] : '=';
        text[at + 3] = left > 2 ? kBase64[group & 63] : '=';
    }
}

std::vector<std::uint8_t> FromBase64(std::string_view text, const std::string& where) {
    std::array<int, 256> digit;
    digit.fill(-1);
    for (int i = 0; i < 64; ++i) digit[static_cast<unsigned char>(kBase64[i])] = i;
    std::vector<std::uint8_t> bytes;
    bytes.reserve(text.size() / 4 * 3);
    std::uint32_t group = 0;
    int bits = 0;
    std::size_t padding = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char ch = text[i];
        if (IsSpace(ch)) continue;
        const int value = digit[static_cast<unsigned char>(ch)];
        if (ch == '=' && padding < 2) {
            ++padding;
            continue;
        }
        if (value < 0 || padding)
            throw InputError{where + ": bad base64 at character " + std::to_string(i + 1) +
                             " of the data ('" + std::string(1, ch) + "')"};
        group = group << 6 | static_cast<std::uint32_t>(value);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            bytes.push_back(static_cast<std::uint8_t>(group >> bits));
        }
    }
    if (bits >= 6) throw InputError{where + ": the base64 data ends in the middle of a byte"};
    return bytes;
}

// Hands the ids to `take` as 32-bit little-endian values, a chunk at a time: whole ids, and
// whole base64 groups of 3 bytes but in the last chunk. The whole layer, 4 bytes a cell,
// is never held at once.
template <class Take>
void ForEachIdChunk(const Cells& cells, int firstGid, Take take) {
    constexpr std::size_t kIds = 3 * 1024;
    std::array<std::uint8_t, 4 * kIds> chunk;
    const std::size_t count = cells.values.size();
    std::size_t first = 0;
    do {  // an empty layer too has its last chunk
        const std::size_t ids = std::min(kIds, count - first);
        std::uint8_t* out = chunk.data();
        for (std::size_t i = first; i < first + ids; ++i) {
            const std::uint32_t gid = cells.values[i] + static_cast<std::uint32_t>(firstGid);
            *out++ = static_cast<std::uint8_t>(gid);
            *out++ = static_cast<std::uint8_t>(gid >> 8);
            *out++ = static_cast<std::uint8_t>(gid >> 16);
            *out++ = static_cast<std::uint8_t>(gid >> 24);
        }
        first += ids;
        take(chunk.data(), 4 * ids, first == count);
    } while (first < count);
}

// The ids as CSV rows, each on a line of its own, as Tiled writes them.
void AppendCsvRows(std::string& text, const Cells& cells, int firstGid) {
    struct Entry {
        char text[16];  // the id and its comma
        std::size_t size;
    };
    std::array<Entry, 256> entries;
    for (int value = 0; value < 256; ++value) {
        Entry& entry = entries[static_cast<std::size_t>(value)];
        char* end = std::to_chars(entry.text, entry.text + 15, value + firstGid).ptr;
        *end++ = ',';
        entry.size = static_cast<std::size_t>(end - entry.text);
    }
    const std::vector<std::uint8_t>& values = cells.values;
    const std::size_t width = static_cast<std::size_t>(std::max(cells.width, 1L));
    std::size_t size = 1 + (values.size() + width - 1) / width;  // the line breaks
    for (std::uint8_t value : values) size += entries[value].size;
    // Room to copy every entry whole, however short its text.
    const std::size_t start = text.size();
    text.resize(start + size + sizeof(Entry::text));
    char* out = text.data() + start;
    *out++ = '\n';
    for (std::size_t row = 0; row < values.size(); row += width) {
        for (std::size_t i = row; i < std::min(row + width, values.size()); ++i) {
            const Entry& entry = entries[values[i]];
            std::memcpy(out, entry.text, sizeof entry.text);
            out += entry.size;
        }
        *out++ = '\n';
    }
    if (!values.empty()) {  // the last id has no comma
        out[-2] = '\n';
        --out;
    }
    text.resize(static_cast<std::size_t>(out - text.data()));
}

std::vector<std::uint8_t> Deflate(const Cells& cells, int firstGid, bool gzip) {
    z_stream stream{};
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, gzip ? 15 + 16 : 15, 8,
                     Z_DEFAULT_STRATEGY) != Z_OK)
        throw InputError{"cannot start the zlib compressor"};
    std::unique_ptr<z_stream, int (*)(z_stream*)> end(&stream, deflateEnd);
    std::vector<std::uint8_t> packed;
    std::array<std::uint8_t, kChunk> out;
    int status = Z_OK;
    ForEachIdChunk(cells, firstGid, [&](const std::uint8_t* bytes, std::size_t size, bool last) {
        stream.next_in = const_cast<Bytef*>(bytes);
        stream.avail_in = static_cast<uInt>(size);
        do {
            stream.next_out = out.data();
            stream.avail_out = out.size();
            status = deflate(&stream, last ? Z_FINISH : Z_NO_FLUSH);
            packed.insert(packed.end(), out.data(), stream.next_out);
        } while (stream.avail_out == 0 && status != Z_STREAM_END);
    });
    if (status != Z_STREAM_END) throw InputError{"zlib could not compress the layer"};
    return packed;
}

std::vector<std::uint8_t> ZstdCompress(const Cells& cells, int firstGid) {
    std::unique_ptr<ZSTD_CCtx, std::size_t (*)(ZSTD_CCtx*)> context(ZSTD_createCCtx(),
                                                                    ZSTD_freeCCtx);
    if (!context) throw InputError{"cannot start the zstd compressor"};
    std::vector<std::uint8_t> packed;
    std::array<std::uint8_t, kChunk> out;
    ForEachIdChunk(cells, firstGid, [&](const std::uint8_t* bytes, std::size_t size, bool last) {
        ZSTD_inBuffer in{bytes, size, 0};
        for (;;) {
            ZSTD_outBuffer chunk{out.data(), out.size(), 0};
            const std::size_t left = ZSTD_compressStream2(context.get(), &chunk, &in,
                                                          last ? ZSTD_e_end : ZSTD_e_continue);
            if (ZSTD_isError(left))
                throw InputError{std::string("zstd could not compress the layer: ") +
                                 ZSTD_getErrorName(left)};
            packed.insert(packed.end(), out.data(), out.data() + chunk.pos);
            if (last ? left == 0 : in.pos == in.size) break;
        }
    });
    return packed;
}

void Inflate(const std::vector<std::uint8_t>& packed, bool gzip, CellSink& sink) {
    z_stream stream{};
    if (inflateInit2(&stream, gzip ? 15 + 16 : 15) != Z_OK)
        throw InputError{"cannot start the zlib decompressor"};
    std::unique_ptr<z_stream, int (*)(z_stream*)> end(&stream, inflateEnd);
    const char* kind = gzip ? "gzip" : "zlib";
    if (packed.size() > UINT_MAX) throw InputError{sink.Where() + ": the data is too large"};
    stream.next_in = const_cast<Bytef*>(packed.data());
    stream.avail_in = static_cast<uInt>(packed.size());
    std::array<std::uint8_t, kChunk> out;
    for (;;) {
        stream.next_out = out.data();
        stream.avail_out = out.size();
        const int status = inflate(&stream, Z_NO_FLUSH);
        sink.AddBytes(out.data(), out.size() - stream.avail_out);
        if (status == Z_STREAM_END) break;
        if (status == Z_BUF_ERROR && stream.avail_in == 0)
            throw InputError{sink.Where() + ": the " + kind + " data ends early"};
        if (status != Z_OK)
            throw InputError{sink.Where() + ": bad " + kind + " data (" +
                             (stream.msg ? stream.msg : "error " + std::to_string(status)) + ")"};
    }
    if (stream.avail_in != 0)
        throw InputError{sink.Where() + ": bytes follow the end of the " + kind + " data"};
}

void ZstdDecompress(const std::vector<std::uint8_t>& packed, CellSink& sink) {
    std::unique_ptr<ZSTD_DCtx, std::size_t (*)(ZSTD_DCtx*)> context(ZSTD_createDCtx(),
                                                                    ZSTD_freeDCtx);
    if (!context) throw InputError{"cannot start the zstd decompressor"};
    // A window larger than the layer's ids would only cost memory: from zstd's smallest
    // window (2^10) up to its default limit (2^27).
    int windowLog = 10;
    while (windowLog < 27 && (std::size_t{1} << windowLog) < 4 * sink.CellCount()) ++windowLog;
    ZSTD_DCtx_setParameter(context.get(), ZSTD_d_windowLogMax, windowLog);
    ZSTD_inBuffer in{packed.data(), packed.size(), 0};
    std::array<std::uint8_t, kChunk> out;
    for (;;) {
        ZSTD_outBuffer chunk{out.data(), out.size(), 0};
        const std::size_t status = ZSTD_decompressStream(context.get(), &chunk, &in);
        if (ZSTD_isError(status))
            throw InputError{sink.Where() + ": bad zstd data (" + ZSTD_getErrorName(status) + ")"};
        sink.AddBytes(out.data(), chunk.pos);
        if (status == 0) break;
        if (in.pos == in.size && chunk.pos < chunk.size)
            throw InputError{sink.Where() + ": the zstd data ends early"};
    }
    if (in.pos != in.size)
        throw InputError{sink.Where() + ": bytes follow the end of the zstd data"};
}

void DecodeCsv(std::string_view text, CellSink& sink) {
    const char* at = text.data();
    const char* const end = at + text.size();
    const auto skipSpace = [&] {
        while (at != end && IsSpace(*at)) ++at;
    };
    // Ids go to the sink a batch at a time, and all before a fault is reported: the sink
    // may have found an earlier one.
    std::array<std::uint32_t, kIdBatch> batch;
    std::size_t batched = 0;
    const auto fault = [&](const std::string& message) {
        sink.AddIds(batch.data(), batched);
        return InputError{sink.Where() + ": " + message};
    };
    for (std::size_t entry = 1;; ++entry) {
        skipSpace();
        if (at == end) break;
        const char* const first = at;
        std::uint64_t gid = 0;
        for (unsigned digit; at != end && (digit = static_cast<unsigned char>(*at) - 48u) < 10; ++at)
            if ((gid = gid * 10 + digit) > kLargestId) break;
        if (at == first || gid > kLargestId) {
            const std::string_view shown = text.substr(static_cast<std::size_t>(first - text.data()));
            throw fault("CSV entry " + std::to_string(entry) + " '" +
                        std::string(shown.substr(0, std::min<std::size_t>(12, shown.find_first_of(",\n")))) +
                        "' is not a tile id");
        }
        batch[batched++] = static_cast<std::uint32_t>(gid);
        if (batched == batch.size()) {
            sink.AddIds(batch.data(), batched);
            batched = 0;
        }
        skipSpace();
        if (at == end) break;
        if (*at++ != ',')
            throw fault("CSV entry " + std::to_string(entry) + " is followed by '" +
                        std::string(1, at[-1]) + "', not a comma");
    }
    sink.AddIds(batch.data(), batched);
}

}  // namespace

CellSink::CellSink(const Cells& map, long layerWidth, long layerHeight, std::string layerName,
                   std::vector<TilesetRange> tilesets, std::uint8_t fill)
    : m_count(static_cast<std::size_t>(map.width) * static_cast<std::size_t>(map.height)),
      m_layerName(std::move(layerName)),
      m_tilesets(std::move(tilesets)),
      m_fill(fill) {
    if (layerWidth != map.width || layerHeight != map.height)
        throw InputError{Where() + " is " + std::to_string(layerWidth) + " x " +
                         std::to_string(layerHeight) + " hexes, the map " +
                         std::to_string(map.width) + " x " + std::to_string(map.height)};
    m_cells.width = map.width;
    m_cells.height = map.height;
    m_cells.values.reserve(std::min<std::size_t>(m_count, kChunk));
    if (m_tilesets.empty()) return;
    // The chips: the first tileset's first 256 tiles, short of the next tileset and of ids
    // with flip bits.
    m_chipFirst = static_cast<std::uint64_t>(m_tilesets.front().firstGid);
    std::uint64_t end = std::min<std::uint64_t>(m_chipFirst + 256, kFlipBits & (~kFlipBits + 1));
    if (m_tilesets.size() > 1)
        end = std::min(end, static_cast<std::uint64_t>(m_tilesets[1].firstGid));
    m_chipCount = end - m_chipFirst;
}

std::string CellSink::Where() const {
    return "layer '" + m_layerName + "'";
}

void CellSink::Add(std::uint64_t gid) {
    const std::size_t index = m_cells.values.size();
    if (index == m_count)
        throw InputError{Where() + " holds more tile ids than its " + std::to_string(m_cells.width) +
                         " x " + std::to_string(m_cells.height) + " cells"};
    const auto cell = [&] {
        const long width = std::max(m_cells.width, 1L);
        return Where() + ", cell " +
               qvmap::HexLabel(static_cast<long>(index % width), static_cast<long>(index / width)) +
               ": ";
    };
    if (gid > kLargestId)
        throw InputError{cell() + std::to_string(gid) + " is no tile id (past 32 bits)"};
    if (gid & kFlipBits) {
        char hex[24];
        std::snprintf(hex, sizeof hex, "0x%08llX", static_cast<unsigned long long>(gid));
        throw InputError{cell() + "the tile is flipped or rotated (global id " + hex +
                         "); chips are drawn one way only"};
    }
    if (gid == 0) {
        m_cells.values.push_back(m_fill);
        return;
    }
    const auto owner = std::upper_bound(
        m_tilesets.begin(), m_tilesets.end(), static_cast<std::int64_t>(gid),
        [](std::int64_t id, const TilesetRange& tileset) { return id < tileset.firstGid; });
    if (owner == m_tilesets.begin())
        throw InputError{cell() + "global id " + std::to_string(gid) + " belongs to no tileset"};
    if (owner != m_tilesets.begin() + 1)
        throw InputError{cell() + "global id " + std::to_string(gid) + " is a tile of tileset '" +
                         std::prev(owner)->name + "'; only the first tileset's tiles are chips"};
    const std::uint64_t id = gid - static_cast<std::uint64_t>(m_tilesets.front().firstGid);
    if (id > 255)
        throw InputError{cell() + "tile id " + std::to_string(id) + " is not a chip (0 .. 255)"};
    m_cells.values.push_back(static_cast<std::uint8_t>(id));
}

void CellSink::AddIds(const std::uint32_t* gids, std::size_t count) {
    while (count) {
        // A run of chips the layer has room for goes straight into its cells, from locals: a
        // byte written through a pointer could be any member. The id that ends the run goes
        // through Add's checks.
        const std::size_t start = m_cells.values.size();
        const std::size_t room = std::min(count, m_count - start);
        m_cells.values.resize(start + room);
        std::uint8_t* const cells = m_cells.values.data() + start;
        const std::uint64_t chipFirst = m_chipFirst, chipCount = m_chipCount;
        std::size_t run = 0;
        for (std::uint64_t chip; run < room && (chip = gids[run] - chipFirst) < chipCount;)
            cells[run++] = static_cast<std::uint8_t>(chip);
        m_cells.values.resize(start + run);
        gids += run;
        count -= run;
        if (count == 0) break;
        Add(*gids++);
        --count;
    }
}

void CellSink::AddBytes(const std::uint8_t* bytes, std::size_t count) {
    const auto id = [](const std::uint8_t* b) {
        return std::uint32_t{b[0]} | std::uint32_t{b[1]} << 8 | std::uint32_t{b[2]} << 16 |
               std::uint32_t{b[3]} << 24;
    };
    for (; m_partialSize && count; --count) {  // the id the last call began
        m_partial[m_partialSize++] = *bytes++;
        if (m_partialSize == 4) {
            m_partialSize = 0;
            Add(id(m_partial));
        }
    }
    std::array<std::uint32_t, kIdBatch> gids;
    while (count >= 4) {
        const std::size_t ids = std::min(count / 4, gids.size());
        for (std::size_t i = 0; i < ids; ++i) gids[i] = id(bytes + 4 * i);
        AddIds(gids.data(), ids);
        bytes += 4 * ids;
        count -= 4 * ids;
    }
    if (count == 0) return;  // bytes left over come after a finished id: they begin the next
    std::copy(bytes, bytes + count, m_partial);
    m_partialSize = count;
}

Cells CellSink::Finish() {
    if (m_partialSize)
        throw InputError{Where() + " ends inside a tile id (" + std::to_string(m_partialSize) +
                         " of its 4 bytes)"};
    if (m_cells.values.size() != m_count)
        throw InputError{Where() + " holds " + std::to_string(m_cells.values.size()) + " of its " +
                         std::to_string(m_cells.width) + " x " + std::to_string(m_cells.height) +
                         " = " + std::to_string(m_count) + " cells"};
    return std::move(m_cells);
}

std::string_view EncodingAttribute(Encoding encoding) {
    return encoding == Encoding::Csv ? "csv" : "base64";
}

std::string_view CompressionAttribute(Encoding encoding) {
    switch (encoding) {
        case Encoding::Base64Zlib: return "zlib";
        case Encoding::Base64Gzip: return "gzip";
        case Encoding::Base64Zstd: return "zstd";
        default: return "";
    }
}

void AppendLayer(std::string& text, const Cells& cells, Encoding encoding, int firstGid) {
    if (encoding == Encoding::Csv) return AppendCsvRows(text, cells, firstGid);
    if (encoding == Encoding::Base64)
        return ForEachIdChunk(cells, firstGid, [&](const std::uint8_t* bytes, std::size_t size, bool) {
            AppendBase64(text, bytes, size);
        });
    const std::vector<std::uint8_t> packed =
        encoding == Encoding::Base64Zstd
            ? ZstdCompress(cells, firstGid)
            : Deflate(cells, firstGid, encoding == Encoding::Base64Gzip);
    AppendBase64(text, packed.data(), packed.size());
}

void DecodeLayer(std::string_view text, std::string_view encoding, std::string_view compression,
                 CellSink& sink) {
    if (encoding == "csv" && compression.empty()) return DecodeCsv(text, sink);
    if (encoding != "base64")
        throw InputError{sink.Where() + ": layer data encoding '" + std::string(encoding) +
                         "' is not one Tiled writes (csv or base64)"};
    const std::vector<std::uint8_t> bytes = FromBase64(text, sink.Where());
    if (compression.empty())
        sink.AddBytes(bytes.data(), bytes.size());
    else if (compression == "zlib" || compression == "gzip")
        Inflate(bytes, compression == "gzip", sink);
    else if (compression == "zstd")
        ZstdDecompress(bytes, sink);
    else
        throw InputError{sink.Where() + ": unknown compression '" + std::string(compression) +
                         "' (zlib, gzip or zstd)"};
}

}  // namespace qvtiled::detail

namespace qvtiled {

std::optional<Encoding> EncodingNamed(std::string_view name) {
    constexpr std::pair<std::string_view, Encoding> kNames[] = {
        {"csv", Encoding::Csv},
        {"base64", Encoding::Base64},
        {"base64-zlib", Encoding::Base64Zlib},
        {"base64-gzip", Encoding::Base64Gzip},
        {"base64-zstd", Encoding::Base64Zstd},
    };
    for (const auto& [text, encoding] : kNames)
        if (name == text) return encoding;
    return std::nullopt;
}

}  // namespace qvtiled
