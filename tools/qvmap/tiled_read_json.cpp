// Reading the JSON form of Tiled maps (.tmj) and tilesets (.tsj) with nlohmann-json.
#include <nlohmann/json.hpp>

#include "tiled_read_internal.h"
#include "toolmain.h"

namespace qvtiled::detail {
namespace {

using json = nlohmann::json;
using qvtool::InputError;

const json* Member(const json& object, const char* name) {
    if (!object.is_object()) return nullptr;
    const auto found = object.find(name);
    return found == object.end() ? nullptr : &*found;
}

std::string Text(const json& value) {
    if (value.is_string()) return value.get<std::string>();
    if (value.is_boolean()) return value.get<bool>() ? "1" : "0";
    return value.dump();
}

Field FieldsOf(const json& object) {
    return [&object](const char* name) -> std::optional<std::string> {
        const json* value = Member(object, name);
        if (!value) return std::nullopt;
        return Text(*value);
    };
}

json Parse(std::string_view text, const std::string& what) {
    try {
        return json::parse(text);
    } catch (const json::parse_error& error) {
        // The library's message starts with its own tag in brackets; the rest says where.
        std::string message = error.what();
        const std::size_t tag = message.find("] ");
        if (tag != std::string::npos) message.erase(0, tag + 2);
        throw InputError{what + ": malformed JSON: " + message};
    }
}

std::string TypeOf(const json& value) {
    const json* type = Member(value, "type");
    return type ? Text(*type) : "";
}

// The first tile layer in document order (named `name`, when given), entering groups without
// recursion, however deep they nest.
const json& FindTileLayer(const json& map, const std::optional<std::string>& name) {
    std::vector<std::pair<const json*, std::size_t>> walk;
    if (const json* layers = Member(map, "layers"); layers && layers->is_array())
        walk.emplace_back(layers, 0);
    while (!walk.empty()) {
        auto& [layers, index] = walk.back();
        if (index == layers->size()) {
            walk.pop_back();
            continue;
        }
        const json& layer = (*layers)[index++];
        const json* layerName = Member(layer, "name");
        if (TypeOf(layer) == "tilelayer" && (!name || (layerName && Text(*layerName) == *name)))
            return layer;
        if (const json* inner = Member(layer, "layers");
            TypeOf(layer) == "group" && inner && inner->is_array())
            walk.emplace_back(inner, 0);
    }
    throw InputError{name ? "the map has no tile layer named '" + *name + "'"
                          : std::string("the map has no tile layer")};
}

std::vector<TilesetRange> Tilesets(const json& map, const std::string& folder) {
    std::vector<TilesetRange> tilesets;
    const json* chips = nullptr;
    const json* list = Member(map, "tilesets");
    if (!list) return tilesets;
    if (!list->is_array()) throw InputError{"the map's tilesets are not a list"};
    for (const json& tileset : *list) {
        const Field fields = FieldsOf(tileset);
        TilesetRange range;
        range.firstGid = WholeNumber(fields, "firstgid", 1, 0x0FFFFFFF, "a tileset");
        range.name = fields("name").value_or(fields("source").value_or(""));
        if (tilesets.empty() || range.firstGid < tilesets.front().firstGid) chips = &tileset;
        tilesets.push_back(range);
    }
    if (chips) CheckChipTileset(FieldsOf(*chips), folder);
    return SortTilesets(std::move(tilesets));
}

}  // namespace

void CheckJsonTileset(std::string_view text, const std::string& what) {
    const json tileset = Parse(text, what);
    if (!tileset.is_object()) throw InputError{what + " is no Tiled tileset"};
    CheckChipTileSize(FieldsOf(tileset), what);
}

Cells ReadJsonMap(std::string_view text, const ImportSettings& settings) {
    const json map = Parse(text, "the map");
    if (!map.is_object() || TypeOf(map) != "map")
        throw InputError{"the file is no Tiled map (no object of type \"map\")"};
    const Cells size = CheckMapHeader(FieldsOf(map));
    std::vector<TilesetRange> tilesets = Tilesets(map, settings.folder);
    const json& layer = FindTileLayer(map, settings.layer);
    const Field fields = FieldsOf(layer);
    const std::string name = fields("name").value_or("");
    const std::string what = "layer '" + name + "'";
    CellSink sink(size, WholeNumber(fields, "width", 0, kMaxSide, what),
                  WholeNumber(fields, "height", 0, kMaxSide, what), name, std::move(tilesets),
                  settings.fill);
    const json* data = Member(layer, "data");
    const std::string encoding = fields("encoding").value_or("csv");
    if (!data) throw InputError{what + " has no data"};
    if (data->is_string()) {
        DecodeLayer(data->get_ref<const std::string&>(), encoding,
                    fields("compression").value_or(""), sink);
    } else if (data->is_array() && encoding == "csv") {
        std::size_t entry = 0;
        for (const json& gid : *data) {
            ++entry;
            if (!gid.is_number_unsigned() && !(gid.is_number_integer() && gid.get<std::int64_t>() >= 0))
                throw InputError{what + ": data entry " + std::to_string(entry) + " " + gid.dump() +
                                 " is not a tile id"};
            sink.Add(gid.get<std::uint64_t>());
        }
    } else {
        throw InputError{what + ": its data is neither a list of tile ids nor a text in base64"};
    }
    return sink.Finish();
}

}  // namespace qvtiled::detail
