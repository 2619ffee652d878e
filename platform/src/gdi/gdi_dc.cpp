// Device contexts: creation, selection, stock objects and the drawing state.
#include <algorithm>
#include <array>
#include <cstring>

#include "gdi_internal.h"

namespace qvp::detail {

namespace {

constexpr int kStockCount = 18;

std::unique_ptr<GdiObject> MakeStockBrush(UINT style, COLORREF color) {
    auto brush = std::make_unique<BrushObject>();
    brush->m_log = {style, color, 0};
    return brush;
}

std::unique_ptr<GdiObject> MakeStockPen(UINT style, COLORREF color) {
    auto pen = std::make_unique<PenObject>();
    pen->m_log = {style, {1, 0}, color};
    return pen;
}

std::unique_ptr<GdiObject> MakeStockFont(LONG height, BYTE pitch, const char* face) {
    auto font = std::make_unique<FontObject>();
    font->m_log.lfHeight = height;
    font->m_log.lfWeight = FW_NORMAL;
    font->m_log.lfCharSet = DEFAULT_CHARSET;
    font->m_log.lfPitchAndFamily = pitch;
    std::strncpy(font->m_log.lfFaceName, face, LF_FACESIZE - 1);
    return font;
}

struct StockObjects {
    std::array<HGDIOBJ, kStockCount> objects{};
    HGDIOBJ defaultBitmap = nullptr;

    StockObjects() {
        auto add = [](std::unique_ptr<GdiObject> object) {
            object->m_bStock = true;
            return Table().Add(std::move(object));
        };
        objects[WHITE_BRUSH] = add(MakeStockBrush(BS_SOLID, RGB(255, 255, 255)));
        objects[LTGRAY_BRUSH] = add(MakeStockBrush(BS_SOLID, RGB(192, 192, 192)));
        objects[GRAY_BRUSH] = add(MakeStockBrush(BS_SOLID, RGB(128, 128, 128)));
        objects[DKGRAY_BRUSH] = add(MakeStockBrush(BS_SOLID, RGB(64, 64, 64)));
        objects[BLACK_BRUSH] = add(MakeStockBrush(BS_SOLID, RGB(0, 0, 0)));
        objects[NULL_BRUSH] = add(MakeStockBrush(BS_NULL, 0));
        objects[WHITE_PEN] = add(MakeStockPen(PS_SOLID, RGB(255, 255, 255)));
        objects[BLACK_PEN] = add(MakeStockPen(PS_SOLID, RGB(0, 0, 0)));
        objects[NULL_PEN] = add(MakeStockPen(PS_NULL, 0));
        constexpr BYTE kFixed = 1, kVariable = 2;
        objects[OEM_FIXED_FONT] = add(MakeStockFont(12, kFixed, "monospace"));
        objects[ANSI_FIXED_FONT] = add(MakeStockFont(12, kFixed, "monospace"));
        objects[ANSI_VAR_FONT] = add(MakeStockFont(12, kVariable, "sans-serif"));
        objects[SYSTEM_FONT] = add(MakeStockFont(16, kVariable, "sans-serif"));
        objects[DEVICE_DEFAULT_FONT] = add(MakeStockFont(16, kVariable, "sans-serif"));
        objects[SYSTEM_FIXED_FONT] = add(MakeStockFont(16, kFixed, "monospace"));
        objects[DEFAULT_GUI_FONT] = add(MakeStockFont(-11, kVariable, "sans-serif"));
        auto bitmap = BitmapObject::Make(1, 1, true);
        defaultBitmap = add(std::move(bitmap));
    }
};

StockObjects& Stock() {
    static StockObjects stock;
    return stock;
}

template <class T>
void Select(SelectRef<T>& slot, HGDIOBJ& hSlot, T* object, HGDIOBJ h, const void* owner) {
    slot = SelectRef<T>(object, owner);
    hSlot = h;
}

// A fresh memory context's selections; display and surface contexts share them but for
// the bitmap.
void SelectDefaults(DcObject& dc) {
    DcState& s = dc.m_state;
    auto* brush = Table().Get<BrushObject>(StockObject(WHITE_BRUSH));
    auto* pen = Table().Get<PenObject>(StockObject(BLACK_PEN));
    auto* font = Table().Get<FontObject>(StockObject(SYSTEM_FONT));
    Select(s.brush, s.hBrush, brush, StockObject(WHITE_BRUSH), &dc);
    Select(s.pen, s.hPen, pen, StockObject(BLACK_PEN), &dc);
    Select(s.font, s.hFont, font, StockObject(SYSTEM_FONT), &dc);
}

HDC AddDc(std::unique_ptr<DcObject> dc) {
    return AddObject<HDC>(std::move(dc));
}

DcObject* GetDc(HDC hdc) {
    return Table().Get<DcObject>(hdc);
}

HGDIOBJ SelectBitmap(DcObject& dc, HGDIOBJ h, BitmapObject* bitmap) {
    if (dc.m_type != DcObject::Type::Memory) return nullptr;
    // The shared default bitmap is in every fresh memory context at once.
    if (bitmap->m_bSurface || (!bitmap->m_bStock && bitmap->IsSelectedElsewhere(&dc))) return nullptr;
    HGDIOBJ previous = dc.m_state.hBitmap;
    Select(dc.m_state.bitmap, dc.m_state.hBitmap, bitmap, h, &dc);
    return previous;
}

}  // namespace

HGDIOBJ StockObject(int index) {
    if (index < 0 || index >= kStockCount) return nullptr;
    return Stock().objects[static_cast<std::size_t>(index)];
}

HGDIOBJ DefaultBitmap() {
    return Stock().defaultBitmap;
}

}  // namespace qvp::detail

