#include "qvplatform/exceptions.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iterator>
#include <system_error>

IMPLEMENT_DYNAMIC(CException, CObject)
IMPLEMENT_DYNAMIC(CMemoryException, CException)
IMPLEMENT_DYNAMIC(CInvalidArgException, CException)
IMPLEMENT_DYNAMIC(CArchiveException, CException)
IMPLEMENT_DYNAMIC(CFileException, CException)

namespace {

const char* CauseText(int cause, const char* const* names, int count, const char* fallback) {
    return cause >= 0 && cause < count ? names[cause] : fallback;
}

std::string FileMessage(int cause, int osError, const std::string& fileName) {
    std::string message = CFileException::CauseName(cause);
    if (!fileName.empty()) message += ": " + fileName;
    if (osError != 0)
        message += " (errno " + std::to_string(osError) + ": " +
                   std::generic_category().message(osError) + ")";
    return message;
}

}  // namespace

CException::CException(std::string message) : m_message(std::move(message)) {}

BOOL CException::GetErrorMessage(LPSTR lpszError, UINT nMaxError, UINT* pnHelpContext) const {
    if (pnHelpContext) *pnHelpContext = 0;
    if (!lpszError || nMaxError == 0) return FALSE;
    std::size_t n = std::min<std::size_t>(m_message.size(), nMaxError - 1);
    std::memcpy(lpszError, m_message.data(), n);
    lpszError[n] = '\0';
    return TRUE;
}

CMemoryException::CMemoryException() : CException("out of memory") {}

CInvalidArgException::CInvalidArgException(std::string message)
    : CException(message.empty() ? "invalid argument" : std::move(message)) {}

CArchiveException::CArchiveException(int cause, std::string message)
    : CException(message.empty() ? CauseName(cause) : std::move(message)), m_cause(cause) {}

const char* CArchiveException::CauseName(int cause) {
    static const char* const kNames[] = {
        "no archive error",
        "archive error",
        "archive is loading: it cannot be written",
        "archive ended",
        "archive is storing: it cannot be read",
        "bad object or class index in archive",
        "unknown or unexpected class in archive",
        "unsupported class schema in archive",
        "record exceeds the archive's memory budget",
    };
    return CauseText(cause, kNames, std::size(kNames), "archive error");
}

CFileException::CFileException(int cause, int osError, std::string fileName)
    : CException(FileMessage(cause, osError, fileName)),
      m_cause(cause),
      m_lOsError(osError),
      m_strFileName(std::move(fileName)) {}

const char* CFileException::CauseName(int cause) {
    static const char* const kNames[] = {
        "no file error",         "file error",
        "file not found",        "bad path",
        "too many open files",   "access denied",
        "file is not open",      "cannot remove the current folder",
        "folder is full",        "bad seek",
        "hardware I/O error",    "file is in use",
        "file region is locked", "disk full",
        "end of file",
    };
    return CauseText(cause, kNames, std::size(kNames), "file error");
}

int CFileException::OsErrorToException(int osError) {
    switch (osError) {
        case 0:
            return none;
        case ENOENT:
            return fileNotFound;
        case ENOTDIR:
        case ENAMETOOLONG:
        case ELOOP:
        case EINVAL:
            return badPath;
        case EMFILE:
        case ENFILE:
            return tooManyOpenFiles;
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:
        case ETXTBSY:
            return accessDenied;
        case EBADF:
            return invalidFile;
        case ESPIPE:
        case EOVERFLOW:
            return badSeek;
        case EIO:
            return hardIO;
        case EWOULDBLOCK:
            return sharingViolation;
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return diskFull;
        default:
            return genericException;
    }
}

void AfxThrowMemoryException() {
    throw CMemoryException();
}

void AfxThrowInvalidArgException(std::string message) {
    throw CInvalidArgException(std::move(message));
}

void AfxThrowArchiveException(int cause, std::string message) {
    throw CArchiveException(cause, std::move(message));
}

void AfxThrowFileException(int cause, int osError, std::string fileName) {
    throw CFileException(cause, osError, std::move(fileName));
}
