// CArchive: a buffered, little-endian, unaligned stream of values over a CFile,
// either storing or loading, and the framework's object serialization on it.
//
// Loading treats the bytes as untrusted. Value extractors throw
// CArchiveException(endOfFile) when the data runs out inside a value; the bytes
// of that partial value are consumed and gone, so the archive is then at its
// end. Block Read returns how much it got (0 at the end) and never throws for
// lack of data. Lengths and indices read from an archive never size an
// allocation beyond the bytes actually delivered, and a record may make its
// readers allocate no more than the archive's record budget.
#pragma once

#include <bit>
#include <cstddef>
#include <cstring>
#include <memory>
#include <type_traits>

#include "qvplatform/file.h"

class QVP_API CArchive {
public:
    enum Mode : UINT { store = 0, load = 1, bNoFlushOnDelete = 2 };

    // Buffers below 64 bytes are raised to 64. `lpBuf`, when given and at least
    // that large, is used as the buffer and must outlive the archive.
    CArchive(CFile* pFile, UINT nMode, int nBufSize = 4096, void* lpBuf = nullptr);
    // An archive still attached is closed (a storing one flushed) unless it was
    // made with bNoFlushOnDelete; errors are swallowed: a destructor never throws.
    ~CArchive();

    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    BOOL IsLoading() const { return (m_nMode & load) != 0; }
    BOOL IsStoring() const { return (m_nMode & load) == 0; }
    CFile* GetFile() const { return m_pFile; }

    // Loading only (writeOnly otherwise).
    UINT Read(void* lpBuf, UINT nMax) {
        if (nMax == 0 || m_lpBufMax - m_lpBufCur < static_cast<std::ptrdiff_t>(nMax))
            return ReadMore(lpBuf, nMax);
        std::memcpy(lpBuf, m_lpBufCur, nMax);
        m_lpBufCur += nMax;
        return nMax;
    }
    // Storing only (readOnly otherwise).
    void Write(const void* lpBuf, UINT nMax);
    // Storing: writes the buffered bytes to the file. Loading: moves the file
    // back over the bytes buffered but not yet read, so that the file position
    // is just past what the archive has handed out.
    void Flush();
    // Flushes, then detaches from the file (which stays open). A detached
    // archive refuses every transfer (genericException).
    void Close();
    void Abort();  // detaches without flushing: buffered bytes are dropped

    // The value operators are inline: a value that fits the buffer is a bounds
    // check and its bytes; only refilling or flushing leaves the header.
    CArchive& operator<<(BYTE by) { return Insert(by); }
    CArchive& operator<<(WORD w) { return Insert(w); }
    CArchive& operator<<(LONG l) { return Insert(static_cast<DWORD>(l)); }
    CArchive& operator<<(DWORD dw) { return Insert(dw); }
    // LONGLONG is `long` on this platform (64 bits): a `long` travels as 8
    // bytes, never as the 4 it had where the library came from.
    CArchive& operator<<(LONGLONG ll) { return Insert(static_cast<ULONGLONG>(ll)); }
    CArchive& operator<<(ULONGLONG ull) { return Insert(ull); }
    CArchive& operator<<(float f) { return Insert(std::bit_cast<DWORD>(f)); }
    CArchive& operator<<(double d) { return Insert(std::bit_cast<ULONGLONG>(d)); }
    CArchive& operator<<(short s) { return Insert(static_cast<WORD>(s)); }
    CArchive& operator<<(char ch) { return Insert(static_cast<BYTE>(ch)); }
    CArchive& operator<<(signed char ch) { return Insert(static_cast<BYTE>(ch)); }
    CArchive& operator<<(bool b) { return Insert(static_cast<BYTE>(b ? 1 : 0)); }
    // A C string goes out in the framework string encoding, as a CString would
    // (a null pointer as the empty string).
    CArchive& operator<<(LPCSTR psz);

