// Reading Tiled maps: the checks both forms share, and the choice between them.
#include <algorithm>
#include <charconv>
#include <filesystem>

#include "tiled_read_internal.h"
#include "toolmain.h"

namespace qvtiled::detail {
namespace {

using qvtool::InputError;

constexpr const char* kOurGrid =
    "in Tiled's Map Properties: orientation Hexagonal, tile size 50 x 40, tile side length "
    "(hex) 30, stagger axis X, stagger index Odd, not infinite";

struct ExpectedText {
    const char* name;
    const char* value;
};

constexpr ExpectedText kOurs[] = {
    {"orientation", "hexagonal"}, {"staggeraxis", "x"},   {"staggerindex", "odd"},
    {"tilewidth", "50"},          {"tileheight", "40"}, {"hexsidelength", "30"},
};

}  // namespace

long WholeNumber(const Field& owner, const char* name, long lo, long hi, const std::string& what) {
    const std::optional<std::string> text = owner(name);
    if (!text) throw InputError{what + " has no " + name};
    long value = 0;
    auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), value);
    if (text->empty() || error != std::errc() || end != text->data() + text->size())
        throw InputError{what + " " + name + " '" + *text + "' is not a whole number"};
    if (value < lo || value > hi)
        throw InputError{what + " " + name + " " + *text + " lies outside " + std::to_string(lo) +
                         " .. " + std::to_string(hi)};
    return value;
}

Cells CheckMapHeader(const Field& map) {
    for (const ExpectedText& ours : kOurs) {
        const std::optional<std::string> value = map(ours.name);
        if (value != ours.value)
            throw InputError{"the map's " + std::string(ours.name) + " is " +
                             (value ? "'" + *value + "'" : "missing") + ", ours is '" +
                             ours.value + "' (" + kOurGrid + ")"};
    }
    if (map("infinite").value_or("0") != "0")
        throw InputError{std::string("the map is infinite; ours have a fixed size (") + kOurGrid +
                         ")"};
    Cells cells;
    cells.width = WholeNumber(map, "width", 0, kMaxSide, "the map");
    cells.height = WholeNumber(map, "height", 0, kMaxSide, "the map");
    return cells;
}

void CheckChipTileSize(const Field& tileset, const std::string& what) {
    const long width = WholeNumber(tileset, "tilewidth", 0, kMaxSide, what);
    const long height = WholeNumber(tileset, "tileheight", 0, kMaxSide, what);
    if (width != kTileWidth || height != kTileHeight)
        throw InputError{what + " has tiles of " + std::to_string(width) + " x " +
                         std::to_string(height) + "; chips are 50 x 40"};
}

void CheckChipTileset(const Field& tileset, const std::string& folder) {
    const std::optional<std::string> source = tileset("source");
    if (!source) return CheckChipTileSize(tileset, "the chip tileset");
    const std::string what = "the chip tileset '" + *source + "'";
    const std::string text = ReadTilesetFile(folder, *source);
    if (LooksLikeXml(text))
        CheckXmlTileset(text, what);
    else
        CheckJsonTileset(text, what);
}

std::string ReadTilesetFile(const std::string& folder, const std::string& source) {
    const std::filesystem::path path = std::filesystem::path(folder) / source;
    if (!std::filesystem::is_regular_file(path))
        throw InputError{"no tileset file '" + path.string() + "'"};
    return qvtool::ReadAll(path.string());
}

std::vector<TilesetRange> SortTilesets(std::vector<TilesetRange> tilesets) {
    std::stable_sort(tilesets.begin(), tilesets.end(),
                     [](const TilesetRange& a, const TilesetRange& b) { return a.firstGid < b.firstGid; });
    return tilesets;
}

std::string LineOf(std::string_view text, std::size_t offset) {
    offset = std::min(offset, text.size());
    return "line " + std::to_string(1 + std::count(text.begin(), text.begin() + static_cast<long>(offset), '\n'));
}

bool LooksLikeXml(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    return first != std::string_view::npos && text[first] == '<';
}

}  // namespace qvtiled::detail

namespace qvtiled {

Cells ReadTiledMap(std::string_view text, const ImportSettings& settings) {
    return detail::LooksLikeXml(text) ? detail::ReadXmlMap(text, settings)
                                      : detail::ReadJsonMap(text, settings);
}

}  // namespace qvtiled
