// What a CArchive remembers of the objects it has carried (the index of every
// class and object written, and every class and object read, by index) and
// what the record being read has cost.
#pragma once

#include <unordered_map>
#include <vector>

#include "qvplatform/archive.h"

struct CArchive::Impl {
    // One entry of the loading table; index 0 stands for the null object.
    struct Loaded {
        enum Kind { kNull, kClass, kObject, kFailed } kind;
        const CRuntimeClass* pClass;  // kClass
        CObject* pObject;             // kObject
        UINT nSchema;                 // kClass: the schema the archive gave
    };

    // Gives a class or object written the next index.
    void Remember(const void* p);

    std::unordered_map<const void*, DWORD> stored;  // class or object -> index
    DWORD nStoreCount = 1;
    std::vector<Loaded> loaded{Loaded{Loaded::kNull, nullptr, nullptr, 0}};

    // The record budget: what the record being read has counted so far, and
    // how deeply its readers are nested.
    ULONGLONG nRecordBudget = kDefaultRecordBudget;
    ULONGLONG nRecordCharged = 0;
    UINT nRecordDepth = 0;
};
