// The terrain chips of the sample chip sheet, in chip-number order.
#pragma once

#include <span>

#include "painter.h"

namespace mkchips {

struct Terrain {
    const char* name;
    void (*paint)(Painter&);
};

// Chip n of the sheet is Terrains()[n]: 0 sea, 1 shore, 2 plain, 3 forest, 4 hill,
// 5 mountain (the values of the sample map), then more kinds of land and water.
std::span<const Terrain> Terrains();

}  // namespace mkchips
