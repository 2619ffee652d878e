// Files: the byte source and sink under an archive. CFile is a disk file over a
// POSIX descriptor; CMemFile keeps its bytes in memory. Read returns how much it
// got (less than asked only at the end); errors throw CFileException. Read and
// Write are virtual so that a test can put a file that trickles or fails under
// an archive.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "qvplatform/exceptions.h"

class QVP_API CFile : public CObject {
    DECLARE_DYNAMIC(CFile)
public:
    // typeText behaves as typeBinary: no line ends are translated. Every open
    // takes an advisory lock on the file (flock): shareExclusive an exclusive
    // one, the other share modes a shared one. So an exclusive open is refused
    // with sharingViolation while the file is open elsewhere through this layer,
    // and any open is refused while an exclusive one holds it; finer denials
    // (deny write only, deny read only) are not told apart. Descriptors are
    // never inherited by child programs.
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,  // with modeCreate: open an existing file as it is
        typeText = 0x4000,
        typeBinary = 0x8000,
    };
    enum SeekPosition : UINT { begin = 0, current = 1, end = 2 };

    CFile();
    // Opens at once; throws CFileException on failure.
    CFile(LPCSTR lpszFileName, UINT nOpenFlags);
    ~CFile() override;  // closes without throwing

    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // Windows-style names are accepted: `\` separates folders, and a name whose
    // exact spelling is missing matches a file that differs only in case
    // (AfxResolvePath). An open file is closed first. On failure returns FALSE
    // and, when pError is given, fills it in.
    virtual BOOL Open(LPCSTR lpszFileName, UINT nOpenFlags, CFileException* pError = nullptr);
    virtual UINT Read(void* lpBuf, UINT nCount);
    // With QVDLL_FILE_FAULT set to ENOSPC, EROFS or EACCES in the environment, every
    // write fails with that error before a byte is written: what a full disk or a read-only
    // mount does to a program, for tests that cannot make one.
    virtual void Write(const void* lpBuf, UINT nCount);
    virtual void Flush();  // to the disk (fsync); nothing for a closed file
    virtual void Close();
    virtual void Abort();  // closes, ignoring errors
    // Seeking past the end is allowed; a write there fills the gap with zeros.
    virtual ULONGLONG Seek(LONGLONG lOff, UINT nFrom);
    virtual ULONGLONG GetPosition() const;
    virtual ULONGLONG GetLength() const;
    // Cuts or extends (with zeros) the file; the position stays where it was.
    virtual void SetLength(ULONGLONG dwNewLen);
    virtual BOOL IsOpen() const { return m_fd >= 0; }

    void SeekToBegin() { Seek(0, begin); }
    ULONGLONG SeekToEnd() { return Seek(0, end); }
    // The name as the caller gave it to Open.
    const std::string& GetFilePath() const { return m_strFileName; }

protected:
    [[noreturn]] void ThrowOsError(int osError) const;
    [[noreturn]] void ThrowNotOpen() const;

    int m_fd = -1;
    std::string m_strFileName;
};

// A file held in memory: grows on writing, reads back what was written. Out of
// memory throws CMemoryException. Once closed it refuses every access, like a
// closed disk file.
class QVP_API CMemFile : public CFile {
    DECLARE_DYNAMIC(CMemFile)
public:
    CMemFile() = default;
    explicit CMemFile(std::span<const BYTE> bytes);  // a copy, positioned at its start

    // A memory file has no name to open: always FALSE (genericException).
    BOOL Open(LPCSTR lpszFileName, UINT nOpenFlags, CFileException* pError = nullptr) override;
    UINT Read(void* lpBuf, UINT nCount) override;
    void Write(const void* lpBuf, UINT nCount) override;
    void Flush() override {}
    void Close() override;  // frees the bytes
    void Abort() override { Close(); }
    ULONGLONG Seek(LONGLONG lOff, UINT nFrom) override;
    ULONGLONG GetPosition() const override;
    ULONGLONG GetLength() const override;
    void SetLength(ULONGLONG dwNewLen) override;
    BOOL IsOpen() const override { return m_bOpen; }

    const std::vector<BYTE>& Bytes() const { return m_bytes; }

private:
    std::vector<BYTE> m_bytes;
    ULONGLONG m_position = 0;
    bool m_bOpen = true;
};

// The path that `lpszFileName` names on this system: `\` turned into `/`, and,
// when no entry has that exact spelling, an existing entry that differs only in
// ASCII letter case, folder by folder ("Images\TANK.bmp" finds images/tank.bmp).
// Components that match nothing are kept as given, so a file about to be
// created lands in the matching folder under the caller's name. Where several
// entries match, the first in byte order is taken.
QVP_API std::string AfxResolvePath(LPCSTR lpszFileName);
