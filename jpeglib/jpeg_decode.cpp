// JPEG pictures through libjpeg-turbo, decoded straight into the rows of a DIB section.
//
// libjpeg reports errors by calling back and expects the callback not to return; here it
// jumps back out of the decoder. Damaged data that libjpeg would only warn about (entropy
// data running short, bad codes) fails too: it would otherwise be filled in with grey or
// smeared blocks and reported as a good picture.
#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <utility>

#include <jerror.h>
#include <jpeglib.h>

#include <qvplatform/dibsection.h>

#include "jpeglib/decode.h"

namespace jpeglib {

namespace {

// A Huffman-coded picture spends at least one bit on each 8 x 8 block, so a file holds at
// most 512 pixels per byte. Arithmetic-coded pictures can pack more; they are rare, and
// past this bound they are refused as hostile ones are.
constexpr long long kJpegPixelsPerByte = 512;
constexpr int kBytesPerPixel = 4;  // B, G, R, unused: the display format
constexpr int kRowsPerRead = 16;   // the tallest row group libjpeg delivers at once

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    bool bSawEnd;  // the file ended before libjpeg had read its end marker
};

[[noreturn]] void OnError(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

void OnMessage(j_common_ptr cinfo, int msgLevel) {
    if (msgLevel >= 0) return;  // a trace message
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    switch (err->pub.msg_code) {
        case JWRN_JPEG_EOF:
            // Not damage in itself: libjpeg reads ahead past the last bits it needs. Had
            // rows needed the missing bytes, it would warn that the data ran short.
            err->bSawEnd = true;
            return;
        case JWRN_JFIF_MAJOR:  // header details that do not touch the picture
        case JWRN_ADOBE_XFORM:
        case JWRN_BOGUS_ICC:
            return;
        default:
            OnError(cinfo);
    }
}

void OnOutput(j_common_ptr) {}  // nothing is written to the console

// Adobe's CMYK pictures store inverted values; others store plain ones. The conversion
// runs in place: both layouts take four bytes a pixel.
void CmykRowToDisplay(JSAMPROW row, JDIMENSION width, bool inverted) {
    for (JDIMENSION x = 0; x < width; ++x) {
        JSAMPLE* p = row + kBytesPerPixel * x;
        unsigned c = p[0], m = p[1], y = p[2], k = p[3];
        if (!inverted) {
            c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
        }
        p[0] = static_cast<JSAMPLE>((y * k + 127) / 255);
        p[1] = static_cast<JSAMPLE>((m * k + 127) / 255);
        p[2] = static_cast<JSAMPLE>((c * k + 127) / 255);
        p[3] = 0;
    }
}

// libjpeg fills the fourth byte of each pixel with 255; the display format keeps it 0.
// The rows are the bitmap's 32-bit pixels, so they are cleared a pixel at a time.
void ClearUnusedBytes(JSAMPROW row, JDIMENSION width) {
    auto* pixels = reinterpret_cast<std::uint32_t*>(row);
    for (JDIMENSION x = 0; x < width; ++x) pixels[x] &= 0x00FFFFFFu;
}

// The decompressor and the bitmap it fills. Everything the error jump may skip over lives
// here, outside the function that sets the jump.
class Decoder {
public:
    Decoder() {
        m_cinfo.err = jpeg_std_error(&m_err.pub);
        m_err.pub.error_exit = OnError;
        m_err.pub.emit_message = OnMessage;
        m_err.pub.output_message = OnOutput;
    }
    ~Decoder() {
        jpeg_destroy_decompress(&m_cinfo);  // safe before creation: mem is null
        if (m_hbm) DeleteObject(m_hbm);
    }
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;

    // False for any error libjpeg reports, or when the bitmap cannot be made.
    bool Run(std::FILE* file, long long fileBytes);
    // The decoded picture, handed over.
    HBITMAP Release() { return std::exchange(m_hbm, nullptr); }

private:
    // A bitmap of the output size; null when it cannot be made.
    JSAMPLE* MakeBitmap();

    jpeg_decompress_struct m_cinfo{};
    ErrorManager m_err{};
    HBITMAP m_hbm = nullptr;
};

JSAMPLE* Decoder::MakeBitmap() {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = static_cast<LONG>(m_cinfo.output_width);
    info.bmiHeader.biHeight = -static_cast<LONG>(m_cinfo.output_height);
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    m_hbm = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    return static_cast<JSAMPLE*>(bits);
}

bool Decoder::Run(std::FILE* file, long long fileBytes) {
    if (setjmp(m_err.jump)) return false;
    jpeg_create_decompress(&m_cinfo);
    jpeg_stdio_src(&m_cinfo, file);
    jpeg_read_header(&m_cinfo, TRUE);
    if (!IsPlausibleSize(m_cinfo.image_width, m_cinfo.image_height, fileBytes, kJpegPixelsPerByte))
        return false;
    bool cmyk = m_cinfo.jpeg_color_space == JCS_CMYK || m_cinfo.jpeg_color_space == JCS_YCCK;
    m_cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRX;
    jpeg_start_decompress(&m_cinfo);

    JSAMPLE* pixels = MakeBitmap();
    if (!pixels) return false;
    std::size_t stride = std::size_t{m_cinfo.output_width} * kBytesPerPixel;
    JSAMPROW rows[kRowsPerRead];
    while (m_cinfo.output_scanline < m_cinfo.output_height) {
        JDIMENSION first = m_cinfo.output_scanline;
        JDIMENSION wanted = std::min<JDIMENSION>(kRowsPerRead, m_cinfo.output_height - first);
        for (JDIMENSION i = 0; i < wanted; ++i) rows[i] = pixels + stride * (first + i);
        JDIMENSION got = jpeg_read_scanlines(&m_cinfo, rows, wanted);
        // The rows are still in the cache: finish them now.
        for (JDIMENSION i = 0; i < got; ++i) {
            if (cmyk)
                CmykRowToDisplay(rows[i], m_cinfo.output_width, m_cinfo.saw_Adobe_marker);
            else
                ClearUnusedBytes(rows[i], m_cinfo.output_width);
        }
    }
    // Every row is in. What may follow (the end marker, trailing bytes) is not read. A
    // single Huffman-coded scan that ended early would have run short above, so such a
    // file lost only its end marker; with several scans the missing ones would go
    // unnoticed, and the arithmetic decoder fills missing data with zeros silently.
    return !m_err.bSawEnd || (!m_cinfo.arith_code && !jpeg_has_multiple_scans(&m_cinfo));
}

}  // namespace

HBITMAP DecodeJpeg(std::FILE* file, long long fileBytes) {
    Decoder decoder;
    return decoder.Run(file, fileBytes) ? decoder.Release() : nullptr;
}

}  // namespace jpeglib
