// qvmap view: the library's document and view on a map file in a real window, where a click
// on a hex cycles its value and 's' saves the map. A script of actions can drive the same
// window without a person (demonstrations, tests, screenshots).
#include <cstdio>
#include <map>
#include <optional>
#include <sstream>

#include <qvplatform/bmpfile.h>

#include "args.h"
#include "commands.h"
#include "mapscreen.h"
#include "mapunits.h"

namespace qvmap {
namespace {

constexpr long kMaxPixels = 32767;

const std::map<std::string, UINT> kKeys = {
    {"up", VK_UP},      {"down", VK_DOWN}, {"left", VK_LEFT}, {"right", VK_RIGHT},
    {"pgup", VK_PRIOR}, {"pgdn", VK_NEXT}, {"home", VK_HOME}, {"end", VK_END},
};

std::vector<std::string> Words(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

// One action of a script; false for "quit".
bool RunAction(CMapScreen& screen, const std::vector<std::string>& words) {
    CQvmapView* pView = screen.View();
    const std::string& verb = words[0];
    if (verb == "quit" && words.size() == 1) return false;
    if (!pView) throw InputError{"the window was closed before '" + verb + "'"};
    if (verb == "click" && words.size() == 3) {
        const LPARAM at =
            MAKELPARAM(static_cast<WORD>(ParseNumber(words[1], 0, kMaxPixels, "click X")),
                       static_cast<WORD>(ParseNumber(words[2], 0, kMaxPixels, "click Y")));
        pView->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
        pView->SendMessage(WM_LBUTTONUP, 0, at);
    } else if (verb == "key" && words.size() == 2) {
        if (auto key = kKeys.find(words[1]); key != kKeys.end())
            pView->SendMessage(WM_KEYDOWN, key->second);
        else if (words[1].size() == 1)
            pView->SendMessage(WM_CHAR, static_cast<BYTE>(words[1][0]));
        else
            throw UsageError{"unknown key '" + words[1] + "'"};
    } else if (verb == "shot" && words.size() == 2) {
        AfxPumpMessages(FALSE);
        HBITMAP hShown = AfxCopyWindowImage(pView->m_hWnd);
        const BOOL bSaved = hShown && SaveBitmapPng(hShown, words[1].c_str());
        DeleteObject(hShown);
        if (!bSaved) throw InputError{"cannot write '" + words[1] + "'"};
    } else {
        throw UsageError{"unknown action '" + verb + "' (click X Y, key NAME, shot FILE, quit)"};
    }
    AfxPumpMessages(FALSE);
    return true;
}

}  // namespace

int CommandView(const Args& args) {
    ScreenSettings settings;
    settings.nBackend = WNDBACK_SDL;
    std::string script, unitsPath;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.empty() || arg[0] != '-') {
            if (!settings.mapPath.empty())
                throw UsageError{"view takes one MAP, not also '" + arg + "'"};
            settings.mapPath = arg;
            continue;
        }
        if (i + 1 >= args.size()) throw UsageError{"option '" + arg + "' needs a value"};
        const std::string& value = args[++i];
        if (arg == "--chips") {
            settings.chipsPath = value;
        } else if (arg == "--size") {
            auto [cx, cy] = ParsePair(value, 1, kMaxPixels, "--size");
            settings.cx = static_cast<int>(cx);
            settings.cy = static_cast<int>(cy);
        } else if (arg == "--units") {
            unitsPath = value;
        } else if (arg == "--script") {
            script = value;
        } else {
            throw UsageError{"unknown option '" + arg + "'"};
        }
    }
    if (settings.mapPath.empty()) throw UsageError{"view needs a MAP"};

    std::optional<CMapUnits> units;  // outlives the screen, whose view draws them
    if (!unitsPath.empty()) units.emplace(unitsPath);
    CMapScreen screen(settings);
    if (units) ShowUnits(screen, *units);
    std::printf(
        "%s: click a hex to give it the next chip, 's' saves; arrows, page keys, the "
        "wheel and the bars scroll; close the window to quit\n",
        settings.mapPath.c_str());
    std::fflush(stdout);
    AfxPumpMessages(FALSE);
    bool bRunning = true;
    std::istringstream actions(script);
    for (std::string action; bRunning && std::getline(actions, action, ';');)
        if (auto words = Words(action); !words.empty()) bRunning = RunAction(screen, words);
    if (bRunning) AfxRunMessageLoop();
    if (!screen.Document()->IsModified()) return 0;
    std::fprintf(stderr, "qvmap: the changes to '%s' were not saved\n", settings.mapPath.c_str());
    return 1;
}

}  // namespace qvmap
