// Files: the byte source and sink under an archive. CFile is a disk file;
// CMemFile keeps its bytes in memory. Read returns how much it got; errors
// throw CFileException.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "qvplatform/exceptions.h"

class QVP_API CFile : public CObject {
    DECLARE_DYNAMIC(CFile)
public:
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
        modeNoTruncate = 0x2000,
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
    // exact spelling is missing matches a file that differs only in case.
    virtual BOOL Open(LPCSTR lpszFileName, UINT nOpenFlags, CFileException* pError = nullptr);
    virtual UINT Read(void* lpBuf, UINT nCount);
    virtual void Write(const void* lpBuf, UINT nCount);
    virtual void Flush();
    virtual void Close();
    virtual void Abort();  // closes, ignoring errors
    virtual ULONGLONG Seek(LONGLONG lOff, UINT nFrom);
    virtual ULONGLONG GetPosition() const;
    virtual ULONGLONG GetLength() const;
    virtual void SetLength(ULONGLONG dwNewLen);

    void SeekToBegin() { Seek(0, begin); }
    ULONGLONG SeekToEnd() { return Seek(0, end); }
    BOOL IsOpen() const { return m_fd >= 0; }
    const std::string& GetFilePath() const { return m_strFileName; }

protected:
    int m_fd = -1;
    std::string m_strFileName;
};

// A file held in memory: grows on writing, reads back what was written.
class QVP_API CMemFile : public CFile {
    DECLARE_DYNAMIC(CMemFile)
public:
    CMemFile() = default;
    explicit CMemFile(std::span<const BYTE> bytes);  // a copy, positioned at its start

    UINT Read(void* lpBuf, UINT nCount) override;
    void Write(const void* lpBuf, UINT nCount) override;
    void Flush() override {}
    void Close() override;
    void Abort() override { Close(); }
    ULONGLONG Seek(LONGLONG lOff, UINT nFrom) override;
    ULONGLONG GetPosition() const override { return m_position; }
    ULONGLONG GetLength() const override { return m_bytes.size(); }
    void SetLength(ULONGLONG dwNewLen) override;

    const std::vector<BYTE>& Bytes() const { return m_bytes; }

private:
    std::vector<BYTE> m_bytes;
    std::size_t m_position = 0;
};

// The path that `lpszFileName` names on this system: `\` turned into `/`, and,
// when no file has that exact spelling, an existing entry that differs only in
// letter case, folder by folder. Returns the converted name when nothing matches.
QVP_API std::string AfxResolvePath(LPCSTR lpszFileName);
