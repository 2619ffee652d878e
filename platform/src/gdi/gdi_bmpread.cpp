// Reading BMP pictures, field by field, every size checked against the bytes present.
#include <algorithm>
#include <bit>
#include <filesystem>
#include <fstream>
#include <optional>

#include "gdi_internal.h"
#include "qvplatform/bmpfile.h"
#include "qvplatform/file.h"
#include "qvplatform/module.h"

namespace qvp::detail {

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr WORD kFileMagic = 0x4D42;  // "BM"
constexpr DWORD kCoreHeaderSize = 12;
constexpr DWORD kInfoHeaderSize = 40;
constexpr DWORD kV2HeaderSize = 52;  // with the three colour masks
constexpr DWORD kMaxHeaderSize = 1024;
// An end of row, two bytes, finishes a row of up to 32767 pixels. Run-length data that
// claims more pixels per byte (moves and an early end over a big, nearly empty picture)
// is refused, so that a few bytes cannot make a picture of hundreds of megabytes.
constexpr std::size_t kRunPixelsPerByte = 16384;
constexpr DWORD kBiRgb = 0;
constexpr DWORD kBiRle8 = 1;
constexpr DWORD kBiRle4 = 2;
constexpr DWORD kBiBitfields = 3;
constexpr DWORD kBiAlphaBitfields = 6;

// Little-endian fields at given offsets; every read is bounds-checked.
class Reader {
public:
    explicit Reader(std::span<const BYTE> bytes) : m_bytes(bytes) {}
    std::size_t Size() const { return m_bytes.size(); }
    bool Has(std::size_t at, std::size_t n) const { return at <= Size() && n <= Size() - at; }
    DWORD U32(std::size_t at) const { return U32(m_bytes.data() + at); }
    WORD U16(std::size_t at) const { return static_cast<WORD>(m_bytes[at] | m_bytes[at + 1] << 8); }
    const BYTE* At(std::size_t at) const { return m_bytes.data() + at; }