using namespace qvp::detail;

HDC CreateCompatibleDC(HDC hdc) {
    if (hdc && !GetDc(hdc)) return nullptr;
    auto dc = std::make_unique<DcObject>();
    SelectDefaults(*dc);
    HGDIOBJ hBitmap = DefaultBitmap();
    Select(dc->m_state.bitmap, dc->m_state.hBitmap, Table().Get<BitmapObject>(hBitmap), hBitmap,
           dc.get());
    return AddDc(std::move(dc));
}

HDC CreateDCA(LPCSTR pszDriver, LPCSTR, LPCSTR, const void*) {
    if (pszDriver && strcasecmp(pszDriver, "DISPLAY") != 0) return nullptr;
    auto dc = std::make_unique<DcObject>();
    dc->m_type = DcObject::Type::Display;
    SelectDefaults(*dc);
    return AddDc(std::move(dc));
}

HDC CreateSurfaceDC(HBITMAP hbmSurface) {
    auto* bitmap = Table().Get<BitmapObject>(hbmSurface);
    if (!bitmap || bitmap->m_bMono || bitmap->m_bStock) return nullptr;
    if (!bitmap->m_bSurface && bitmap->IsSelectedElsewhere(nullptr)) return nullptr;
    bitmap->m_bSurface = true;
    auto dc = std::make_unique<DcObject>();
    dc->m_type = DcObject::Type::Surface;
    SelectDefaults(*dc);
    Select(dc->m_state.bitmap, dc->m_state.hBitmap, bitmap, hbmSurface, dc.get());
    return AddDc(std::move(dc));
}

BOOL DeleteDC(HDC hdc) {
    return GetDc(hdc) && Table().Remove(hdc) ? TRUE : FALSE;
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ h) {
    DcObject* dc = GetDc(hdc);
    HandleObject* object = Table().Find(h);
    if (!dc || !object) return nullptr;
    DcState& s = dc->m_state;
    HGDIOBJ previous = nullptr;
    switch (object->Kind()) {
        case ObjectKind::Bitmap:
            return SelectBitmap(*dc, h, static_cast<BitmapObject*>(object));
        case ObjectKind::Font:
            previous = s.hFont;
            Select(s.font, s.hFont, static_cast<FontObject*>(object), h, dc);
            return previous;
        case ObjectKind::Brush:
            previous = s.hBrush;
            Select(s.brush, s.hBrush, static_cast<BrushObject*>(object), h, dc);
            return previous;
        case ObjectKind::Pen:
            previous = s.hPen;
            Select(s.pen, s.hPen, static_cast<PenObject*>(object), h, dc);
            return previous;
        default:
            return nullptr;
    }
}

