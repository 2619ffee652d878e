// PNG pictures through libpng's simplified reader: every colour type, depth and interlace
// comes out as 24-bit rows; transparent pixels are laid over white.
#include <new>
#include <vector>

#include <png.h>

#include <qvplatform/gdi.h>

#include "jpeglib/decode.h"

namespace jpeglib {

namespace {

// Deflate packs at most 1032 bytes into one, and a 1-bit grey row holds 8 pixels a byte.
constexpr long long kPngPixelsPerByte = 8 * 1032;

// Frees libpng's reading state however the decoding ends.
struct ImageGuard {
    png_image& image;
    ~ImageGuard() { png_image_free(&image); }
};

}  // namespace

HBITMAP DecodePng(std::FILE* file, long long fileBytes) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ImageGuard guard{image};
    if (!png_image_begin_read_from_stdio(&image, file)) return nullptr;
    if (!IsPlausibleSize(image.width, image.height, fileBytes, kPngPixelsPerByte)) return nullptr;
    image.format = PNG_FORMAT_BGR;
    // 24-bit rows of CreateBitmap are padded to an even length.
    std::size_t stride = (std::size_t{image.width} * 3 + 1) & ~std::size_t{1};
    try {
        std::vector<png_byte> pixels(stride * image.height);
        const png_color white{255, 255, 255};
        if (!png_image_finish_read(&image, &white, pixels.data(), static_cast<png_int_32>(stride),
                                   nullptr))
            return nullptr;
        return CreateBitmap(static_cast<int>(image.width), static_cast<int>(image.height), 1, 24,
                            pixels.data());
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

}  // namespace jpeglib
