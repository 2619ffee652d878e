// The hex mask, bitmap resource IDB_HEXMASK: a 16-colour BMP file of 50 × 40
// pixels, black (palette entry 0) inside the hexagon with corners (10,0),
// (0,20), (10,40), (40,40), (50,20), (40,0) and white (entry 15) outside it.
// Drawing a chip through it cuts the chip to the hex shape.
#pragma once

#include <array>
#include <cstddef>

#include <qvplatform/types.h>

namespace qvdll::detail {

// File header, information header, 16 palette entries, then 40 rows of
// 50 four-bit pixels padded to 28 bytes.
inline constexpr std::size_t kHexMaskBitmapSize = 14 + 40 + 16 * 4 + 40 * 28;

extern const std::array<BYTE, kHexMaskBitmapSize> g_hexMaskBitmap;

}  // namespace qvdll::detail
