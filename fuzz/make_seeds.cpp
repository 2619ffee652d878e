// Writes the seed inputs of the fuzz targets, made by the library itself, into
// OUT/<target>/: message records of every kind in both formats, maps, unit
// lines and unit lists, BMP pictures of every depth, JPEG and PNG pictures. The seeds are kept in
// fuzz/corpus; a test checks that this program still writes exactly those files.
#include <qvdll/hexmap.h>
#include <qvdll/msg.h>
#include <qvdll/unitlist.h>
#include <qvplatform/bmpfile.h>

#include <png.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "library/jpeg_samples.h"

namespace {

namespace fs = std::filesystem;

using Bytes = std::vector<BYTE>;

Bytes Stored(const std::function<void(CArchive&)>& body) {
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        body(ar);
    }
    return file.Bytes();
}

class CSeedWriter {
public:
    CSeedWriter(fs::path folder) : m_folder(std::move(folder)) { fs::create_directories(m_folder); }
    void Write(const std::string& name, const Bytes& bytes) const {
        std::ofstream out(m_folder / name, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        if (!out) throw std::runtime_error("cannot write " + (m_folder / name).string());
    }
    void Write(const std::string& name, const std::string& text) const {
        Write(name, Bytes(text.begin(), text.end()));
    }
    std::string PathOf(const std::string& name) const { return (m_folder / name).string(); }

private:
    fs::path m_folder;
};

constexpr const char* kUnitLine =
    "1,2,30,40,5,1193046,7,\"\x95\xE0\x95\xBA\",\"tank.bmp\",1,2,3,4,\"p\"";
constexpr const char* kMoveLine = "1,2,0,31,41,6";

// A flat map block of `width` x `height` cells numbered from 0.
void GiveMapBlock(CMsg& msg, WORD width, WORD height) {
    const DWORD size = 4 + DWORD{width} * height;
    msg.m_pData.Reset(new BYTE[size]);
    msg.m_pData[0] = static_cast<BYTE>(width);
    msg.m_pData[1] = static_cast<BYTE>(width >> 8);
    msg.m_pData[2] = static_cast<BYTE>(height);
    msg.m_pData[3] = static_cast<BYTE>(height >> 8);
    for (DWORD i = 4; i < size; ++i) msg.m_pData[i] = static_cast<BYTE>(i);
    msg.m_dwDataSize = size;
}

// A message of `kind` filled with what that kind carries.
void FillMessage(CMsg& msg, WORD kind) {
    msg.m_wKind = kind;
    msg.m_byTag = static_cast<BYTE>(kind * 7);
    switch (kind) {
        case 5:
            msg.m_strMsg = std::string("alice\nbob%") + kUnitLine + "\n" + kUnitLine;
            break;
        case 104:
        case 105:
        case 107:
            msg.m_strMsg = kUnitLine;
            break;
        case 106:
            msg.m_strMsg = kMoveLine;
            break;
        case 111:
            GiveMapBlock(msg, 3, 2);
            break;
        case 152:
            msg.m_pData.Reset(new BYTE[5]{1, 2, 3, 4, 5});
            msg.m_dwDataSize = 5;
            break;
        case 2:
            msg.m_pUnit = new CUnit;
            msg.m_pUnit->StringToUnitData(kUnitLine);
            msg.m_pUnitList = new CUnitList;
            msg.m_pUnitList->AddTail(*msg.m_pUnit);
            break;
        default:
            msg.m_strMsg = "text \x93\xFA\x96\x7B";
            break;
    }
}

void WriteMessageSeeds(const fs::path& out) {
    const CSeedWriter seeds(out / "msg");
    const WORD kinds[] = {2, 5, 100, 101, 102, 103, 104, 105, 106, 107, 110, 111, 152, 181, 182};
    Bytes stream;
    for (WORD kind : kinds) {
        for (const char* version : {"", "1.0"}) {
            CMsg msg{CString(version)};
            FillMessage(msg, kind);
            const Bytes record = Stored([&](CArchive& ar) { msg.Serialize(ar); });
            seeds.Write(std::string(*version ? "current-" : "old-") + std::to_string(kind), record);
            stream.insert(stream.end(), record.begin(), record.end());
        }
    }
    seeds.Write("stream", stream);
    CMsg first{CString("1.0")}, second;
    FillMessage(first, 103);
    FillMessage(second, 106);
    seeds.Write("objects", Stored([&](CArchive& ar) { ar << &first << &second << &first; }));
}

void WriteMapSeeds(const fs::path& out) {
    const CSeedWriter seeds(out / "map");
    CHexMap small(3, 2);
    small.SetData(1, 1, 9);
    const Bytes smallBytes = Stored([&](CArchive& ar) { small.Serialize(ar); });
    seeds.Write("3x2", smallBytes);
    seeds.Write("3x2-cut", Bytes(smallBytes.begin(), smallBytes.end() - 2));
    CHexMap island(26, 26);
    for (WORD y = 8; y < 18; ++y)
        for (WORD x = 6; x < 20; ++x) island.SetData(x, y, static_cast<BYTE>(x + y));
    seeds.Write("26x26", Stored([&](CArchive& ar) { island.Serialize(ar); }));
    CHexMap empty;
    seeds.Write("0x0", Stored([&](CArchive& ar) { empty.Serialize(ar); }));
}

// The units target: the first byte picks separator and quote erasing (0 is a
// comma, erasing off; 8 a comma, erasing on), the rest is the line; the whole
// input is also read as a unit list archive.
void WriteUnitSeeds(const fs::path& out) {
    const CSeedWriter seeds(out / "units");
    seeds.Write("full-line", std::string("\x08") + kUnitLine);
    seeds.Write("move-line", std::string("\x00", 1) + kMoveLine);
    seeds.Write("quoted", std::string("\x08") + "\"a,b\" , \"\"c\"\",  d  ,1.5e3");
    CUnitList list;
    CUnit unit;
    unit.StringToUnitData(kUnitLine);
    list.AddTail(unit);
    list.AddTail(CUnit());
    seeds.Write("unit-list", Stored([&](CArchive& ar) { list.Serialize(ar); }));
}

// A small colour picture, width `width` to give its BMP rows padding.
HBITMAP MakeBitmap(int width, int height) {
    std::vector<DWORD> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels.push_back(static_cast<DWORD>(x * 50) << 16 | static_cast<DWORD>(y * 80) << 8 |
                             static_cast<DWORD>(200 - 30 * x));
    HBITMAP hbm = CreateBitmap(width, height, 1, 32, pixels.data());
    if (!hbm) throw std::runtime_error("cannot make a bitmap");
    return hbm;
}

void Put16(Bytes& out, unsigned value) {
    out.push_back(static_cast<BYTE>(value));
    out.push_back(static_cast<BYTE>(value >> 8));
}

void Put32(Bytes& out, DWORD value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

// The layouts the platform's writer never makes: palettes, 16-bit masks, top-down rows,
// the old 12-byte header, packed bitmaps without a file header, run-length data.
struct BmpLayout {
    int width = 5;
    int height = 3;
    WORD bitCount = 8;
    std::vector<DWORD> palette{};  // 0x00RRGGBB; fewer entries than the depth allows
    std::vector<DWORD> masks{};    // given: bit fields
    Bytes runs{};                  // given: run-length data (8 or 4 bits) in place of rows
    bool topDown = false;
    bool coreHeader = false;
    bool fileHeader = true;
};

// Uncompressed rows of every depth, each padded to 32 bits.
void PutRows(Bytes& out, const BmpLayout& layout) {
    const std::size_t pixelsAt = out.size();
    const std::size_t stride =
        (static_cast<std::size_t>(layout.width) * layout.bitCount + 31) / 32 * 4;
    out.resize(pixelsAt + stride * static_cast<std::size_t>(layout.height));
    for (int y = 0; y < layout.height; ++y)
        for (int x = 0; x < layout.width; ++x) {
            // Palette indexes run past the palette's end, which draws black.
            const DWORD value = static_cast<DWORD>(x * 3 + y * 7) * 0x1F3u;
            BYTE* row = out.data() + pixelsAt + stride * static_cast<std::size_t>(y);
            const std::size_t bit = static_cast<std::size_t>(x) * layout.bitCount;
            if (layout.bitCount < 8) {
                const unsigned index = (x + 2 * y) & ((1u << layout.bitCount) - 1);
                row[bit / 8] |= static_cast<BYTE>(index << (8 - layout.bitCount - bit % 8));
            } else {
                for (int i = 0; i < layout.bitCount / 8; ++i)
                    row[bit / 8 + static_cast<std::size_t>(i)] = static_cast<BYTE>(
                        layout.bitCount == 8 ? (x + 2 * y) % 8 : value >> (8 * i));
            }
        }
}

Bytes HandBuiltBmp(const BmpLayout& layout) {
    Bytes out;
    if (layout.coreHeader) {
        Put32(out, 12);
        Put16(out, static_cast<unsigned>(layout.width));
        Put16(out, static_cast<unsigned>(layout.height));
        Put16(out, 1);
        Put16(out, layout.bitCount);
    } else {
        Put32(out, 40);
        Put32(out, static_cast<DWORD>(layout.width));
        Put32(out, static_cast<DWORD>(layout.topDown ? -layout.height : layout.height));
        Put16(out, 1);
        Put16(out, layout.bitCount);
        const DWORD runLength = layout.bitCount == 8 ? 1 : 2;
        Put32(out, !layout.masks.empty() ? 3 : !layout.runs.empty() ? runLength : 0);
        for (DWORD field : {0u, 2835u, 2835u}) Put32(out, field);  // image size, resolution
        Put32(out, static_cast<DWORD>(layout.palette.size()));
        Put32(out, 0);
    }
    for (DWORD mask : layout.masks) Put32(out, mask);
    for (DWORD colour : layout.palette) {
        out.push_back(static_cast<BYTE>(colour));
        out.push_back(static_cast<BYTE>(colour >> 8));
        out.push_back(static_cast<BYTE>(colour >> 16));
        if (!layout.coreHeader) out.push_back(0);
    }
    const std::size_t pixelsAt = out.size();
    if (layout.runs.empty())
        PutRows(out, layout);
    else
        out.insert(out.end(), layout.runs.begin(), layout.runs.end());
    if (!layout.fileHeader) return out;
    Bytes file;
    Put16(file, 0x4D42);  // "BM"
    Put32(file, static_cast<DWORD>(14 + out.size()));
    Put32(file, 0);
    Put32(file, static_cast<DWORD>(14 + pixelsAt));
    file.insert(file.end(), out.begin(), out.end());
    return file;
}

void WriteBmpSeeds(const fs::path& out) {
    const CSeedWriter seeds(out / "bmp");
    HBITMAP hbm = MakeBitmap(5, 3);
    seeds.Write("24bit.bmp", EncodeBitmapBmp(hbm, 24));
    seeds.Write("32bit.bmp", EncodeBitmapBmp(hbm, 32));
    DeleteObject(hbm);
    const std::vector<DWORD> colours = {0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00,
                                        0x0000FF, 0x808000, 0x008080};
    seeds.Write("1bit.bmp",
                HandBuiltBmp({.width = 11, .bitCount = 1, .palette = {0x102030, 0xF0E0D0}}));
    seeds.Write("4bit.bmp", HandBuiltBmp({.bitCount = 4, .palette = colours}));
    seeds.Write("8bit-top-down.bmp",
                HandBuiltBmp({.bitCount = 8, .palette = colours, .topDown = true}));
    seeds.Write("8bit-packed",
                HandBuiltBmp({.bitCount = 8, .palette = colours, .fileHeader = false}));
    seeds.Write("4bit-core.bmp", HandBuiltBmp({.bitCount = 4,
                                               .palette = std::vector<DWORD>(16, 0x405060),
                                               .coreHeader = true}));
    seeds.Write("16bit-565.bmp", HandBuiltBmp({.bitCount = 16, .masks = {0xF800, 0x07E0, 0x001F}}));
    seeds.Write("16bit.bmp", HandBuiltBmp({.bitCount = 16}));
    // Rows bottom-up, each ending with 0 0: encoded runs, a literal of 3 (padded), a move
    // (0 2 dx dy), and the end of the picture (0 1) before the last row is full.
    seeds.Write("8bit-rle.bmp",
                HandBuiltBmp({.palette = colours, .runs = {5, 1, 0, 0,                    //
                                                           0, 3, 2, 3, 4, 0, 2, 5, 0, 0,  //
                                                           0, 2, 1, 0, 3, 6, 0, 1}}));
    seeds.Write("4bit-rle.bmp", HandBuiltBmp({.bitCount = 4,
                                              .palette = colours,
                                              .runs = {5, 0x12, 0, 0,                    //
                                                       0, 5, 0x34, 0x56, 0x60, 0, 0, 0,  //
                                                       3, 0x45, 0, 1}}));
}

// The JPEG module reads JPEG and PNG files alike.
void WriteJpegSeeds(const fs::path& out) {
    const CSeedWriter seeds(out / "jpeg2bmp");
    const qvtest::SamplePicture photo = qvtest::MakePhotoLikePicture(16, 12);
    seeds.Write("baseline.jpg", qvtest::EncodeJpeg(photo, {.quality = 75}));
    seeds.Write(
        "progressive-subsampled.jpg",
        qvtest::EncodeJpeg(photo, {.quality = 50, .progressive = true, .subsampled = true}));
    qvtest::SamplePicture grey{photo.width, photo.height, 1, {}};
    for (std::size_t i = 0; i < photo.samples.size(); i += 3)
        grey.samples.push_back(photo.samples[i]);
    seeds.Write("grey.jpg", qvtest::EncodeJpeg(grey, {.quality = 75}));

    HBITMAP hbm = MakeBitmap(7, 5);
    const bool saved = SaveBitmapPng(hbm, seeds.PathOf("rgb.png").c_str());
    DeleteObject(hbm);
    if (!saved) throw std::runtime_error("cannot write " + seeds.PathOf("rgb.png"));
    // Grey with transparency, which the module lays over white.
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = 6;
    image.height = 4;
    image.format = PNG_FORMAT_GA;
    Bytes samples;
    for (int i = 0; i < 24; ++i) {
        samples.push_back(static_cast<BYTE>(i * 10));
        samples.push_back(static_cast<BYTE>(255 - i * 11));
    }
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&image, nullptr, &size, 0, samples.data(), 0, nullptr))
        throw std::runtime_error("cannot encode a PNG");
    Bytes png(size);
    if (!png_image_write_to_memory(&image, png.data(), &size, 0, samples.data(), 0, nullptr))
        throw std::runtime_error("cannot encode a PNG");
    png.resize(size);
    seeds.Write("grey-alpha.png", png);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_fuzz_seeds OUT\n");
        return 2;
    }
    try {
        WriteMessageSeeds(argv[1]);
        WriteMapSeeds(argv[1]);
        WriteUnitSeeds(argv[1]);
        WriteBmpSeeds(argv[1]);
        WriteJpegSeeds(argv[1]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_fuzz_seeds: %s\n", e.what());
        return 1;
    }
    return 0;
}
