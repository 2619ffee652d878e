// The scroll bars a real window draws beside its client area: an arrow button at each end
// and the track between them, with a thumb as long as the page is a part of the range.
#pragma once

#include "wnd_internal.h"

namespace qvp::detail {

// Thickness of a bar and side of its arrow buttons, in pixels.
constexpr int kScrollBarSize = 16;

struct ScrollBarLayout {
    // The bar `length` pixels long for `bar`; no thumb when there is nothing to scroll.
    ScrollBarLayout(const ScrollBarState& bar, int length);

    // What a press `offset` pixels along the bar asks for: SB_LINEUP, SB_PAGEUP,
    // SB_THUMBTRACK (the thumb, to drag), SB_PAGEDOWN or SB_LINEDOWN; -1 when disabled.
    int HitTest(int offset) const;
    // The position that puts the thumb's start at `thumbStart` pixels along the bar.
    int PositionAt(int thumbStart) const;

    bool bEnabled = false;
    int nTrackStart = 0;
    int nTrackLength = 0;
    int nThumbStart = 0;
    int nThumbLength = 0;

private:
    int m_nMin = 0;
    long long m_nSpan = 0;  // limit - min
};

}  // namespace qvp::detail
