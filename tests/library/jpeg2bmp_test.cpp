// The JPEG module as the library finds it: pictures decoded exactly as libjpeg-turbo
// decodes them, PNG pictures, and hostile files refused without a crash or a huge
// allocation.
#include <png.h>
#include <sys/mman.h>
#include <unistd.h>

#include <random>

#include <qvdll/jpegconverter.h>
#include <qvplatform/bmpfile.h>
#include <qvplatform/gdi.h>

#include "library/jpeg_samples.h"
#include "library/picture_test_util.h"
#include "platform/alloc_counter.h"
#include "test_support.h"

using qvtest::Bytes;
using qvtest::PixelsOf;

namespace {

// Decodes through the converter the library loaded at start-up, as CGraphic does. The
// context does not matter: with a fresh memory context, whose bitmap is monochrome, the
// picture still comes out in colour.
HBITMAP Convert(const std::string& path) {
    CJpegConverter* converter = GetModuleJpegConverter();
    HDC monoDC = CreateCompatibleDC(nullptr);
    HBITMAP hbm = converter ? converter->Convert(monoDC, path.c_str()) : nullptr;
    DeleteDC(monoDC);
    return hbm;
}

// The pixels Jpeg2bmp makes of `bytes`; empty for null. The bytes go to a file in memory,
// named through /proc, so that the tests that decode thousands of cut and damaged files
// do not wait on the disk.
std::vector<COLORREF> ConvertBytes(const Bytes& bytes) {
    int fd = memfd_create("picture", MFD_CLOEXEC);
    EXPECT_GE(fd, 0);
    EXPECT_EQ(write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    HBITMAP hbm = Convert("/proc/self/fd/" + std::to_string(fd));
    close(fd);
    auto pixels = PixelsOf(hbm);
    if (hbm) {
        EXPECT_TRUE(DeleteObject(hbm));
    }
    return pixels;
}

// Position of the frame header's height field (the width follows it).
std::size_t SizeFieldOf(const Bytes& jpeg) {
    for (std::size_t i = 2; i + 9 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && (jpeg[i + 1] == 0xC0 || jpeg[i + 1] == 0xC2 || jpeg[i + 1] == 0xC9))
            return i + 5;
    return 0;
}

Bytes WithDeclaredSize(Bytes jpeg, int width, int height) {
    std::size_t at = SizeFieldOf(jpeg);
    jpeg[at] = static_cast<BYTE>(height >> 8);
    jpeg[at + 1] = static_cast<BYTE>(height);
    jpeg[at + 2] = static_cast<BYTE>(width >> 8);
    jpeg[at + 3] = static_cast<BYTE>(width);
    return jpeg;
}

bool Near(COLORREF a, COLORREF b, int tolerance) {
    for (int shift = 0; shift < 24; shift += 8)
        if (std::abs(static_cast<int>((a >> shift) & 0xFF) -
                     static_cast<int>((b >> shift) & 0xFF)) > tolerance)
            return false;
    return true;
}

Bytes EncodePng(int width, int height, png_uint_32 format, const BYTE* pixels) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = format;
    png_alloc_size_t size = 0;
    png_image_write_get_memory_size(image, size, 0, pixels, 0, nullptr);
    Bytes png(size);
    EXPECT_TRUE(png_image_write_to_memory(&image, png.data(), &size, 0, pixels, 0, nullptr));
    png.resize(size);
    return png;
}

}  // namespace

class Jpeg2bmp : public ::testing::Test {
protected:
    qvtest::TempDir dir;
};

TEST_F(Jpeg2bmp, PicturesMatchLibjpegsOwnDecodeInEveryCoding) {
    ASSERT_TRUE(IsJpegLoadOk());  // found beside the library in a normal build
    // Odd sizes, so partial blocks at the right and bottom edges are covered too.
    auto photo = qvtest::MakePhotoLikePicture(67, 45);
    const qvtest::JpegOptions codings[] = {
        {90, false, true, false}, {90, true, true, false}, {75, false, false, true}};
    for (const auto& options : codings) {
        Bytes jpeg = qvtest::EncodeJpeg(photo, options);
        SCOPED_TRACE(testing::Message() << "progressive " << options.progressive << " arithmetic "
                                        << options.arithmetic);
        EXPECT_EQ(ConvertBytes(jpeg), qvtest::DecodeJpegReference(jpeg));
    }
}

