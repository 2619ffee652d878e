// The drawing utilities: transparency masks, bitmap sizes and shadowed text, pixel for pixel.
#include <qvdll/drawutil.h>
#include <qvplatform/afxgdi.h>

#include "library/picture_test_util.h"
#include "test_support.h"

using qvtest::Canvas;
using qvtest::PixelsOf;

namespace {

const COLORREF kMagenta = RGB(255, 0, 255);
const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kBlack = RGB(0, 0, 0);
// "ＭＳ ゴシック" in code page 932.
const char kMsGothic[] = "\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e";

// A 50 x 40 colour bitmap: the left half magenta, the right half other colours, one of
// them a single step away from magenta.
HBITMAP MakeHalfMagenta() {
    HBITMAP hbm = CreateBitmap(50, 40, 1, 32, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, hbm);
    RECT left{0, 0, 25, 40}, top{25, 0, 50, 20}, bottom{25, 20, 50, 40};
    FillSolidRect(dc, &left, kMagenta);
    FillSolidRect(dc, &top, RGB(254, 0, 255));
    FillSolidRect(dc, &bottom, kWhite);
    SelectObject(dc, old);
    DeleteDC(dc);
    return hbm;
}

}  // namespace

TEST(CreateMask, TransparentColourIsWhiteAndEveryOtherBlack) {
    HBITMAP source = MakeHalfMagenta();
    const auto before = PixelsOf(source);
    HBITMAP mask = CreateMask(source, kMagenta);
    ASSERT_NE(mask, nullptr);
    BITMAP bm{};
    ASSERT_TRUE(GetObjectA(mask, sizeof bm, &bm));
    EXPECT_EQ(bm.bmBitsPixel, 1);
    std::vector<COLORREF> expected;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 50; ++x) expected.push_back(x < 25 ? kWhite : kBlack);
    EXPECT_EQ(PixelsOf(mask), expected);

    // The source is as it was and free to delete: no context kept it.
    EXPECT_EQ(PixelsOf(source), before);
    EXPECT_TRUE(DeleteObject(mask));
    EXPECT_TRUE(DeleteObject(source));
}

// Null, stale and foreign handles are refused as GetBitmapSize refuses them (below).
TEST(CreateMask, RefusesABitmapSelectedElsewhere) {
    // Selected elsewhere it cannot be read: no all-black mask passed off as a good one.
    HBITMAP source = MakeHalfMagenta();
    HDC holder = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(holder, source);
    EXPECT_EQ(CreateMask(source, kMagenta), nullptr);
    SelectObject(holder, old);
    DeleteDC(holder);
    DeleteObject(source);
}

TEST(GetBitmapSize, GivesTheSizeOrZeroForWhatIsNoBitmap) {
    HBITMAP mono = CreateBitmap(7, 3, 1, 1, nullptr);
    EXPECT_EQ(GetBitmapSize(mono).cx, 7);
    EXPECT_EQ(GetBitmapSize(mono).cy, 3);
    DeleteObject(mono);
    HBRUSH brush = CreateSolidBrush(RGB(10, 0, 0));
    for (HBITMAP refused :
         {static_cast<HBITMAP>(nullptr), mono /* stale now */, reinterpret_cast<HBITMAP>(brush)}) {
        EXPECT_EQ(GetBitmapSize(refused).cx, 0);
        EXPECT_EQ(GetBitmapSize(refused).cy, 0);
    }
    DeleteObject(brush);
}

namespace {

constexpr COLORREF kGrey = RGB(128, 128, 128);
constexpr UINT kFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE;  // 0x25

// The text alone in `colour` on grey, drawn into `rect` as DrawTextA draws it, with
// DrawTextA's result.
std::vector<COLORREF> PlainText(CFont& font, const char* text, RECT rect, COLORREF colour,
                                int* pResult = nullptr) {
    Canvas canvas(50, 40, kGrey);
    HGDIOBJ old = SelectObject(canvas, font);
    SetBkMode(canvas, TRANSPARENT);
    SetTextColor(canvas, colour);
    int result = DrawTextA(canvas, text, -1, &rect, kFormat);
    if (pResult) *pResult = result;
    SelectObject(canvas, old);
    return canvas.Pixels();
}

}  // namespace

TEST(DrawShadowText, ShadowLiesOnePixelRightAndBelowTheText) {
    CFont font;
    ASSERT_TRUE(font.CreatePointFont(70, kMsGothic));
    const char* text = "Tank \x95\xe0";  // with a double-byte character
    const RECT rect{0, 0, 50, 40};
    Canvas canvas(50, 40, kGrey);
    HGDIOBJ old = SelectObject(canvas, font);
    int height = DrawShadowText(canvas, text, rect, kFormat, kWhite, RGB(0, 0, 255));
    SelectObject(canvas, old);

    // Text pixels win over shadow pixels; elsewhere the grey shows through.
    int textResult = 0;
    const auto shadow = PlainText(font, text, rect, kWhite);
    const auto ink = PlainText(font, text, {-1, -1, 49, 39}, RGB(0, 0, 255), &textResult);
    EXPECT_EQ(height, textResult);
    EXPECT_GT(height, 0);
    std::vector<COLORREF> expected(shadow.size());
    int shadowShowing = 0;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        expected[i] = ink[i] != kGrey ? ink[i] : shadow[i];
        shadowShowing += expected[i] == kWhite;
    }
    EXPECT_EQ(canvas.Pixels(), expected);
    EXPECT_GT(shadowShowing, 10);
}
