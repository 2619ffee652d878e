// Fonts: creation and description.
#include <cstring>

#include "gdi_internal.h"

using namespace qvp::detail;

HFONT CreateFontIndirectA(const LOGFONTA* lplf) {
    if (!lplf) return nullptr;
    auto font = std::make_unique<FontObject>();
    font->m_log = *lplf;
    font->m_log.lfFaceName[LF_FACESIZE - 1] = '\0';
    return AddObject<HFONT>(std::move(font));
}

HFONT CreateFontA(int cHeight, int cWidth, int cEscapement, int cOrientation, int cWeight,
                  DWORD bItalic, DWORD bUnderline, DWORD bStrikeOut, DWORD iCharSet,
                  DWORD iOutPrecision, DWORD iClipPrecision, DWORD iQuality, DWORD iPitchAndFamily,
                  LPCSTR pszFaceName) {
    LOGFONTA log{};
    log.lfHeight = cHeight;
    log.lfWidth = cWidth;
    log.lfEscapement = cEscapement;
    log.lfOrientation = cOrientation;
    log.lfWeight = cWeight;
    log.lfItalic = static_cast<BYTE>(bItalic != 0);
    log.lfUnderline = static_cast<BYTE>(bUnderline != 0);
    log.lfStrikeOut = static_cast<BYTE>(bStrikeOut != 0);
    log.lfCharSet = static_cast<BYTE>(iCharSet);
    log.lfOutPrecision = static_cast<BYTE>(iOutPrecision);
    log.lfClipPrecision = static_cast<BYTE>(iClipPrecision);
    log.lfQuality = static_cast<BYTE>(iQuality);
    log.lfPitchAndFamily = static_cast<BYTE>(iPitchAndFamily);
    if (pszFaceName) std::strncpy(log.lfFaceName, pszFaceName, LF_FACESIZE - 1);
    return CreateFontIndirectA(&log);
}