    CArchive& operator>>(BYTE& by) { return Extract(by); }
    CArchive& operator>>(WORD& w) { return Extract(w); }
    CArchive& operator>>(LONG& l) { return ExtractAs<DWORD>(l); }
    CArchive& operator>>(DWORD& dw) { return Extract(dw); }
    CArchive& operator>>(LONGLONG& ll) { return ExtractAs<ULONGLONG>(ll); }
    CArchive& operator>>(ULONGLONG& ull) { return Extract(ull); }
    CArchive& operator>>(float& f) { return ExtractAs<DWORD>(f); }
    CArchive& operator>>(double& d) { return ExtractAs<ULONGLONG>(d); }
    CArchive& operator>>(short& s) { return ExtractAs<WORD>(s); }
    CArchive& operator>>(char& ch) { return ExtractAs<BYTE>(ch); }
    CArchive& operator>>(signed char& ch) { return ExtractAs<BYTE>(ch); }
    CArchive& operator>>(bool& b) {  // any nonzero byte is true
        BYTE by;
        Extract(by);
        b = by != 0;
        return *this;
    }

    // Any other pointer would quietly become the bool above.
    template <class T>
    requires(!std::is_base_of_v<CObject, T>) CArchive& operator<<(const T*) = delete;

    // Object serialization in the framework's format. Ahead of an object:
    //   0x0000                       a null object;
    //   0xFFFF, schema (16 bits, the versionable flag off), name length (16
    //          bits), name bytes         the first object of a class;
    //   0x8000 | class index         a later object of a class already written;
    //   object index                 an object already written (a back-reference).
    // An index of 0x7FFF or more is written as 0x7FFF and a 32-bit tag (the
    // class form with bit 31 set). Classes and objects share one index counter
    // starting at 1, in the order they are written. Classes are found by name
    // through CRuntimeClass::FromName; only serialisable ones (schema not
    // 0xFFFF) are written or read.
    void WriteObject(const CObject* pObject);
    // Errors: an unknown or unserialisable class, or one not derived from
    // `pClassRefRequested`, is badClass; a schema that differs from the class's
    // is badSchema unless the class is versionable; an index that names no
    // earlier entry of the right kind is badIndex. An object whose Serialize
    // throws is deleted before the exception leaves.
    CObject* ReadObject(const CRuntimeClass* pClassRefRequested);
    void WriteClass(const CRuntimeClass* pClassRef);
    // Reads a class tag. When it is an object tag instead, returns null and puts
    // the tag into *pObTag (badIndex when pObTag is null).
    const CRuntimeClass* ReadClass(const CRuntimeClass* pClassRefRequested = nullptr,
                                   UINT* pSchema = nullptr, DWORD* pObTag = nullptr);

    // The schema in the archive of the object being loaded, for a versionable
    // class's Serialize; (UINT)-1 once read.
    UINT GetObjectSchema();
    void SetObjectSchema(UINT nSchema) { m_nObjectSchema = nSchema; }

    // Loading: the memory one record may make its readers allocate, in bytes.
    // The readers of strings, string lists, unit lists, message blocks and
    // objects count what they allocate (list nodes with their share of a
    // block, and the allocator's own overhead, included) before they allocate
    // it; a record that would pass the budget throws
    // CArchiveException(overBudget) instead. The count starts from zero with
    // each record, that is each outermost read: a message, an object, a list
    // or a string read on its own.
    static constexpr ULONGLONG kDefaultRecordBudget = ULONGLONG{64} << 20;
    void SetRecordBudget(ULONGLONG nBytes);
    ULONGLONG GetRecordBudget() const;
    // For readers: counts `nBytes` that the record being read is about to
    // allocate. Nothing is counted on a storing archive.
    void ChargeRecord(ULONGLONG nBytes);
    // What the allocator adds to each allocation, about (its header and
    // rounding): a reader counts it with each allocation.
    static constexpr std::size_t kAllocationOverhead = 16;

