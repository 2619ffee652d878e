// The library's map document and view opened on a map file through the document template,
// as `qvmap render` and `qvmap view` show it, with the map file and the chip sheet checked
// first so that a bad one is a clear message rather than a blank picture.
//
// The view reads its chip sheet by the fixed name "MAP.BMP" from the current folder. A chip
// sheet given by another path is shown to it through a temporary folder that holds only a
// link named MAP.BMP: the view is made there, the current folder is restored at once and the
// temporary folder removed, so nothing in the user's folders changes.
#pragma once

#include <memory>
#include <string>

#include <qvplatform/doc.h>

#include "mapview.h"

namespace qvmap {

struct ScreenSettings {
    std::string mapPath;
    std::string chipsPath;  // empty: MAP.BMP in the current folder
    int cx = 0, cy = 0;     // client size; 0 x 0: the map's picture, at most 800 x 600
    UINT nBackend = WNDBACK_HEADLESS;
};

class CMapScreen {
public:
    // Throws InputError for a map file or chip sheet that cannot be used, or a window that
    // cannot be made. Warnings (missing cells, values past the sheet) go to standard error.
    explicit CMapScreen(const ScreenSettings& settings);
    ~CMapScreen();
    CMapScreen(const CMapScreen&) = delete;
    CMapScreen& operator=(const CMapScreen&) = delete;

    CHEXDrawDocument* Document() const;
    // Null once the user has closed the window.
    CQvmapView* View() const;

private:
    std::unique_ptr<CSingleDocTemplate> m_pTemplate;
};

}  // namespace qvmap
