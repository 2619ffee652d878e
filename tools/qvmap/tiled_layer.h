// The data of a Tiled tile layer: global ids written as CSV or as base64 of 32-bit
// little-endian ids, raw or compressed (zlib, gzip, zstd), and turned back into cells one
// checked id at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tiled_format.h"

namespace qvtiled::detail {

// A tileset of the map being read: the first of them (by first id) holds the chips.
struct TilesetRange {
    std::int64_t firstGid = 1;
    std::string name;
};

// Builds a layer's cells from its global ids, checking each as it arrives: flip bits, ids of
// another tileset or past the last chip, and more ids than the layer has cells are refused.
class CellSink {
public:
    // `tilesets` sorted by first id. Throws when the layer's size differs from the map's.
    CellSink(const Cells& map, long layerWidth, long layerHeight, std::string layerName,
             std::vector<TilesetRange> tilesets, std::uint8_t fill);

    void Add(std::uint64_t gid);
    // Ids in order, as Add takes them one at a time; a run of chips costs no checks but one.
    void AddIds(const std::uint32_t* gids, std::size_t count);
    // Ids as 32-bit little-endian values; one may be split across calls.
    void AddBytes(const std::uint8_t* bytes, std::size_t count);
    // The cells; throws when the layer is short or an id was left unfinished.
    Cells Finish();

    // What an error message starts with: "layer 'NAME'".
    std::string Where() const;
    std::size_t CellCount() const { return m_count; }

private:
    Cells m_cells;
    std::size_t m_count;
    std::string m_layerName;
    std::vector<TilesetRange> m_tilesets;
    std::uint8_t m_fill;
    std::uint64_t m_chipFirst = 0, m_chipCount = 0;  // the chips' global ids
    std::uint8_t m_partial[4] = {};
    std::size_t m_partialSize = 0;
};

// Appends the ids of `cells` (value + `firstGid`) as the text of a layer's data: CSV rows,
// or base64.
void AppendLayer(std::string& text, const Cells& cells, Encoding encoding, int firstGid);

// Feeds the ids in a layer's data text to `sink`. `encoding` is "csv" or "base64",
// `compression` empty, "zlib", "gzip" or "zstd".
void DecodeLayer(std::string_view text, std::string_view encoding, std::string_view compression,
                 CellSink& sink);

// The attribute values Tiled writes for an encoding.
std::string_view EncodingAttribute(Encoding encoding);     // "csv" or "base64"
std::string_view CompressionAttribute(Encoding encoding);  // "" or the compression

}  // namespace qvtiled::detail
