#include "mapscreen.h"

#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string_view>
#include <system_error>

#include <qvplatform/bmpfile.h>
#include <qvplatform/file.h>

#include "args.h"
#include "mapcheck.h"

namespace qvmap {
namespace {

namespace fs = std::filesystem;

constexpr int kDefaultMaxWidth = 800;
constexpr int kDefaultMaxHeight = 600;

// Reads the map file as the document will, and warns of what would surprise.
void CheckMapFile(const std::string& path, CHexMap& map) {
    LoadMap(path, map);
    CheckPictureFits(map);
    const std::uintmax_t cells = std::uintmax_t{map.GetMapWidth()} * map.GetMapHeight();
    const std::uintmax_t held = CellsInFile(path, map);
    if (held < cells)
        std::fprintf(stderr,
                     "qvmap: warning: '%s' holds %ju of %ju cells; the missing cells read as 0\n",
                     path.c_str(), held, cells);
}

// The number of chips on the sheet; throws when it is no picture the view can draw from.
int CheckChipSheet(const std::string& path, bool bDefault) {
    const std::string hint =
        bDefault
            ? " (the view reads MAP.BMP from the current folder; give a sheet with --chips FILE)"
            : "";
    auto hSheet = static_cast<HBITMAP>(
        LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    if (!hSheet) {
        if (!fs::exists(AfxResolvePath(path.c_str())))
            throw InputError{"no chip sheet '" + path + "'" + hint};
        throw InputError{"chip sheet '" + path + "' is not a BMP picture that can be read"};
    }
    BITMAP bm{};
    GetObjectA(hSheet, sizeof bm, &bm);
    DeleteObject(hSheet);
    const int nChips = (bm.bmWidth / 50) * (bm.bmHeight / 40);
    if (nChips == 0)
        throw InputError{"chip sheet '" + path + "' is " + std::to_string(bm.bmWidth) + " x " +
                           std::to_string(bm.bmHeight) +
                           " pixels: smaller than one chip of 50 x 40"};
    return nChips;
}

void WarnOfValuesPastTheSheet(CHexMap& map, int nChips) {
    std::uintmax_t past = 0;
    for (WORD y = 0; y < map.GetMapHeight(); ++y)
        for (WORD x = 0; x < map.GetMapWidth(); ++x) past += map.GetData(x, y) >= nChips;
    if (past)
        std::fprintf(stderr,
                     "qvmap: warning: %ju cells have values past the sheet's %d chips (0 .. %d); "
                     "they are drawn blank\n",
                     past, nChips, nChips - 1);
}

constexpr std::string_view kChipFolderPrefix = "qvmap-chips-";

// Chip folders of runs that were killed before they could take theirs away: each name holds
// its process's id, and a folder whose process is gone goes.
void RemoveChipFoldersOfEndedRuns(const fs::path& temp) {
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(temp, error)) {
        const std::string name = entry.path().filename().string();
        if (!name.starts_with(kChipFolderPrefix)) continue;
        const long pid = std::strtol(name.c_str() + kChipFolderPrefix.size(), nullptr, 10);
        if (pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
            fs::remove_all(entry.path(), error);
    }
}

// While it lives, the current folder is a temporary one in which MAP.BMP links to `sheet`.
class ChipFolder {
public:
    explicit ChipFolder(const std::string& sheet) : m_previous(fs::current_path()) {
        const fs::path temp = fs::temp_directory_path();
        RemoveChipFoldersOfEndedRuns(temp);
        std::string pattern = (temp / (std::string(kChipFolderPrefix) +
                                       std::to_string(::getpid()) + "-XXXXXX"))
                                  .string();
        if (!mkdtemp(pattern.data()))
            throw InputError{"cannot make a temporary folder for the chip sheet"};
        m_folder = pattern;
        std::error_code error;
        fs::create_symlink(fs::absolute(AfxResolvePath(sheet.c_str())), m_folder / "MAP.BMP",
                           error);
        if (!error) fs::current_path(m_folder, error);
        if (error) {
            fs::remove_all(m_folder, error);
            throw InputError{"cannot show the chip sheet to the view: " + error.message()};
        }
    }
    ~ChipFolder() {
        std::error_code error;
        fs::current_path(m_previous, error);
        fs::remove_all(m_folder, error);
    }
    ChipFolder(const ChipFolder&) = delete;
    ChipFolder& operator=(const ChipFolder&) = delete;

private:
    fs::path m_previous;
    fs::path m_folder;
};

}  // namespace

CMapScreen::CMapScreen(const ScreenSettings& settings)
    : m_pTemplate(std::make_unique<CSingleDocTemplate>(RUNTIME_CLASS(CHEXDrawDocument),
                                                       RUNTIME_CLASS(CQvmapView))) {
    CHexMap map;
    CheckMapFile(settings.mapPath, map);
    const bool bDefaultSheet = settings.chipsPath.empty();
    const int nChips = CheckChipSheet(bDefaultSheet ? "MAP.BMP" : settings.chipsPath, bDefaultSheet);
    WarnOfValuesPastTheSheet(map, nChips);

    const int cx = settings.cx > 0 ? settings.cx : std::min<int>(map.GetWidth(), kDefaultMaxWidth);
    const int cy = settings.cy > 0 ? settings.cy : std::min<int>(map.GetHeight(), kDefaultMaxHeight);
    const std::string mapPath = fs::absolute(settings.mapPath).string();
    const std::string title = "qvmap - " + fs::path(settings.mapPath).filename().string();
    CDocument* pDocument;
    {
        std::unique_ptr<ChipFolder> chips;
        if (!bDefaultSheet) chips = std::make_unique<ChipFolder>(settings.chipsPath);
        pDocument =
            m_pTemplate->OpenDocumentFile(mapPath.c_str(), title.c_str(), cx, cy, settings.nBackend);
    }
    if (!pDocument) {
        const std::string reason = AfxGetWindowError();
        throw InputError{"cannot open '" + settings.mapPath + "' in a window" +
                           (reason.empty() ? std::string() : ": " + reason)};
    }
    CGraphic* pPicture = View()->MapPicture();
    if (!pPicture->GetBitmap() || !pPicture->GetBitmap()->GetSafeHandle())
        throw InputError{"the map's picture, " + std::to_string(map.GetWidth()) + " x " +
                           std::to_string(map.GetHeight()) +
                           " pixels, is too large to draw in one piece"};
}

CMapScreen::~CMapScreen() = default;

CHEXDrawDocument* CMapScreen::Document() const {
    return static_cast<CHEXDrawDocument*>(m_pTemplate->GetDocument());
}

CQvmapView* CMapScreen::View() const {
    return static_cast<CQvmapView*>(m_pTemplate->GetView());
}

}  // namespace qvmap