TEST_F(Jpeg2bmp, GreyAndCmykPicturesKeepTheirColours) {
    qvtest::SamplePicture grey{13, 9, 1, {}};
    for (int i = 0; i < 13 * 9; ++i) grey.samples.push_back(static_cast<BYTE>(i * 2));
    Bytes greyJpeg = qvtest::EncodeJpeg(grey);
    auto greyPixels = ConvertBytes(greyJpeg);
    EXPECT_EQ(greyPixels, qvtest::DecodeJpegReference(greyJpeg));
    EXPECT_EQ(GetRValue(greyPixels[100]), GetBValue(greyPixels[100]));

    // libjpeg writes CMYK with Adobe's marker, whose convention stores inverted values:
    // red (C 0, M 1, Y 1, K 0) is stored as 255 0 0 255; yellow as 255 255 0 255. Each half
    // of the 16 x 8 picture is whole blocks.
    qvtest::SamplePicture halves{16, 8, 4, {}};
    for (int i = 0; i < 16 * 8; ++i)
        halves.samples.insert(halves.samples.end(), {255, BYTE(i % 16 < 8 ? 0 : 255), 0, 255});
    auto cmyk = ConvertBytes(qvtest::EncodeJpeg(halves));
    ASSERT_EQ(cmyk.size(), 128u);
    EXPECT_PRED3(Near, cmyk[0], RGB(255, 0, 0), 2);
    EXPECT_PRED3(Near, cmyk[15], RGB(255, 255, 0), 2);
}

TEST_F(Jpeg2bmp, PngPicturesDecodeExactlyWithTransparencyOverWhite) {
    auto photo = qvtest::MakePhotoLikePicture(9, 7);
    std::vector<COLORREF> expected;
    for (std::size_t i = 0; i < photo.samples.size(); i += 3)
        expected.push_back(RGB(photo.samples[i], photo.samples[i + 1], photo.samples[i + 2]));
    EXPECT_EQ(ConvertBytes(EncodePng(9, 7, PNG_FORMAT_RGB, photo.samples.data())), expected);

    // Pixels with alpha: clear ones are white, opaque ones keep their colour.
    const BYTE rgba[] = {255, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 255};
    EXPECT_EQ(ConvertBytes(EncodePng(3, 1, PNG_FORMAT_RGBA, rgba)),
              (std::vector<COLORREF>{RGB(255, 0, 0), RGB(255, 255, 255), RGB(0, 255, 0)}));
}

TEST_F(Jpeg2bmp, MissingEmptyOrForeignFilesGiveNull) {
    EXPECT_EQ(GetModuleJpegConverter()->Convert(nullptr, nullptr), nullptr);
    EXPECT_EQ(Convert(""), nullptr);
    EXPECT_EQ(Convert(dir / "missing.jpg"), nullptr);
    EXPECT_EQ(Convert(dir / ""), nullptr);  // a folder
    EXPECT_EQ(ConvertBytes({}), std::vector<COLORREF>{});
    EXPECT_EQ(ConvertBytes({'h', 'e', 'l', 'l', 'o'}), std::vector<COLORREF>{});

    HBITMAP hbm = CreateBitmap(4, 4, 1, 32, nullptr);  // BMP files are LoadImageA's job
    ASSERT_TRUE(SaveBitmapBmp(hbm, (dir / "a.bmp").c_str()));
    EXPECT_EQ(Convert(dir / "a.bmp"), nullptr);
    DeleteObject(hbm);
}

