// Windows-style names on a POSIX file system: backslashes as separators and
// names that match regardless of letter case, as the library's fixed names
// ("Images\tank.bmp", "MAP.BMP") expect.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string_view>

#include "qvplatform/file.h"

namespace {

bool Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

char FoldAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return FoldAscii(x) == FoldAscii(y);
           });
}

// The entry of `folder` whose name equals `name` but for letter case, the first
// in byte order when there are several.
std::optional<std::string> FindNoCase(const std::string& folder, std::string_view name) {
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), &::closedir);
    if (!dir) return std::nullopt;
    std::optional<std::string> best;
    while (const dirent* entry = ::readdir(dir.get())) {
        std::string_view candidate = entry->d_name;
        if (EqualNoCase(candidate, name) && (!best || candidate < *best))
            best = std::string(candidate);
    }
    return best;
}

}  // namespace

std::string AfxResolvePath(LPCSTR lpszFileName) {
    std::string path = lpszFileName ? lpszFileName : "";
    std::replace(path.begin(), path.end(), '\\', '/');
    if (path.empty() || Exists(path)) return path;

    // Walk the name one component at a time, keeping separators as they are.
    std::string resolved;
    std::size_t pos = 0;
    bool matching = true;  // once a component matches nothing, the rest is kept
    while (pos < path.size()) {
        if (path[pos] == '/') {
            resolved += '/';
            ++pos;
            continue;
        }
        std::size_t next = std::min(path.find('/', pos), path.size());
        std::string_view component(path.data() + pos, next - pos);
        pos = next;
        std::string exact = resolved + std::string(component);
        if (!matching || component == "." || component == ".." || Exists(exact)) {
            resolved = std::move(exact);
            continue;
        }
        std::string folder = resolved.empty() ? "." : resolved;
        if (auto found = FindNoCase(folder, component)) {
            resolved += *found;
        } else {
            resolved = std::move(exact);
            matching = false;
        }
    }
    return resolved;
}
