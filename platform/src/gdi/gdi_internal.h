// The objects behind graphics handles and the device-context state, shared by the gdi_*
// sources. Everything here lives in the handle table; the public calls look it up there.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "handle_table.h"
#include "pixel_store.h"
#include "qvplatform/draw.h"
#include "qvplatform/font.h"

namespace qvp::detail {

// Device coordinates are kept within +-2^30, far outside any bitmap, so that sums and
// differences of them never overflow.
constexpr LONG ClampCoord(long long v) {
    return static_cast<LONG>(v < -(1LL << 30) ? -(1LL << 30) : v > (1LL << 30) ? 1LL << 30 : v);
}

// 0x00RRGGBB; a monochrome bitmap keeps 0 or kWhite in each pixel so that every raster
// operation runs on one pixel type.
using Pixel = std::uint32_t;
constexpr Pixel kWhite = 0x00FFFFFF;
constexpr Pixel kBlack = 0;

constexpr Pixel PixelFromColor(COLORREF c) {
    return ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}
constexpr COLORREF ColorFromPixel(Pixel p) {
    return PixelFromColor(p);
}
constexpr Pixel MonoFromColor(COLORREF c) {
    return GetRValue(c) + GetGValue(c) + GetBValue(c) >= 383 ? kWhite : kBlack;
}

inline bool IsEmpty(const RECT& r) {
    return r.left >= r.right || r.top >= r.bottom;
}
// Cuts `r` to `with`; false when nothing is left.
inline bool IntersectRect(RECT& r, const RECT& with) {
    r.left = std::max(r.left, with.left);
    r.top = std::max(r.top, with.top);
    r.right = std::min(r.right, with.right);
    r.bottom = std::min(r.bottom, with.bottom);
    return !IsEmpty(r);
}

// How many context states hold an object, and which context. It lives apart from the
// object so that a context torn down after its objects (at process exit) stays safe.
struct SelectCount {
    std::atomic<int> n{0};
    const void* owner = nullptr;  // the context holding the object while n > 0
};

// What every selectable object shares. A selected object refuses deletion, so a context
// may keep a plain pointer to it.
struct GdiObject : HandleObject {
    std::shared_ptr<SelectCount> m_selection = std::make_shared<SelectCount>();
    bool m_bStock = false;
    bool CanDelete() const override { return !m_bStock && m_selection->n.load() == 0; }
    bool IsSelectedElsewhere(const void* dc) const {
        return m_selection->n.load() > 0 && m_selection->owner != dc;
    }
};

struct BitmapObject : GdiObject {
    static constexpr ObjectKind kKind = ObjectKind::Bitmap;
    ObjectKind Kind() const override { return kKind; }

    // Null when the size is out of range or memory runs out.
    static std::unique_ptr<BitmapObject> Make(int width, int height, bool mono);
    explicit BitmapObject(std::size_t nPixels) : m_pixels(nPixels) {}

    Pixel* Row(int y) { return m_pixels.data() + static_cast<std::size_t>(y) * m_nWidth; }
    const Pixel* Row(int y) const {
        return m_pixels.data() + static_cast<std::size_t>(y) * m_nWidth;
    }
    // What a colour becomes on this bitmap.
    Pixel FromColor(COLORREF c) const { return m_bMono ? MonoFromColor(c) : PixelFromColor(c); }

    int m_nWidth = 0;
    int m_nHeight = 0;
    bool m_bMono = false;
    // A window's picture: any number of surface contexts draw on it at once, and
    // it is never selected into a memory context.
    bool m_bSurface = false;
    PixelStore m_pixels;
};

struct BrushObject : GdiObject {
    static constexpr ObjectKind kKind = ObjectKind::Brush;
    ObjectKind Kind() const override { return kKind; }
    LOGBRUSH m_log{};
};

struct PenObject : GdiObject {
    static constexpr ObjectKind kKind = ObjectKind::Pen;
    ObjectKind Kind() const override { return kKind; }
    LOGPEN m_log{};
};

class FontFace;  // gdi_font.cpp: a resolved face at one pixel size

struct FontObject : GdiObject {
    static constexpr ObjectKind kKind = ObjectKind::Font;
    ObjectKind Kind() const override { return kKind; }
    // The face, resolved through fontconfig on first use and kept by the font cache.
    FontFace& Face();

