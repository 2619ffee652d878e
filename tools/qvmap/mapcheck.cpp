#include "mapcheck.h"

#include <algorithm>
#include <filesystem>

#include <qvplatform/gdi.h>

#include "args.h"

namespace qvmap {

constexpr std::uintmax_t kMapHeaderBytes = 4;

void LoadMap(const std::string& path, CHexMap& map) {
    if (!std::filesystem::is_regular_file(path)) throw InputError{"no map file '" + path + "'"};
    if (!map.ReadMapFile(CString(path.c_str())))
        throw InputError{"cannot read map file '" + path + "' (too short for the 4-byte header?)"};
}

std::uintmax_t CellsInFile(const std::string& path, CHexMap& map) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error) throw InputError{"cannot read map file '" + path + "': " + error.message()};
    const std::uintmax_t cells = std::uintmax_t{map.GetMapWidth()} * map.GetMapHeight();
    return std::min(cells, size > kMapHeaderBytes ? size - kMapHeaderBytes : 0);
}

void CheckPictureFits(CHexMap& map) {
    const long long width = map.GetWidth(), height = map.GetHeight();
    if (width <= QVP_MAX_BITMAP_SIDE && height <= QVP_MAX_BITMAP_SIDE &&
        width * height <= QVP_MAX_BITMAP_PIXELS)
        return;
    throw InputError{"the picture of the " + std::to_string(map.GetMapWidth()) + " x " +
                     std::to_string(map.GetMapHeight()) + " map, " + std::to_string(width) + " x " +
                     std::to_string(height) + " pixels, is larger than a picture can be (" +
                     std::to_string(QVP_MAX_BITMAP_SIDE) + " pixels a side, " +
                     std::to_string(QVP_MAX_BITMAP_PIXELS) + " pixels in all)"};
}

}  // namespace qvmap
