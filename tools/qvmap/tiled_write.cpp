// Writing Tiled maps: the XML form with pugixml, the JSON form with nlohmann-json, both with
// the attributes Tiled itself writes for our grid.
#include <nlohmann/json.hpp>
#include <pugixml.hpp>

#include <string_view>

#include "tiled_layer.h"

namespace qvtiled {
namespace {

constexpr int kFirstGid = 1;
constexpr const char* kVersion = "1.8";
constexpr const char* kTilesetName = "chips";
constexpr const char* kLayerName = "cells";
constexpr const char* kSheetProperty = "chipsheet";
constexpr const char* kDataMarker = "@";  // the layer's data until it is written in

// `text` with the layer's data, between `open` and `close`, in place of the last `marker`:
// the data, megabytes of digits or base64 in a large map, needs no escaping and is
// better not read again by the library that wrote the rest.
std::string WithLayerData(std::string_view text, std::string_view marker, std::string_view open,
                          const Cells& cells, Encoding encoding, std::string_view close) {
    const std::size_t at = text.rfind(marker);
    std::string result(text.substr(0, at));
    detail::AppendLayer(result.append(open), cells, encoding, kFirstGid);
    return result.append(close).append(text.substr(at + marker.size()));
}

std::string WriteXml(const Cells& cells, const ExportSettings& settings) {
    pugi::xml_document document;
    pugi::xml_node declaration = document.append_child(pugi::node_declaration);
    declaration.append_attribute("version") = "1.0";
    declaration.append_attribute("encoding") = "UTF-8";

    pugi::xml_node map = document.append_child("map");
    map.append_attribute("version") = kVersion;
    map.append_attribute("orientation") = "hexagonal";
    map.append_attribute("renderorder") = "right-down";
    map.append_attribute("width") = cells.width;
    map.append_attribute("height") = cells.height;
    map.append_attribute("tilewidth") = kTileWidth;
    map.append_attribute("tileheight") = kTileHeight;
    map.append_attribute("infinite") = 0;
    map.append_attribute("hexsidelength") = kHexSideLength;
    map.append_attribute("staggeraxis") = "x";
    map.append_attribute("staggerindex") = "odd";
    map.append_attribute("nextlayerid") = 2;
    map.append_attribute("nextobjectid") = 1;

    pugi::xml_node property = map.append_child("properties").append_child("property");
    property.append_attribute("name") = kSheetProperty;
    property.append_attribute("value") = settings.chipSheet.c_str();

    pugi::xml_node tileset = map.append_child("tileset");
    tileset.append_attribute("firstgid") = kFirstGid;
    tileset.append_attribute("name") = kTilesetName;
    tileset.append_attribute("tilewidth") = kTileWidth;
    tileset.append_attribute("tileheight") = kTileHeight;
    tileset.append_attribute("tilecount") = settings.tileset.columns * settings.tileset.rows;
    tileset.append_attribute("columns") = settings.tileset.columns;
    pugi::xml_node image = tileset.append_child("image");
    image.append_attribute("source") = settings.tileset.image.c_str();
    image.append_attribute("width") = settings.tileset.columns * kTileWidth;
    image.append_attribute("height") = settings.tileset.rows * kTileHeight;

    pugi::xml_node layer = map.append_child("layer");
    layer.append_attribute("id") = 1;
    layer.append_attribute("name") = kLayerName;
    layer.append_attribute("width") = cells.width;
    layer.append_attribute("height") = cells.height;
    pugi::xml_node data = layer.append_child("data");
    data.append_attribute("encoding") = detail::EncodingAttribute(settings.encoding).data();
    const std::string_view compression = detail::CompressionAttribute(settings.encoding);
    if (!compression.empty()) data.append_attribute("compression") = compression.data();
    data.append_child(pugi::node_pcdata).set_value(kDataMarker);

    struct StringWriter : pugi::xml_writer {
        std::string text;
        void write(const void* data, std::size_t size) override {
            text.append(static_cast<const char*>(data), size);
        }
    } writer;
    document.save(writer, " ");  // the layer's data is the last text in it
    return WithLayerData(writer.text, kDataMarker, "", cells, settings.encoding, "");
}

std::string WriteJson(const Cells& cells, const ExportSettings& settings) {
    using json = nlohmann::ordered_json;
    json layer = {{"id", 1}, {"name", kLayerName}, {"type", "tilelayer"},
                  {"width", cells.width}, {"height", cells.height}, {"x", 0}, {"y", 0},
                  {"opacity", 1}, {"visible", true}};
    if (settings.encoding != Encoding::Csv) {
        layer["encoding"] = detail::EncodingAttribute(settings.encoding);
        const std::string_view compression = detail::CompressionAttribute(settings.encoding);
        if (!compression.empty()) layer["compression"] = compression;
    }
    layer["data"] = nullptr;
    const json tileset = {
        {"firstgid", kFirstGid},
        {"name", kTilesetName},
        {"tilewidth", kTileWidth},
        {"tileheight", kTileHeight},
        {"tilecount", settings.tileset.columns * settings.tileset.rows},
        {"columns", settings.tileset.columns},
        {"image", settings.tileset.image},
        {"imagewidth", settings.tileset.columns * kTileWidth},
        {"imageheight", settings.tileset.rows * kTileHeight},
        {"margin", 0},
        {"spacing", 0},
    };
    const json map = {
        {"type", "map"},
        {"version", kVersion},
        {"orientation", "hexagonal"},
        {"renderorder", "right-down"},
        {"width", cells.width},
        {"height", cells.height},
        {"tilewidth", kTileWidth},
        {"tileheight", kTileHeight},
        {"infinite", false},
        {"hexsidelength", kHexSideLength},
        {"staggeraxis", "x"},
        {"staggerindex", "odd"},
        {"nextlayerid", 2},
        {"nextobjectid", 1},
        {"compressionlevel", -1},
        {"properties",
         json::array({{{"name", kSheetProperty}, {"type", "string"}, {"value", settings.chipSheet}}})},
        {"tilesets", json::array({tileset})},
        {"layers", json::array({layer})},
    };
    // The layer's data, the last key of the last object, is the text's last null.
    const std::string text = map.dump(-1, ' ', false, json::error_handler_t::replace) + "\n";
    const bool csv = settings.encoding == Encoding::Csv;
    return WithLayerData(text, "null", csv ? "[" : "\"", cells, settings.encoding, csv ? "]" : "\"");
}

}  // namespace

std::string WriteTiledMap(const Cells& cells, const ExportSettings& settings) {
    return settings.json ? WriteJson(cells, settings) : WriteXml(cells, settings);
}

}  // namespace qvtiled
