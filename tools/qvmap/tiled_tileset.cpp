#include "tiled_tileset.h"

#include <png.h>

#include <cstdint>
#include <memory>
#include <vector>

#include <qvdll/resource.h>
#include <qvplatform/bmpfile.h>
#include <qvplatform/module.h>

#include "toolmain.h"

namespace qvtiled {
namespace {

using qvtool::InputError;

// A bitmap's pixels as 0x00RRGGBB, row by row.
struct Pixels {
    int width = 0, height = 0;
    std::vector<std::uint32_t> rgb;
};

Pixels PixelsOf(HANDLE handle) {
    const auto bitmap = static_cast<HBITMAP>(handle);
    std::unique_ptr<void, BOOL (*)(HGDIOBJ)> owner(bitmap, DeleteObject);
    Pixels pixels;
    BITMAP bm{};
    if (!bitmap || !GetObjectA(bitmap, sizeof bm, &bm)) return pixels;
    pixels.rgb.resize(static_cast<std::size_t>(bm.bmWidth) * static_cast<std::size_t>(bm.bmHeight));
    const LONG size = static_cast<LONG>(pixels.rgb.size() * 4);
    if (GetBitmapBits(bitmap, size, pixels.rgb.data()) != size) return {};
    pixels.width = bm.bmWidth;
    pixels.height = bm.bmHeight;
    return pixels;
}

// The mask the map view cuts chips with: black inside the hexagon.
Pixels HexMask() {
    const LPCSTR name = MAKEINTRESOURCE(IDB_HEXMASK);
    Pixels mask = PixelsOf(
        LoadImageA(AfxFindResourceHandle(name, RT_BITMAP), name, IMAGE_BITMAP, 0, 0, 0));
    if (mask.width != kTileWidth || mask.height != kTileHeight)
        throw InputError{"the library's hex mask cannot be loaded"};
    return mask;
}

}  // namespace

ChipTileset WriteChipTilesetPng(const std::string& sheetPath, const std::string& pngPath) {
    const Pixels sheet =
        PixelsOf(LoadImageA(nullptr, sheetPath.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    ChipTileset tileset;
    tileset.columns = sheet.width / kTileWidth;
    tileset.rows = sheet.height / kTileHeight;
    if (tileset.columns == 0 || tileset.rows == 0)
        throw InputError{"chip sheet '" + sheetPath +
                         "' is no BMP picture holding a chip of 50 x 40 pixels"};
    const Pixels mask = HexMask();
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(tileset.columns * kTileWidth);
    image.height = static_cast<png_uint_32>(tileset.rows * kTileHeight);
    image.format = PNG_FORMAT_RGBA;
    std::vector<std::uint8_t> rgba(std::size_t{image.width} * image.height * 4);
    std::uint8_t* out = rgba.data();
    for (png_uint_32 y = 0; y < image.height; ++y)
        for (png_uint_32 x = 0; x < image.width; ++x) {
            const std::uint32_t pixel = sheet.rgb[y * static_cast<std::size_t>(sheet.width) + x];
            const bool inside = mask.rgb[(y % kTileHeight) * kTileWidth + x % kTileWidth] == 0;
            *out++ = static_cast<std::uint8_t>(pixel >> 16);
            *out++ = static_cast<std::uint8_t>(pixel >> 8);
            *out++ = static_cast<std::uint8_t>(pixel);
            *out++ = inside ? 255 : 0;
        }
    if (!png_image_write_to_file(&image, pngPath.c_str(), 0, rgba.data(), 0, nullptr))
        throw InputError{"cannot write '" + pngPath + "': " + image.message};
    return tileset;
}

}  // namespace qvtiled