HGDIOBJ GetCurrentObject(HDC hdc, UINT type) {
    DcObject* dc = GetDc(hdc);
    if (!dc) return nullptr;
    switch (type) {
        case OBJ_BITMAP:
            return dc->m_state.hBitmap;
        case OBJ_FONT:
            return dc->m_state.hFont;
        case OBJ_BRUSH:
            return dc->m_state.hBrush;
        case OBJ_PEN:
            return dc->m_state.hPen;
        default:
            return nullptr;
    }
}

HGDIOBJ GetStockObject(int i) {
    return StockObject(i);
}

DWORD GetObjectType(HGDIOBJ h) {
    HandleObject* object = Table().Find(h);
    if (!object) return 0;
    switch (object->Kind()) {
        case ObjectKind::Region:
            return OBJ_REGION;
        case ObjectKind::Bitmap:
            return OBJ_BITMAP;
        case ObjectKind::Font:
            return OBJ_FONT;
        case ObjectKind::Brush:
            return OBJ_BRUSH;
        case ObjectKind::Pen:
            return OBJ_PEN;
        case ObjectKind::DC:
            return static_cast<DcObject*>(object)->m_type == DcObject::Type::Memory ? OBJ_MEMDC
                                                                                    : OBJ_DC;
        default:
            return 0;
    }
}

namespace {

// Copies `record` into the caller's buffer of `c` bytes; `minimum` is the smallest buffer
// accepted (the BITMAP record of the original platform is shorter than ours).
template <class T>
int CopyRecord(const T& record, int c, LPVOID pv, int minimum = sizeof(T)) {
    if (!pv) return sizeof(T);
    if (c < minimum) return 0;
    int n = std::min<int>(c, sizeof(T));
    std::memcpy(pv, &record, static_cast<std::size_t>(n));
    return n;
}

}  // namespace

int GetObjectA(HGDIOBJ h, int c, LPVOID pv) {
    HandleObject* object = Table().Find(h);
    if (!object) return 0;
    switch (object->Kind()) {
        case ObjectKind::Bitmap: {
            auto* bitmap = static_cast<BitmapObject*>(object);
            BITMAP bm{};
            bm.bmWidth = bitmap->m_nWidth;
            bm.bmHeight = bitmap->m_nHeight;
            bm.bmWidthBytes =
                bitmap->m_bMono ? (bitmap->m_nWidth + 15) / 16 * 2 : bitmap->m_nWidth * 4;
            bm.bmPlanes = 1;
            bm.bmBitsPixel = bitmap->m_bMono ? 1 : 32;
            return CopyRecord(bm, c, pv, offsetof(BITMAP, bmPlanes) + 4);
        }
        case ObjectKind::Font:
            return CopyRecord(static_cast<FontObject*>(object)->m_log, c, pv);
        case ObjectKind::Brush:
            return CopyRecord(static_cast<BrushObject*>(object)->m_log, c, pv);
        case ObjectKind::Pen:
            return CopyRecord(static_cast<PenObject*>(object)->m_log, c, pv);
        default:
            return 0;
    }
}

namespace {

// Setter and getter of one field of the state, with `fail` returned for a bad handle.
template <class T>
T Exchange(HDC hdc, T DcState::*field, T value, T fail) {
    DcObject* dc = GetDc(hdc);
    if (!dc) return fail;
    return std::exchange(dc->m_state.*field, value);
}

template <class T>
T Read(HDC hdc, T DcState::*field, T fail) {
    DcObject* dc = GetDc(hdc);
    return dc ? dc->m_state.*field : fail;
}

}  // namespace