TEST_F(Jpeg2bmp, TruncatedPicturesGiveNull) {
    auto photo = qvtest::MakePhotoLikePicture(24, 16);
    const qvtest::JpegOptions codings[] = {{80}, {80, true}, {80, false, false, true}};
    for (const auto& options : codings) {
        Bytes jpeg = qvtest::EncodeJpeg(photo, options);
        for (std::size_t n = 0; n + 2 < jpeg.size(); ++n) {
            SCOPED_TRACE(testing::Message()
                         << "progressive " << options.progressive << " arithmetic "
                         << options.arithmetic << ", " << n << " of " << jpeg.size() << " bytes");
            EXPECT_TRUE(ConvertBytes(Bytes(jpeg.begin(), jpeg.begin() + n)).empty());
        }
    }
    // A single Huffman-coded scan without its end marker still holds every row.
    Bytes baseline = qvtest::EncodeJpeg(photo, {80});
    EXPECT_EQ(ConvertBytes(Bytes(baseline.begin(), baseline.end() - 2)),
              qvtest::DecodeJpegReference(baseline));
    const std::vector<BYTE> black(30 * 20 * 3);
    Bytes png = EncodePng(30, 20, PNG_FORMAT_RGB, black.data());
    for (std::size_t n = 0; n + 12 < png.size(); n += 7)
        EXPECT_TRUE(ConvertBytes(Bytes(png.begin(), png.begin() + n)).empty()) << n;
}

TEST_F(Jpeg2bmp, DamagedPicturesGiveNullOrAPictureOfTheirDeclaredSize) {
    Bytes jpeg = qvtest::EncodeJpeg(qvtest::MakePhotoLikePicture(32, 24), {85});
    std::size_t sizeField = SizeFieldOf(jpeg);
    // No components in the frame header.
    Bytes noComponents = jpeg;
    noComponents[sizeField + 4] = 0;
    EXPECT_TRUE(ConvertBytes(noComponents).empty());
    // Garbage in place of the entropy-coded data.
    Bytes garbage = jpeg;
    for (std::size_t i = garbage.size() - 40; i + 2 < garbage.size(); ++i) garbage[i] = 0xFF;
    EXPECT_TRUE(ConvertBytes(garbage).empty());

    // Random damage anywhere: never a crash; a picture that still decodes has the size
    // its (perhaps damaged) header declares.
    std::mt19937 rng(7);
    for (int round = 0; round < 2000; ++round) {
        Bytes damaged = jpeg;
        int hits = std::uniform_int_distribution<int>(1, 4)(rng);
        for (int i = 0; i < hits; ++i)
            damaged[std::uniform_int_distribution<std::size_t>(0, damaged.size() - 1)(rng)] =
                static_cast<BYTE>(rng());
        auto pixels = ConvertBytes(damaged);
        if (pixels.empty()) continue;
        std::size_t at = SizeFieldOf(damaged);
        std::size_t declared =
            (damaged[at] << 8 | damaged[at + 1]) *
            std::size_t{static_cast<unsigned>(damaged[at + 2] << 8 | damaged[at + 3])};
        EXPECT_EQ(pixels.size(), declared) << "round " << round;
    }
}

TEST_F(Jpeg2bmp, HugeDeclaredSizesAreRefusedBeforeAllocating) {
    Bytes jpeg = qvtest::EncodeJpeg(qvtest::MakePhotoLikePicture(16, 16));
    // 60 megapixels fit a bitmap, but not in a file of a few hundred bytes.
    for (auto [width, height] : {std::pair{30000, 2000}, {65500, 65500}, {0, 16}, {40000, 1}}) {
        qvtest::AllocationWatch watch;
        EXPECT_TRUE(ConvertBytes(WithDeclaredSize(jpeg, width, height)).empty())
            << width << " x " << height;
        EXPECT_LT(watch.Largest(), std::size_t{1} << 20) << width << " x " << height;
    }
}

TEST_F(Jpeg2bmp, HighlyCompressedPicturesStillDecode) {
    // One flat colour compresses to little more than a bit a block: 4 megapixels in a
    // few kilobytes, close to what a Huffman-coded file can hold.
    qvtest::SamplePicture flat{2048, 2048, 1, std::vector<BYTE>(2048 * 2048, 200)};
    Bytes jpeg = qvtest::EncodeJpeg(flat, {50, true});
    EXPECT_EQ(ConvertBytes(jpeg).size(), 2048u * 2048) << jpeg.size() << " bytes";
}