    static DWORD U32(const BYTE* p) {
        return p[0] | p[1] << 8 | p[2] << 16 | static_cast<DWORD>(p[3]) << 24;
    }

private:
    std::span<const BYTE> m_bytes;
};

// One colour channel of a bit-field pixel, scaled to 0..255.
struct Channel {
    explicit Channel(DWORD bitMask)
        : shift(bitMask ? std::countr_zero(bitMask) : 0),
          bits(std::popcount(bitMask)),
          mask(bitMask) {}
    BYTE Take(DWORD pixel) const {
        if (!bits) return 0;
        DWORD v = (pixel & mask) >> shift;
        if (bits >= 8) return static_cast<BYTE>(v >> (bits - 8));
        DWORD max = (1u << bits) - 1;
        return static_cast<BYTE>((v * 255 + max / 2) / max);
    }
    int shift, bits;
    DWORD mask;
};

struct Header {
    LONG width = 0;
    LONG height = 0;  // rows, always positive
    bool topDown = false;
    WORD bitCount = 0;
    DWORD compression = kBiRgb;
    DWORD colorsUsed = 0;
    DWORD masks[3] = {};        // red, green, blue
    std::size_t paletteAt = 0;  // offset of the first palette entry
    std::size_t entrySize = 4;  // 3 in the old core header
};

// The info header at `at`; its masks and palette follow it.
std::optional<Header> ReadHeader(const Reader& in, std::size_t at) {
    if (!in.Has(at, 4)) return std::nullopt;
    DWORD size = in.U32(at);
    Header h;
    if (size == kCoreHeaderSize) {
        if (!in.Has(at, size)) return std::nullopt;
        h.width = in.U16(at + 4);
        h.height = in.U16(at + 6);
        if (in.U16(at + 8) != 1) return std::nullopt;
        h.bitCount = in.U16(at + 10);
        h.entrySize = 3;
        h.paletteAt = at + size;
        return h;
    }
    if (size < kInfoHeaderSize || size > kMaxHeaderSize || !in.Has(at, size)) return std::nullopt;
    h.width = static_cast<LONG>(in.U32(at + 4));
    auto height = static_cast<LONG>(in.U32(at + 8));
    if (height == INT32_MIN || in.U16(at + 12) != 1) return std::nullopt;
    h.topDown = height < 0;
    h.height = height < 0 ? -height : height;
    h.bitCount = in.U16(at + 14);
    h.compression = in.U32(at + 16);
    h.colorsUsed = in.U32(at + 32);
    h.paletteAt = at + size;
    bool bitfields = h.compression == kBiBitfields || h.compression == kBiAlphaBitfields;
    if (bitfields && size >= kV2HeaderSize) {
        for (int i = 0; i < 3; ++i) h.masks[i] = in.U32(at + 40 + 4 * i);
    } else if (bitfields) {
        // The masks follow a plain info header (with the alpha mask for the second kind).
        std::size_t count = h.compression == kBiAlphaBitfields ? 4 : 3;
        if (!in.Has(h.paletteAt, 4 * count)) return std::nullopt;
        for (int i = 0; i < 3; ++i) h.masks[i] = in.U32(h.paletteAt + 4 * i);
        h.paletteAt += 4 * count;
    }
    return h;
}

bool Valid(const Header& h) {
    switch (h.bitCount) {
        case 4:
            return h.compression == kBiRgb || (h.compression == kBiRle4 && !h.topDown);
        case 8:
            return h.compression == kBiRgb || (h.compression == kBiRle8 && !h.topDown);
        case 1:
        case 24:
            return h.compression == kBiRgb;
        case 16:
        case 32:
            return h.compression == kBiRgb || h.compression == kBiBitfields ||
                   h.compression == kBiAlphaBitfields;
        default:
            return false;
    }
}

// The default masks of the uncompressed 16- and 32-bit formats.
void DefaultMasks(Header& h) {
    if (h.compression != kBiRgb) return;
    if (h.bitCount == 16) {
        h.masks[0] = 0x7C00, h.masks[1] = 0x03E0, h.masks[2] = 0x001F;
    } else if (h.bitCount == 32) {
        h.masks[0] = 0xFF0000, h.masks[1] = 0x00FF00, h.masks[2] = 0x0000FF;
    }
}

std::optional<std::vector<Pixel>> ReadPalette(const Reader& in, const Header& h) {
    std::vector<Pixel> palette;
    if (h.bitCount > 8) return palette;
    std::size_t capacity = std::size_t{1} << h.bitCount;
    std::size_t count = h.colorsUsed ? h.colorsUsed : capacity;
    if (count > capacity || !in.Has(h.paletteAt, count * h.entrySize)) return std::nullopt;
    for (std::size_t i = 0; i < count; ++i) {
        const BYTE* e = in.At(h.paletteAt + i * h.entrySize);
        palette.push_back(static_cast<Pixel>(e[2]) << 16 | e[1] << 8 | e[0]);
    }
    return palette;
}

void DecodeRow(const Header& h, const std::vector<Pixel>& palette, const BYTE* src, Pixel* out) {
    const Channel r(h.masks[0]), g(h.masks[1]), b(h.masks[2]);
    for (LONG x = 0; x < h.width; ++x) {
        Pixel value = kBlack;
        switch (h.bitCount) {
            case 24:
                value = static_cast<Pixel>(src[3 * x + 2]) << 16 | src[3 * x + 1] << 8 | src[3 * x];
                break;
            case 16:
            case 32: {
                DWORD raw = h.bitCount == 16 ? static_cast<DWORD>(src[2 * x] | src[2 * x + 1] << 8)
                                             : Reader::U32(src + 4 * x);
                value = static_cast<Pixel>(r.Take(raw)) << 16 | g.Take(raw) << 8 | b.Take(raw);
                break;
            }
            default: {
                std::size_t bit = static_cast<std::size_t>(x) * h.bitCount;
                unsigned index =
                    (src[bit / 8] >> (8 - h.bitCount - bit % 8)) & ((1u << h.bitCount) - 1);
                if (index < palette.size()) value = palette[index];
            }
        }
        out[x] = value;
    }
}

// Uncompressed rows, each padded to 32 bits.
std::unique_ptr<BitmapObject> ReadRows(const Header& h, const Reader& in, std::size_t pixelsAt,
                                       const std::vector<Pixel>& palette, bool mono) {
    std::size_t stride = (static_cast<std::size_t>(h.width) * h.bitCount + 31) / 32 * 4;
    std::size_t lastRow = (static_cast<std::size_t>(h.width) * h.bitCount + 7) / 8;
    // The last row may lack its padding; everything else must be there.
    if (!in.Has(pixelsAt, stride * (static_cast<std::size_t>(h.height) - 1)) ||
        !in.Has(pixelsAt + stride * (static_cast<std::size_t>(h.height) - 1), lastRow))
        return nullptr;
    auto bitmap = BitmapObject::Make(h.width, h.height, mono);
    if (!bitmap) return nullptr;
    for (LONG y = 0; y < h.height; ++y) {
        LONG row = h.topDown ? y : h.height - 1 - y;
        DecodeRow(h, palette, in.At(pixelsAt + stride * static_cast<std::size_t>(y)),
                  bitmap->Row(row));
    }
    return bitmap;
}

// Run-length pixels: pairs of a count and a value (for 4 bits two alternating indexes), or a
// 0 and an escape: 0 ends the row, 1 the picture, 2 moves right and up by the next two
// bytes, 3..255 starts that many literal indexes padded to a 16-bit boundary. Rows run
// bottom-up. Pixels the codes skip (by a move or an early end of row or picture) keep
// palette index 0, as in a freshly made device-independent bitmap, whose bits are all
// zero; a bitmap here has no transparency to leave them as. Runs are cut at the row's end,
// where writers pad rows to 32 bits with them. A run above the top row, a move out of the
// picture, a literal short of its bytes or data without its end-of-picture code make the
// picture bad (false). With a null `out` nothing is drawn: the walk only checks the data,
// before the picture is allocated.
bool WalkRuns(const Header& h, const Reader& in, std::size_t at, const std::vector<Pixel>& palette,
              BitmapObject* out) {
    const bool four = h.compression == kBiRle4;
    LONG x = 0, y = 0;  // y counts rows from the bottom; x never passes the width
    auto put = [&](LONG count, auto indexAt) {
        if (y >= h.height) return false;
        LONG shown = std::min(count, h.width - x);
        if (out) {
            Pixel* row = out->Row(h.height - 1 - y) + x;
            for (LONG i = 0; i < shown; ++i) {
                unsigned index = indexAt(i);
                row[i] = index < palette.size() ? palette[index] : kBlack;
            }
        }
        x += shown;
        return true;
    };
    auto nibble = [four](BYTE pair, LONG i) {
        return four ? (i % 2 ? pair & 0x0Fu : pair >> 4u) : unsigned{pair};
    };
    for (;;) {
        if (!in.Has(at, 2)) return false;
        const BYTE count = *in.At(at), code = *in.At(at + 1);
        at += 2;
        if (count) {
            if (!put(count, [&](LONG i) { return nibble(code, i); })) return false;
        } else if (code == 0) {
            if (y >= h.height) return false;
            x = 0, ++y;
        } else if (code == 1) {
            return true;
        } else if (code == 2) {
            if (!in.Has(at, 2)) return false;
            x += *in.At(at), y += *in.At(at + 1);
            at += 2;
            if (x > h.width || y > h.height) return false;
        } else {
            std::size_t bytes = four ? (code + 1u) / 2 : code;
            std::size_t padded = (bytes + 1) / 2 * 2;
            if (!in.Has(at, padded)) return false;
            const BYTE* literal = in.At(at);
            if (!put(code, [&](LONG i) { return nibble(literal[four ? i / 2 : i], i); }))
                return false;
            at += padded;
        }
    }
}

std::unique_ptr<BitmapObject> ReadRuns(const Header& h, const Reader& in, std::size_t at,
                                       const std::vector<Pixel>& palette, bool mono) {
    if (!WalkRuns(h, in, at, palette, nullptr) ||
        static_cast<std::size_t>(h.width) * static_cast<std::size_t>(h.height) / kRunPixelsPerByte >
            in.Size() - at)
        return nullptr;
    auto bitmap = BitmapObject::Make(h.width, h.height, mono);
    if (!bitmap) return nullptr;
    std::fill(bitmap->m_pixels.begin(), bitmap->m_pixels.end(),
              palette.empty() ? kBlack : palette[0]);
    WalkRuns(h, in, at, palette, bitmap.get());
    return bitmap;
}

std::unique_ptr<BitmapObject> ReadBmp(std::span<const BYTE> bytes, bool mono) {
    Reader in(bytes);
    bool isFile = in.Has(0, kFileHeaderSize) && in.U16(0) == kFileMagic;
    std::optional<Header> header = ReadHeader(in, isFile ? kFileHeaderSize : 0);
    if (!header || !Valid(*header) || header->width <= 0 || header->height <= 0) return nullptr;
    Header& h = *header;
    DefaultMasks(h);
    std::optional<std::vector<Pixel>> palette = ReadPalette(in, h);
    if (!palette) return nullptr;
    // A file says where its pixels start; a packed bitmap has them right after the palette.
    std::size_t pixelsAt = isFile ? in.U32(10) : h.paletteAt + palette->size() * h.entrySize;
    bool runs = h.compression == kBiRle8 || h.compression == kBiRle4;
    std::unique_ptr<BitmapObject> bitmap = runs ? ReadRuns(h, in, pixelsAt, *palette, mono)
                                                : ReadRows(h, in, pixelsAt, *palette, mono);
    if (bitmap && mono)
        for (Pixel& p : bitmap->m_pixels) p = MonoFromColor(ColorFromPixel(p));
    return bitmap;
}

// The whole file, or nothing when it is missing, unreadable or past any picture's size.
std::optional<std::vector<BYTE>> ReadFile(const char* name) {
    constexpr std::uintmax_t kMaxFileSize = std::uintmax_t{1} << 28;
    std::filesystem::path path = AfxResolvePath(name);
    std::error_code ec;
    std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec || size > kMaxFileSize) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    std::vector<BYTE> bytes(static_cast<std::size_t>(size));
    if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size)))
        return std::nullopt;
    return bytes;
}

