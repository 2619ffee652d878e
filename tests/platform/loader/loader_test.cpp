// The run-time loader: where bare names are found, use counts, and handles
// that are stale or were never handed out.
#include <dlfcn.h>
#include <link.h>
#include <stdlib.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <qvplatform/loader.h>

namespace {

const std::string kSoDir = QVTEST_SO_DIR;

bool IsMapped(const std::string& path) {
    auto visit = [](dl_phdr_info* info, size_t, void* data) {
        return info->dlpi_name && *static_cast<std::string*>(data) == info->dlpi_name ? 1 : 0;
    };
    std::string wanted = path;
    return dl_iterate_phdr(visit, &wanted) != 0;
}

class Loader : public ::testing::Test {
protected:
    void SetUp() override {
        char cwd[PATH_MAX];
        ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
        m_cwd = cwd;
        unsetenv("QVDLL_LIBRARY_PATH");
    }

    void TearDown() override {
        for (HMODULE h : m_loaded) FreeLibrary(h);
        unsetenv("QVDLL_LIBRARY_PATH");
        ASSERT_EQ(chdir(m_cwd.c_str()), 0);
    }

    // Loads `name` (freed after the test) and says which copy of the probe it is.
    std::string TagOf(const char* name) {
        HMODULE h = LoadLibraryA(name);
        if (!h) return "<not found>";
        m_loaded.push_back(h);
        auto tag = reinterpret_cast<const char* (*)()>(GetProcAddress(h, "ProbeTag"));
        return tag ? tag() : "<no ProbeTag>";
    }

    void SearchOnly(const std::string& folders) {
        setenv("QVDLL_LIBRARY_PATH", folders.c_str(), 1);
    }

