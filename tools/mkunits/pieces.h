// The sample unit pictures: 32 x 32 game pieces, each a counter with a symbol, drawn with
// the chip painter so that they come out the same on every run.
#pragma once

#include <span>

#include "../mkchips/painter.h"

namespace mkunits {

constexpr int kPieceSide = 32;

struct Piece {
    const char* fileName;  // in the folder "Images"; ".jpg" pieces are written as JPEG
    int side;              // pixels; a piece smaller than 32 leaves white around it on the map
    void (*paint)(mkchips::Painter&);
};

std::span<const Piece> Pieces();

}  // namespace mkunits
