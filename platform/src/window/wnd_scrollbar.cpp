// Layout and hit testing of the scroll bars drawn for real windows.
#include "wnd_scrollbar.h"

#include <algorithm>

namespace qvp::detail {

namespace {
constexpr int kMinThumb = 8;
}

ScrollBarLayout::ScrollBarLayout(const ScrollBarState& bar, int length)
    : nTrackStart(kScrollBarSize),
      nTrackLength(std::max(length - 2 * kScrollBarSize, 0)),
      m_nMin(bar.nMin),
      m_nSpan(static_cast<long long>(bar.Limit()) - bar.nMin) {
    bEnabled = m_nSpan > 0 && nTrackLength > 0;
    if (!bEnabled) return;
    long long range = static_cast<long long>(bar.nMax) - bar.nMin + 1;
    long long thumb =
        bar.nPage ? nTrackLength * static_cast<long long>(bar.nPage) / range : kScrollBarSize;
    nThumbLength = static_cast<int>(
        std::clamp<long long>(thumb, std::min(kMinThumb, nTrackLength), nTrackLength));
    long long room = nTrackLength - nThumbLength;
    int pos = bar.bTracking ? bar.nTrackPos : bar.nPos;
    nThumbStart =
        nTrackStart + static_cast<int>(room * (static_cast<long long>(pos) - bar.nMin) / m_nSpan);
}

int ScrollBarLayout::HitTest(int offset) const {
    if (!bEnabled) return -1;
    if (offset < nTrackStart) return static_cast<int>(SB_LINEUP);
    if (offset >= nTrackStart + nTrackLength) return static_cast<int>(SB_LINEDOWN);
    if (offset < nThumbStart) return static_cast<int>(SB_PAGEUP);
    if (offset >= nThumbStart + nThumbLength) return static_cast<int>(SB_PAGEDOWN);
    return static_cast<int>(SB_THUMBTRACK);
}

int ScrollBarLayout::PositionAt(int thumbStart) const {
    long long room = nTrackLength - nThumbLength;
    if (!bEnabled || room <= 0) return m_nMin;
    long long offset = std::clamp<long long>(thumbStart - nTrackStart, 0, room);
    return static_cast<int>(m_nMin + (offset * m_nSpan + room / 2) / room);
}

}  // namespace qvp::detail
