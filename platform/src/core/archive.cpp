// The archive's buffer: filling it, flushing it, block transfers and the slow
// paths of the inline value operators.
#include <algorithm>
#include <cstring>
#include <string>

#include "archive_impl.h"
#include "qvplatform/cstring.h"

namespace {

constexpr UINT kMinBufSize = 64;
constexpr WORD kCountEscape = 0xFFFF;

}  // namespace

CArchive::CArchive(CFile* pFile, UINT nMode, int nBufSize, void* lpBuf)
    : m_pFile(pFile),
      m_nMode(nMode),
      m_nBufSize(std::max<UINT>(nBufSize > 0 ? static_cast<UINT>(nBufSize) : 0, kMinBufSize)) {
    if (lpBuf && nBufSize >= static_cast<int>(kMinBufSize)) {
        m_lpBufStart = static_cast<BYTE*>(lpBuf);
    } else {
        m_ownBuffer = std::make_unique<BYTE[]>(m_nBufSize);
        m_lpBufStart = m_ownBuffer.get();
    }
    m_lpBufCur = m_lpBufMax = m_lpBufStart;
    m_lpBufLimit = IsStoring() ? m_lpBufStart + m_nBufSize : m_lpBufStart;
}

CArchive::~CArchive() {
    if (m_pFile && !(m_nMode & bNoFlushOnDelete)) {
        try {
            Close();
        } catch (...) {
            // The caller who wanted to hear about a failed flush called Close.
        }
    }
}

void CArchive::CheckLoading() const {
    if (!m_pFile)
        AfxThrowArchiveException(CArchiveException::genericException, "archive is closed");
    if (!IsLoading()) AfxThrowArchiveException(CArchiveException::writeOnly);
}

void CArchive::CheckStoring() const {
    if (!m_pFile)
        AfxThrowArchiveException(CArchiveException::genericException, "archive is closed");
    if (!IsStoring()) AfxThrowArchiveException(CArchiveException::readOnly);
}

void CArchive::ThrowEndOfFile(UINT nNeeded, UINT nLeft) const {
    std::string message = "archive ended: needed " + std::to_string(nNeeded) + " bytes, " +
                          std::to_string(nLeft) + " left";
    if (m_pFile && !m_pFile->GetFilePath().empty()) message += " (" + m_pFile->GetFilePath() + ")";
    AfxThrowArchiveException(CArchiveException::endOfFile, std::move(message));
}

// Moves what is left to the front of the buffer and reads until at least
// `nWanted` bytes wait there or the file has no more. The file may deliver any
// amount per call. Returns the bytes waiting.
UINT CArchive::FillBuffer(UINT nWanted) {
    auto left = static_cast<UINT>(m_lpBufMax - m_lpBufCur);
    if (left && m_lpBufCur != m_lpBufStart) std::memmove(m_lpBufStart, m_lpBufCur, left);
    m_lpBufCur = m_lpBufStart;
    m_lpBufMax = m_lpBufStart + left;
    nWanted = std::min(nWanted, m_nBufSize);
    while (left < nWanted) {
        UINT got = m_pFile->Read(m_lpBufMax, m_nBufSize - left);
        if (got == 0) break;
        left += got;
        m_lpBufMax += got;
    }
    return left;
}

// The slow paths of the value operators, taken when the buffer cannot give or
// take the whole value. A value that the data cannot complete consumes what is
// left, so the archive is at its end afterwards.
void CArchive::LoadForValue(UINT nSize) {
    CheckLoading();
    UINT left = FillBuffer(nSize);
    if (left < nSize) {
        m_lpBufCur = m_lpBufMax;
        ThrowEndOfFile(nSize, left);
    }
}

void CArchive::RoomForValue() {
    CheckStoring();
    Flush();
}