    // For readers: marks a record being read, for as long as it lives. The
    // outermost one on an archive starts the count from zero; nested ones
    // (a string inside a unit inside a list) count into it.
    class CRecordScope {
    public:
        explicit CRecordScope(CArchive& ar) : m_ar(ar) { ar.BeginRecord(); }
        ~CRecordScope() { m_ar.EndRecord(); }
        CRecordScope(const CRecordScope&) = delete;
        CRecordScope& operator=(const CRecordScope&) = delete;

    private:
        CArchive& m_ar;
    };

    // Counts of collections (framework count encoding): a 16-bit count below
    // 0xFFFF, else 0xFFFF and a 32-bit count. A count read is untrusted: never
    // reserve memory for it.
    void WriteCount(DWORD dwCount);
    DWORD ReadCount();

private:
    struct Impl;  // the object maps, made on first use

    // Unsigned integers are the values that travel, little-endian whatever the
    // host's byte order; everything else travels as one of them. Unrolled, the
    // byte loops become a single load or store on a little-endian host.
    template <class T>
    CArchive& Insert(T value) {
        if (m_lpBufLimit - m_lpBufCur < static_cast<std::ptrdiff_t>(sizeof(T))) RoomForValue();
#pragma GCC unroll 8
        for (std::size_t i = 0; i < sizeof(T); ++i)
            m_lpBufCur[i] = static_cast<BYTE>(value >> (8 * i));
        m_lpBufCur += sizeof(T);
        return *this;
    }
    template <class T>
    CArchive& Extract(T& value) {
        if (m_lpBufMax - m_lpBufCur < static_cast<std::ptrdiff_t>(sizeof(T)))
            LoadForValue(sizeof(T));
        T read = 0;
#pragma GCC unroll 8
        for (std::size_t i = 0; i < sizeof(T); ++i)
            read |= static_cast<T>(m_lpBufCur[i]) << (8 * i);
        m_lpBufCur += sizeof(T);
        value = read;
        return *this;
    }
    template <class Wire, class T>
    CArchive& ExtractAs(T& value) {
        Wire wire;
        Extract(wire);
        value = std::bit_cast<T>(wire);
        return *this;
    }

    void BeginRecord();
    void EndRecord() noexcept;
    UINT ReadMore(void* lpBuf, UINT nMax);
    void CheckLoading() const;
    void CheckStoring() const;
    void LoadForValue(UINT nSize);
    void RoomForValue();
    UINT FillBuffer(UINT nWanted);
    void ThrowEndOfFile(UINT nNeeded, UINT nLeft) const;
    Impl& Maps();

    CFile* m_pFile;
    UINT m_nMode;
    UINT m_nObjectSchema = static_cast<UINT>(-1);
    UINT m_nBufSize;
    std::unique_ptr<BYTE[]> m_ownBuffer;
    BYTE* m_lpBufStart;
    BYTE* m_lpBufCur;
    // Loading reads up to m_lpBufMax (the end of the bytes read in), storing
    // writes up to m_lpBufLimit (the end of the buffer); the other one equals
    // m_lpBufStart, so a transfer in the wrong direction, or on a closed
    // archive, always takes the slow path that checks and throws.
    BYTE* m_lpBufMax;
    BYTE* m_lpBufLimit;
    std::unique_ptr<Impl> m_impl;
};

QVP_API CArchive& operator<<(CArchive& ar, const CObject* pObject);
QVP_API CArchive& operator>>(CArchive& ar, CObject*& pObject);
QVP_API CArchive& operator>>(CArchive& ar, const CObject*& pObject);

// Typed extraction: the object read must be of class T or derived from it, else
// badClass is thrown before anything is created. T names its class record
// through a static GetThisClass().
template <class T>
CArchive& ReadTypedObject(CArchive& ar, T*& pObject) {
    pObject = static_cast<T*>(ar.ReadObject(T::GetThisClass()));
    return ar;
}
