// Loads the real library into this process with dlopen, as a host does, and
// unloads it again: what its start-up registers, what it loads of Jpeglib, and
// what is left when it is gone. Each test case runs in a process of its own.
#include <dlfcn.h>
#include <link.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <string_view>

#include <gtest/gtest.h>
#include <qvplatform/loader.h>
#include <qvplatform/module.h>

#include "module/fixtures/fake_jpeglib.h"

namespace {

constexpr UINT kHexMaskId = 5004;

// Every class the library registers, as hosts create them by name.
constexpr const char* kModuleClassNames[] = {
    "CHexMap", "CMsg", "CUnit", "CUnitList", "CHEXDrawDocument", "CHEXDrawView"};

bool IsMapped(std::string_view fileName) {
    auto visit = [](dl_phdr_info* info, size_t, void* data) {
        auto wanted = *static_cast<std::string_view*>(data);
        std::string_view name = info->dlpi_name ? info->dlpi_name : "";
        return name.ends_with(wanted) && name.size() > wanted.size() &&
                       name[name.size() - wanted.size() - 1] == '/'
                   ? 1
                   : 0;
    };
    return dl_iterate_phdr(visit, &fileName) != 0;
}

bool LibraryMapped() {
    const std::string_view path = QVTEST_QVDLL_PATH;
    return IsMapped(path.substr(path.rfind('/') + 1));
}
bool JpeglibMapped() {
    return IsMapped("libJpeglib.so");
}

bool LibraryRegistered() {
    return CRuntimeClass::FromName("CHexMap") ||
           AfxFindResourceHandle(MAKEINTRESOURCE(kHexMaskId), RT_BITMAP);
}

}  // namespace

// This executable exports its own FreeLibrary, which the library's calls reach
// in place of the platform's: it notes each free of Jpeglib, and whether the
// library was still registered then, before passing the call on. Jpeglib's own
// "fini" cannot tell when it was freed: a library freed while another one is
// being unloaded has its clean-up code run by the dynamic linker only once the
// outer unload has finished.
BOOL FreeLibrary(HMODULE hLibModule) {
    static const auto platformFreeLibrary =
        reinterpret_cast<BOOL (*)(HMODULE)>(dlsym(RTLD_NEXT, "_Z11FreeLibraryP11HINSTANCE__"));
    if (!platformFreeLibrary) std::abort();
    char path[4096];
    if (GetModuleFileNameA(hLibModule, path, sizeof path) &&
        std::string_view(path).ends_with("/libJpeglib.so"))
        AppendToJpeglibLog(std::string("FreeLibrary registered=") +
                           (LibraryRegistered() ? "1" : "0"));
    return platformFreeLibrary(hLibModule);
}