int SetBkMode(HDC hdc, int mode) {
    if (mode != TRANSPARENT && mode != OPAQUE) return 0;
    return Exchange(hdc, &DcState::bkMode, mode, 0);
}
int GetBkMode(HDC hdc) {
    return Read(hdc, &DcState::bkMode, 0);
}
COLORREF SetBkColor(HDC hdc, COLORREF color) {
    return Exchange(hdc, &DcState::bkColor, color & 0xFFFFFF, CLR_INVALID);
}
COLORREF GetBkColor(HDC hdc) {
    return Read(hdc, &DcState::bkColor, CLR_INVALID);
}
COLORREF SetTextColor(HDC hdc, COLORREF color) {
    return Exchange(hdc, &DcState::textColor, color & 0xFFFFFF, CLR_INVALID);
}
COLORREF GetTextColor(HDC hdc) {
    return Read(hdc, &DcState::textColor, CLR_INVALID);
}
int SetPolyFillMode(HDC hdc, int mode) {
    if (mode != ALTERNATE && mode != WINDING) return 0;
    return Exchange(hdc, &DcState::polyFillMode, mode, 0);
}
int GetPolyFillMode(HDC hdc) {
    return Read(hdc, &DcState::polyFillMode, 0);
}
int SetStretchBltMode(HDC hdc, int mode) {
    if (mode < BLACKONWHITE || mode > HALFTONE) return 0;
    return Exchange(hdc, &DcState::stretchMode, mode, 0);
}
int GetStretchBltMode(HDC hdc) {
    return Read(hdc, &DcState::stretchMode, 0);
}

BOOL SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT lppt) {
    DcObject* dc = GetDc(hdc);
    if (!dc) return FALSE;
    POINT previous = std::exchange(dc->m_state.viewportOrg, POINT{x, y});
    if (lppt) *lppt = previous;
    return TRUE;
}

BOOL GetViewportOrgEx(HDC hdc, LPPOINT lppt) {
    DcObject* dc = GetDc(hdc);
    if (!dc || !lppt) return FALSE;
    *lppt = dc->m_state.viewportOrg;
    return TRUE;
}

BOOL OffsetViewportOrgEx(HDC hdc, int x, int y, LPPOINT lppt) {
    DcObject* dc = GetDc(hdc);
    if (!dc) return FALSE;
    POINT& org = dc->m_state.viewportOrg;
    if (lppt) *lppt = org;
    org = {org.x + x, org.y + y};
    return TRUE;
}

int GetDeviceCaps(HDC hdc, int index) {
    DcObject* dc = GetDc(hdc);
    if (!dc) return 0;
    switch (index) {
        case BITSPIXEL:
            return dc->m_state.bitmap && dc->m_state.bitmap->m_bMono ? 1 : 32;
        case PLANES:
            return 1;
        case LOGPIXELSX:
        case LOGPIXELSY:
            return 96;
        default:
            return 0;
    }
}

int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom) {
    DcObject* dc = GetDc(hdc);
    if (!dc) return ERROR;
    POINT a = dc->ToDevice(left, top), b = dc->ToDevice(right, bottom);
    RECT r{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
    DcState& s = dc->m_state;
    if (s.clipped) IntersectRect(r, s.clip);
    if (IsEmpty(r)) r = {0, 0, 0, 0};
    s.clip = r;
    s.clipped = true;
    return IsEmpty(r) ? NULLREGION : SIMPLEREGION;
}

int GetClipBox(HDC hdc, LPRECT lprect) {
    DcObject* dc = GetDc(hdc);
    if (!dc || !lprect) return ERROR;
    RECT r = dc->DeviceBounds();
    const POINT& org = dc->m_state.viewportOrg;
    *lprect = {r.left - org.x, r.top - org.y, r.right - org.x, r.bottom - org.y};
    return IsEmpty(r) ? NULLREGION : SIMPLEREGION;
}

int SaveDC(HDC hdc) {
    DcObject* dc = GetDc(hdc);
    if (!dc) return 0;
    dc->m_saved.push_back(dc->m_state);
    return static_cast<int>(dc->m_saved.size());
}

BOOL RestoreDC(HDC hdc, int nSavedDC) {
    DcObject* dc = GetDc(hdc);
    if (!dc) return FALSE;
    int depth = static_cast<int>(dc->m_saved.size());
    int target = nSavedDC < 0 ? depth + nSavedDC + 1 : nSavedDC;  // the depth to go back to
    if (nSavedDC == 0 || target < 1 || target > depth) return FALSE;
    dc->m_state = dc->m_saved[static_cast<std::size_t>(target - 1)];
    dc->m_saved.resize(static_cast<std::size_t>(target - 1));
    return TRUE;
}
