#include "qvplatform/loader.h"

#include <dlfcn.h>
#include <link.h>
#include <strings.h>
#include <sys/auxv.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr char kSearchPathVariable[] = "QVDLL_LIBRARY_PATH";
// The library's own modules are installed in this folder under the platform's,
// out of the system's library folder, where nothing else should find them.
constexpr char kPrivateFolder[] = "qvdll";
// Every reference is resolved at load time, as the platform the library was
// written for does: a library with a missing symbol fails to load instead of
// failing later at its first call.
constexpr int kOpenFlags = RTLD_NOW | RTLD_LOCAL;

// A library loaded through LoadLibraryA: its dynamic-linker handle and how many
// loads FreeLibrary has not matched yet. Each of those loads holds one
// reference of the dynamic linker, so the linker unloads the library exactly
// when the count here reaches zero.
struct LoadedLibrary {
    void* dlHandle;
    unsigned nUses;
};

struct LoadedLibraries {
    std::mutex mutex;
    std::map<HMODULE, LoadedLibrary> byBase;
};

// Never destroyed: other modules' clean-up code frees libraries at exit, after
// the C++ run time may already have destroyed this module's static objects.
LoadedLibraries& Loaded() {
    static auto* loaded = new LoadedLibraries;
    return *loaded;
}

// An object of this module, to ask the dynamic linker where the module lies.
// (The address of an exported function could be a stub in the executable.)
const char kThisModuleAnchor = 0;

std::string ExecutablePath() {
    char path[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path);
    return n > 0 ? std::string(path, static_cast<std::size_t>(n)) : std::string();
}

std::string FolderOf(const std::string& path) {
    auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string CurrentFolder() {
    char path[PATH_MAX];
    return getcwd(path, sizeof path) ? std::string(path) : std::string(".");
}

std::string PlatformFolder() {
    Dl_info info;
    if (dladdr(&kThisModuleAnchor, &info) == 0 || !info.dli_fname) return {};
    return FolderOf(info.dli_fname);
}

bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
    return text.size() > suffix.size() && strncasecmp(text.data() + text.size() - suffix.size(),
                                                      suffix.data(), suffix.size()) == 0;
}

// The file names a bare name stands for, in the order they are tried.
std::vector<std::string> FileNamesFor(std::string name) {
    if (EndsWithNoCase(name, ".dll")) name.resize(name.size() - 4);
    if (name.ends_with(".so") || name.find(".so.") != std::string::npos) return {name};
    return {"lib" + name + ".so", name + ".so"};
}

std::vector<std::string> SplitFolders(std::string_view list) {
    std::vector<std::string> folders;
    while (!list.empty()) {
        auto colon = list.find(':');
        auto folder = list.substr(0, colon);
        if (!folder.empty()) folders.emplace_back(folder);
        list.remove_prefix(colon == std::string_view::npos ? list.size() : colon + 1);
    }
    return folders;
}

// Opens the first of `fileNames` present in `folder`. `found` is set when a file
// is there, loaded or not, so the search stops at the first file found.
void* OpenInFolder(const std::string& folder, const std::vector<std::string>& fileNames,
                   bool& found) {
    for (const std::string& fileName : fileNames) {
        std::string path = folder + "/" + fileName;
        if (access(path.c_str(), F_OK) != 0) continue;
        found = true;
        return dlopen(path.c_str(), kOpenFlags);
    }
    return nullptr;
}

void* OpenBareName(const std::string& name) {
    const std::vector<std::string> fileNames = FileNamesFor(name);
    bool found = false;
    const char* list = std::getenv(kSearchPathVariable);
    if (list && *list) {
        for (const std::string& folder : SplitFolders(list))
            if (void* handle = OpenInFolder(folder, fileNames, found); handle || found)
                return handle;
        return nullptr;
    }
    const std::string platform = PlatformFolder();
    for (const std::string& folder :
         {FolderOf(ExecutablePath()), platform, platform + "/" + kPrivateFolder})
        if (void* handle = OpenInFolder(folder, fileNames, found); handle || found) return handle;
    for (const std::string& fileName : fileNames)
        if (void* handle = dlopen(fileName.c_str(), kOpenFlags)) return handle;
    return OpenInFolder(CurrentFolder(), fileNames, found);
}

