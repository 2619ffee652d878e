#include "mapunits.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include <qvdll/csvtoken.h>
#include <qvdll/hexgeom.h>
#include <qvdll/resource.h>
#include <qvplatform/cp932.h>

#include "args.h"
#include "mapscreen.h"

namespace qvmap {
namespace {

constexpr int kHexWidth = 50;
constexpr int kHexHeight = 40;
constexpr int kPitch = 40;

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw InputError{"cannot open unit file '" + path + "': " + std::strerror(errno)};
    std::string text(std::istreambuf_iterator<char>(in), {});
    if (in.bad()) throw InputError{"cannot read unit file '" + path + "'"};
    if (auto zero = text.find('\0'); zero != std::string::npos)
        throw InputError{"unit file '" + path + "' holds a zero byte at offset " +
                           std::to_string(zero) + ": it is no text"};
    return text;
}

// The unit part of a refresh text, or the whole text when it is unit lines alone. Split
// with the library's tokenizer, as the library splits a refresh text.
std::string UnitPart(const std::string& text) {
    if (text.find('%') == std::string::npos) return text;
    CCSVToken parts(text.c_str(), '%', false);
    parts.next();  // the client entries
    return parts.eol() ? std::string() : std::string(parts.next()->AsString().view());
}

std::string Describe(const CUnit& unit) {
    return "unit " + std::to_string(unit.m_nId1) + "," + std::to_string(unit.m_nId2) + " '" +
           Cp932ToPrintable(unit.m_strName.view()) + "'";
}

}  // namespace

CMapUnits::CMapUnits(const std::string& path) {
    const std::string units = UnitPart(ReadText(path));
    CCSVToken lines(units.c_str(), '\n', false);
    while (!lines.eol()) {
        const CString line = lines.next()->AsString();  // trimmed: a CR before the LF goes
        if (line.view().empty()) continue;
        CUnit unit;
        unit.StringToUnitData(line);
        m_units.AddTail(unit);
    }
}

std::string CMapUnits::CreatePictures(CDC* pDC, WORD nWidth, WORD nHeight) {
    m_hexMask.LoadBitmapA(nullptr, IDB_HEXMASK);
    m_byHex.clear();
    int nShown = 0, nFromFiles = 0;
    for (POSITION pos = m_units.GetHeadPosition(); pos;) {
        CUnit& unit = m_units.GetNext(pos);
        if (unit.m_nPosX >= nWidth || unit.m_nPosY >= nHeight) {
            std::fprintf(stderr, "qvmap: warning: %s stands at %u,%u, off the %u x %u map\n",
                         Describe(unit).c_str(), unit.m_nPosX, unit.m_nPosY, nWidth, nHeight);
            continue;
        }
        unit.CreateUnit(pDC);
        if (unit.IsUnitGraphicLoad())
            ++nFromFiles;
        else if (!unit.m_strImage.view().empty())
            std::fprintf(stderr,
                         "qvmap: warning: %s: picture 'Images\\%s' did not load (looked for in "
                         "the current folder); drawn as a box\n",
                         Describe(unit).c_str(), Cp932ToPrintable(unit.m_strImage.view()).c_str());
        m_byHex[{unit.m_nPosX, unit.m_nPosY}].push_back(&unit);
        ++nShown;
    }
    return std::to_string(nShown) + " of " + std::to_string(m_units.GetCount()) +
           " units on the map, " + std::to_string(nFromFiles) + " from picture files";
}

void CMapUnits::DrawAt(CDC* pDC, WORD x, WORD y) {
    auto here = m_byHex.find({x, y});
    if (here == m_byHex.end() || !m_hexMask.GetDC()) return;
    const int left = kPitch * x;
    const int top = kPitch * y + GetHexHeightOffset(x);
    const int nSaved = pDC->SaveDC();
    // The mask is monochrome: black inside the hexagon must stay black, white stay white.
    pDC->SetTextColor(RGB(0, 0, 0));
    pDC->SetBkColor(RGB(255, 255, 255));
    for (CUnit* pUnit : here->second) {
        pDC->BitBlt(left, top, kHexWidth, kHexHeight, m_hexMask.GetDC(), 0, 0, SRCERASE);
        pDC->BitBlt(left, top, kHexWidth, kHexHeight, pUnit->GetUnitDC(), 0, 0, SRCERASE);
    }
    pDC->RestoreDC(nSaved);
}

void ShowUnits(CMapScreen& screen, CMapUnits& units) {
    CQvmapView* pView = screen.View();
    CHexMap* pMap = screen.Document()->GetMap();
    const std::string summary = units.CreatePictures(pView->MapPicture()->GetDC(),
                                                     pMap->GetMapWidth(), pMap->GetMapHeight());
    pView->SetUnits(&units);
    std::printf("%s\n", summary.c_str());
}

}  // namespace qvmap
