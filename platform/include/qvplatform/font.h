// Fonts and text. Faces are found with fontconfig and drawn with FreeType without
// anti-aliasing, so text has exactly the text colour. Text is code page 932.
//
// "ＭＳ ゴシック" (and "MS Gothic") resolves to IPAGothic, "ＭＳ Ｐゴシック" to IPAPGothic;
// other names go to fontconfig as they are. Characters missing from the face are taken
// from a Japanese gothic face, so any code page 932 text draws.
#pragma once

#include "qvplatform/gdi.h"

constexpr int LF_FACESIZE = 32;

struct LOGFONTA {
    LONG lfHeight;  // < 0: character height in pixels; > 0: cell height; 0: default
    LONG lfWidth;   // ignored: glyphs keep their proportions
    LONG lfEscapement;
    LONG lfOrientation;
    LONG lfWeight;  // 0 or 400 normal, 700 bold
    BYTE lfItalic;
    BYTE lfUnderline;
    BYTE lfStrikeOut;
    BYTE lfCharSet;
    BYTE lfOutPrecision;
    BYTE lfClipPrecision;
    BYTE lfQuality;
    BYTE lfPitchAndFamily;
    char lfFaceName[LF_FACESIZE];  // code page 932
};
using LPLOGFONTA = LOGFONTA*;

struct TEXTMETRICA {
    LONG tmHeight;  // ascent + descent
    LONG tmAscent;
    LONG tmDescent;
    LONG tmInternalLeading;
    LONG tmExternalLeading;
    LONG tmAveCharWidth;
    LONG tmMaxCharWidth;
    LONG tmWeight;
    LONG tmOverhang;
    LONG tmDigitizedAspectX;
    LONG tmDigitizedAspectY;
    BYTE tmFirstChar;
    BYTE tmLastChar;
    BYTE tmDefaultChar;
    BYTE tmBreakChar;
    BYTE tmItalic;
    BYTE tmUnderlined;
    BYTE tmStruckOut;
    BYTE tmPitchAndFamily;
    BYTE tmCharSet;
};

constexpr LONG FW_DONTCARE = 0;
constexpr LONG FW_NORMAL = 400;
constexpr LONG FW_BOLD = 700;
constexpr BYTE ANSI_CHARSET = 0;
constexpr BYTE DEFAULT_CHARSET = 1;
constexpr BYTE SHIFTJIS_CHARSET = 128;

// DrawTextA format flags. Lines break at CR, LF or CR LF unless DT_SINGLELINE is given;
// vertical placement applies to single lines only. Without DT_NOPREFIX an '&' is dropped
// and underlines the next character ("&&" draws one '&'). Word breaking, tab expansion and
// ellipses are not done.
constexpr UINT DT_TOP = 0x0000;
constexpr UINT DT_LEFT = 0x0000;
constexpr UINT DT_CENTER = 0x0001;
constexpr UINT DT_RIGHT = 0x0002;
constexpr UINT DT_VCENTER = 0x0004;
constexpr UINT DT_BOTTOM = 0x0008;
constexpr UINT DT_WORDBREAK = 0x0010;
constexpr UINT DT_SINGLELINE = 0x0020;
constexpr UINT DT_EXPANDTABS = 0x0040;
constexpr UINT DT_NOCLIP = 0x0100;
constexpr UINT DT_CALCRECT = 0x0400;
constexpr UINT DT_NOPREFIX = 0x0800;

// ExtTextOutA options.
constexpr UINT ETO_OPAQUE = 0x0002;
constexpr UINT ETO_CLIPPED = 0x0004;

QVP_API HFONT CreateFontIndirectA(const LOGFONTA* lplf);
QVP_API HFONT CreateFontA(int cHeight, int cWidth, int cEscapement, int cOrientation, int cWeight,
                          DWORD bItalic, DWORD bUnderline, DWORD bStrikeOut, DWORD iCharSet,
                          DWORD iOutPrecision, DWORD iClipPrecision, DWORD iQuality,
                          DWORD iPitchAndFamily, LPCSTR pszFaceName);

// Draws `cchText` bytes (-1: up to the terminator) into `lprc` with the selected font and
// text colour; in OPAQUE mode the text cells are filled with the background colour first.
// Returns the text height, or with DT_VCENTER or DT_BOTTOM the distance from the top of
// the rectangle to the bottom of the text; 0 on failure. DT_CALCRECT draws nothing and sets
// the rectangle's right and bottom to fit the text.
QVP_API int DrawTextA(HDC hdc, LPCSTR lpchText, int cchText, LPRECT lprc, UINT format);
// Draws with the top-left of the text cell at (x, y). ETO_OPAQUE fills `lprc` with the
// background colour; ETO_CLIPPED keeps the text inside `lprc`. `lpDx` must be null.
QVP_API BOOL ExtTextOutA(HDC hdc, int x, int y, UINT options, const RECT* lprc, LPCSTR lpString,
                         UINT c, const INT* lpDx);
QVP_API BOOL TextOutA(HDC hdc, int x, int y, LPCSTR lpString, int c);
QVP_API BOOL GetTextExtentPoint32A(HDC hdc, LPCSTR lpString, int c, SIZE* psizl);
QVP_API BOOL GetTextMetricsA(HDC hdc, TEXTMETRICA* lptm);
