#include "library/jpeg_samples.h"

#include <cstdlib>
#include <random>

#include <jpeglib.h>

namespace qvtest {

std::vector<BYTE> EncodeJpeg(const SamplePicture& picture, const JpegOptions& options) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    // libjpeg's own handler reports an error and ends the program: the samples are the
    // tests' own, so an error is a broken test.
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(picture.width);
    cinfo.image_height = static_cast<JDIMENSION>(picture.height);
    cinfo.input_components = picture.components;
    cinfo.in_color_space = picture.components == 1   ? JCS_GRAYSCALE
                           : picture.components == 4 ? JCS_CMYK
                                                     : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, options.quality, TRUE);
    if (!options.subsampled)
        for (int i = 0; i < cinfo.num_components; ++i)
            cinfo.comp_info[i].h_samp_factor = cinfo.comp_info[i].v_samp_factor = 1;
    if (options.progressive) jpeg_simple_progression(&cinfo);
    cinfo.arith_code = options.arithmetic ? TRUE : FALSE;
    jpeg_start_compress(&cinfo, TRUE);
    std::size_t stride = static_cast<std::size_t>(picture.width) * picture.components;
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(picture.samples.data() + stride * cinfo.next_scanline);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::vector<BYTE> bytes(buffer, buffer + size);
    std::free(buffer);
    return bytes;
}

std::vector<COLORREF> DecodeJpegReference(const std::vector<BYTE>& jpeg, int* pWidth,
                                          int* pHeight) {
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, jpeg.data(), jpeg.size());
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    std::vector<COLORREF> pixels;
    std::vector<BYTE> row(std::size_t{cinfo.output_width} * 3);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW p = row.data();
        jpeg_read_scanlines(&cinfo, &p, 1);
        for (JDIMENSION x = 0; x < cinfo.output_width; ++x)
            pixels.push_back(RGB(row[3 * x], row[3 * x + 1], row[3 * x + 2]));
    }
    if (pWidth) *pWidth = static_cast<int>(cinfo.output_width);
    if (pHeight) *pHeight = static_cast<int>(cinfo.output_height);
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return pixels;
}

SamplePicture MakePhotoLikePicture(int width, int height) {
    SamplePicture picture{width, height, 3, {}};
    picture.samples.reserve(static_cast<std::size_t>(width) * height * 3);
    std::mt19937 rng(20240611);
    std::uniform_int_distribution<int> noise(-6, 6);
    auto clamp = [](int v) { return static_cast<BYTE>(v < 0 ? 0 : v > 255 ? 255 : v); };
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            bool disc = (x - width / 2) * (x - width / 2) + (y - height / 3) * (y - height / 3) <
                        width * height / 16;
            int r = disc ? 230 : 40 + 150 * x / width;
            int g = disc ? 190 : 90 + 120 * y / height;
            int b = disc ? 60 : 200 - 100 * (x + y) / (width + height);
            picture.samples.push_back(clamp(r + noise(rng)));
            picture.samples.push_back(clamp(g + noise(rng)));
            picture.samples.push_back(clamp(b + noise(rng)));
        }
    return picture;
}

}  // namespace qvtest
