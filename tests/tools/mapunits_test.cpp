// Units on qvmap's map: read from unit lines or a refresh text, put on their hexes with the
// view's chip compositing (inside the hexagon the unit's picture, outside it the map as it
// was), and kept there when the view redraws a hex.
#include <filesystem>

#include <qvdll/graphic.h>
#include <qvdll/resource.h>
#include <qvdll/unit.h>
#include <qvplatform/bmpfile.h>

#include "args.h"
#include "library/picture_test_util.h"
#include "mapscreen.h"
#include "mapunits.h"
#include "test_support.h"

using qvmap::CMapScreen;
using qvmap::CMapUnits;
using Pixels = std::vector<COLORREF>;

namespace {

constexpr int kMapSide = 26;  // the sample map
constexpr int kPictureWidth = 40 * kMapSide + 10;
constexpr int kPictureHeight = 40 * kMapSide + 20;

// Unit lines in the full form: id1, id2, x, y, state, colour, param1, "name", "image", ...
const char kTank[] = "1,2,3,2,0,16711680,8,\"Tank\",\"tank.bmp\",0,0,0,0,\"\"";
const char kBox[] = "2,1,4,5,0,65280,10,\"Scout\",\"\",0,0,0,0,\"\"";
const char kLost[] = "2,2,0,0,0,255,6,\"Lost\",\"gone.bmp\",0,0,0,0,\"\"";
const char kOffMap[] = "3,3,30,1,0,255,6,\"Far\",\"\",0,0,0,0,\"\"";

POINT HexBox(int x, int y) {
    return {40 * x, 40 * y + (x % 2 ? 20 : 0)};
}

Pixels PixelsOf(CGraphic* pGraphic, int cx, int cy) {
    return qvtest::PixelsOf(pGraphic->GetDC()->GetSafeHdc(), cx, cy);
}

// Each test runs in a folder of its own, holding Images\tank.bmp; the map and chip sheet
// are the shipped samples.
class MapUnits : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directory("Images");
        qvtest::WriteBmpFile("Images/tank.bmp", 32, 32,
                             [](int x, int y) { return RGB(7 * x, 7 * y, 90); });
        ASSERT_TRUE(m_hexMask.LoadBitmapA(nullptr, IDB_HEXMASK));
        m_spec.mapPath = qvtest::PrivateCopy(dir, std::string(QVTEST_DATA_DIR) + "/sample.map");
        m_spec.chipsPath = std::string(QVTEST_DATA_DIR) + "/MAP.BMP";
    }
    std::string WriteUnits(const std::string& text) {
        qvtest::WriteBytes("units.txt", qvtest::Bytes(text.begin(), text.end()));
        return "units.txt";
    }
    bool InsideHexagon(int x, int y) { return m_hexMask.GetDC()->GetPixel(x, y) == RGB(0, 0, 0); }
    // The map picture `before` with each unit's picture put into its hexagon.
    Pixels Expected(Pixels before, const std::vector<const char*>& lines) {
        qvtest::ScreenDC screen;
        for (const char* line : lines) {
            CUnit unit;
            unit.StringToUnitData(line);
            unit.CreateUnit(&screen);
            POINT box = HexBox(unit.m_nPosX, unit.m_nPosY);
            for (int y = 0; y < 40; ++y)
                for (int x = 0; x < 50; ++x)
                    if (InsideHexagon(x, y))
                        before[(box.y + y) * kPictureWidth + box.x + x] =
                            unit.GetUnitDC()->GetPixel(x, y);
        }
        return before;
    }

    qvtest::TempCurrentDir dir;
    CGraphic m_hexMask;
    qvmap::ScreenSettings m_spec;
};

}  // namespace

TEST_F(MapUnits, UnitsSitInTheirHexagonsAndTheRestOfTheMapStays) {
    CMapUnits units(
        WriteUnits(std::string(kTank) + "\n" + kBox + "\r\n\n" + kLost + "\n" + kOffMap + "\n"));
    CMapScreen screen(m_spec);
    CGraphic* pPicture = screen.View()->MapPicture();
    const Pixels before = PixelsOf(pPicture, kPictureWidth, kPictureHeight);

    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    qvmap::ShowUnits(screen, units);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "3 of 4 units on the map, 1 from picture files\n");
    const std::string warnings = testing::internal::GetCapturedStderr();
    EXPECT_NE(warnings.find("unit 2,2 'Lost': picture 'Images\\gone.bmp' did not load"),
              std::string::npos)
        << warnings;
    EXPECT_NE(warnings.find("unit 3,3 'Far' stands at 30,1, off the 26 x 26 map"),
              std::string::npos)
        << warnings;

    pPicture = screen.View()->MapPicture();  // the buffer was rebuilt
    const Pixels after = PixelsOf(pPicture, kPictureWidth, kPictureHeight);
    EXPECT_EQ(after, Expected(before, {kTank, kBox, kLost}));
    // The tank's own picture file, at (9, 4) of its hex (column 3 hangs 20 pixels lower).
    EXPECT_EQ(after[(2 * 40 + 20 + 4) * kPictureWidth + 3 * 40 + 9], RGB(0, 0, 90));
    EXPECT_EQ(after[(2 * 40 + 20 + 4 + 31) * kPictureWidth + 3 * 40 + 9 + 31],
              RGB(7 * 31, 7 * 31, 90));
}

TEST_F(MapUnits, AHexRedrawnByTheViewKeepsItsUnit) {
    CMapUnits units(WriteUnits(std::string(kTank) + "\n"));
    m_spec.cx = 400;
    m_spec.cy = 300;
    CMapScreen screen(m_spec);
    testing::internal::CaptureStdout();
    qvmap::ShowUnits(screen, units);
    testing::internal::GetCapturedStdout();
    const Pixels shown = PixelsOf(screen.View()->MapPicture(), kPictureWidth, kPictureHeight);

    // A click on the tank's hex gives the hex the next chip and redraws it, unit and all.
    CHexMap* pMap = screen.Document()->GetMap();
    const BYTE value = pMap->GetData(3, 2);
    const LPARAM centre = MAKELPARAM(3 * 40 + 25, 2 * 40 + 20 + 20);
    testing::internal::CaptureStdout();
    screen.View()->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, centre);
    testing::internal::GetCapturedStdout();
    EXPECT_NE(pMap->GetData(3, 2), value);
    EXPECT_EQ(PixelsOf(screen.View()->MapPicture(), kPictureWidth, kPictureHeight), shown);
}

TEST_F(MapUnits, ARefreshTextGivesItsUnitPart) {
    CMapUnits units(
        WriteUnits(std::string("client a\r\nclient b%") + kTank + "\r\n" + kBox + "\r\n%ignored"));
    qvtest::ScreenDC screen;
    EXPECT_EQ(units.CreatePictures(&screen, kMapSide, kMapSide),
              "2 of 2 units on the map, 1 from picture files");

    CMapUnits noUnits(WriteUnits("client a\nclient b%"));
    EXPECT_EQ(noUnits.CreatePictures(&screen, kMapSide, kMapSide),
              "0 of 0 units on the map, 0 from picture files");
}

// A missing file is the command-line test's.
TEST_F(MapUnits, AFileThatIsNoTextIsRefused) {
    try {
        CMapUnits units(WriteUnits(std::string(kTank) + '\0' + "rest"));
        FAIL() << "a zero byte was taken";
    } catch (const qvmap::InputError& e) {
        EXPECT_EQ(e.message, "unit file 'units.txt' holds a zero byte at offset " +
                                 std::to_string(sizeof kTank - 1) + ": it is no text");
    }
}
