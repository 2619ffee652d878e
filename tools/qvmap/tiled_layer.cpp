#include "tiled_layer.h"

#include <zlib.h>
#include <zstd.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <climits>
#include <cstdio>
#include <memory>

#include "args.h"

namespace qvtiled::detail {
namespace {

using qvtool::InputError;

constexpr std::uint64_t kFlipBits = 0xF0000000;  // flipped across either axis, or rotated
constexpr std::uint64_t kLargestId = 0xFFFFFFFF;
constexpr std::size_t kChunk = 64 * 1024;
constexpr char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

bool IsSpace(char ch) {
    return ch == ' ' || ch == '\n' || ch == '\r' || ch == '\t';
}

std::string Base64(const std::uint8_t* bytes, std::size_t count) {
    std::string text;
    text.reserve((count + 2) / 3 * 4);
    for (std::size_t i = 0; i < count; i += 3) {
        const std::size_t left = count - i;
        const std::uint32_t group = std::uint32_t{bytes[i]} << 16 |
                                    (left > 1 ? std::uint32_t{bytes[i + 1]} << 8 : 0) |
                                    (left > 2 ? bytes[i + 2] : 0);
        text += kBase64[group >> 18];
        text += kBase64[group >> 12 & 63];
        text += left > 1 ? kBase64[group >> 6 & 63] : '=';
        text += left > 2 ? kBase64[group & 63] : '=';
    }
    return text;
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

// Ids as 32-bit little-endian values.
std::vector<std::uint8_t> IdBytes(const Cells& cells, int firstGid) {
    std::vector<std::uint8_t> bytes(cells.values.size() * 4);
    std::uint8_t* out = bytes.data();
    for (std::uint8_t value : cells.values) {
        const std::uint32_t gid = std::uint32_t{value} + static_cast<std::uint32_t>(firstGid);
        *out++ = static_cast<std::uint8_t>(gid);
        *out++ = static_cast<std::uint8_t>(gid >> 8);
        *out++ = static_cast<std::uint8_t>(gid >> 16);
        *out++ = static_cast<std::uint8_t>(gid >> 24);
    }
    return bytes;
}

std::vector<std::uint8_t> Deflate(const std::vector<std::uint8_t>& bytes, bool gzip) {
    z_stream stream{};
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, gzip ? 15 + 16 : 15, 8,
                     Z_DEFAULT_STRATEGY) != Z_OK)
        throw InputError{"cannot start the zlib compressor"};
    std::vector<std::uint8_t> packed(deflateBound(&stream, static_cast<uLong>(bytes.size())));
    stream.next_in = const_cast<Bytef*>(bytes.data());
    stream.avail_in = static_cast<uInt>(bytes.size());
    stream.next_out = packed.data();
    stream.avail_out = static_cast<uInt>(packed.size());
    const int status = deflate(&stream, Z_FINISH);
    packed.resize(stream.total_out);
    deflateEnd(&stream);
    if (status != Z_STREAM_END) throw InputError{"zlib could not compress the layer"};
    return packed;
}

std::vector<std::uint8_t> ZstdCompress(const std::vector<std::uint8_t>& bytes) {
    std::vector<std::uint8_t> packed(ZSTD_compressBound(bytes.size()));
    const std::size_t size =
        ZSTD_compress(packed.data(), packed.size(), bytes.data(), bytes.size(), ZSTD_CLEVEL_DEFAULT);
    if (ZSTD_isError(size))
        throw InputError{std::string("zstd could not compress the layer: ") +
                         ZSTD_getErrorName(size)};
    packed.resize(size);
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
    std::size_t i = 0, entry = 0;
    const auto skipSpace = [&] {
        while (i < text.size() && IsSpace(text[i])) ++i;
    };
    for (skipSpace(); i < text.size(); skipSpace()) {
        std::uint64_t gid = 0;
        const char* begin = text.data() + i;
        auto [end, error] = std::from_chars(begin, text.data() + text.size(), gid);
        ++entry;
        if (error != std::errc() || gid > kLargestId)
            throw InputError{sink.Where() + ": CSV entry " + std::to_string(entry) + " '" +
                             std::string(text.substr(i, std::min<std::size_t>(12, text.find_first_of(",\n", i) - i))) +
                             "' is not a tile id"};
        i = static_cast<std::size_t>(end - text.data());
        sink.Add(gid);
        skipSpace();
        if (i == text.size()) break;
        if (text[i] != ',')
            throw InputError{sink.Where() + ": CSV entry " + std::to_string(entry) +
                             " is followed by '" + std::string(1, text[i]) + "', not a comma"};
        ++i;
    }
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

void CellSink::AddBytes(const std::uint8_t* bytes, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        m_partial[m_partialSize++] = bytes[i];
        if (m_partialSize < 4) continue;
        m_partialSize = 0;
        Add(std::uint32_t{m_partial[0]} | std::uint32_t{m_partial[1]} << 8 |
            std::uint32_t{m_partial[2]} << 16 | std::uint32_t{m_partial[3]} << 24);
    }
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

std::string EncodeLayer(const Cells& cells, Encoding encoding, int firstGid) {
    if (encoding == Encoding::Csv) {
        // Rows on lines of their own, as Tiled writes them.
        std::string text = "\n";
        text.reserve(cells.values.size() * 4 + 2);
        char number[16];
        for (std::size_t i = 0; i < cells.values.size(); ++i) {
            auto end = std::to_chars(number, number + sizeof number, cells.values[i] + firstGid).ptr;
            text.append(number, end);
            if (i + 1 < cells.values.size())
                text += (i + 1) % static_cast<std::size_t>(cells.width) ? "," : ",\n";
        }
        return text + "\n";
    }
    std::vector<std::uint8_t> bytes = IdBytes(cells, firstGid);
    if (encoding == Encoding::Base64Zlib || encoding == Encoding::Base64Gzip)
        bytes = Deflate(bytes, encoding == Encoding::Base64Gzip);
    else if (encoding == Encoding::Base64Zstd)
        bytes = ZstdCompress(bytes);
    return Base64(bytes.data(), bytes.size());
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
