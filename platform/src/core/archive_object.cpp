// The framework's object serialization: a tag ahead of every object says
// whether it is null, the first of its class (with the class's schema and name),
// a later one of a known class, or a reference to an object already carried.
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "archive_impl.h"

namespace {

constexpr WORD kNullTag = 0x0000;
constexpr WORD kNewClassTag = 0xFFFF;
constexpr WORD kClassTag = 0x8000;
constexpr WORD kBigObjectTag = 0x7FFF;  // a 32-bit tag follows
constexpr DWORD kBigClassTag = 0x80000000;
constexpr DWORD kMaxMapCount = 0x3FFFFFFE;
constexpr UINT kNoSchema = 0xFFFF;  // creatable but not serialisable
constexpr std::size_t kMaxClassName = 255;

UINT ClassSchema(const CRuntimeClass* pClass) {
    return pClass->m_wSchema & ~VERSIONABLE_SCHEMA;
}

// Class names come from the archive: show them without letting odd bytes through.
std::string Printable(std::string_view bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            out += escaped;
        }
    }
    return out;
}

[[noreturn]] void ThrowBadIndex(DWORD index, std::size_t entries, const char* expected) {
    AfxThrowArchiveException(CArchiveException::badIndex,
                             "archive refers to entry " + std::to_string(index) + " as " +
                                 expected + ", but holds " + std::to_string(entries - 1) +
                                 " entries and that is not one");
}

[[noreturn]] void ThrowTooMany() {
    AfxThrowArchiveException(
        CArchiveException::badIndex,
        "more than " + std::to_string(kMaxMapCount) + " classes and objects in one archive");
}

[[noreturn]] void ThrowNotDerived(const CRuntimeClass* pClass, const CRuntimeClass* pRequested) {
    AfxThrowArchiveException(CArchiveException::badClass,
                             std::string("archive holds a ") + pClass->m_lpszClassName +
                                 " where a " + pRequested->m_lpszClassName + " was expected");
}

// The tag for entry `index`: the short form below 0x7FFF, else the escape and
// the 32-bit form.
void WriteTag(CArchive& ar, DWORD index, bool isClass) {
    if (index < kBigObjectTag) {
        ar << static_cast<WORD>(isClass ? (kClassTag | index) : index);
    } else {
        ar << kBigObjectTag << (isClass ? (kBigClassTag | index) : index);
    }
}

}  // namespace

void CArchive::Impl::Remember(const void* p) {
    if (nStoreCount > kMaxMapCount) ThrowTooMany();
    stored.emplace(p, nStoreCount++);
}

CArchive::Impl& CArchive::Maps() {
    if (!m_impl) m_impl = std::make_unique<Impl>();
    return *m_impl;
}

void CArchive::WriteClass(const CRuntimeClass* pClassRef) {
    CheckStoring();
    if (!pClassRef) AfxThrowInvalidArgException("WriteClass needs a class");
    Impl& maps = Maps();
    if (auto it = maps.stored.find(pClassRef); it != maps.stored.end()) {
        WriteTag(*this, it->second, true);
        return;
    }
    UINT nSchema = ClassSchema(pClassRef);
    std::size_t nLen = std::strlen(pClassRef->m_lpszClassName);
    if (nSchema >= kNoSchema)
        AfxThrowArchiveException(CArchiveException::badClass,
                                 std::string("class ") + pClassRef->m_lpszClassName +
                                     " has no schema: it cannot be written to an archive");
    if (nLen == 0 || nLen > kMaxClassName)
        AfxThrowArchiveException(
            CArchiveException::badClass,
            "class name of " + std::to_string(nLen) + " bytes cannot be written to an archive");
    maps.Remember(pClassRef);
    *this << kNewClassTag << static_cast<WORD>(nSchema) << static_cast<WORD>(nLen);
    Write(pClassRef->m_lpszClassName, static_cast<UINT>(nLen));
}

void CArchive::WriteObject(const CObject* pObject) {
    CheckStoring();
    if (!pObject) {
        *this << kNullTag;
        return;
    }
    Impl& maps = Maps();
    if (auto it = maps.stored.find(pObject); it != maps.stored.end()) {
        WriteTag(*this, it->second, false);
        return;
    }
    WriteClass(pObject->GetRuntimeClass());
    // Known before its own Serialize runs, so that it may refer to itself.
    maps.Remember(pObject);
    const_cast<CObject*>(pObject)->Serialize(*this);
}

