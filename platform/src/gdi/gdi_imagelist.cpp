// Image lists and their framework object.
#include <functional>

#include "gdi_internal.h"
#include "qvplatform/imagelist.h"

namespace qvp::detail {

namespace {

struct ImageListObject : HandleObject {
    static constexpr ObjectKind kKind = ObjectKind::ImageList;
    ObjectKind Kind() const override { return kKind; }

    int cx = 0;
    int cy = 0;
    bool masked = false;
    COLORREF bkColor = CLR_NONE;
    std::vector<std::unique_ptr<BitmapObject>> images;
    std::vector<std::unique_ptr<BitmapObject>> masks;  // white is transparent; empty unless masked
};

ImageListObject* GetList(HIMAGELIST himl) {
    return Table().Get<ImageListObject>(himl);
}

// Cuts `source` into images; `transparent(x, y)` tells the mask at a source pixel.
int AddImages(ImageListObject& list, const BitmapObject& source,
              const std::function<bool(int, int)>& transparent) {
    const int count = source.m_nWidth / list.cx;
    const int rows = std::min(source.m_nHeight, list.cy);
    if (count == 0) return -1;
    const int first = static_cast<int>(list.images.size());
    for (int k = 0; k < count; ++k) {
        auto image = BitmapObject::Make(list.cx, list.cy, false);
        auto mask = list.masked ? BitmapObject::Make(list.cx, list.cy, true) : nullptr;
        if (!image || (list.masked && !mask))
            return first < static_cast<int>(list.images.size()) ? first : -1;
        for (int y = 0; y < rows; ++y) {
            const Pixel* src = source.Row(y) + k * list.cx;
            std::copy_n(src, list.cx, image->Row(y));
            if (mask)
                for (int x = 0; x < list.cx; ++x)
                    mask->Row(y)[x] = transparent(k * list.cx + x, y) ? kWhite : kBlack;
        }
        list.images.push_back(std::move(image));
        list.masks.push_back(std::move(mask));
    }
    return first;
}

}  // namespace

}  // namespace qvp::detail

using namespace qvp::detail;

HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int, int) {
    // The size of one image is checked as a bitmap of that size would be.
    if (!BitmapObject::Make(cx, cy, true)) return nullptr;
    auto list = std::make_unique<ImageListObject>();
    list->cx = cx;
    list->cy = cy;
    list->masked = (flags & ILC_MASK) != 0;
    return AddObject<HIMAGELIST>(std::move(list));
}

BOOL ImageList_Destroy(HIMAGELIST himl) {
    return GetList(himl) && Table().Remove(himl) ? TRUE : FALSE;
}

int ImageList_GetImageCount(HIMAGELIST himl) {
    ImageListObject* list = GetList(himl);
    return list ? static_cast<int>(list->images.size()) : 0;
}

BOOL ImageList_GetIconSize(HIMAGELIST himl, int* cx, int* cy) {
    ImageListObject* list = GetList(himl);
    if (!list || !cx || !cy) return FALSE;
    *cx = list->cx;
    *cy = list->cy;
    return TRUE;
}

int ImageList_Add(HIMAGELIST himl, HBITMAP hbmImage, HBITMAP hbmMask) {
    ImageListObject* list = GetList(himl);
    const auto* image = Table().Get<BitmapObject>(hbmImage);
    const auto* mask = Table().Get<BitmapObject>(hbmMask);
    if (!list || !image || (hbmMask && !mask)) return -1;
    return AddImages(*list, *image, [mask](int x, int y) {
        return mask && x < mask->m_nWidth && y < mask->m_nHeight && mask->Row(y)[x] != kBlack;
    });
}

int ImageList_AddMasked(HIMAGELIST himl, HBITMAP hbmImage, COLORREF crMask) {
    ImageListObject* list = GetList(himl);
    const auto* image = Table().Get<BitmapObject>(hbmImage);
    if (!list || !image) return -1;
    const Pixel key = PixelFromColor(crMask & 0xFFFFFF);
    return AddImages(*list, *image, [image, key](int x, int y) { return image->Row(y)[x] == key; });
}

BOOL ImageList_Remove(HIMAGELIST himl, int i) {
    ImageListObject* list = GetList(himl);
    if (!list || i < -1 || i >= static_cast<int>(list->images.size())) return FALSE;
    if (i == -1) {
        list->images.clear();
        list->masks.clear();
    } else {
        list->images.erase(list->images.begin() + i);
        list->masks.erase(list->masks.begin() + i);
    }
    return TRUE;
}

