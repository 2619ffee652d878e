// CJpegConverter with a test-built Jpeglib: calls, and one use of the library
// per load. (The module tests cover a Jpeglib without Jpeg2bmp and none at all.)
#include <link.h>
#include <stdlib.h>

#include <string>

#include <gtest/gtest.h>

#include <qvplatform/loader.h>

#include "module/fixtures/fake_jpeglib.h"
#include "qvdll/jpegconverter.h"

namespace {

bool IsMapped(const std::string& path) {
    auto visit = [](dl_phdr_info* info, size_t, void* data) {
        return info->dlpi_name && *static_cast<std::string*>(data) == info->dlpi_name ? 1 : 0;
    };
    std::string wanted = path;
    return dl_iterate_phdr(visit, &wanted) != 0;
}

const std::string kJpeglibOk = std::string(QVTEST_JPEG_OK_DIR) + "/libJpeglib.so";

class JpegConverter : public ::testing::Test {
protected:
    void TearDown() override { unsetenv("QVDLL_LIBRARY_PATH"); }
    void JpeglibIn(const char* folder) { setenv("QVDLL_LIBRARY_PATH", folder, 1); }
    std::string Log() { return m_log.Text(); }

    JpeglibLog m_log;
};

TEST_F(JpegConverter, ConvertPassesThroughAndLoadingAgainReleasesTheFormerUse) {
    JpeglibIn(QVTEST_JPEG_OK_DIR);
    {
        CJpegConverter converter;
        EXPECT_TRUE(converter.IsLoaded());
        EXPECT_TRUE(IsMapped(kJpeglibOk));
        EXPECT_EQ(converter.Convert(reinterpret_cast<HDC>(std::uintptr_t{0xabc}), "Images\\x.jpg"),
                  FakeJpegBitmap());
        EXPECT_EQ(converter.Convert(nullptr, ""), FakeJpegBitmap());
        EXPECT_TRUE(converter.Load());
        EXPECT_TRUE(converter.IsLoaded());
    }
    EXPECT_FALSE(IsMapped(kJpeglibOk));
    EXPECT_EQ(Log(), "init\nconvert abc Images\\x.jpg\nconvert 0 \nfini\ninit\nfini\n");
}

TEST_F(JpegConverter, UnloadLeavesNoEntryAndNothingToFreeAgain) {
    JpeglibIn(QVTEST_JPEG_OK_DIR);
    // A use of our own keeps Jpeglib loaded at one address: a handle the converter kept after
    // Unload would end our use at the next Unload or in its destructor.
    HMODULE hOwnUse = LoadLibraryA("Jpeglib");
    ASSERT_NE(hOwnUse, nullptr);
    {
        CJpegConverter converter;
        converter.Unload();
        EXPECT_FALSE(converter.IsLoaded());
        EXPECT_EQ(converter.Convert(nullptr, "x.jpg"), nullptr);
        converter.Unload();
    }
    EXPECT_TRUE(IsMapped(kJpeglibOk));
    EXPECT_TRUE(FreeLibrary(hOwnUse));
    EXPECT_FALSE(IsMapped(kJpeglibOk));
    EXPECT_EQ(Log(), "init\nfini\n");
}

TEST(ModuleJpegConverter, ALinkedHostFindsTheModulesConverter) {
    // The library attached when this program started.
    const CJpegConverter* pConverter = GetModuleJpegConverter();
    ASSERT_NE(pConverter, nullptr);
    EXPECT_EQ(IsJpegLoadOk(), pConverter->IsLoaded());
}

}  // namespace