const CRuntimeClass* CArchive::ReadClass(const CRuntimeClass* pClassRefRequested, UINT* pSchema,
                                         DWORD* pObTag) {
    CheckLoading();
    Impl& maps = Maps();
    WORD wTag;
    *this >> wTag;
    DWORD obTag;
    if (wTag == kBigObjectTag)
        *this >> obTag;
    else
        obTag = (static_cast<DWORD>(wTag & kClassTag) << 16) | (wTag & ~kClassTag);

    if (!(obTag & kBigClassTag)) {
        if (!pObTag) ThrowBadIndex(obTag, maps.loaded.size(), "a class");
        *pObTag = obTag;
        return nullptr;
    }

    const CRuntimeClass* pClass;
    UINT nSchema;
    if (wTag == kNewClassTag) {
        WORD wSchema, nLen;
        *this >> wSchema >> nLen;
        if (nLen == 0 || nLen > kMaxClassName)
            AfxThrowArchiveException(CArchiveException::badClass,
                                     "class name of " + std::to_string(nLen) + " bytes in archive");
        char name[kMaxClassName + 1];
        UINT got = Read(name, nLen);
        if (got < nLen) ThrowEndOfFile(nLen, got);
        name[nLen] = '\0';
        // An embedded NUL would let "CFoo\0junk" pass for "CFoo".
        pClass = std::memchr(name, '\0', nLen) ? nullptr : CRuntimeClass::FromName(name);
        if (!pClass || ClassSchema(pClass) == kNoSchema)
            AfxThrowArchiveException(
                CArchiveException::badClass,
                "archive names class '" + Printable({name, nLen}) +
                    (pClass ? "', which cannot be loaded" : "', which is not registered"));
        nSchema = wSchema;
        if (nSchema != ClassSchema(pClass) && !(pClass->m_wSchema & VERSIONABLE_SCHEMA))
            AfxThrowArchiveException(CArchiveException::badSchema,
                                     std::string("class ") + pClass->m_lpszClassName +
                                         ": archive has schema " + std::to_string(nSchema) +
                                         ", this build reads schema " +
                                         std::to_string(ClassSchema(pClass)));
        if (maps.loaded.size() > kMaxMapCount) ThrowTooMany();
        maps.loaded.push_back({Impl::Loaded::kClass, pClass, nullptr, nSchema});
    } else {
        DWORD index = obTag & ~kBigClassTag;
        if (index >= maps.loaded.size() || maps.loaded[index].kind != Impl::Loaded::kClass)
            ThrowBadIndex(index, maps.loaded.size(), "a class");
        pClass = maps.loaded[index].pClass;
        nSchema = maps.loaded[index].nSchema;
    }

    if (pClassRefRequested && !pClass->IsDerivedFrom(pClassRefRequested))
        ThrowNotDerived(pClass, pClassRefRequested);
    if (pSchema)
        *pSchema = nSchema;
    else
        m_nObjectSchema = nSchema;
    if (pObTag) *pObTag = obTag;
    return pClass;
}

CObject* CArchive::ReadObject(const CRuntimeClass* pClassRefRequested) {
    UINT nSchema;
    DWORD obTag;
    const CRuntimeClass* pClass = ReadClass(pClassRefRequested, &nSchema, &obTag);
    Impl& maps = Maps();
    if (!pClass) {
        if (obTag == 0) return nullptr;
        if (obTag >= maps.loaded.size() || maps.loaded[obTag].kind != Impl::Loaded::kObject)
            ThrowBadIndex(obTag, maps.loaded.size(), "an object");
        CObject* pObject = maps.loaded[obTag].pObject;
        if (pClassRefRequested && !pObject->IsKindOf(pClassRefRequested))
            ThrowNotDerived(pObject->GetRuntimeClass(), pClassRefRequested);
        return pObject;
    }

    CRecordScope record(*this);
    ChargeRecord(pClass->m_nObjectSize + sizeof(Impl::Loaded));
    std::unique_ptr<CObject> pObject(pClass->CreateObject());
    if (!pObject)
        AfxThrowArchiveException(
            CArchiveException::badClass,
            std::string("class ") + pClass->m_lpszClassName + " cannot be created");
    if (maps.loaded.size() > kMaxMapCount) ThrowTooMany();
    // Known before its own Serialize runs, so that it may be referred to from
    // inside. The table may grow meanwhile: keep the index, not a reference.
    const std::size_t index = maps.loaded.size();
    maps.loaded.push_back({Impl::Loaded::kObject, nullptr, pObject.get(), 0});
    const UINT nSchemaSaved = m_nObjectSchema;
    m_nObjectSchema = nSchema;
    try {
        pObject->Serialize(*this);
    } catch (...) {
        m_nObjectSchema = nSchemaSaved;
        maps.loaded[index] = {Impl::Loaded::kFailed, nullptr, nullptr, 0};
        throw;
    }
    m_nObjectSchema = nSchemaSaved;
    return pObject.release();
}

CArchive& operator<<(CArchive& ar, const CObject* pObject) {
    ar.WriteObject(pObject);
    return ar;
}

CArchive& operator>>(CArchive& ar, CObject*& pObject) {
    pObject = ar.ReadObject(nullptr);
    return ar;
}

CArchive& operator>>(CArchive& ar, const CObject*& pObject) {
    pObject = ar.ReadObject(nullptr);
    return ar;
}
