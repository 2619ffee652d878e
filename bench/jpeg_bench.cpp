// Jpeg2bmp on a 1-megapixel photograph-like JPEG, through the converter the library
// loaded, beside libjpeg-turbo decoding the same file into rows of the same layout.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <jpeglib.h>  // after <cstdio>: it uses FILE and size_t

#include <qvdll/jpegconverter.h>
#include <qvplatform/gdi.h>

#include "bench_support.h"
#include "library/jpeg_samples.h"

namespace {

// libjpeg-turbo's own decode with its default settings into 4-byte B G R X pixels.
void DecodeWithLibjpeg(const std::string& path) {
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_decompress(&cinfo);
    std::FILE* file = std::fopen(path.c_str(), "rb");
    jpeg_stdio_src(&cinfo, file);
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_EXT_BGRX;
    jpeg_start_decompress(&cinfo);
    std::size_t stride = std::size_t{cinfo.output_width} * 4;
    std::vector<JSAMPLE> pixels(stride * cinfo.output_height);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = &pixels[stride * cinfo.output_scanline];
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    std::fclose(file);
    benchmark::DoNotOptimize(pixels.data());
}

void BM_Jpeg2bmpVsLibjpeg(benchmark::State& state) {
    const CJpegConverter* converter = GetModuleJpegConverter();
    if (!converter || !converter->IsLoaded()) {
        state.SkipWithError("Jpeglib was not found beside the library");
        return;
    }
    auto jpeg = qvtest::EncodeJpeg(qvtest::MakePhotoLikePicture(1024, 1024), {90, false, true});
    std::string path = (std::filesystem::temp_directory_path() / "qvbench-1mp.jpg").string();
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(jpeg.data(), 1, jpeg.size(), f);
        std::fclose(f);
    }
    qvbench::RunSideBySide(
        state,
        [&] {
            HBITMAP hbm = converter->Convert(nullptr, path.c_str());
            benchmark::DoNotOptimize(hbm);
            DeleteObject(hbm);
        },
        [&] { DecodeWithLibjpeg(path); });
    std::filesystem::remove(path);
}

}  // namespace

BENCHMARK(BM_Jpeg2bmpVsLibjpeg)->UseManualTime()->Unit(benchmark::kMillisecond);
