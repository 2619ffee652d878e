// CArchive: a buffered, little-endian, unaligned stream of values over a CFile,
// either storing or loading, and the framework's object serialization on it.
// Value extractors throw CArchiveException(endOfFile) when the data runs out;
// block Read returns how much it got.
#pragma once

#include <memory>
#include <vector>

#include "qvplatform/file.h"

class QVP_API CArchive {
public:
    enum Mode : UINT { store = 0, load = 1, bNoFlushOnDelete = 2 };

    CArchive(CFile* pFile, UINT nMode, int nBufSize = 4096, void* lpBuf = nullptr);
    ~CArchive();  // a storing archive still open flushes, never throwing

    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    BOOL IsLoading() const { return (m_nMode & load) != 0; }
    BOOL IsStoring() const { return (m_nMode & load) == 0; }
    CFile* GetFile() const { return m_pFile; }

    UINT Read(void* lpBuf, UINT nMax);
    void Write(const void* lpBuf, UINT nMax);
    void Flush();
    void Close();  // flushes when storing, then detaches from the file
    void Abort();  // detaches without flushing

    CArchive& operator<<(BYTE by);
    CArchive& operator<<(WORD w);
    CArchive& operator<<(LONG l);
    CArchive& operator<<(DWORD dw);
    CArchive& operator<<(LONGLONG ll);
    CArchive& operator<<(ULONGLONG ull);
    CArchive& operator<<(float f);
    CArchive& operator<<(double d);
    CArchive& operator<<(short s) { return *this << static_cast<WORD>(s); }
    CArchive& operator<<(char ch) { return *this << static_cast<BYTE>(ch); }
    CArchive& operator<<(signed char ch) { return *this << static_cast<BYTE>(ch); }
    CArchive& operator<<(bool b) { return *this << static_cast<BYTE>(b ? 1 : 0); }

    CArchive& operator>>(BYTE& by);
    CArchive& operator>>(WORD& w);
    CArchive& operator>>(LONG& l);
    CArchive& operator>>(DWORD& dw);
    CArchive& operator>>(LONGLONG& ll);
    CArchive& operator>>(ULONGLONG& ull);
    CArchive& operator>>(float& f);
    CArchive& operator>>(double& d);
    CArchive& operator>>(short& s);
    CArchive& operator>>(char& ch);
    CArchive& operator>>(signed char& ch);
    CArchive& operator>>(bool& b);

    // `long` is 64 bits here and never travels: use LONG or LONGLONG.
    CArchive& operator<<(long) = delete;
    CArchive& operator<<(unsigned long) = delete;
    CArchive& operator>>(long&) = delete;
    CArchive& operator>>(unsigned long&) = delete;

    // Object serialization: a class tag, schema and class name ahead of the first
    // object of a class, a short class reference ahead of later ones, and a
    // back-reference by index for an object already written.
    void WriteObject(const CObject* pObject);
    CObject* ReadObject(const CRuntimeClass* pClassRefRequested);
    void WriteClass(const CRuntimeClass* pClassRef);
    const CRuntimeClass* ReadClass(const CRuntimeClass* pClassRefRequested = nullptr,
                                   UINT* pSchema = nullptr, DWORD* pObTag = nullptr);

    // The schema of the object being loaded, for a versionable class's Serialize;
    // (UINT)-1 once read.
    UINT GetObjectSchema();
    void SetObjectSchema(UINT nSchema) { m_nObjectSchema = nSchema; }

    // Counts of collections (framework count encoding).
    void WriteCount(DWORD dwCount);
    DWORD ReadCount();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
    CFile* m_pFile;
    UINT m_nMode;
    UINT m_nObjectSchema = static_cast<UINT>(-1);
};

QVP_API CArchive& operator<<(CArchive& ar, const CObject* pObject);
QVP_API CArchive& operator>>(CArchive& ar, CObject*& pObject);
QVP_API CArchive& operator>>(CArchive& ar, const CObject*& pObject);

// Typed extraction for a class declared with DECLARE_SERIAL: the object read
// must be of class T or derived from it, else badClass is thrown.
template <class T>
CArchive& ReadTypedObject(CArchive& ar, T*& pObject) {
    pObject = static_cast<T*>(ar.ReadObject(RUNTIME_CLASS(T)));
    return ar;
}
