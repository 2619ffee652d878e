#include "qvplatform/socketfile.h"

#include <sys/socket.h>

#include <cerrno>
#include <string>

IMPLEMENT_DYNAMIC(CSocketFile, CFile)

namespace {

// A blocking socket says "try again" when its receive or send timeout ran out.
int TimedOutAsSuch(int error) {
    return error == EAGAIN || error == EWOULDBLOCK ? ETIMEDOUT : error;
}

}  // namespace

CSocketFile::CSocketFile(int hSocket, BOOL bCloseOnDelete) : m_bCloseOnDelete(bCloseOnDelete) {
    m_fd = hSocket;
    m_strFileName = "socket " + std::to_string(hSocket);
}

CSocketFile::~CSocketFile() {
    // The base destructor closes whatever descriptor is left.
    if (!m_bCloseOnDelete) m_fd = -1;
}

BOOL CSocketFile::Open(LPCSTR, UINT, CFileException* pError) {
    if (pError) *pError = CFileException(CFileException::genericException, 0, m_strFileName);
    return FALSE;
}

UINT CSocketFile::Read(void* lpBuf, UINT nCount) {
    if (!IsOpen()) ThrowNotOpen();
    if (nCount == 0) return 0;
    for (;;) {
        const ssize_t got = ::recv(m_fd, lpBuf, nCount, 0);
        if (got >= 0) return static_cast<UINT>(got);
        if (errno != EINTR) ThrowOsError(TimedOutAsSuch(errno));
    }
}

void CSocketFile::Write(const void* lpBuf, UINT nCount) {
    if (!IsOpen()) ThrowNotOpen();
    const auto* src = static_cast<const BYTE*>(lpBuf);
    for (UINT sent = 0; sent < nCount;) {
        const ssize_t put = ::send(m_fd, src + sent, nCount - sent, MSG_NOSIGNAL);
        if (put < 0) {
            if (errno == EINTR) continue;
            ThrowOsError(TimedOutAsSuch(errno));
        }
        sent += static_cast<UINT>(put);
    }
}

void CSocketFile::Close() {
    if (m_bCloseOnDelete)
        CFile::Close();
    else
        m_fd = -1;
}

void CSocketFile::Abort() {
    if (m_bCloseOnDelete)
        CFile::Abort();
    else
        m_fd = -1;
}

void CSocketFile::ThrowNoPosition() const {
    AfxThrowFileException(CFileException::badSeek, ESPIPE, m_strFileName);
}

ULONGLONG CSocketFile::Seek(LONGLONG, UINT) {
    ThrowNoPosition();
}
ULONGLONG CSocketFile::GetPosition() const {
    ThrowNoPosition();
}
ULONGLONG CSocketFile::GetLength() const {
    ThrowNoPosition();
}
void CSocketFile::SetLength(ULONGLONG) {
    ThrowNoPosition();
}