// Nearest-pixel scaling to w x h.
std::unique_ptr<BitmapObject> Scaled(const BitmapObject& from, int w, int h) {
    auto to = BitmapObject::Make(w, h, from.m_bMono);
    if (!to) return nullptr;
    for (int y = 0; y < h; ++y) {
        const Pixel* src =
            from.Row(static_cast<int>(static_cast<long long>(y) * from.m_nHeight / h));
        Pixel* dst = to->Row(y);
        for (int x = 0; x < w; ++x) dst[x] = src[static_cast<long long>(x) * from.m_nWidth / w];
    }
    return to;
}

}  // namespace

}  // namespace qvp::detail

using namespace qvp::detail;

HBITMAP CreateBitmapFromBmp(std::span<const BYTE> bytes, UINT fuLoad) {
    return AddObject<HBITMAP>(ReadBmp(bytes, (fuLoad & LR_MONOCHROME) != 0));
}

HANDLE LoadImageA(HINSTANCE hInst, LPCSTR name, UINT type, int cx, int cy, UINT fuLoad) {
    if (type != IMAGE_BITMAP || cx < 0 || cy < 0) return nullptr;
    bool mono = (fuLoad & LR_MONOCHROME) != 0;
    std::unique_ptr<BitmapObject> bitmap;
    if (fuLoad & LR_LOADFROMFILE) {
        if (IS_INTRESOURCE(name)) return nullptr;
        if (auto bytes = ReadFile(name)) bitmap = ReadBmp(*bytes, mono);
    } else {
        bitmap = ReadBmp(AfxFindBitmapResource(hInst, name), mono);
    }
    if (bitmap && (cx || cy))
        bitmap = Scaled(*bitmap, cx ? cx : bitmap->m_nWidth, cy ? cy : bitmap->m_nHeight);
    return AddObject<HBITMAP>(std::move(bitmap));
}
