// Helpers shared by the platform tests: byte vectors, archives over memory and a check of an
// exception's kind and cause (temporary folders come from the common helpers).
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>

#include <qvplatform/archive.h>

#include "../test_support.h"

namespace qvtest {

inline Bytes MakeBytes(std::initializer_list<int> values) {
    Bytes bytes;
    for (int v : values) bytes.push_back(static_cast<BYTE>(v));
    return bytes;
}

// A whole file as text, and a file made of `text`.
inline std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// What `body` writes through a storing archive, as bytes.
inline Bytes Stored(const std::function<void(CArchive&)>& body) {
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        body(ar);
        ar.Close();
    }
    return file.Bytes();
}

// Runs `body` on a loading archive over `bytes`.
inline void Loaded(const Bytes& bytes, const std::function<void(CArchive&)>& body) {
    CMemFile file(bytes);
    CArchive ar(&file, CArchive::load);
    body(ar);
}

// The two files an archive runs over in the round-trip tests: each is open for
// reading and writing, and Rewind goes back to its start.
struct MemBacking {
    CMemFile file;
    void Rewind() { file.SeekToBegin(); }
};

struct DiskBacking {
    TempDir dir;
    CFile file{(dir / "archive.bin").c_str(),
               CFile::modeCreate | CFile::modeReadWrite | CFile::typeBinary};
    void Rewind() { file.SeekToBegin(); }
};

// Stores with `store` into the backing, rewinds, then loads with `load`.
template <class Backing>
void RoundTrip(Backing& backing, const std::function<void(CArchive&)>& store,
               const std::function<void(CArchive&)>& load) {
    {
        CArchive ar(&backing.file, CArchive::store);
        store(ar);
        ar.Close();
    }
    backing.Rewind();
    CArchive ar(&backing.file, CArchive::load);
    load(ar);
}

}  // namespace qvtest

// Expects `statement` to throw `ExceptionType` with the given cause and a message containing
// `text`; reports the message of whatever else it threw.
#define EXPECT_THROW_CAUSE_MESSAGE(statement, ExceptionType, expectedCause, text) \
    do {                                                                          \
        try {                                                                     \
            statement;                                                            \
            ADD_FAILURE() << "expected " #ExceptionType " from: " #statement;     \
        } catch (const ExceptionType& e_) {                                       \
            EXPECT_EQ(e_.m_cause, (expectedCause)) << "message: " << e_.what();   \
            EXPECT_NE(std::string(e_.what()).find(text), std::string::npos)       \
                << "message: " << e_.what();                                      \
        } catch (const std::exception& e_) {                                      \
            ADD_FAILURE() << "expected " #ExceptionType ", got: " << e_.what();   \
        }                                                                         \
    } while (0)

#define EXPECT_THROW_CAUSE(statement, ExceptionType, expectedCause) \
    EXPECT_THROW_CAUSE_MESSAGE(statement, ExceptionType, expectedCause, "")

namespace qvtest {

inline Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

// What `object.Serialize` stores.
template <class T>
Bytes StoreObject(T& object) {
    return Stored([&](CArchive& ar) { object.Serialize(ar); });
}

// Loads `bytes` into `object`; returns the archive exception's cause, or -1 when none.
// `pConsumed`, when given, gets how many bytes the load took.
template <class T>
int LoadObject(T& object, const Bytes& bytes, ULONGLONG* pConsumed = nullptr) {
    CMemFile file(bytes);
    CArchive ar(&file, CArchive::load);
    try {
        object.Serialize(ar);
    } catch (const CArchiveException& e) {
        return e.m_cause;
    }
    ar.Flush();
    if (pConsumed) *pConsumed = file.GetPosition();
    return -1;
}

}  // namespace qvtest
