#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <stdexcept>

#include "qvplatform/file.h"

IMPLEMENT_DYNAMIC(CMemFile, CFile)

CMemFile::CMemFile(std::span<const BYTE> bytes) : m_bytes(bytes.begin(), bytes.end()) {}

BOOL CMemFile::Open(LPCSTR lpszFileName, UINT, CFileException* pError) {
    if (pError)
        *pError = CFileException(CFileException::genericException, EINVAL,
                                 lpszFileName ? lpszFileName : "");
    return FALSE;
}

UINT CMemFile::Read(void* lpBuf, UINT nCount) {
    if (!m_bOpen) ThrowNotOpen();
    if (m_position >= m_bytes.size()) return 0;
    auto n = static_cast<UINT>(std::min<ULONGLONG>(nCount, m_bytes.size() - m_position));
    if (n) std::memcpy(lpBuf, m_bytes.data() + m_position, n);
    m_position += n;
    return n;
}

void CMemFile::Write(const void* lpBuf, UINT nCount) {
    if (!m_bOpen) ThrowNotOpen();
    if (nCount == 0) return;
    ULONGLONG newEnd = m_position + nCount;
    if (newEnd > m_bytes.size()) {
        try {
            // Geometric growth keeps a run of small writes linear overall.
            if (newEnd > m_bytes.capacity())
                m_bytes.reserve(std::max<ULONGLONG>(newEnd, 2 * m_bytes.capacity()));
            m_bytes.resize(newEnd);  // a gap left by a seek past the end reads as zeros
        } catch (const std::bad_alloc&) {
            AfxThrowMemoryException();
        } catch (const std::length_error&) {
            AfxThrowMemoryException();
        }
    }
    std::memcpy(m_bytes.data() + m_position, lpBuf, nCount);
    m_position = newEnd;
}

void CMemFile::Close() {
    std::vector<BYTE>().swap(m_bytes);
    m_position = 0;
    m_bOpen = false;
}

ULONGLONG CMemFile::Seek(LONGLONG lOff, UINT nFrom) {
    if (!m_bOpen) ThrowNotOpen();
    LONGLONG base = nFrom == begin     ? 0
                    : nFrom == current ? static_cast<LONGLONG>(m_position)
                    : nFrom == end     ? static_cast<LONGLONG>(m_bytes.size())
                                       : -1;
    LONGLONG pos;
    if (base < 0 || __builtin_add_overflow(base, lOff, &pos) || pos < 0)
        AfxThrowFileException(CFileException::badSeek, EINVAL, m_strFileName);
    m_position = static_cast<ULONGLONG>(pos);
    return m_position;
}

ULONGLONG CMemFile::GetPosition() const {
    if (!m_bOpen) ThrowNotOpen();
    return m_position;
}

ULONGLONG CMemFile::GetLength() const {
    if (!m_bOpen) ThrowNotOpen();
    return m_bytes.size();
}

void CMemFile::SetLength(ULONGLONG dwNewLen) {
    if (!m_bOpen) ThrowNotOpen();
    try {
        m_bytes.resize(dwNewLen);
    } catch (const std::bad_alloc&) {
        AfxThrowMemoryException();
    } catch (const std::length_error&) {
        AfxThrowMemoryException();
    }
}
