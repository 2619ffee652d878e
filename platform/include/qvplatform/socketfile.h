// CSocketFile: a CFile over a connected stream socket, so that a program can
// attach archives to a connection, one loading and one storing, and exchange
// records over it.
#pragma once

#include "qvplatform/file.h"

// Reading blocks until the peer sends something and returns what one receive
// gives, at least one byte, or 0 once the peer has shut its side down; the
// archive asks again until it has what it needs. Writing sends everything or
// throws CFileException (a peer that has gone away is an error, not a signal
// that stops the program). A connection has no position or length: seeking,
// asking either, or setting the length throws CFileException(badSeek). So a
// loading archive over a socket cannot give back bytes it has read ahead:
// flushing or closing it then throws, and its destructor drops them. With a
// receive or send timeout on the socket (SO_RCVTIMEO, SO_SNDTIMEO), a read or
// write that runs out of time throws CFileException with errno ETIMEDOUT.
class QVP_API CSocketFile : public CFile {
    DECLARE_DYNAMIC(CSocketFile)
public:
    // `hSocket` is a connected stream socket. With bCloseOnDelete the file
    // closes it when closed or destroyed; otherwise it stays the caller's.
    explicit CSocketFile(int hSocket, BOOL bCloseOnDelete = TRUE);
    ~CSocketFile() override;

    // A socket file has no name to open: always FALSE (genericException).
    BOOL Open(LPCSTR lpszFileName, UINT nOpenFlags, CFileException* pError = nullptr) override;
    UINT Read(void* lpBuf, UINT nCount) override;
    void Write(const void* lpBuf, UINT nCount) override;
    void Flush() override {}  // sent bytes are with the system already
    void Close() override;
    void Abort() override;
    ULONGLONG Seek(LONGLONG lOff, UINT nFrom) override;
    ULONGLONG GetPosition() const override;
    ULONGLONG GetLength() const override;
    void SetLength(ULONGLONG dwNewLen) override;

    int GetSocket() const { return m_fd; }

private:
    [[noreturn]] void ThrowNoPosition() const;

    BOOL m_bCloseOnDelete;
};
