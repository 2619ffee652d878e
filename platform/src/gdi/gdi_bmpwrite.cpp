// Writing bitmaps as BMP (field by field, little-endian) and as PNG through libpng.
#include <png.h>

#include <cstdio>
#include <fstream>
#include <memory>

#include "gdi_internal.h"
#include "qvplatform/bmpfile.h"

namespace qvp::detail {

namespace {

constexpr DWORD kFileHeaderSize = 14;
constexpr DWORD kInfoHeaderSize = 40;
constexpr DWORD kPixelsPerMetre = 3780;  // 96 dots per inch

class Writer {
public:
    void U16(WORD v) {
        m_bytes.push_back(static_cast<BYTE>(v));
        m_bytes.push_back(static_cast<BYTE>(v >> 8));
    }
    void U32(DWORD v) {
        U16(static_cast<WORD>(v));
        U16(static_cast<WORD>(v >> 16));
    }
    void Byte(BYTE v) { m_bytes.push_back(v); }
    std::vector<BYTE>& Bytes() { return m_bytes; }

private:
    std::vector<BYTE> m_bytes;
};

void WriteFileHeader(Writer& out, DWORD fileSize) {
    out.U16(0x4D42);  // "BM"
    out.U32(fileSize);
    out.U32(0);  // two reserved words
    out.U32(kFileHeaderSize + kInfoHeaderSize);
}

void WriteInfoHeader(Writer& out, const BitmapObject& bitmap, int bitsPerPixel, DWORD imageSize) {
    out.U32(kInfoHeaderSize);
    out.U32(static_cast<DWORD>(bitmap.m_nWidth));
    out.U32(static_cast<DWORD>(bitmap.m_nHeight));  // positive: bottom-up
    out.U16(1);
    out.U16(static_cast<WORD>(bitsPerPixel));
    out.U32(0);  // uncompressed
    out.U32(imageSize);
    out.U32(kPixelsPerMetre);
    out.U32(kPixelsPerMetre);
    out.U32(0);  // no palette
    out.U32(0);
}

}  // namespace

}  // namespace qvp::detail

using namespace qvp::detail;

std::vector<BYTE> EncodeBitmapBmp(HBITMAP hbm, int bitsPerPixel) {
    const auto* bitmap = Table().Get<BitmapObject>(hbm);
    if (!bitmap || (bitsPerPixel != 24 && bitsPerPixel != 32)) return {};
    std::size_t bytesPerPixel = static_cast<std::size_t>(bitsPerPixel) / 8;
    std::size_t stride = (bytesPerPixel * bitmap->m_nWidth + 3) / 4 * 4;
    auto imageSize = static_cast<DWORD>(stride * bitmap->m_nHeight);
    Writer out;
    out.Bytes().reserve(kFileHeaderSize + kInfoHeaderSize + imageSize);
    WriteFileHeader(out, kFileHeaderSize + kInfoHeaderSize + imageSize);
    WriteInfoHeader(out, *bitmap, bitsPerPixel, imageSize);
    for (int y = bitmap->m_nHeight - 1; y >= 0; --y) {
        const Pixel* row = bitmap->Row(y);
        for (int x = 0; x < bitmap->m_nWidth; ++x) {
            out.Byte(static_cast<BYTE>(row[x]));
            out.Byte(static_cast<BYTE>(row[x] >> 8));
            out.Byte(static_cast<BYTE>(row[x] >> 16));
            if (bytesPerPixel == 4) out.Byte(0);
        }
        for (std::size_t pad = bytesPerPixel * bitmap->m_nWidth; pad < stride; ++pad) out.Byte(0);
    }
    return std::move(out.Bytes());
}

BOOL SaveBitmapBmp(HBITMAP hbm, LPCSTR path, int bitsPerPixel) {
    std::vector<BYTE> bytes = EncodeBitmapBmp(hbm, bitsPerPixel);
    if (bytes.empty() || !path) return FALSE;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return out.good() ? TRUE : FALSE;
}

BOOL SaveBitmapPng(HBITMAP hbm, LPCSTR path) {
    const auto* bitmap = Table().Get<BitmapObject>(hbm);
    if (!bitmap || !path) return FALSE;
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path, "wb"), std::fclose);
    if (!file) return FALSE;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return FALSE;
    }
    // libpng reports errors by jumping back here; nothing below owns memory of its own
    // apart from `row`, which is made before the jump point.
    std::vector<png_byte> row(static_cast<std::size_t>(bitmap->m_nWidth) * 3);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return FALSE;
    }
    png_init_io(png, file.get());
    png_set_IHDR(png, info, static_cast<png_uint_32>(bitmap->m_nWidth),
                 static_cast<png_uint_32>(bitmap->m_nHeight), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < bitmap->m_nHeight; ++y) {
        const Pixel* src = bitmap->Row(y);
        for (int x = 0; x < bitmap->m_nWidth; ++x) {
            row[3 * static_cast<std::size_t>(x)] = static_cast<png_byte>(src[x] >> 16);
            row[3 * static_cast<std::size_t>(x) + 1] = static_cast<png_byte>(src[x] >> 8);
            row[3 * static_cast<std::size_t>(x) + 2] = static_cast<png_byte>(src[x]);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(file.release()) == 0 ? TRUE : FALSE;
}
