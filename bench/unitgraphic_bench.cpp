// Unit pictures: CreateUnit for a drawn box with a name and for a picture loaded from a
// BMP file, each beside the bare pixel work of one such picture (a 50 x 40 white fill and
// a 50 x 40 block transfer on contexts that already exist). The ratio is what making the
// context, bitmap and font, drawing the box and text or reading the file cost on top.
#include <qvdll/unit.h>
#include <qvplatform/afxdc.h>
#include <qvplatform/bmpfile.h>

#include <unistd.h>
#include <filesystem>
#include <string>

#include "bench_support.h"

namespace {

constexpr int kBatch = 100;

// A 50 x 40 picture and a source to copy from, made once.
struct PeerPictures {
    PeerPictures() {
        screen.Attach(CreateDCA("DISPLAY", nullptr, nullptr, nullptr));
        for (auto* pair : {&target, &source}) {
            pair->dc.CreateCompatibleDC(&screen);
            pair->bitmap.CreateCompatibleBitmap(&screen, 50, 40);
            pair->dc.SelectObject(&pair->bitmap);
        }
        source.dc.FillSolidRect(0, 0, 50, 40, RGB(90, 160, 40));
    }
    void Draw() {
        target.dc.FillSolidRect(0, 0, 50, 40, RGB(255, 255, 255));
        target.dc.BitBlt(0, 0, 50, 40, &source.dc, 0, 0, SRCCOPY);
    }
    struct Picture {
        CDC dc;
        CBitmap bitmap;
    };
    CDC screen;
    Picture target, source;
};

// A folder holding Images\tank.bmp (32 x 32), current while the benchmark runs.
class ImagesFolder {
public:
    ImagesFolder() : m_previous(std::filesystem::current_path()) {
        m_folder = std::filesystem::temp_directory_path() /
                   ("qvbench-units-" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_folder / "Images");
        HBITMAP tank = CreateBitmap(32, 32, 1, 32, nullptr);
        SaveBitmapBmp(tank, (m_folder / "Images" / "tank.bmp").c_str());
        DeleteObject(tank);
        std::filesystem::current_path(m_folder);
    }
    ~ImagesFolder() {
        std::filesystem::current_path(m_previous);
        std::filesystem::remove_all(m_folder);
    }

private:
    std::filesystem::path m_previous, m_folder;
};

void RunCreateUnit(benchmark::State& state, const char* image) {
    PeerPictures peer;
    CUnit unit;
    unit.m_strName = "Tank";
    unit.m_strImage = image;
    unit.CreateUnit(&peer.screen);
    if (unit.IsUnitGraphicLoad() != (*image != 0)) state.SkipWithError("picture file not loaded");
    qvbench::RunSideBySide(
        state,
        [&] {
            for (int i = 0; i < kBatch; ++i) unit.CreateUnit(&peer.screen);
        },
        [&] {
            for (int i = 0; i < kBatch; ++i) peer.Draw();
        });
    state.SetItemsProcessed(state.iterations() * kBatch);
}

void BM_CreateUnitBoxAndNameVsFillAndBlit(benchmark::State& state) {
    RunCreateUnit(state, "");
}
BENCHMARK(BM_CreateUnitBoxAndNameVsFillAndBlit)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_CreateUnitFromBmpVsFillAndBlit(benchmark::State& state) {
    ImagesFolder folder;
    RunCreateUnit(state, "tank.bmp");
}
BENCHMARK(BM_CreateUnitFromBmpVsFillAndBlit)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
