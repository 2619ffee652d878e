#include "qvplatform/replacefile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <random>
#include <vector>

IMPLEMENT_DYNAMIC(CReplacementFile, CFile)

namespace {

namespace fs = std::filesystem;

constexpr int kMaxLinks = 40;  // the kernel's own limit on a chain of links
constexpr int kNameTries = 100;
constexpr std::size_t kCopyBlock = 64 * 1024;

[[noreturn]] void Fail(int osError, const std::string& name) {
    AfxThrowFileException(CFileException::OsErrorToException(osError), osError, name);
}

// The file a chain of symbolic links ends at; `path` itself when it is no link. A link
// that leads nowhere names the file that saving creates, as open(2) would.
std::string FollowLinks(std::string path, const std::string& name) {
    for (int hops = 0; hops <= kMaxLinks; ++hops) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(path, error))) return path;
        const fs::path to = fs::read_symlink(path, error);
        if (error) Fail(error.value(), name);
        path = (fs::path(path).parent_path() / to).string();  // an absolute `to` stands alone
    }
    Fail(ELOOP, name);
}

// ".island.map.k3Zq9a" beside "island.map": hidden, and never a name a user picked.
std::string NewName(const std::string& target) {
    static constexpr char kLetters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    static std::random_device source;
    std::string name = "." + fs::path(target).filename().string() + ".";
    for (int i = 0; i < 6; ++i) name += kLetters[source() % (sizeof kLetters - 1)];
    return (fs::path(target).parent_path() / name).string();
}

// Appends the contents of the file `from` to `to`.
void CopyInto(CFile& to, const std::string& from) {
    struct Descriptor {
        int fd;
        ~Descriptor() { ::close(fd); }
    };
    const int fd = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) Fail(errno, to.GetFilePath());
    const Descriptor old{fd};
    std::vector<BYTE> block(kCopyBlock);
    for (;;) {
        const ssize_t got = ::read(old.fd, block.data(), block.size());
        if (got == 0) return;
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) Fail(errno, to.GetFilePath());
        to.Write(block.data(), static_cast<UINT>(got));
    }
}

}  // namespace

CReplacementFile::~CReplacementFile() {
    Abort();
}

BOOL CReplacementFile::Open(LPCSTR lpszFileName, UINT nOpenFlags, CFileException* pError) {
    Abort();
    m_strFileName = lpszFileName ? lpszFileName : "";
    try {
        if (m_strFileName.empty()) Fail(EINVAL, m_strFileName);
        m_strTarget = FollowLinks(AfxResolvePath(m_strFileName.c_str()), m_strFileName);
        struct stat old {};
        const bool bOld = ::stat(m_strTarget.c_str(), &old) == 0;
        if (!bOld && (errno != ENOENT || !(nOpenFlags & modeCreate))) Fail(errno, m_strFileName);
        if (bOld && !S_ISREG(old.st_mode))
            Fail(S_ISDIR(old.st_mode) ? EISDIR : EINVAL, m_strFileName);

        // Created as any new file would be (0666 less the umask), then given the old one's
        // owner, group and mode; the owner first, since a change of owner clears set-id bits.
        for (int nTry = 0; m_fd < 0; ++nTry) {
            m_strNew = NewName(m_strTarget);
            m_fd = ::open(m_strNew.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (m_fd < 0) {
                const int err = errno;
                m_strNew.clear();
                if (err != EEXIST || nTry == kNameTries) Fail(err, m_strFileName);
            }
        }
        if (bOld) {
            if (::fchown(m_fd, old.st_uid, old.st_gid) != 0) (void)::fchown(m_fd, -1, old.st_gid);
            if (::fchmod(m_fd, old.st_mode & 07777) != 0) ThrowOsError(errno);
        }

        if (bOld && (nOpenFlags & modeNoTruncate)) {
            CopyInto(*this, m_strTarget);
            SeekToBegin();
        }
        return TRUE;
    } catch (const CFileException& e) {
        Abort();
        if (pError) *pError = e;
        return FALSE;
    }
}

void CReplacementFile::Commit() {
    if (!IsOpen()) ThrowNotOpen();
    try {
        CFile::Flush();
        CFile::Close();
        if (::rename(m_strNew.c_str(), m_strTarget.c_str()) != 0) Fail(errno, m_strFileName);
    } catch (...) {
        Abort();
        throw;
    }
    m_strNew.clear();
    // The rename is what makes the new contents the file's: past it the old contents are
    // gone, so a folder that cannot be flushed is no failure to report.
    fs::path folder = fs::path(m_strTarget).parent_path();
    const int fdFolder =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fdFolder >= 0) {
        (void)::fsync(fdFolder);
        ::close(fdFolder);
    }
}

void CReplacementFile::Abort() {
    CFile::Abort();
    if (!m_strNew.empty()) ::unlink(m_strNew.c_str());
    m_strNew.clear();
}
