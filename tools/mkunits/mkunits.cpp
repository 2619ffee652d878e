// mkunits: draws the sample unit pictures into a folder (the folder "Images" beside the
// sample data): 32 x 32 game pieces as BMP files and, for the library's JPEG module, as
// JPEG files. Units name them in their picture-file field ("tank.bmp").
#include <cstdio>
#include <filesystem>
#include <string>

#include <qvdll/graphic.h>
#include <qvplatform/bmpfile.h>

#include "jpegfile.h"
#include "pieces.h"

namespace mkunits {
namespace {

constexpr const char* kUsage =
    "usage: mkunits FOLDER\n"
    "  draws every sample unit picture into FOLDER (made if missing): BMP files for the\n"
    "  names ending in .bmp, JPEG files for those ending in .jpg.\n";

constexpr int kJpegQuality = 92;
constexpr std::uint32_t kSeed = 2000;

bool WritePiece(const Piece& piece, const std::filesystem::path& folder, std::uint32_t seed) {
    CDC screen;
    screen.Attach(CreateDCA("DISPLAY", nullptr, nullptr, nullptr));
    CGraphic picture;
    if (!picture.Create(&screen, piece.side, piece.side)) return false;
    {
        mkchips::Painter painter(picture.GetDC()->GetSafeHdc(), 0, 0, seed);
        piece.paint(painter);
    }
    std::string path = (folder / piece.fileName).string();
    if (path.ends_with(".jpg"))
        return SaveJpeg(picture.GetDC()->GetSafeHdc(), piece.side, piece.side, path, kJpegQuality);
    return SaveBitmapBmp(*picture.GetBitmap(), path.c_str());
}

int Run(const std::string& folderName) {
    std::filesystem::path folder(folderName);
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        std::fprintf(stderr, "mkunits: cannot make folder '%s': %s\n", folderName.c_str(),
                     ec.message().c_str());
        return 1;
    }
    std::uint32_t seed = kSeed;
    for (const Piece& piece : Pieces()) {
        if (!WritePiece(piece, folder, seed++)) {
            std::fprintf(stderr, "mkunits: cannot write '%s'\n",
                         (folder / piece.fileName).string().c_str());
            return 1;
        }
        std::printf("%s: %d x %d\n", (folder / piece.fileName).string().c_str(), piece.side,
                    piece.side);
    }
    return 0;
}

}  // namespace
}  // namespace mkunits

int main(int argc, char** argv) {
    if (argc != 2 || argv[1][0] == '-') {
        std::fputs(mkunits::kUsage, stderr);
        return 2;
    }
    return mkunits::Run(argv[1]);
}