HMODULE BaseOf(void* dlHandle) {
    link_map* map = nullptr;
    if (dlinfo(dlHandle, RTLD_DI_LINKMAP, &map) != 0 || !map) return nullptr;
    return GetModuleHandleFromAddress(map->l_ld);
}

HMODULE ExecutableBase() {
    return GetModuleHandleFromAddress(reinterpret_cast<LPCVOID>(getauxval(AT_PHDR)));
}

}  // namespace

HMODULE LoadLibraryA(LPCSTR lpLibFileName) {
    if (!lpLibFileName || IS_INTRESOURCE(lpLibFileName) || !*lpLibFileName) return nullptr;
    std::string name = lpLibFileName;
    void* dlHandle;
    if (name.find('/') == std::string::npos) {
        dlHandle = OpenBareName(name);
    } else {
        // Kept absolute so the module's file name stays right if the folder changes.
        if (name.front() != '/') name = CurrentFolder() + "/" + name;
        dlHandle = dlopen(name.c_str(), kOpenFlags);
    }
    if (!dlHandle) return nullptr;
    HMODULE hModule = BaseOf(dlHandle);
    if (!hModule) {
        dlclose(dlHandle);
        return nullptr;
    }
    LoadedLibraries& loaded = Loaded();
    std::lock_guard lock(loaded.mutex);
    ++loaded.byBase.try_emplace(hModule, LoadedLibrary{dlHandle, 0}).first->second.nUses;
    return hModule;
}

FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
    if (!lpProcName || IS_INTRESOURCE(lpProcName)) return nullptr;
    LoadedLibraries& loaded = Loaded();
    // Held across the look-up so no other thread can unload the library meanwhile.
    std::lock_guard lock(loaded.mutex);
    auto it = loaded.byBase.find(hModule);
    if (it == loaded.byBase.end()) return nullptr;
    void* symbol = dlsym(it->second.dlHandle, lpProcName);
    // dlsym also searches the library's dependencies; only its own exports count.
    if (!symbol || GetModuleHandleFromAddress(symbol) != hModule) return nullptr;
    return reinterpret_cast<FARPROC>(symbol);
}

BOOL FreeLibrary(HMODULE hLibModule) {
    void* dlHandle;
    {
        LoadedLibraries& loaded = Loaded();
        std::lock_guard lock(loaded.mutex);
        auto it = loaded.byBase.find(hLibModule);
        if (it == loaded.byBase.end()) return FALSE;
        dlHandle = it->second.dlHandle;
        if (--it->second.nUses == 0) loaded.byBase.erase(it);
    }
    // Unlocked: the library's clean-up code may free libraries of its own.
    return dlclose(dlHandle) == 0 ? TRUE : FALSE;
}

DWORD GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize) {
    std::string path;
    if (!hModule || hModule == ExecutableBase()) {
        path = ExecutablePath();
    } else {
        Dl_info info;
        if (dladdr(hModule, &info) == 0 || info.dli_fbase != hModule || !info.dli_fname) return 0;
        path = info.dli_fname;
    }
    if (path.empty() || !lpFilename || nSize == 0) return 0;
    if (path.size() >= nSize) {
        std::memcpy(lpFilename, path.data(), nSize - 1);
        lpFilename[nSize - 1] = '\0';
        return nSize;
    }
    std::memcpy(lpFilename, path.c_str(), path.size() + 1);
    return static_cast<DWORD>(path.size());
}

HMODULE GetModuleHandleFromAddress(LPCVOID address) {
    Dl_info info;
    if (!address || dladdr(address, &info) == 0) return nullptr;
    return static_cast<HMODULE>(info.dli_fbase);
}
