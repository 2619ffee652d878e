#include "qvplatform/file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string_view>

IMPLEMENT_DYNAMIC(CFile, CObject)

namespace {

constexpr UINT kAccessMask = 0x0003;
constexpr UINT kShareMask = 0x0070;

// The open(2) flags for an access mode; -1 for a mode that means nothing.
int AccessFlags(UINT nOpenFlags) {
    switch (nOpenFlags & kAccessMask) {
        case CFile::modeRead:
            return O_RDONLY;
        case CFile::modeWrite:
            return O_WRONLY;
        case CFile::modeReadWrite:
            return O_RDWR;
        default:
            return -1;
    }
}

// The error QVDLL_FILE_FAULT names (ENOSPC, EROFS or EACCES), 0 when unset: see Write.
int InjectedWriteError() {
    static const int error = [] {
        const char* name = std::getenv("QVDLL_FILE_FAULT");
        const std::string_view fault = name ? name : "";
        return fault == "ENOSPC"   ? ENOSPC
               : fault == "EROFS"  ? EROFS
               : fault == "EACCES" ? EACCES
                                   : 0;
    }();
    return error;
}

}  // namespace

CFile::CFile() = default;

CFile::CFile(LPCSTR lpszFileName, UINT nOpenFlags) {
    CFileException error;
    if (!Open(lpszFileName, nOpenFlags, &error)) throw error;
}

CFile::~CFile() {
    Abort();
}

// Truncation waits until the lock is held: opening with O_TRUNC would empty a
// file that another holder keeps open exclusively before finding out.
BOOL CFile::Open(LPCSTR lpszFileName, UINT nOpenFlags, CFileException* pError) {
    if (IsOpen()) Abort();
    m_strFileName = lpszFileName ? lpszFileName : "";
    auto fail = [&](int cause, int osError) {
        if (m_fd >= 0) ::close(m_fd);
        m_fd = -1;
        if (pError) *pError = CFileException(cause, osError, m_strFileName);
        return FALSE;
    };

    int access = AccessFlags(nOpenFlags);
    if (access < 0 || m_strFileName.empty()) return fail(CFileException::badPath, EINVAL);
    int flags = access | O_CLOEXEC;
    if (nOpenFlags & modeCreate) flags |= O_CREAT;

    const std::string path = AfxResolvePath(m_strFileName.c_str());
    do {
        m_fd = ::open(path.c_str(), flags, 0666);
    } while (m_fd < 0 && errno == EINTR);
    if (m_fd < 0) return fail(CFileException::OsErrorToException(errno), errno);

    struct stat st {};
    if (::fstat(m_fd, &st) != 0) return fail(CFileException::OsErrorToException(errno), errno);
    if (S_ISDIR(st.st_mode)) return fail(CFileException::accessDenied, EISDIR);

    int lock = (nOpenFlags & kShareMask) == shareExclusive ? LOCK_EX : LOCK_SH;
    int rc;
    do {
        rc = ::flock(m_fd, lock | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        int err = errno;
        return fail(err == EWOULDBLOCK ? CFileException::sharingViolation
                                       : CFileException::OsErrorToException(err),
                    err);
    }

    bool truncate = (nOpenFlags & modeCreate) && !(nOpenFlags & modeNoTruncate);
    if (truncate && S_ISREG(st.st_mode) && ::ftruncate(m_fd, 0) != 0)
        return fail(CFileException::OsErrorToException(errno), errno);
    return TRUE;
}

UINT CFile::Read(void* lpBuf, UINT nCount) {
    if (!IsOpen()) ThrowNotOpen();
    auto* dst = static_cast<BYTE*>(lpBuf);
    UINT total = 0;
    while (total < nCount) {
        ssize_t got = ::read(m_fd, dst + total, nCount - total);
        if (got < 0) {
            if (errno == EINTR) continue;
            ThrowOsError(errno);
        }
        if (got == 0) break;
        total += static_cast<UINT>(got);
    }
    return total;
}

void CFile::Write(const void* lpBuf, UINT nCount) {
    if (!IsOpen()) ThrowNotOpen();
    if (nCount > 0 && InjectedWriteError()) ThrowOsError(InjectedWriteError());
    const auto* src = static_cast<const BYTE*>(lpBuf);
    UINT total = 0;
    while (total < nCount) {
        ssize_t put = ::write(m_fd, src + total, nCount - total);
        if (put < 0) {
            if (errno == EINTR) continue;
            ThrowOsError(errno);
        }
        // A write that takes nothing and reports no error cannot make progress.
        if (put == 0) ThrowOsError(ENOSPC);
        total += static_cast<UINT>(put);
    }
}

void CFile::Flush() {
    if (!IsOpen()) return;
    // Pipes, terminals and the like have nothing to sync; that is not a failure.
    if (::fsync(m_fd) != 0 && errno != EINVAL && errno != EROFS) ThrowOsError(errno);
}

void CFile::Close() {
    if (!IsOpen()) return;
    int fd = m_fd;
    m_fd = -1;
    // The descriptor is gone whatever close reports; EINTR is not worth an error.
    if (::close(fd) != 0 && errno != EINTR) ThrowOsError(errno);
}

void CFile::Abort() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
}

ULONGLONG CFile::Seek(LONGLONG lOff, UINT nFrom) {
    if (!IsOpen()) ThrowNotOpen();
    static constexpr int kWhence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
    if (nFrom > end) AfxThrowFileException(CFileException::badSeek, EINVAL, m_strFileName);
    off_t pos = ::lseek(m_fd, lOff, kWhence[nFrom]);
    if (pos < 0) AfxThrowFileException(CFileException::badSeek, errno, m_strFileName);
    return static_cast<ULONGLONG>(pos);
}

ULONGLONG CFile::GetPosition() const {
    if (!IsOpen()) ThrowNotOpen();
    off_t pos = ::lseek(m_fd, 0, SEEK_CUR);
    if (pos < 0) AfxThrowFileException(CFileException::badSeek, errno, m_strFileName);
    return static_cast<ULONGLONG>(pos);
}

ULONGLONG CFile::GetLength() const {
    if (!IsOpen()) ThrowNotOpen();
    struct stat st {};
    if (::fstat(m_fd, &st) != 0) ThrowOsError(errno);
    return static_cast<ULONGLONG>(st.st_size);
}

void CFile::SetLength(ULONGLONG dwNewLen) {
    if (!IsOpen()) ThrowNotOpen();
    if (dwNewLen > static_cast<ULONGLONG>(INT64_MAX)) ThrowOsError(EFBIG);
    int rc;
    do {
        rc = ::ftruncate(m_fd, static_cast<off_t>(dwNewLen));
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) ThrowOsError(errno);
}

// EBADF on a descriptor that is still open means the file was opened without
// the access asked for (writing to a file opened for reading): that is access
// denied. Only a descriptor that is really gone is an invalid file.
void CFile::ThrowOsError(int osError) const {
    int cause = CFileException::OsErrorToException(osError);
    if (osError == EBADF && ::fcntl(m_fd, F_GETFL) != -1) cause = CFileException::accessDenied;
    AfxThrowFileException(cause, osError, m_strFileName);
}

void CFile::ThrowNotOpen() const {
    AfxThrowFileException(CFileException::invalidFile, EBADF, m_strFileName);
}