namespace {

class ModuleLoad : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(LibraryMapped()) << "an earlier test left the library loaded";
        ASSERT_FALSE(JpeglibMapped()) << "an earlier test left a Jpeglib loaded";
    }

    void TearDown() override {
        if (m_probe) dlclose(m_probe);
        if (m_library) dlclose(m_library);
        unsetenv("QVDLL_LIBRARY_PATH");
    }

    // Loads the library with Jpeglib looked for only in `jpeglibFolder`.
    void Load(const char* jpeglibFolder) {
        setenv("QVDLL_LIBRARY_PATH", jpeglibFolder, 1);
        m_library = dlopen(QVTEST_QVDLL_PATH, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(m_library, nullptr) << dlerror();
        m_probe = dlopen(QVTEST_HOST_PROBE_PATH, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(m_probe, nullptr) << dlerror();
    }

    void Unload() {
        ASSERT_EQ(dlclose(m_probe), 0);
        m_probe = nullptr;
        ASSERT_EQ(dlclose(m_library), 0);
        m_library = nullptr;
        ASSERT_FALSE(LibraryMapped()) << "the library stayed in memory after its last close";
    }

    template <class F>
    F Symbol(void* object, const char* name) {
        void* symbol = dlsym(object, name);
        EXPECT_NE(symbol, nullptr) << name;
        return reinterpret_cast<F>(symbol);
    }

    bool IsJpegLoadOk() { return Symbol<bool (*)()>(m_library, "IsJpegLoadOk")(); }
    HBITMAP Convert(HDC hDC, LPCSTR path) {
        return Symbol<HBITMAP (*)(HDC, LPCSTR)>(m_probe, "ProbeConvert")(hDC, path);
    }
    const void* ModuleConverter() {
        return Symbol<const void* (*)()>(m_probe, "ProbeModuleConverter")();
    }
    HMODULE LibraryHandle() { return GetModuleHandleFromAddress(dlsym(m_library, "IsJpegLoadOk")); }
    std::string Log() { return m_log.Text(); }

    void* m_library = nullptr;
    void* m_probe = nullptr;
    JpeglibLog m_log;
};

TEST_F(ModuleLoad, AttachMakesEveryClassCreatableByName) {
    Load(QVTEST_JPEG_OK_DIR);
    for (const char* name : kModuleClassNames) {
        const CRuntimeClass* pClass = CRuntimeClass::FromName(name);
        ASSERT_NE(pClass, nullptr) << name;
        CObject* pObject = CRuntimeClass::CreateObject(name);
        ASSERT_NE(pObject, nullptr) << name;
        EXPECT_EQ(pObject->GetRuntimeClass(), pClass);
        delete pObject;
    }
}

// Little-endian fields of the BMP file, read by hand.
std::uint32_t Field(std::span<const BYTE> bytes, std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = value << 8 | bytes[at + i];
    return value;
}

// The mask's pixels are the graphics tests' business; here its file form as the library holds it.
TEST_F(ModuleLoad, HexMaskIsASixteenColourHexagon) {
    Load(QVTEST_JPEG_OK_DIR);
    auto bytes = AfxFindBitmapResource(
        AfxFindResourceHandle(MAKEINTRESOURCE(kHexMaskId), RT_BITMAP), MAKEINTRESOURCE(kHexMaskId));
    ASSERT_GE(bytes.size(), 118u);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[1], 'M');
    EXPECT_EQ(Field(bytes, 2, 4), bytes.size());
    const std::uint32_t pixelOffset = Field(bytes, 10, 4);
    EXPECT_EQ(Field(bytes, 14, 4), 40u);  // information header size
    EXPECT_EQ(Field(bytes, 18, 4), 50u);
    EXPECT_EQ(Field(bytes, 22, 4), 40u);  // positive: bottom row first
    EXPECT_EQ(Field(bytes, 26, 2), 1u);
    EXPECT_EQ(Field(bytes, 28, 2), 4u);
    EXPECT_EQ(Field(bytes, 30, 4), 0u);  // uncompressed
    const std::uint32_t coloursUsed = Field(bytes, 46, 4);
    EXPECT_TRUE(coloursUsed == 0 || coloursUsed == 16);
    EXPECT_EQ(pixelOffset, 14u + 40u + 16u * 4u);
    EXPECT_EQ(bytes.size(), pixelOffset + 40 * 28);  // rows of 25 bytes padded to 28

    // The standard 16-colour palette. Stored blue, green, red, 0, so each entry
    // reads as 0x00RRGGBB.
    const std::uint32_t palette[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                       0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
                                       0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(Field(bytes, 54 + 4 * i, 4), palette[i]) << "entry " << i;
}

TEST_F(ModuleLoad, JpeglibWithItsEntryIsHeldAndCalled) {
    Load(QVTEST_JPEG_OK_DIR);
    EXPECT_TRUE(IsJpegLoadOk());
    EXPECT_TRUE(JpeglibMapped());
    auto hDC = reinterpret_cast<HDC>(std::uintptr_t{0x1234});
    EXPECT_EQ(Convert(hDC, "Images/tank.jpg"), FakeJpegBitmap());
    EXPECT_EQ(Convert(nullptr, "a b.JPG"), FakeJpegBitmap());
    EXPECT_EQ(Log(), "init\nconvert 1234 Images/tank.jpg\nconvert 0 a b.JPG\n");
}

TEST_F(ModuleLoad, JpeglibWithoutTheEntryIsReleasedAtOnce) {
    Load(QVTEST_JPEG_NOENTRY_DIR);
    EXPECT_FALSE(IsJpegLoadOk());
    EXPECT_FALSE(JpeglibMapped());
    EXPECT_EQ(Log(), "init\nFreeLibrary registered=0\nfini\n");
    EXPECT_EQ(Convert(nullptr, "x.jpg"), nullptr);
    ASSERT_NO_FATAL_FAILURE(Unload());
    EXPECT_EQ(Log(), "init\nFreeLibrary registered=0\nfini\n");
}

TEST_F(ModuleLoad, WithoutJpeglibTheLibraryStillLoads) {
    Load(QVTEST_JPEG_NONE_DIR);
    EXPECT_FALSE(IsJpegLoadOk());
    EXPECT_FALSE(JpeglibMapped());
    EXPECT_EQ(Convert(nullptr, "x.jpg"), nullptr);
    EXPECT_NE(CRuntimeClass::FromName("CHexMap"), nullptr);
    ASSERT_NO_FATAL_FAILURE(Unload());
    EXPECT_EQ(Log(), "");
}

TEST_F(ModuleLoad, DetachUnregistersThenFreesJpeglib) {
    Load(QVTEST_JPEG_OK_DIR);
    ASSERT_NO_FATAL_FAILURE(Unload());
    for (const char* name : kModuleClassNames) EXPECT_EQ(CRuntimeClass::FromName(name), nullptr);
    EXPECT_EQ(CRuntimeClass::CreateObject("CHexMap"), nullptr);
    EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCE(kHexMaskId), RT_BITMAP), nullptr);
    EXPECT_FALSE(JpeglibMapped());
    // Freed once, and only after the library had left the search chain.
    EXPECT_EQ(Log(), "init\nFreeLibrary registered=0\nfini\n");
}

