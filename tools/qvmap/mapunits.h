// The units qvmap shows on a map, as a host program of the library would: read from unit
// lines, each given its picture by CUnit::CreateUnit and copied from GetUnitDC onto its hex
// with the map view's chip compositing, so the hex keeps its shape.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include <qvdll/graphic.h>
#include <qvdll/unitlist.h>

namespace qvmap {

class CMapScreen;

class CMapUnits {
public:
    // Reads `path`: unit lines in the full text form, one a line, or a refresh text (client
    // entries, a '%', then unit lines), told apart by the '%'. Blank lines are skipped.
    // Throws InputError for a file that cannot be read or that holds a zero byte.
    explicit CMapUnits(const std::string& path);
    CMapUnits(const CMapUnits&) = delete;
    CMapUnits& operator=(const CMapUnits&) = delete;

    // Makes every unit's picture, compatible with `pDC`, for the units that stand on a
    // `nWidth` x `nHeight` map; the others are left out with a warning. Picture files are
    // looked up under "Images\" in the current folder; one that does not load is warned of
    // (the unit shows as a box with its name). Returns a line saying what was made.
    std::string CreatePictures(CDC* pDC, WORD nWidth, WORD nHeight);
    // Puts the pictures of the units on hex (x, y) into `pDC`, in the map picture's
    // coordinates, the last unit of the file on top. Leaves the context as it was.
    void DrawAt(CDC* pDC, WORD x, WORD y);

private:
    CUnitList m_units;
    std::map<std::pair<WORD, WORD>, std::vector<CUnit*>> m_byHex;  // units with a picture
    CGraphic m_hexMask;
};

// Gives the units their pictures and puts them on the screen's map, in the map buffer and
// in the window; says on standard output what was shown. `units` must outlive `screen`.
void ShowUnits(CMapScreen& screen, CMapUnits& units);

}  // namespace qvmap
