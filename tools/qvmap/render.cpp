// qvmap render: the library's document and view on the headless back end, and a PNG of
// what the window shows or of the whole map picture.
#include <cstdio>
#include <optional>

#include <qvplatform/bmpfile.h>

#include "args.h"
#include "commands.h"
#include "mapscreen.h"
#include "mapunits.h"

namespace qvmap {
namespace {

constexpr long kMaxPixels = 32767;

struct RenderOptions {
    std::string mapPath, outPath, chipsPath, unitsPath;
    std::optional<std::pair<long, long>> scroll, size;
};

RenderOptions ParseRender(const Args& args) {
    RenderOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.empty() || arg[0] != '-') {
            if (!options.mapPath.empty())
                throw UsageError{"render takes one MAP, not also '" + arg + "'"};
            options.mapPath = arg;
            continue;
        }
        if (i + 1 >= args.size()) throw UsageError{"option '" + arg + "' needs a value"};
        const std::string& value = args[++i];
        if (arg == "-o" || arg == "--output")
            options.outPath = value;
        else if (arg == "--chips")
            options.chipsPath = value;
        else if (arg == "--units")
            options.unitsPath = value;
        else if (arg == "--scroll")
            options.scroll = ParsePair(value, 0, 2147483647L, "--scroll");
        else if (arg == "--size")
            options.size = ParsePair(value, 1, kMaxPixels, "--size");
        else
            throw UsageError{"unknown option '" + arg + "'"};
    }
    if (options.mapPath.empty()) throw UsageError{"render needs a MAP"};
    if (options.outPath.empty()) throw UsageError{"render needs -o OUT.png"};
    if (options.scroll && !options.size)
        throw UsageError{"--scroll moves a window: give its --size W,H too"};
    return options;
}

}  // namespace

int CommandRender(const Args& args) {
    const RenderOptions options = ParseRender(args);
    ScreenSettings settings{options.mapPath, options.chipsPath};
    if (options.size) {
        settings.cx = static_cast<int>(options.size->first);
        settings.cy = static_cast<int>(options.size->second);
    }
    std::optional<CMapUnits> units;  // outlives the screen, whose view draws them
    if (!options.unitsPath.empty()) units.emplace(options.unitsPath);
    CMapScreen screen(settings);
    if (units) ShowUnits(screen, *units);
    CQvmapView* pView = screen.View();
    CHexMap* pMap = screen.Document()->GetMap();
    if (options.scroll) {
        // The thumb's position, as if dragged there: the view clamps it to its own limits.
        pView->SendMessage(WM_HSCROLL,
                           MAKEWPARAM(SB_THUMBTRACK, static_cast<DWORD>(options.scroll->first)));
        pView->SendMessage(WM_VSCROLL,
                           MAKEWPARAM(SB_THUMBTRACK, static_cast<DWORD>(options.scroll->second)));
    }
    pView->UpdateWindow();  // the paint cycle: what the window shows

    if (!options.size) {
        CGraphic* pPicture = pView->MapPicture();
        if (!SaveBitmapPng(*pPicture->GetBitmap(), options.outPath.c_str()))
            throw InputError{"cannot write '" + options.outPath + "'"};
        std::printf("%s: the whole %u x %u map, %d x %d pixels\n", options.outPath.c_str(),
                    pMap->GetMapWidth(), pMap->GetMapHeight(), pPicture->GetWidth(),
                    pPicture->GetHeight());
        return 0;
    }
    HBITMAP hShown = AfxCopyWindowImage(pView->m_hWnd);
    const BOOL bSaved = hShown && SaveBitmapPng(hShown, options.outPath.c_str());
    DeleteObject(hShown);
    if (!bSaved) throw InputError{"cannot write '" + options.outPath + "'"};
    const POINT pos = pView->GetScrollPosition();
    const bool bMoved =
        options.scroll && (pos.x != options.scroll->first || pos.y != options.scroll->second);
    std::printf("%s: a %d x %d window on the %d x %d map picture at %d,%d%s\n",
                options.outPath.c_str(), settings.cx, settings.cy, pMap->GetWidth(), pMap->GetHeight(),
                pos.x, pos.y, bMoved ? " (as far as the window goes)" : "");
    return 0;
}

}  // namespace qvmap
