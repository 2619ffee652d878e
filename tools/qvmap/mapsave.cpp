#include "mapsave.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>

#include <qvplatform/replacefile.h>

#include "args.h"

namespace qvmap {
namespace {

constexpr off_t kHeaderBytes = 4;

// The map's archive form from the start of `file`, over whatever it holds: what
// CHexMap::WriteMapFile does, but with the file layer's errors kept for the message.
void WriteOver(CHexMap& map, CFile& file) {
    CArchive ar(&file, CArchive::store);
    map.Serialize(ar);
    ar.Close();
}

bool OnlyTheFileIsWritable(const std::string& target) {
    const std::filesystem::path folder = std::filesystem::path(target).parent_path();
    return ::access(folder.empty() ? "." : folder.c_str(), W_OK) != 0 && errno == EACCES &&
           ::access(target.c_str(), W_OK) == 0;
}

// Holds the disk space for the whole map first, so that a full disk is found before a byte
// of the file changes.
void WriteInPlace(CHexMap& map, const std::string& target) {
    auto fail = [&](int osError) {
        AfxThrowFileException(CFileException::OsErrorToException(osError), osError, target);
    };
    const off_t size = kHeaderBytes + off_t{map.GetMapWidth()} * map.GetMapHeight();
    const int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) fail(errno);
    struct stat st {};
    int error = ::fstat(fd, &st) != 0 ? errno : 0;
    if (!error) {
        error = ::posix_fallocate(fd, 0, size);
        // A failed reservation may have grown the file: it goes back to its length.
        if (error && st.st_size < size) (void)::ftruncate(fd, st.st_size);
    }
    ::close(fd);
    if (error) fail(error);
    CFile file(target.c_str(), CFile::modeWrite | CFile::shareExclusive | CFile::typeBinary);
    WriteOver(map, file);
    file.Close();
}

}  // namespace

void SaveMapFile(CHexMap& map, const std::string& path, bool bFresh) {
    try {
        CReplacementFile file;
        CFileException error;
        const UINT flags = CFile::modeCreate | CFile::modeWrite | CFile::typeBinary |
                           (bFresh ? 0u : UINT{CFile::modeNoTruncate});
        if (file.Open(path.c_str(), flags, &error)) {
            WriteOver(map, file);
            file.Commit();
            return;
        }
        if (bFresh || !OnlyTheFileIsWritable(file.GetTargetPath())) throw error;
        WriteInPlace(map, file.GetTargetPath());
        std::fprintf(stderr,
                     "qvmap: the folder of '%s' takes no new file: the map was written over "
                     "the file in place\n",
                     path.c_str());
    } catch (const std::exception& e) {
        throw InputError{"cannot write map file '" + path + "': " + e.what()};
    }
}

}  // namespace qvmap