    LOGFONTA m_log{};
    FontFace* m_pFace = nullptr;
};

// A counted hold on a selected object: copying it (SaveDC) holds the object once more.
template <class T>
class SelectRef {
public:
    SelectRef() = default;
    SelectRef(T* p, const void* owner) : m_p(p), m_count(p ? p->m_selection : nullptr) {
        if (m_count && m_count->n++ == 0) m_count->owner = owner;
    }
    SelectRef(const SelectRef& o) : m_p(o.m_p), m_count(o.m_count) {
        if (m_count) ++m_count->n;
    }
    SelectRef& operator=(SelectRef o) {
        std::swap(m_p, o.m_p);
        std::swap(m_count, o.m_count);
        return *this;
    }
    ~SelectRef() {
        if (m_count && --m_count->n == 0) m_count->owner = nullptr;
    }
    T* get() const { return m_p; }
    T* operator->() const { return m_p; }
    T& operator*() const { return *m_p; }
    explicit operator bool() const { return m_p != nullptr; }

private:
    T* m_p = nullptr;
    std::shared_ptr<SelectCount> m_count;
};

// Everything SaveDC saves. Selections are held by handle as well, so SelectObject can
// return the displaced handle.
struct DcState {
    SelectRef<BitmapObject> bitmap;
    SelectRef<FontObject> font;
    SelectRef<BrushObject> brush;
    SelectRef<PenObject> pen;
    HGDIOBJ hBitmap = nullptr;
    HGDIOBJ hFont = nullptr;
    HGDIOBJ hBrush = nullptr;
    HGDIOBJ hPen = nullptr;
    COLORREF bkColor = RGB(255, 255, 255);
    COLORREF textColor = RGB(0, 0, 0);
    int bkMode = OPAQUE;
    int polyFillMode = ALTERNATE;
    int stretchMode = BLACKONWHITE;
    POINT viewportOrg{0, 0};
    POINT currentPos{0, 0};
    bool clipped = false;
    RECT clip{0, 0, 0, 0};  // device coordinates, when `clipped`
};

struct DcObject : HandleObject {
    static constexpr ObjectKind kKind = ObjectKind::DC;
    ObjectKind Kind() const override { return kKind; }

    enum class Type { Memory, Display, Surface };
    Type m_type = Type::Memory;
    DcState m_state;
    std::vector<DcState> m_saved;

    // The rectangle drawing may touch, in device coordinates: the bitmap, cut by the clip.
    // The shared default bitmap is never drawn on.
    RECT DeviceBounds() const {
        RECT r{0, 0, 0, 0};
        const BitmapObject* bitmap = m_state.bitmap.get();
        if (bitmap && !bitmap->m_bStock) r = {0, 0, bitmap->m_nWidth, bitmap->m_nHeight};
        if (m_state.clipped) IntersectRect(r, m_state.clip);
        return r;
    }
    POINT ToDevice(long long x, long long y) const {
        return {ClampCoord(x + m_state.viewportOrg.x), ClampCoord(y + m_state.viewportOrg.y)};
    }
};

// Stock objects, made on first use and never deleted. The default bitmap of memory
// contexts is one of them, though GetStockObject does not hand it out.
HGDIOBJ StockObject(int index);
HGDIOBJ DefaultBitmap();

inline HandleTable& Table() {
    return HandleTable::Instance();
}

// Adds a freshly made object to the table and returns its handle with the wanted type.
template <class H, class T>
H AddObject(std::unique_ptr<T> object) {
    return object ? static_cast<H>(Table().Add(std::move(object))) : nullptr;
}

}  // namespace qvp::detail
