// The chip tileset's picture: the chip sheet as a PNG whose pixels outside each chip's hexagon
// are transparent, cut by the library's hex mask (not by a colour key, so white inside a
// chip, such as snow, stays).
#pragma once

#include <string>

#include "tiled_format.h"

namespace qvtiled {

// Reads the BMP chip sheet at `sheetPath` and writes the tileset picture of its whole chips
// to `pngPath`. Throws qvtool::InputError for a sheet that cannot be used.
ChipTileset WriteChipTilesetPng(const std::string& sheetPath, const std::string& pngPath);

}  // namespace qvtiled
