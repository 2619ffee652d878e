#include "library/hexdrawview_test_util.h"

#include "library/picture_test_util.h"

#include <filesystem>

#include <qvplatform/draw.h>
#include <qvplatform/msgbox.h>

namespace qvtest {

IMPLEMENT_DYNCREATE(CTestView, CHEXDrawView)
IMPLEMENT_DYNCREATE(CTestDocument, CHEXDrawDocument)

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

}  // namespace

bool InsideHexagon(int x, int y) {
    const int inset = y < 20 ? 10 - (y + 1) / 2 : 10 - (40 - y) / 2;
    return x >= inset && x <= 49 - inset;
}

std::string ExpectedLabel(int x, int y) {
    std::string column;
    if (x < 26)
        column = std::string(1, static_cast<char>('A' + x));
    else
        column = {static_cast<char>('@' + x / 26), static_cast<char>('A' + x % 26)};
    return " (" + column + "," + std::to_string(y + 1) + ") ";
}

POINT HexBox(int x, int y) {
    return {40 * x, 40 * y + (x % 2 == 1 ? 20 : 0)};
}

void WriteChipSheet(const std::string& path, int perRow, int rows,
                    const std::vector<COLORREF>& colours, COLORREF outside) {
    WriteBmpFile(path, 50 * perRow, 40 * rows, [&](int x, int y) {
        return InsideHexagon(x % 50, y % 40) ? colours.at(x / 50 + y / 40 * perRow) : outside;
    });
}

std::vector<COLORREF> ReferenceMap(CHexMap& map, const std::vector<COLORREF>& sheet, int sheetWidth,
                                   int sheetHeight, CFont* pLabelFont) {
    const int perRow = sheetWidth / 50;
    Canvas picture(map.GetWidth(), map.GetHeight(), kBlack);
    if (pLabelFont) SelectObject(picture, pLabelFont->GetSafeHandle());
    SetBkMode(picture, TRANSPARENT);
    for (int y = 0; y < map.GetMapHeight(); ++y) {
        for (int x = 0; x < map.GetMapWidth(); ++x) {
            const int n = map.GetData(static_cast<WORD>(x), static_cast<WORD>(y));
            const int sx = 50 * (n % perRow), sy = 40 * (n / perRow);
            const bool onSheet = sy + 40 <= sheetHeight;
            const POINT corner = HexBox(x, y);
            for (int j = 0; j < 40; ++j) {
                for (int i = 0; i < 50; ++i) {
                    const COLORREF c =
                        onSheet ? sheet[static_cast<std::size_t>(sy + j) * sheetWidth + sx + i]
                                : kWhite;
                    const COLORREF old = GetPixel(picture, corner.x + i, corner.y + j);
                    SetPixel(picture, corner.x + i, corner.y + j,
                             InsideHexagon(i, j) ? c : c & old);
                }
            }
            if (!pLabelFont) continue;
            RECT rc{corner.x, corner.y, corner.x + 50, corner.y + 40};
            const std::string label = ExpectedLabel(x, y);
            DrawTextA(picture, label.c_str(), static_cast<int>(label.size()), &rc,
                      DT_SINGLELINE | DT_BOTTOM | DT_CENTER);
        }
    }
    return picture.Pixels();
}

void MapViewTest::SetUp() {
    AfxTakeMessageBoxLog();
}

void MapViewTest::TearDown() {
    delete m_pTemplate;
}

void MapViewTest::UseSampleChipSheet() {
    std::filesystem::copy_file(std::string(QVTEST_DATA_DIR) + "/MAP.BMP", m_dir / "MAP.BMP");
}

void MapViewTest::Open(int cx, int cy, const CRuntimeClass* pDocClass) {
    delete m_pTemplate;
    m_pTemplate = new CSingleDocTemplate(pDocClass ? pDocClass : RUNTIME_CLASS(CHEXDrawDocument),
                                         RUNTIME_CLASS(CTestView));
    ASSERT_NE(m_pTemplate->OpenDocumentFile(nullptr, "map", cx, cy), nullptr)
        << AfxGetWindowError();
}

void MapViewTest::OpenWith(CHexMap& map, int cx, int cy) {
    ASSERT_NO_FATAL_FAILURE(Open(cx, cy));
    Document()->SetMap(&map);
}

CHEXDrawDocument* MapViewTest::Document() const {
    return static_cast<CHEXDrawDocument*>(m_pTemplate->GetDocument());
}

CTestView* MapViewTest::View() const {
    return static_cast<CTestView*>(m_pTemplate->GetView());
}

std::vector<COLORREF> MapViewTest::BufferPixels() const {
    CGraphic* pBuffer = View()->m_pMapBuffer.Get();
    const SIZE size = pBuffer->GetBitmap() ? SizeOf(*pBuffer->GetBitmap()) : SIZE{0, 0};
    return PixelsOf(pBuffer->GetDC() ? pBuffer->GetDC()->GetSafeHdc() : nullptr, size.cx, size.cy);
}

std::vector<COLORREF> MapViewTest::ShownPixels() const {
    View()->UpdateWindow();
    HBITMAP shown = AfxCopyWindowImage(View()->m_hWnd);
    std::vector<COLORREF> pixels = PixelsOf(shown);
    DeleteObject(shown);
    return pixels;
}

std::vector<COLORREF> MapViewTest::ExpectedShown() const {
    RECT rc;
    View()->GetClientRect(&rc);
    const POINT pos = View()->GetScrollPosition();
    const std::vector<COLORREF> buffer = BufferPixels();
    const int width = View()->m_pMapBuffer->GetWidth(), height = View()->m_pMapBuffer->GetHeight();
    std::vector<COLORREF> out;
    for (int y = 0; y < rc.bottom; ++y)
        for (int x = 0; x < rc.right; ++x) {
            const int bx = x + pos.x, by = y + pos.y;
            out.push_back(bx < width && by < height
                              ? buffer[static_cast<std::size_t>(by) * width + bx]
                              : kWhite);
        }
    return out;
}

}  // namespace qvtest
