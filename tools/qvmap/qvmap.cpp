// qvmap: make, inspect and edit hex map files, and ask the grid questions a map
// user asks (which hex is under a pixel, how far apart two hexes are).
#include <array>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <qvdll/hexgeom.h>
#include <qvdll/hexmap.h>

#include "args.h"
#include "commands.h"
#include "mapcheck.h"
#include "mapsave.h"
#include "tiled_commands.h"

namespace qvmap {
namespace {

constexpr const char* kUsage =
    "usage:\n"
    "  qvmap new FILE [--width W] [--height H] [--fill V] [--force]\n"
    "                      write a new map (26 x 26, every cell 4, unless told)\n"
    "  qvmap info FILE     size, picture extent and a histogram of cell values\n"
    "  qvmap get FILE X Y  the value of one cell\n"
    "  qvmap set FILE X Y V\n"
    "                      change one cell and write the map back\n"
    "  qvmap hex PX PY     the hex under pixel (PX, PY) of the map picture\n"
    "  qvmap dist X1 Y1 X2 Y2\n"
    "                      steps between two hexes\n"
    "  qvmap render FILE -o OUT.png [--chips SHEET] [--units UNITS]\n"
    "                      [--scroll X,Y --size W,H]\n"
    "                      draw the map with the library's view into a PNG: the whole\n"
    "                      map, or what a W x H window scrolled to X,Y shows\n"
    "  qvmap view FILE [--chips SHEET] [--units UNITS] [--size W,H] [--script ACTIONS]\n"
    "                      show the map in a window: a click gives a hex the next\n"
    "                      chip, 's' saves; ACTIONS such as 'key down; click 40 30;\n"
    "                      key s; shot a.png; quit' drive it without a person\n"
    "  qvmap export FILE -o OUT.tmx|OUT.tmj [--chips SHEET] [--encoding E] [--force]\n"
    "                      the map as a Tiled map (XML or JSON), its chips as the\n"
    "                      tileset OUT-chips.png; E: csv (unless told), base64,\n"
    "                      base64-zlib, base64-gzip, base64-zstd\n"
    "  qvmap import IN.tmx|IN.tmj -o OUT [--fill V] [--layer NAME] [--force]\n"
    "                      a Tiled map's first tile layer (or NAME) as a map file;\n"
    "                      empty cells get V (4 unless told)\n"
    "The view reads its chip sheet MAP.BMP from the current folder; --chips names\n"
    "another sheet (the folders are left as they are). --units draws the units of a\n"
    "file of unit lines (or a refresh text) on their hexes, with their pictures from\n"
    "Images\\ in the current folder.\n"
    "X is a column: a number from 0 or the letters of the map labels (A, B, ..., AA).\n"
    "Y is a row number from 0; the map labels count rows from 1, so (B,3) is X=B Y=2.\n";

constexpr long kMaxCoordinate = 65535;

void ExpectCount(const Args& args, std::size_t count, const char* command) {
    if (args.size() != count)
        throw UsageError{std::string(command) + " takes " + std::to_string(count) + " argument" +
                         (count == 1 ? "" : "s") + ", got " + std::to_string(args.size())};
}

// A cell position, checked against the map.
struct Cell {
    WORD x, y;
};

Cell ParseCell(CHexMap& map, const std::string& x, const std::string& y) {
    long column = ParseColumn(x, "X");
    long row = ParseNumber(y, 0, kMaxCoordinate, "Y");
    if (column < 0 || column >= map.GetMapWidth() || row >= map.GetMapHeight())
        throw InputError{"hex " + std::to_string(column) + "," + std::to_string(row) + " " +
                         HexLabel(column, row) + " lies outside the " +
                         std::to_string(map.GetMapWidth()) + " x " +
                         std::to_string(map.GetMapHeight()) + " map"};
    return {static_cast<WORD>(column), static_cast<WORD>(row)};
}

int CommandNew(const Args& args) {
    if (args.empty()) throw UsageError{"new needs a FILE"};
    long width = 26, height = 26, fill = CHexMap::kInitialCell;
    bool force = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& option = args[i];
        if (option == "--force") {
            force = true;
            continue;
        }
        if (i + 1 >= args.size()) throw UsageError{"option '" + option + "' needs a value"};
        const std::string& value = args[++i];
        if (option == "--width")
            width = ParseNumber(value, 0, kMaxCoordinate, "--width");
        else if (option == "--height")
            height = ParseNumber(value, 0, kMaxCoordinate, "--height");
        else if (option == "--fill")
            fill = ParseNumber(value, 0, 255, "--fill");
        else
            throw UsageError{"unknown option '" + option + "'"};
    }
    const std::string& path = args[0];
    if (!force && std::filesystem::exists(path))
        throw InputError{"'" + path + "' exists (use --force to replace it)"};
    CHexMap map(static_cast<WORD>(width), static_cast<WORD>(height));
    map.InitializeMaps(static_cast<BYTE>(fill));
    SaveMapFile(map, path, true);
    std::printf("%s: new %ld x %ld map, every cell %ld\n", path.c_str(), width, height, fill);
    return 0;
}

int CommandInfo(const Args& args) {
    ExpectCount(args, 1, "info");
    CHexMap map;
    LoadMap(args[0], map);
    const std::uintmax_t cells = std::uintmax_t{map.GetMapWidth()} * map.GetMapHeight();
    std::printf("%s: %u x %u hexes (%ju cells), picture %d x %d pixels\n", args[0].c_str(),
                map.GetMapWidth(), map.GetMapHeight(), cells, map.GetWidth(), map.GetHeight());
    const std::uintmax_t held = CellsInFile(args[0], map);
    if (held < cells)
        std::printf("warning: the file holds %ju of %ju cells; the missing cells read as 0\n", held,
                    cells);
    // Only the cells the file held are looked at; the others are 0 and are counted without
    // touching them (a short file can promise gigabytes of cells).
    std::array<std::uintmax_t, 256> counts{};
    const BYTE* data = map.GetMap()->cells;
    for (std::uintmax_t i = 0; data && i < held; ++i) ++counts[data[i]];
    counts[0] += cells - held;
    for (int value = 0; value < 256; ++value)
        if (counts[value])
            std::printf("  value %3d: %8ju cells  %5.1f%%\n", value, counts[value],
                        100.0 * static_cast<double>(counts[value]) / static_cast<double>(cells));
    return 0;
}

int CommandGet(const Args& args) {
    ExpectCount(args, 3, "get");
    CHexMap map;
    LoadMap(args[0], map);
    Cell cell = ParseCell(map, args[1], args[2]);
    std::printf("%u\n", map.GetData(cell.x, cell.y));
    return 0;
}

int CommandSet(const Args& args) {
    ExpectCount(args, 4, "set");
    CHexMap map;
    LoadMap(args[0], map);
    Cell cell = ParseCell(map, args[1], args[2]);
    long value = ParseNumber(args[3], 0, 255, "V");
    BYTE old = map.GetData(cell.x, cell.y);
    map.SetData(cell.x, cell.y, static_cast<BYTE>(value));
    SaveMapFile(map, args[0], false);
    std::printf("%s %u,%u %s: %u -> %ld\n", args[0].c_str(), cell.x, cell.y,
                HexLabel(cell.x, cell.y).c_str(), old, value);
    return 0;
}

int CommandHex(const Args& args) {
    ExpectCount(args, 2, "hex");
    POINT pixel{static_cast<LONG>(ParseNumber(args[0], -2147483647L, 2147483647L, "PX")),
                static_cast<LONG>(ParseNumber(args[1], -2147483647L, 2147483647L, "PY"))};
    POINT hex = GetMousePosToHexPos(&pixel);
    bool inside = CheckPos(&hex, &pixel) != 0;
    const char* note = !inside ? "  (the pixel lies in no hex; this is the nearest candidate)"
                       : hex.x < 0 || hex.y < 0 ? "  (outside any map)"
                                                : "";
    std::printf("%d %d %s%s\n", hex.x, hex.y, HexLabel(hex.x, hex.y).c_str(), note);
    return 0;
}

int CommandDist(const Args& args) {
    ExpectCount(args, 4, "dist");
    long x1 = ParseColumn(args[0], "X1"),
         y1 = ParseNumber(args[1], -kMaxCoordinate, kMaxCoordinate, "Y1");
    long x2 = ParseColumn(args[2], "X2"),
         y2 = ParseNumber(args[3], -kMaxCoordinate, kMaxCoordinate, "Y2");
    std::printf("%d\n", GetHexPointToPointLength(static_cast<LONG>(x1), static_cast<LONG>(y1),
                                                 static_cast<LONG>(x2), static_cast<LONG>(y2)));
    return 0;
}

const qvtool::Commands kCommands = {
    {"new", CommandNew}, {"info", CommandInfo}, {"get", CommandGet},       {"set", CommandSet},
    {"hex", CommandHex}, {"dist", CommandDist}, {"render", CommandRender}, {"view", CommandView},
    {"export", CommandExport}, {"import", CommandImport},
};

}  // namespace
}  // namespace qvmap

int main(int argc, char** argv) {
    return qvtool::RunCommand("qvmap", qvmap::kUsage, qvmap::kCommands, argc, argv);
}
