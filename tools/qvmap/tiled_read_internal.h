// What the XML and the JSON readers of Tiled maps share: the map's attributes, each reader's
// view of them as text, and the checks that make a Tiled map one of ours.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tiled_layer.h"

namespace qvtiled::detail {

// An attribute of a map, tileset or layer as text: a number as its decimal digits, a
// boolean as "1" or "0"; nullopt when it is absent.
using Field = std::function<std::optional<std::string>(const char* name)>;

// The map's size, once its orientation, stagger, tile size and hex side have been found to be
// ours and it is not infinite. Throws otherwise, saying what Tiled setting differs.
Cells CheckMapHeader(const Field& map);

// A whole number attribute in [lo, hi]; `what` names its owner in the message.
long WholeNumber(const Field& owner, const char* name, long lo, long hi, const std::string& what);

// The chip tileset's tile size must be ours.
void CheckChipTileSize(const Field& tileset, const std::string& what);

// The map file a tileset's `source` names, relative to the map's folder.
std::string ReadTilesetFile(const std::string& folder, const std::string& source);

// "line L" for an offset into `text`.
std::string LineOf(std::string_view text, std::size_t offset);

// Whether a text is the XML form (its first character past white space is '<').
bool LooksLikeXml(std::string_view text);

// Each reader's whole job for its form.
Cells ReadXmlMap(std::string_view text, const ImportSettings& settings);
Cells ReadJsonMap(std::string_view text, const ImportSettings& settings);
// The tile width and height of an external tileset, checked.
void CheckXmlTileset(std::string_view text, const std::string& what);
void CheckJsonTileset(std::string_view text, const std::string& what);

// The first tileset holds the chips: checks its tile size, following `source` when given.
void CheckChipTileset(const Field& tileset, const std::string& folder);

// The tilesets sorted by first id, with the names that messages give them.
std::vector<TilesetRange> SortTilesets(std::vector<TilesetRange> tilesets);

}  // namespace qvtiled::detail
