// The JPEG module's one entry: a picture file in, a platform bitmap out.
#include <sys/stat.h>

#include <array>
#include <cstdio>
#include <memory>
#include <string>

#include <qvplatform/file.h>
#include <qvplatform/gdi.h>

#include "jpeglib/decode.h"

namespace jpeglib {

bool IsPlausibleSize(long long width, long long height, long long fileBytes,
                     long long pixelsPerByte) {
    if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) return false;
    long long pixels = width * height;
    return pixels <= kMaxPixels && pixels / pixelsPerByte <= fileBytes;
}

}  // namespace jpeglib

namespace {

// Closes the file however the decoding ends.
struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

enum class Format { Unknown, Jpeg, Png };

Format Sniff(std::FILE* file) {
    std::array<unsigned char, 8> head{};
    std::size_t n = std::fread(head.data(), 1, head.size(), file);
    std::rewind(file);
    if (n >= 3 && head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF) return Format::Jpeg;
    static constexpr std::array<unsigned char, 8> kPngSignature = {0x89, 'P',  'N',  'G',
                                                                   0x0D, 0x0A, 0x1A, 0x0A};
    if (n == head.size() && head == kPngSignature) return Format::Png;
    return Format::Unknown;
}

}  // namespace

// Decodes the JPEG or PNG file at `lpszPath` (a Windows-style path is resolved as the
// platform's files are) into a colour bitmap in the display format that the caller takes
// over. The device context is not needed: the bitmap is always colour, and it can be
// selected into any memory context. Null for a missing or unreadable file, a file of
// another format, a damaged or truncated picture, or one too large for a bitmap.
extern "C" QVP_API HBITMAP Jpeg2bmp(HDC /*hDC*/, LPCSTR lpszPath) {
    if (!lpszPath || !*lpszPath) return nullptr;
    std::string path = AfxResolvePath(lpszPath);
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) return nullptr;
    struct stat info {};
    if (fstat(fileno(file.get()), &info) != 0 || !S_ISREG(info.st_mode)) return nullptr;
    switch (Sniff(file.get())) {
        case Format::Jpeg:
            return jpeglib::DecodeJpeg(file.get(), info.st_size);
        case Format::Png:
            return jpeglib::DecodePng(file.get(), info.st_size);
        default:
            return nullptr;
    }
}
