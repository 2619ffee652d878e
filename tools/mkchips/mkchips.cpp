// mkchips: draws the sample chip sheet MAP.BMP, a grid of 50 x 40 terrain chips, each
// white outside its hexagon so that the map view's compositing (mask, then chip, both
// SRCERASE) leaves neighbouring hexes alone there. Optionally writes a preview PNG of
// the chips composited as the map view draws them.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <qvdll/graphic.h>
#include <qvdll/resource.h>
#include <qvplatform/bmpfile.h>

#include "painter.h"
#include "terrain.h"

namespace mkchips {
namespace {

constexpr const char* kUsage =
    "usage: mkchips SHEET.BMP [--per-row N] [--preview PREVIEW.png]\n"
    "  draws every terrain chip into a sheet of N chips a row (8 unless told) and writes\n"
    "  it as a 24-bit BMP file; --preview also writes the chips composited into hexes over\n"
    "  black, as the map view draws them, three times enlarged.\n";

constexpr int kPreviewScale = 3;

struct Options {
    std::string sheetPath;
    std::string previewPath;
    int perRow = 8;
};

struct UsageError {
    std::string message;
};

Options ParseArgs(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) throw UsageError{arg + " needs a value"};
            return argv[++i];
        };
        if (arg == "--per-row") {
            std::string text = value();
            char* end = nullptr;
            long n = std::strtol(text.c_str(), &end, 10);
            if (*end || n < 1 || n > 64) throw UsageError{"--per-row takes 1 to 64, got " + text};
            options.perRow = static_cast<int>(n);
        } else if (arg == "--preview") {
            options.previewPath = value();
        } else if (!arg.empty() && arg[0] == '-') {
            throw UsageError{"unknown option " + arg};
        } else if (options.sheetPath.empty()) {
            options.sheetPath = arg;
        } else {
            throw UsageError{"one sheet file only, got " + arg + " too"};
        }
    }
    if (options.sheetPath.empty()) throw UsageError{"no sheet file given"};
    return options;
}

// Monochrome-to-colour transfers map black to the text colour and white to the
// background colour: these make the hex mask black and white on a colour picture.
void UseBlackAndWhite(CDC& dc) {
    dc.SetTextColor(RGB(0, 0, 0));
    dc.SetBkColor(RGB(255, 255, 255));
}

// Every chip painted, then whitened outside the hexagon: OR with the hex mask, white
// outside and black inside, keeps the inside and makes the outside white.
void DrawSheet(CGraphic& sheet, CGraphic& hexMask, int perRow) {
    auto terrains = Terrains();
    for (std::size_t n = 0; n < terrains.size(); ++n) {
        int left = kChipWidth * static_cast<int>(n % perRow);
        int top = kChipHeight * static_cast<int>(n / perRow);
        Painter painter(sheet.GetDC()->GetSafeHdc(), left, top, 1000 + static_cast<unsigned>(n));
        terrains[n].paint(painter);
        UseBlackAndWhite(*sheet.GetDC());
        sheet.GetDC()->BitBlt(left, top, kChipWidth, kChipHeight, hexMask.GetDC(), 0, 0, SRCPAINT);
    }
}

// The chips in a hex grid over black, columns 40 pixels apart and odd ones 20 lower, each
// put in with the map view's two transfers, then enlarged.
bool WritePreview(CGraphic& sheet, CGraphic& hexMask, int perRow, const std::string& path) {
    int count = static_cast<int>(Terrains().size());
    int columns = count < perRow ? count : perRow;
    int rows = (count + perRow - 1) / perRow;
    int width = 40 * columns + 10, height = 40 * rows + 20;
    CDC screen;
    screen.Attach(CreateDCA("DISPLAY", nullptr, nullptr, nullptr));
    CGraphic map, preview;
    map.Create(&screen, width, height);
    map.GetDC()->FillSolidRect(0, 0, width, height, RGB(0, 0, 0));
    UseBlackAndWhite(*map.GetDC());
    for (int n = 0; n < count; ++n) {
        int column = n % perRow, row = n / perRow;
        int left = 40 * column, top = 40 * row + (column % 2 ? 20 : 0);
        map.GetDC()->BitBlt(left, top, kChipWidth, kChipHeight, hexMask.GetDC(), 0, 0, SRCERASE);
        map.GetDC()->BitBlt(left, top, kChipWidth, kChipHeight, sheet.GetDC(), kChipWidth * column,
                            kChipHeight * row, SRCERASE);
    }
    preview.Create(&screen, width * kPreviewScale, height * kPreviewScale);
    preview.GetDC()->SetStretchBltMode(COLORONCOLOR);
    preview.GetDC()->StretchBlt(0, 0, width * kPreviewScale, height * kPreviewScale, map.GetDC(), 0,
                                0, width, height, SRCCOPY);
    return SaveBitmapPng(*preview.GetBitmap(), path.c_str());
}

int Run(const Options& options) {
    CGraphic hexMask;
    if (!hexMask.LoadBitmapA(nullptr, IDB_HEXMASK)) {
        std::fprintf(stderr, "mkchips: the library's hex mask (resource %u) was not found\n",
                     IDB_HEXMASK);
        return 1;
    }
    int count = static_cast<int>(Terrains().size());
    int rows = (count + options.perRow - 1) / options.perRow;
    CDC screen;
    screen.Attach(CreateDCA("DISPLAY", nullptr, nullptr, nullptr));
    CGraphic sheet;  // white where no chip is
    sheet.Create(&screen, kChipWidth * options.perRow, kChipHeight * rows);
    DrawSheet(sheet, hexMask, options.perRow);

    bool bPreviewOk = options.previewPath.empty() ||
                      WritePreview(sheet, hexMask, options.perRow, options.previewPath);
    if (!SaveBitmapBmp(*sheet.GetBitmap(), options.sheetPath.c_str())) {
        std::fprintf(stderr, "mkchips: cannot write '%s'\n", options.sheetPath.c_str());
        return 1;
    }
    if (!bPreviewOk) {
        std::fprintf(stderr, "mkchips: cannot write '%s'\n", options.previewPath.c_str());
        return 1;
    }
    std::printf("%s: %d x %d, %d chips, %d a row\n", options.sheetPath.c_str(),
                kChipWidth * options.perRow, kChipHeight * rows, count, options.perRow);
    for (int n = 0; n < count; ++n) std::printf("  chip %2d  %s\n", n, Terrains()[n].name);
    return 0;
}

}  // namespace
}  // namespace mkchips

int main(int argc, char** argv) {
    try {
        return mkchips::Run(mkchips::ParseArgs(argc, argv));
    } catch (const mkchips::UsageError& e) {
        std::fprintf(stderr, "mkchips: %s\n%s", e.message.c_str(), mkchips::kUsage);
        return 2;
    }
}
