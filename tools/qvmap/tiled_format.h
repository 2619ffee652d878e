// Hex maps as Tiled maps: the cells of a map as one tile layer of a Tiled map (the XML form,
// .tmx, or the JSON form, .tmj) and back. Our grid is one of Tiled's hexagonal layouts:
// 50 x 40 hexes, columns 40 pixels apart (a flat top edge of 30 pixels), odd columns 20
// pixels lower. A cell's value is its tile id in the chip tileset, so its global id is the
// value plus the tileset's first id.
//
// Reading takes what Tiled writes, and nothing it cannot turn into our cells: every refusal
// is a qvtool::InputError naming what and where. Sizes are checked before anything is
// allocated, compressed data is inflated no further than the layer's width x height x 4
// bytes, and the cells cost memory only as their data arrives.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "toolmain.h"

namespace qvtiled {

inline constexpr int kTileWidth = 50;
inline constexpr int kTileHeight = 40;
inline constexpr int kHexSideLength = 30;
inline constexpr long kMaxSide = 65535;  // a map file holds its width and height in 16 bits

// How a tile layer's global ids are written.
enum class Encoding { Csv, Base64, Base64Zlib, Base64Gzip, Base64Zstd };

// "csv", "base64", "base64-zlib", "base64-gzip", "base64-zstd"; nullopt for another name.
std::optional<Encoding> EncodingNamed(std::string_view name);

// A map's cells, row by row.
struct Cells {
    long width = 0, height = 0;
    std::vector<std::uint8_t> values;
};

// The chip tileset as the exported map names it.
struct ChipTileset {
    std::string image;  // the picture's path relative to the map
    int columns = 0, rows = 0;
};

struct ExportSettings {
    bool json = false;  // the JSON form rather than the XML one
    Encoding encoding = Encoding::Csv;
    ChipTileset tileset;
    std::string chipSheet;  // recorded in the map's properties: the sheet the chips came from
};

// The text of a Tiled map holding `cells` as its one tile layer.
std::string WriteTiledMap(const Cells& cells, const ExportSettings& settings);

struct ImportSettings {
    std::optional<std::string> layer;  // the tile layer of this name; unset: the first one
    std::uint8_t fill = 4;             // the value of an empty cell (global id 0)
    std::string folder;                // where external tilesets named by the map are found
};

// The cells of a Tiled map in either form (told apart by the first character of the text).
Cells ReadTiledMap(std::string_view text, const ImportSettings& settings);

}  // namespace qvtiled
