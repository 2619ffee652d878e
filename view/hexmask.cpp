#include "view/hexmask.h"

#include <cstdint>

namespace qvdll::detail {
namespace {

constexpr int kWidth = 50;
constexpr int kHeight = 40;
constexpr int kRowBytes = (kWidth * 4 + 31) / 32 * 4;  // rows end on a 32-bit boundary
constexpr int kPaletteOffset = 14 + 40;
constexpr int kPixelOffset = kPaletteOffset + 16 * 4;
static_assert(kPixelOffset + kHeight * kRowBytes == kHexMaskBitmapSize);

constexpr BYTE kBlack = 0;
constexpr BYTE kWhite = 15;

// The standard 16-colour palette as red, green, blue.
constexpr BYTE kPalette[16][3] = {
    {0, 0, 0},     {128, 0, 0},     {0, 128, 0},     {128, 128, 0},   {0, 0, 128}, {128, 0, 128},
    {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0},     {0, 255, 0}, {255, 255, 0},
    {0, 0, 255},   {255, 0, 255},   {0, 255, 255},   {255, 255, 255},
};

// The first black pixel of a row; the black run is symmetric about the middle.
// The slanted sides step in one pixel every two rows from the middle rows
// (19 and 20, black across the whole width) to the top and bottom rows.
constexpr int Inset(int row) {
    return row < 20 ? 10 - (row + 1) / 2 : 10 - (40 - row) / 2;
}

using Bytes = std::array<BYTE, kHexMaskBitmapSize>;

constexpr void Put16(Bytes& bytes, int at, std::uint16_t value) {
    bytes[at] = static_cast<BYTE>(value);
    bytes[at + 1] = static_cast<BYTE>(value >> 8);
}

constexpr void Put32(Bytes& bytes, int at, std::uint32_t value) {
    Put16(bytes, at, static_cast<std::uint16_t>(value));
    Put16(bytes, at + 2, static_cast<std::uint16_t>(value >> 16));
}

constexpr Bytes BuildHexMask() {
    Bytes bytes{};
    // File header.
    bytes[0] = 'B';
    bytes[1] = 'M';
    Put32(bytes, 2, kHexMaskBitmapSize);
    Put32(bytes, 10, kPixelOffset);
    // Information header: positive height, so the rows are stored bottom-up.
    Put32(bytes, 14, 40);
    Put32(bytes, 18, kWidth);
    Put32(bytes, 22, kHeight);
    Put16(bytes, 26, 1);  // planes
    Put16(bytes, 28, 4);  // bits per pixel
    Put32(bytes, 30, 0);  // uncompressed
    Put32(bytes, 34, kHeight * kRowBytes);
    Put32(bytes, 46, 16);  // colours used
    // Palette entries are stored blue, green, red, reserved.
    for (int i = 0; i < 16; ++i) {
        bytes[kPaletteOffset + 4 * i] = kPalette[i][2];
        bytes[kPaletteOffset + 4 * i + 1] = kPalette[i][1];
        bytes[kPaletteOffset + 4 * i + 2] = kPalette[i][0];
    }
    // Two pixels a byte, the left one in the high half.
    for (int row = 0; row < kHeight; ++row) {
        const int rowStart = kPixelOffset + (kHeight - 1 - row) * kRowBytes;
        for (int x = 0; x < kWidth; ++x) {
            const bool inside = x >= Inset(row) && x <= kWidth - 1 - Inset(row);
            const BYTE pixel = inside ? kBlack : kWhite;
            bytes[rowStart + x / 2] |= static_cast<BYTE>(x % 2 ? pixel : pixel << 4);
        }
    }
    return bytes;
}

}  // namespace

constexpr Bytes g_hexMaskBitmap = BuildHexMask();

}  // namespace qvdll::detail
