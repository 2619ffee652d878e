// Maps through Tiled's forms: every shape and encoding comes back cell for cell, hostile
// files are refused with a message saying what and where, and Tiled's own renderer draws
// the exported map hex for hex as the library's view does.
#include <png.h>

#include <cstdlib>
#include <random>

#include <qvdll/graphic.h>
#include <qvdll/resource.h>

#include "library/picture_test_util.h"
#include "mapscreen.h"
#include "test_support.h"
#include "tiled_commands.h"
#include "tiled_format.h"
#include "tiled_layer.h"

using qvtiled::Cells;
using qvtiled::Encoding;

namespace {

constexpr Encoding kEncodings[] = {Encoding::Csv, Encoding::Base64, Encoding::Base64Zlib,
                                   Encoding::Base64Gzip, Encoding::Base64Zstd};

Cells MakeCells(long width, long height, std::uint32_t seed) {
    Cells cells{width, height, {}};
    std::mt19937 random(seed);
    for (long i = 0; i < width * height; ++i)
        cells.values.push_back(static_cast<std::uint8_t>(seed ? random() : i));
    return cells;
}

std::string Export(const Cells& cells, bool json, Encoding encoding = Encoding::Csv) {
    qvtiled::ExportSettings settings;
    settings.json = json;
    settings.encoding = encoding;
    settings.tileset = {"chips.png", 8, 2};
    return qvtiled::WriteTiledMap(cells, settings);
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

std::string ImportError(const std::string& text) {
    try {
        qvtiled::ReadTiledMap(text, {});
    } catch (const qvtool::InputError& error) {
        return error.message;
    }
    return "(read without an error)";
}

}  // namespace

TEST(TiledMap, EveryShapeAndEncodingComesBackCellForCell) {
    const Cells shapes[] = {MakeCells(1, 1, 1), MakeCells(255, 3, 2), MakeCells(16, 16, 0),
                            MakeCells(37, 23, 3), MakeCells(64, 41, 4)};
    for (const Cells& cells : shapes)
        for (Encoding encoding : kEncodings)
            for (bool json : {false, true}) {
                const Cells back = qvtiled::ReadTiledMap(Export(cells, json, encoding), {});
                EXPECT_EQ(back.width, cells.width);
                EXPECT_EQ(back.height, cells.height);
                EXPECT_EQ(back.values, cells.values)
                    << cells.width << " x " << cells.height << " encoding "
                    << static_cast<int>(encoding) << (json ? " JSON" : " XML");
            }
}

TEST(TiledMap, EmptyCellsTakeTheFillAndANamedLayerIsFoundInAGroup) {
    const std::string xml = Replaced(Export(MakeCells(3, 2, 0), false), "\n1,2,3,", "\n0,2,3,");
    const std::string json = Replaced(Export(MakeCells(3, 2, 0), true), "\n1,2,3,", "\n0,2,3,");
    // The JSON group's name holds lists and a quote, to be read as text.
    const std::string grouped[] = {
        Replaced(xml, "<layer", "<group name=\"g\"><layer name=\"top\" width=\"3\" height=\"2\"><data "
                                "encoding=\"csv\">9,9,9,9,9,9</data></layer></group>\n <layer"),
        Replaced(json, "\"layers\":[", "\"layers\":[{\"type\":\"group\",\"name\":\"[1]\\\"[2]\",\"layers\":[{"
                                       "\"type\":\"tilelayer\",\"name\":\"top\",\"width\":3,\"height\":2,"
                                       "\"data\":[9,9,9,9,9,9]}]},"),
    };
    for (const std::string& text : grouped) {
        qvtiled::ImportSettings settings;
        settings.fill = 7;
        EXPECT_EQ(qvtiled::ReadTiledMap(text, settings).values[0], 8);
        settings.layer = "cells";
        EXPECT_EQ(qvtiled::ReadTiledMap(text, settings).values,
                  (std::vector<std::uint8_t>{7, 1, 2, 3, 4, 5}));
    }
}

// Inflated ids come in chunks that may end inside an id, even twice over.
TEST(TiledMap, IdsSplitAcrossChunksAreJoined) {
    const std::uint8_t bytes[] = {1, 0, 0, 0, 2, 0, 0, 0, 0, 1, 0, 0};  // global ids 1, 2, 256
    for (std::size_t split : {1, 2, 5, 7}) {
        qvtiled::detail::CellSink sink(Cells{3, 1, {}}, 3, 1, "cells", {{1, "chips"}}, 4);
        sink.AddBytes(bytes, split);
        sink.AddBytes(bytes + split, 1);
        sink.AddBytes(bytes + split + 1, sizeof bytes - split - 1);
        EXPECT_EQ(sink.Finish().values, (std::vector<std::uint8_t>{0, 1, 255})) << split;
    }
}

TEST(TiledMap, HostileFilesAreRefusedSayingWhatAndWhere) {
    const std::string xml = Export(MakeCells(3, 2, 0), false);
    const std::string json = Export(MakeCells(3, 2, 0), true);
    Cells bomb = MakeCells(1000, 1000, 0);
    bomb.values.assign(bomb.values.size(), 0);
    std::string zeros;
    qvtiled::detail::AppendLayer(zeros, bomb, Encoding::Base64Zlib, 0);
    const std::string base64 = Export(MakeCells(3, 2, 0), false, Encoding::Base64);
    const std::string zlib = Export(MakeCells(3, 2, 0), false, Encoding::Base64Zlib);
    const std::size_t zlibStart = zlib.find("\"zlib\">") + 7;
    const std::string zlibData = zlib.substr(zlibStart, zlib.find("</data>") - zlibStart);
    const struct {
        std::string text, message;
    } cases[] = {
        {Replaced(json, "\"width\":3", "\"width\":3,,"), "the map: malformed JSON: parse error at line 1"},
        {Replaced(xml, "\"hexagonal\"", "\"orthogonal\""), "orientation is 'orthogonal', ours is 'hexagonal'"},
        {Replaced(json, "\"odd\"", "\"even\""), "staggerindex is 'even', ours is 'odd'"},
        {Replaced(xml, "hexsidelength=\"30\"", "hexsidelength=\"20\""), "hexsidelength is '20'"},
        {Replaced(xml, "infinite=\"0\"", "infinite=\"1\""), "the map is infinite"},
        {Replaced(json, "\"height\":2", "\"height\":70000"), "the map height 70000 lies outside 0 .. 65535"},
        {Replaced(xml, "\"cells\" width=\"3\"", "\"cells\" width=\"4\""), "layer 'cells' is 4 x 2 hexes, the map 3 x 2"},
        {Replaced(xml, "4,5,6", "4,5"), "layer 'cells' holds 5 of its 3 x 2 = 6 cells"},
        {Replaced(json, "4,5,6", "4,5,6,7"), "layer 'cells' holds more tile ids than its 3 x 2 cells"},
        {Replaced(xml, "4,5,6", "4,5,x"), "CSV entry 6 'x' is not a tile id"},
        {Replaced(xml, "4,5,6", "4,5,301"), "cell (C,2): tile id 300 is not a chip (0 .. 255)"},
        {Replaced(json, "4,5,6", "4,5,2147483654"), "cell (C,2): the tile is flipped or rotated (global id 0x80000006)"},
        {Replaced(xml, "<layer", "<tileset firstgid=\"5\" name=\"units\"/><layer"), "cell (B,2): global id 5 is a tile of tileset 'units'"},
        {Replaced(xml, "tileheight=\"40\" tilecount", "tileheight=\"32\" tilecount"), "the chip tileset has tiles of 50 x 32; chips are 50 x 40"},
        {Replaced(xml, "name=\"chips\"", "source=\"none.tsx\""), "no tileset file 'none.tsx'"},
        {Replaced(base64, "\"base64\">", "\"base64\">AQ*"), "bad base64 at character 3 of the data ('*')"},
        {Replaced(zlib, zlibData, zlibData.substr(0, zlibData.size() - 4)), "layer 'cells': the zlib data ends early"},
        {Replaced(zlib, zlibData, zeros), "layer 'cells' holds more tile ids than its 3 x 2 cells"},
        {Replaced(Replaced(xml, "<layer", "<imagelayer"), "</layer>", "</imagelayer>"), "the map has no tile layer"},
    };
    for (const auto& hostile : cases)
        EXPECT_NE(ImportError(hostile.text).find(hostile.message), std::string::npos)
            << ImportError(hostile.text) << "\nwanted: " << hostile.message;
}

// Tiled's renderer as the referee: inside every hexagon, away from where the view writes the
// hex's label, its picture of the exported sample map is ours pixel for pixel.
TEST(TiledMap, TiledDrawsTheExportedMapAsTheViewDoes) {
    qvtest::TempCurrentDir dir;
    const std::string chips = std::string(QVTEST_DATA_DIR) + "/MAP.BMP";
    const std::string map = qvtest::PrivateCopy(dir, std::string(QVTEST_DATA_DIR) + "/sample.map");
    ASSERT_EQ(qvmap::CommandExport({map, "-o", "s.tmx", "--chips", chips}), 0);
    ASSERT_EQ(std::system("QT_QPA_PLATFORM=offscreen tmxrasterizer s.tmx tiled.png 2>/dev/null"), 0);
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, "tiled.png"));
    image.format = PNG_FORMAT_RGB;
    std::vector<std::uint8_t> tiled(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, tiled.data(), 0, nullptr));

    qvmap::CMapScreen screen({map, chips});
    CGraphic* pOurs = screen.View()->MapPicture();
    ASSERT_EQ(image.width, static_cast<png_uint_32>(pOurs->GetWidth()));
    ASSERT_EQ(image.height, static_cast<png_uint_32>(pOurs->GetHeight()));
    const std::vector<COLORREF> ours =
        qvtest::PixelsOf(pOurs->GetDC()->GetSafeHdc(), pOurs->GetWidth(), pOurs->GetHeight());
    CGraphic mask;
    ASSERT_TRUE(mask.LoadBitmapA(nullptr, IDB_HEXMASK));
    int compared = 0, differing = 0;
    for (int x = 0; x < 26; ++x)
        for (int y = 0; y < 26; ++y)
            for (int row = 0; row < 40; ++row)
                for (int column = 0; column < 50; ++column) {
                    const bool label = row >= 28 && column >= 5 && column < 45;
                    if (label || mask.GetDC()->GetPixel(column, row) != RGB(0, 0, 0)) continue;
                    const std::size_t at = static_cast<std::size_t>(40 * y + 20 * (x % 2) + row) *
                                               image.width + 40 * x + column;
                    const std::uint8_t* rgb = &tiled[at * 3];
                    ++compared;
                    differing += ours[at] != RGB(rgb[0], rgb[1], rgb[2]);
                }
    EXPECT_GT(compared, 26 * 26 * 1000);
    EXPECT_EQ(differing, 0);
}