// The slow path of Read: the buffer holds less than asked for.
UINT CArchive::ReadMore(void* lpBuf, UINT nMax) {
    CheckLoading();
    auto* dst = static_cast<BYTE*>(lpBuf);
    UINT done = 0;
    while (done < nMax) {
        auto waiting = static_cast<UINT>(m_lpBufMax - m_lpBufCur);
        if (waiting == 0) {
            // Big remainders go straight to the caller's memory.
            if (nMax - done >= m_nBufSize) {
                UINT got = m_pFile->Read(dst + done, nMax - done);
                if (got == 0) break;
                done += got;
                continue;
            }
            waiting = FillBuffer(nMax - done);
            if (waiting == 0) break;
        }
        UINT n = std::min(waiting, nMax - done);
        std::memcpy(dst + done, m_lpBufCur, n);
        m_lpBufCur += n;
        done += n;
    }
    return done;
}

void CArchive::Write(const void* lpBuf, UINT nMax) {
    CheckStoring();
    const auto* src = static_cast<const BYTE*>(lpBuf);
    while (nMax > 0) {
        auto room = static_cast<UINT>(m_lpBufLimit - m_lpBufCur);
        if (room == 0) {
            Flush();
            if (nMax >= m_nBufSize) {
                m_pFile->Write(src, nMax);
                return;
            }
            continue;
        }
        UINT n = std::min(room, nMax);
        std::memcpy(m_lpBufCur, src, n);
        m_lpBufCur += n;
        src += n;
        nMax -= n;
    }
}

void CArchive::Flush() {
    if (!m_pFile)
        AfxThrowArchiveException(CArchiveException::genericException, "archive is closed");
    if (IsLoading()) {
        auto unread = static_cast<LONGLONG>(m_lpBufMax - m_lpBufCur);
        m_lpBufCur = m_lpBufMax = m_lpBufStart;
        if (unread) m_pFile->Seek(-unread, CFile::current);
        return;
    }
    // The buffer counts as written even when the write fails, so that a second
    // flush (the destructor's) cannot put the same bytes out twice.
    auto size = static_cast<UINT>(m_lpBufCur - m_lpBufStart);
    m_lpBufCur = m_lpBufStart;
    if (size) m_pFile->Write(m_lpBufStart, size);
}

void CArchive::Close() {
    if (!m_pFile) return;
    try {
        Flush();
    } catch (...) {
        Abort();
        throw;
    }
    Abort();
}

void CArchive::Abort() {
    m_pFile = nullptr;
    m_lpBufCur = m_lpBufMax = m_lpBufLimit = m_lpBufStart;
}

CArchive& CArchive::operator<<(LPCSTR psz) {
    return *this << CString(psz);
}

void CArchive::WriteCount(DWORD dwCount) {
    if (dwCount < kCountEscape) {
        *this << static_cast<WORD>(dwCount);
    } else {
        *this << kCountEscape << dwCount;
    }
}

DWORD CArchive::ReadCount() {
    WORD wCount;
    *this >> wCount;
    if (wCount != kCountEscape) return wCount;
    DWORD dwCount;
    *this >> dwCount;
    return dwCount;
}

UINT CArchive::GetObjectSchema() {
    UINT nSchema = m_nObjectSchema;
    m_nObjectSchema = static_cast<UINT>(-1);
    return nSchema;
}

void CArchive::SetRecordBudget(ULONGLONG nBytes) {
    Maps().nRecordBudget = nBytes;
}

ULONGLONG CArchive::GetRecordBudget() const {
    return m_impl ? m_impl->nRecordBudget : kDefaultRecordBudget;
}

void CArchive::BeginRecord() {
    if (!IsLoading()) return;
    Impl& impl = Maps();
    if (impl.nRecordDepth++ == 0) impl.nRecordCharged = 0;
}

void CArchive::EndRecord() noexcept {
    if (m_impl && m_impl->nRecordDepth > 0) --m_impl->nRecordDepth;
}

void CArchive::ChargeRecord(ULONGLONG nBytes) {
    if (!IsLoading()) return;
    Impl& impl = Maps();
    if (impl.nRecordCharged > impl.nRecordBudget ||
        nBytes > impl.nRecordBudget - impl.nRecordCharged)
        AfxThrowArchiveException(CArchiveException::overBudget,
                                 "record exceeds its memory budget of " +
                                     std::to_string(impl.nRecordBudget) +
                                     " bytes: " + std::to_string(impl.nRecordCharged) + " taken, " +
                                     std::to_string(nBytes) + " more wanted");
    impl.nRecordCharged += nBytes;
}
