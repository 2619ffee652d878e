// Fuzz target for BMP pictures from outside: the platform's reader of BMP bytes, in colour
// and monochrome, and LoadImageA on the same bytes as a file. Besides the sanitizers it
// checks that every picture read is a sane bitmap, that both readings accept the same
// inputs, and that the file gives the very pixels the bytes give.

#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include <qvplatform/bmpfile.h>

#include "fuzz_support.h"

namespace {

using qvfuzz::Check;

// The bitmap's description and pixels, checked against what its format promises: colour
// rows of 0x00RRGGBB, monochrome rows padded to 16 bits. The bitmap is freed.
std::vector<BYTE> TakePixels(HBITMAP hbm, BITMAP& bm, bool mono) {
    Check(GetObjectA(hbm, sizeof bm, &bm) != 0);
    Check(bm.bmWidth > 0 && bm.bmHeight > 0 && bm.bmPlanes == 1);
    Check(bm.bmBitsPixel == (mono ? 1 : 32));
    Check(bm.bmWidthBytes == (mono ? (bm.bmWidth + 15) / 16 * 2 : bm.bmWidth * 4));
    std::vector<BYTE> bits(static_cast<std::size_t>(bm.bmWidthBytes) * bm.bmHeight);
    const LONG size = static_cast<LONG>(bits.size());
    Check(GetBitmapBits(hbm, size, bits.data()) == size);
    if (!mono)
        for (std::size_t i = 3; i < bits.size(); i += 4) Check(bits[i] == 0);
    Check(DeleteObject(hbm));
    return bits;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const BYTE> bytes(data, size);
    HBITMAP colour = CreateBitmapFromBmp(bytes);
    HBITMAP mono = CreateBitmapFromBmp(bytes, LR_MONOCHROME);
    Check((colour != nullptr) == (mono != nullptr));

    // LoadImageA reads a file: the input goes to a file in memory, named through /proc.
    const qvfuzz::MemoryFile input(data, size);
    auto file = static_cast<HBITMAP>(
        LoadImageA(nullptr, input.Path(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    Check((file != nullptr) == (colour != nullptr));
    if (!colour) return 0;

    BITMAP colourInfo{}, monoInfo{}, fileInfo{};
    const std::vector<BYTE> colourBits = TakePixels(colour, colourInfo, false);
    TakePixels(mono, monoInfo, true);
    Check(monoInfo.bmWidth == colourInfo.bmWidth && monoInfo.bmHeight == colourInfo.bmHeight);
    Check(TakePixels(file, fileInfo, false) == colourBits);
    return 0;
}
