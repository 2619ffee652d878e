// Operations common to every graphics object handle.
#pragma once

#include "qvplatform/types.h"

// Deletes a region, bitmap, font, brush or pen. FALSE for a null, stale or
// foreign handle, and for a bitmap still selected into a device context.
QVP_API BOOL DeleteObject(HGDIOBJ hObject);