COLORREF ImageList_SetBkColor(HIMAGELIST himl, COLORREF clrBk) {
    ImageListObject* list = GetList(himl);
    return list ? std::exchange(list->bkColor, clrBk) : CLR_NONE;
}

COLORREF ImageList_GetBkColor(HIMAGELIST himl) {
    ImageListObject* list = GetList(himl);
    return list ? list->bkColor : CLR_NONE;
}

BOOL ImageList_Draw(HIMAGELIST himl, int i, HDC hdcDst, int x, int y, UINT fStyle) {
    ImageListObject* list = GetList(himl);
    auto* dc = Table().Get<DcObject>(hdcDst);
    if (!list || !dc || i < 0 || i >= static_cast<int>(list->images.size())) return FALSE;
    POINT at = dc->ToDevice(x, y);
    RECT rect{at.x, at.y, at.x + list->cx, at.y + list->cy};
    if (!IntersectRect(rect, dc->DeviceBounds())) return TRUE;
    const BitmapObject& image = *list->images[static_cast<std::size_t>(i)];
    const BitmapObject* mask = list->masks[static_cast<std::size_t>(i)].get();
    const bool drawMask = (fStyle & ILD_MASK) != 0;
    const bool throughMask = mask && ((fStyle & ILD_TRANSPARENT) || list->bkColor == CLR_NONE);
    BitmapObject& dst = *dc->m_state.bitmap;
    const Pixel bk = PixelFromColor(list->bkColor & 0xFFFFFF);
    for (int dy = rect.top; dy < rect.bottom; ++dy) {
        const int sy = dy - at.y;
        for (int dx = rect.left; dx < rect.right; ++dx) {
            const int sx = dx - at.x;
            const bool clear = mask && mask->Row(sy)[sx] != kBlack;
            Pixel value;
            if (drawMask) {
                value = clear ? kWhite : kBlack;
            } else if (clear && throughMask) {
                continue;
            } else {
                value = clear ? bk : image.Row(sy)[sx];
            }
            dst.Row(dy)[dx] = dst.m_bMono ? MonoFromColor(ColorFromPixel(value)) : value;
        }
    }
    return TRUE;
}

IMPLEMENT_DYNAMIC(CImageList, CObject)

CImageList::~CImageList() {
    DeleteImageList();
}

BOOL CImageList::Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow) {
    return Attach(ImageList_Create(cx, cy, nFlags, nInitial, nGrow));
}

BOOL CImageList::DeleteImageList() {
    return m_hImageList ? ImageList_Destroy(Detach()) : FALSE;
}

BOOL CImageList::Attach(HIMAGELIST hImageList) {
    if (m_hImageList || !hImageList) return FALSE;
    m_hImageList = hImageList;
    return TRUE;
}

HIMAGELIST CImageList::Detach() {
    return std::exchange(m_hImageList, nullptr);
}

int CImageList::Add(CBitmap* pbmImage, CBitmap* pbmMask) {
    return ImageList_Add(m_hImageList, pbmImage ? static_cast<HBITMAP>(*pbmImage) : nullptr,
                         pbmMask ? static_cast<HBITMAP>(*pbmMask) : nullptr);
}

int CImageList::Add(CBitmap* pbmImage, COLORREF crMask) {
    return ImageList_AddMasked(m_hImageList, pbmImage ? static_cast<HBITMAP>(*pbmImage) : nullptr,
                               crMask);
}

BOOL CImageList::Remove(int nImage) {
    return ImageList_Remove(m_hImageList, nImage);
}
int CImageList::GetImageCount() const {
    return ImageList_GetImageCount(m_hImageList);
}
COLORREF CImageList::SetBkColor(COLORREF cr) {
    return ImageList_SetBkColor(m_hImageList, cr);
}
COLORREF CImageList::GetBkColor() const {
    return ImageList_GetBkColor(m_hImageList);
}

BOOL CImageList::Draw(CDC* pDC, int nImage, POINT pt, UINT nStyle) {
    return pDC && ImageList_Draw(m_hImageList, nImage, pDC->m_hDC, pt.x, pt.y, nStyle);
}
