// Resource numbers of the library's bitmaps, found through the platform's
// resource search (AfxFindResourceHandle with RT_BITMAP).
#pragma once

#include <qvplatform/types.h>

// The hex mask: 50 × 40, black inside the hexagon, white outside.
constexpr UINT IDB_HEXMASK = 5004;
