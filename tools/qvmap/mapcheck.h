// What qvmap learns of a map file before it counts or draws the map's cells.
#pragma once

#include <cstdint>
#include <string>

#include <qvdll/hexmap.h>

namespace qvmap {

// Reads the map file at `path` into `map`; throws InputError when there is no such file or it
// is too short for its header.
void LoadMap(const std::string& path, CHexMap& map);

// How many of the map's cells the file at `path` (just read into `map`) holds after its
// 4-byte header. A file that ends early leaves the rest of the cells to read as 0, and the
// map keeps them without touching them; bytes past the cells are ignored.
std::uintmax_t CellsInFile(const std::string& path, CHexMap& map);

// Throws InputError when the map's picture is larger than any bitmap can be, so that
// nothing tries to allocate or draw it.
void CheckPictureFits(CHexMap& map);

}  // namespace qvmap
