// The map view beside its limit: MapDraw of a 26 x 26 and a 200 x 200 map against a loop
// that writes the same bytes with memcpy (the black fill, then two 50 x 40 tile copies per
// hex, for the mask and the chip), DrawHex of one cell against its four tile copies, and
// OnDraw of an 800 x 600 window area against memcpy of those rows. The view draws its labels
// too; the peers do not.
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

#include <qvdll/hexdrawview.h>
#include <qvplatform/bmpfile.h>
#include <qvplatform/wnddc.h>

#include "bench_support.h"

namespace {

namespace fs = std::filesystem;

class CBenchView : public CHEXDrawView {
    DECLARE_DYNCREATE(CBenchView)
public:
    using CHEXDrawView::DrawHex;
    using CHEXDrawView::MapDraw;
};
IMPLEMENT_DYNCREATE(CBenchView, CHEXDrawView)

// A chip sheet of 16 chips, 8 a row, each a colour inside its hexagon and white outside.
void WriteChipSheet(const fs::path& path) {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP sheet = CreateBitmap(400, 80, 1, 32, nullptr);
    HGDIOBJ old = SelectObject(dc, sheet);
    for (int n = 0; n < 16; ++n)
        for (int y = 0; y < 40; ++y) {
            const int inset = y < 20 ? 10 - (y + 1) / 2 : 10 - (40 - y) / 2;
            for (int x = 0; x < 50; ++x)
                SetPixel(dc, 50 * (n % 8) + x, 40 * (n / 8) + y,
                         x >= inset && x <= 49 - inset ? RGB(n * 15, 255 - n * 15, 90)
                                                       : RGB(255, 255, 255));
        }
    SelectObject(dc, old);
    DeleteDC(dc);
    SaveBitmapBmp(sheet, path.c_str());
    DeleteObject(sheet);
}

// The library's document and view on a map of `side` x `side` hexes, with a chip sheet in a
// folder of its own, an 800 x 600 headless window.
class ViewBench {
public:
    explicit ViewBench(WORD side)
        : m_folder(fs::temp_directory_path() / ("qvbench-view-" + std::to_string(getpid()))),
          m_previous(fs::current_path()),
          m_template(RUNTIME_CLASS(CHEXDrawDocument), RUNTIME_CLASS(CBenchView)),
          m_map(side, side) {
        fs::create_directories(m_folder);
        WriteChipSheet(m_folder / "MAP.BMP");
        fs::current_path(m_folder);
        m_template.OpenDocumentFile(nullptr, "bench", 800, 600);
        fs::current_path(m_previous);
        for (WORD y = 0; y < side; ++y)
            for (WORD x = 0; x < side; ++x)
                m_map.SetData(x, y, static_cast<BYTE>((x + 3 * y) % 16));
        Document()->SetMap(&m_map);
    }
    ~ViewBench() {
        m_template.CloseAllDocuments();
        fs::remove_all(m_folder);
    }
    CHEXDrawDocument* Document() {
        return static_cast<CHEXDrawDocument*>(m_template.GetDocument());
    }
    CBenchView* View() { return static_cast<CBenchView*>(m_template.GetView()); }
    CHexMap& Map() { return *Document()->GetMap(); }

private:
    fs::path m_folder, m_previous;
    CSingleDocTemplate m_template;
    CHexMap m_map;
};

// The bytes a map buffer of `map` takes, written the plain way: the fill, then for every hex
// two tile copies of 50 x 40 pixels row by row at the buffer's stride.
struct MemcpyMap {
    explicit MemcpyMap(CHexMap& map)
        : width(map.GetWidth()),
          height(map.GetHeight()),
          columns(map.GetMapWidth()),
          rows(map.GetMapHeight()),
          buffer(static_cast<std::size_t>(width) * height),
          tile(50 * 40, 0x00FFFFFF) {}
    void Tile(int left, int top) {
        for (int y = 0; y < 40; ++y)
            std::memcpy(&buffer[static_cast<std::size_t>(top + y) * width + left], &tile[y * 50],
                        50 * sizeof(std::uint32_t));
    }
    void Draw() {
        std::memset(buffer.data(), 0, buffer.size() * sizeof(std::uint32_t));  // black
        for (int y = 0; y < rows; ++y)
            for (int x = 0; x < columns; ++x) {
                Tile(40 * x, 40 * y + (x % 2 ? 20 : 0));
                Tile(40 * x, 40 * y + (x % 2 ? 20 : 0));
            }
        benchmark::DoNotOptimize(buffer.data());
    }
    int width, height, columns, rows;
    std::vector<std::uint32_t> buffer, tile;
};

void BM_MapDraw(benchmark::State& state) {
    ViewBench bench(static_cast<WORD>(state.range(0)));
    MemcpyMap peer(bench.Map());
    qvbench::RunSideBySide(
        state, [&] { bench.View()->MapDraw(&bench.Map()); }, [&] { peer.Draw(); });
    state.counters["hexes"] = static_cast<double>(state.range(0) * state.range(0));
}
BENCHMARK(BM_MapDraw)->Arg(26)->Arg(200)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_DrawHex(benchmark::State& state) {
    ViewBench bench(26);
    CClientDC dc(bench.View());
    bench.View()->OnPrepareDC(&dc);
    MemcpyMap peer(bench.Map());
    WORD x = 0;
    qvbench::RunSideBySide(
        state,
        [&] {
            bench.View()->DrawHex(&dc, x, 7, static_cast<BYTE>(x % 16));
            x = static_cast<WORD>((x + 1) % 20);
        },
        [&] {
            for (int i = 0; i < 4; ++i) peer.Tile(40 * (x % 20), 280);
            benchmark::DoNotOptimize(peer.buffer.data());
        });
}
BENCHMARK(BM_DrawHex)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_OnDraw800x600(benchmark::State& state) {
    ViewBench bench(26);
    bench.View()->SendMessage(WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, 120));
    bench.View()->SendMessage(WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 200));
    CClientDC dc(bench.View());
    bench.View()->OnPrepareDC(&dc);
    MemcpyMap peer(bench.Map());
    std::vector<std::uint32_t> window(800 * 600);
    qvbench::RunSideBySide(
        state, [&] { bench.View()->OnDraw(&dc); },
        [&] {
            for (int y = 0; y < 600; ++y)
                std::memcpy(&window[static_cast<std::size_t>(y) * 800],
                            &peer.buffer[static_cast<std::size_t>(y + 200) * peer.width + 120],
                            800 * sizeof(std::uint32_t));
            benchmark::DoNotOptimize(window.data());
        });
}
BENCHMARK(BM_OnDraw800x600)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace
