// Helpers for the picture tests: pixels of bitmaps and contexts, and a PNG copy of a
// picture for a person to look at.
#pragma once

#include <string>
#include <vector>

#include <qvplatform/gdi.h>

namespace qvtest {

// The pixels of a bitmap as colours, row by row (black and white for a monochrome one);
// empty for a handle GetObjectA refuses. The bitmap must not be selected anywhere.
std::vector<COLORREF> PixelsOf(HBITMAP hbm);
// The same for `width` x `height` pixels of a context from (0, 0).
std::vector<COLORREF> PixelsOf(HDC hdc, int width, int height);
// Width and height from GetObjectA; (0, 0) for a refused handle.
SIZE SizeOf(HBITMAP hbm);

// Where pictures for people go: the folder named by QVTEST_PICTURE_DIR, or nowhere.
// Returns the path written, or empty.
std::string SavePictureForViewing(HBITMAP hbm, const std::string& name);

}  // namespace qvtest