    std::vector<HMODULE> m_loaded;
    std::string m_cwd;
};

TEST_F(Loader, BareNamesAreSearchedForInOrder) {
    // An empty search list is the default search: beside the executable, beside the
    // platform, the platform's qvdll/ folder, then the current folder (the test runs from kSoDir/cwd unless told).
    const struct {
        std::string search, cwd;
        const char* name;
        const char* tag;
    } cases[] = {
        {kSoDir + "/both", "", "QvProbe", "both-lib"},                      // libX before X
        {kSoDir + "/first:" + kSoDir + "/second", "", "QvProbe", "first"},  // X before a later libX
        {"::" + kSoDir + "/first:", "", "QvProbe", "first"},        // empty entries are no folder
        {kSoDir + "/both", "", "QvProbe.so", "both-bare"},          // an extension only as given
        {kSoDir + "/both", "", "QvProbe.DLL", "both-lib"},          // the Windows one is dropped
        {kSoDir + "/first", "", "QvProbePlatform", "<not found>"},  // listed folders only
        {kSoDir + "/first", "", "QvProbeExe", "<not found>"},
        {kSoDir + "/first", "", "QvProbeCwd", "<not found>"},
        {kSoDir + "/first", "", "c", "<not found>"},  // not even the system's libraries
        {"", "", "QvProbeExe", "exe"},
        {"", "", "QvProbePlatform", "platform"},
        {"", "", "QvProbePrivate", "private"},
        {"", "", "QvProbeCwd", "cwd"},
        {"", "/", "QvProbeCwd", "<not found>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.search + " " + c.name);
        ASSERT_EQ(chdir(c.cwd.empty() ? (kSoDir + "/cwd").c_str() : c.cwd.c_str()), 0);
        if (c.search.empty())
            unsetenv("QVDLL_LIBRARY_PATH");
        else
            SearchOnly(c.search);
        EXPECT_EQ(TagOf(c.name), c.tag);
    }
    SearchOnly(kSoDir + "/broken:" + kSoDir + "/first");  // found, but no library
    EXPECT_EQ(LoadLibraryA("QvProbe"), nullptr);
}

TEST_F(Loader, SystemLibrariesAreFoundByTheSystemSearch) {
    HMODULE h = LoadLibraryA("libm.so.6");
    ASSERT_NE(h, nullptr);
    m_loaded.push_back(h);
    auto cosine = reinterpret_cast<double (*)(double)>(GetProcAddress(h, "cos"));
    ASSERT_NE(cosine, nullptr);
    EXPECT_EQ(cosine(0.0), 1.0);
}

TEST_F(Loader, PathsAreOpenedAsGiven) {
    SearchOnly(kSoDir + "/both");
    EXPECT_EQ(TagOf((kSoDir + "/second/libQvProbe.so").c_str()), "second");
    ASSERT_EQ(chdir(kSoDir.c_str()), 0);
    HMODULE h = LoadLibraryA("first/QvProbe.so");
    ASSERT_NE(h, nullptr);
    m_loaded.push_back(h);
    char path[PATH_MAX];
    ASSERT_GT(GetModuleFileNameA(h, path, sizeof path), 0u);
    EXPECT_EQ(std::string(path), kSoDir + "/first/QvProbe.so");
    EXPECT_EQ(LoadLibraryA("first/NoSuch.so"), nullptr);
}

TEST_F(Loader, HandleIsTheModuleBaseAndFindsOnlyItsOwnExports) {
    SearchOnly(kSoDir + "/both");
    HMODULE h = LoadLibraryA("QvProbe");
    ASSERT_NE(h, nullptr);
    m_loaded.push_back(h);
    FARPROC tag = GetProcAddress(h, "ProbeTag");
    EXPECT_EQ(GetModuleHandleFromAddress(reinterpret_cast<LPCVOID>(tag)), h);
    EXPECT_EQ(std::memcmp(h, "\177ELF", 4), 0);
    EXPECT_EQ(GetProcAddress(h, "malloc"), nullptr);  // from a library it depends on
    EXPECT_EQ(GetProcAddress(h, "NoSuchEntry"), nullptr);
    EXPECT_EQ(GetProcAddress(h, nullptr), nullptr);
    EXPECT_EQ(GetProcAddress(h, MAKEINTRESOURCE(1)), nullptr);  // no ordinals
}

TEST_F(Loader, LoadsAreCountedAndTheLastFreeUnloads) {
    const std::string path = kSoDir + "/second/libQvProbe.so";
    SearchOnly(kSoDir + "/second");
    HMODULE first = LoadLibraryA("QvProbe");
    HMODULE second = LoadLibraryA(path.c_str());
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(second, first);
    EXPECT_TRUE(FreeLibrary(first));
    EXPECT_TRUE(IsMapped(path));
    EXPECT_NE(GetProcAddress(second, "ProbeTag"), nullptr);
    EXPECT_TRUE(FreeLibrary(second));
    EXPECT_FALSE(IsMapped(path));
    // The handle is stale now.
    EXPECT_EQ(GetProcAddress(second, "ProbeTag"), nullptr);
    EXPECT_FALSE(FreeLibrary(second));
    char name[PATH_MAX];
    EXPECT_EQ(GetModuleFileNameA(second, name, sizeof name), 0u);
}

TEST_F(Loader, MissingNamesAndHandlesNeverHandedOutAreRefused) {
    for (const char* name : {"QvNoSuchLibrary", "", static_cast<const char*>(nullptr),
                             static_cast<const char*>(MAKEINTRESOURCE(5))})
        EXPECT_EQ(LoadLibraryA(name), nullptr);
    EXPECT_FALSE(FreeLibrary(nullptr));
    EXPECT_FALSE(FreeLibrary(reinterpret_cast<HMODULE>(std::uintptr_t{0x1234})));
    EXPECT_EQ(GetProcAddress(nullptr, "ProbeTag"), nullptr);
    EXPECT_EQ(GetProcAddress(reinterpret_cast<HMODULE>(std::uintptr_t{0x1234}), "x"), nullptr);
    // A module that is loaded, but not through LoadLibraryA, is not ours to free.
    HMODULE platform = GetModuleHandleFromAddress(reinterpret_cast<LPCVOID>(&LoadLibraryA));
    ASSERT_NE(platform, nullptr);
    EXPECT_FALSE(FreeLibrary(platform));
    EXPECT_EQ(GetProcAddress(platform, "LoadLibraryA"), nullptr);
}

TEST_F(Loader, ModuleFileNames) {
    char path[PATH_MAX];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    ASSERT_GT(n, 0u);
    EXPECT_EQ(std::strlen(path), n);
    EXPECT_TRUE(std::string(path).ends_with("/test_platform"));
    // Cut to fit, terminated, and the buffer size returned.
    char small[6];
    EXPECT_EQ(GetModuleFileNameA(nullptr, small, sizeof small), sizeof small);
    EXPECT_EQ(std::string(small), std::string(path, 5));
    EXPECT_EQ(
        GetModuleFileNameA(reinterpret_cast<HMODULE>(std::uintptr_t{0x1234}), path, sizeof path),
        0u);
}

}  // namespace
