// Fuzz target for the JPEG module's reader of untrusted picture files, JPEG and PNG alike.
// Besides the sanitizers it checks what every file must give: null, or a colour bitmap of
// a size within the bitmap limits whose pixels keep their unused byte 0.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include <qvplatform/gdi.h>

extern "C" HBITMAP Jpeg2bmp(HDC hDC, LPCSTR lpszPath);

#include "fuzz_support.h"

namespace {

using qvfuzz::Check;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Jpeg2bmp reads a file: the input goes to a file in memory, named through /proc.
    const qvfuzz::MemoryFile input(data, size);
    HBITMAP hbm = Jpeg2bmp(nullptr, input.Path());
    if (hbm) {
        BITMAP bm{};
        Check(GetObjectA(hbm, sizeof bm, &bm) != 0);
        Check(bm.bmBitsPixel == 32 && bm.bmWidth > 0 && bm.bmHeight > 0);
        std::vector<DWORD> pixels(static_cast<std::size_t>(bm.bmWidth) * bm.bmHeight);
        LONG bytes = static_cast<LONG>(pixels.size() * sizeof(DWORD));
        Check(GetBitmapBits(hbm, bytes, pixels.data()) == bytes);
        for (DWORD p : pixels) Check((p >> 24) == 0);
        Check(DeleteObject(hbm));
    }
    return 0;
}