TEST_F(ModuleLoad, LoadAndFreeThroughThePlatformLoader) {
    // The library's start-up and clean-up load and free Jpeglib through the same
    // loader while it is loading and freeing the library itself.
    setenv("QVDLL_LIBRARY_PATH", QVTEST_JPEG_OK_DIR, 1);
    HMODULE hLibrary = LoadLibraryA(QVTEST_QVDLL_PATH);
    ASSERT_NE(hLibrary, nullptr);
    auto isJpegLoadOk = reinterpret_cast<bool (*)()>(GetProcAddress(hLibrary, "IsJpegLoadOk"));
    ASSERT_NE(isJpegLoadOk, nullptr);
    EXPECT_TRUE(isJpegLoadOk());
    EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCE(kHexMaskId), RT_BITMAP), hLibrary);
    EXPECT_TRUE(FreeLibrary(hLibrary));
    EXPECT_FALSE(LibraryMapped());
    EXPECT_FALSE(JpeglibMapped());
    EXPECT_EQ(CRuntimeClass::FromName("CHexMap"), nullptr);
    EXPECT_EQ(Log(), "init\nFreeLibrary registered=0\nfini\n");
}

TEST_F(ModuleLoad, ThreadNoticesChangeNothing) {
    Load(QVTEST_JPEG_OK_DIR);
    auto dllMain = Symbol<BOOL (*)(HINSTANCE, DWORD, LPVOID)>(m_library, "DllMain");
    ASSERT_NE(dllMain, nullptr);
    const void* converter = ModuleConverter();
    const CRuntimeClass* pClass = CRuntimeClass::FromName("CHexMap");
    for (DWORD reason : {DLL_THREAD_ATTACH, DLL_THREAD_DETACH, DLL_THREAD_ATTACH}) {
        EXPECT_EQ(dllMain(LibraryHandle(), reason, nullptr), TRUE);
    }
    EXPECT_EQ(ModuleConverter(), converter);
    EXPECT_TRUE(IsJpegLoadOk());
    EXPECT_EQ(CRuntimeClass::FromName("CHexMap"), pClass);
    EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCE(kHexMaskId), RT_BITMAP), LibraryHandle());
    EXPECT_EQ(Log(), "init\n");
}

}  // namespace
