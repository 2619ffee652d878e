// Reading the XML form of Tiled maps (.tmx) and tilesets (.tsx) with pugixml.
#include <pugixml.hpp>

#include "tiled_read_internal.h"
#include "toolmain.h"

namespace qvtiled::detail {
namespace {

using qvtool::InputError;

Field FieldsOf(pugi::xml_node node) {
    return [node](const char* name) -> std::optional<std::string> {
        const pugi::xml_attribute attribute = node.attribute(name);
        if (!attribute) return std::nullopt;
        return std::string(attribute.value());
    };
}

pugi::xml_document Parse(std::string_view text, const std::string& what) {
    pugi::xml_document document;
    const pugi::xml_parse_result result = document.load_buffer(text.data(), text.size());
    if (!result)
        throw InputError{what + ": malformed XML at " +
                         LineOf(text, static_cast<std::size_t>(result.offset)) + ": " +
                         result.description()};
    return document;
}

// The next node in document order below `root`, entering a node's children only when asked;
// a walk without recursion, however deep groups nest.
pugi::xml_node Next(pugi::xml_node node, pugi::xml_node root, bool enter) {
    if (enter && node.first_child()) return node.first_child();
    for (; node && node != root; node = node.parent())
        if (node.next_sibling()) return node.next_sibling();
    return {};
}

pugi::xml_node FindTileLayer(pugi::xml_node map, const std::optional<std::string>& name) {
    for (pugi::xml_node node = map.first_child(); node;) {
        const std::string_view kind = node.name();
        if (kind == "layer" && (!name || *name == node.attribute("name").value())) return node;
        node = Next(node, map, kind == "group");
    }
    throw InputError{name ? "the map has no tile layer named '" + *name + "'"
                          : std::string("the map has no tile layer")};
}

std::vector<TilesetRange> Tilesets(pugi::xml_node map, const std::string& folder) {
    std::vector<TilesetRange> tilesets;
    pugi::xml_node chips;
    for (pugi::xml_node tileset : map.children("tileset")) {
        const Field fields = FieldsOf(tileset);
        TilesetRange range;
        range.firstGid = WholeNumber(fields, "firstgid", 1, 0x0FFFFFFF, "a tileset");
        range.name = fields("name").value_or(fields("source").value_or(""));
        if (tilesets.empty() || range.firstGid < tilesets.front().firstGid) chips = tileset;
        tilesets.push_back(range);
    }
    if (chips) CheckChipTileset(FieldsOf(chips), folder);
    return SortTilesets(std::move(tilesets));
}

}  // namespace

void CheckXmlTileset(std::string_view text, const std::string& what) {
    const pugi::xml_document document = Parse(text, what);
    const pugi::xml_node tileset = document.child("tileset");
    if (!tileset) throw InputError{what + " is no Tiled tileset (no <tileset> element)"};
    CheckChipTileSize(FieldsOf(tileset), what);
}

Cells ReadXmlMap(std::string_view text, const ImportSettings& settings) {
    const pugi::xml_document document = Parse(text, "the map");
    const pugi::xml_node map = document.child("map");
    if (!map) throw InputError{"the file is no Tiled map (no <map> element)"};
    const Cells size = CheckMapHeader(FieldsOf(map));
    std::vector<TilesetRange> tilesets = Tilesets(map, settings.folder);
    const pugi::xml_node layer = FindTileLayer(map, settings.layer);
    const Field fields = FieldsOf(layer);
    const std::string what = "layer '" + fields("name").value_or("") + "'";
    CellSink sink(size, WholeNumber(fields, "width", 0, kMaxSide, what),
                  WholeNumber(fields, "height", 0, kMaxSide, what), fields("name").value_or(""),
                  std::move(tilesets), settings.fill);
    const pugi::xml_node data = layer.child("data");
    if (!data) throw InputError{what + " has no <data>"};
    const pugi::xml_attribute encoding = data.attribute("encoding");
    if (encoding)
        DecodeLayer(data.text().get(), encoding.value(), data.attribute("compression").value(), sink);
    else  // the oldest form: one <tile gid="..."/> a cell
        for (pugi::xml_node tile : data.children("tile"))
            sink.Add(tile.attribute("gid") ? static_cast<std::uint64_t>(WholeNumber(
                                                 FieldsOf(tile), "gid", 0, 0xFFFFFFFFL, what + " <tile>"))
                                           : 0);
    return sink.Finish();
}

}  // namespace qvtiled::detail
