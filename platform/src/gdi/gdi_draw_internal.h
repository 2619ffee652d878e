// Drawing in device coordinates, shared by the shapes and the text.
#pragma once

#include "gdi_internal.h"

namespace qvp::detail {

// Fills the device rectangle, cut to what the context may touch.
void FillDevice(DcObject& dc, RECT rect, COLORREF color);
// A one-pixel line from `from` to `to`, the end point left out.
void LineDevice(DcObject& dc, POINT from, POINT to, COLORREF color);
// The pen and brush that draw, or null for the null pen and the hollow brush.
const PenObject* DrawingPen(const DcObject& dc);
const BrushObject* DrawingBrush(const DcObject& dc);

}  // namespace qvp::detail
