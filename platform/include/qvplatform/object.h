// Objects with run-time class information: the root class CObject, the run-time
// class record, dynamic creation by class name and checked down-casts.
#pragma once

#include "qvplatform/types.h"

class CObject;
class CArchive;

// Diagnostic sink handed to CObject::Dump. This build writes nothing.
class QVP_API CDumpContext {};

// Set on a schema number to say that the class reads older schemas itself.
constexpr UINT VERSIONABLE_SCHEMA = 0x80000000u;

// What the platform knows of one class. Records are plain constants so that
// they exist before any code runs, in whichever module defines them.
struct QVP_API CRuntimeClass {
    LPCSTR m_lpszClassName;
    int m_nObjectSize;
    UINT m_wSchema;  // 0xFFFF for a class that is creatable but not serialisable
    CObject* (*m_pfnCreateObject)();
    const CRuntimeClass* m_pBaseClass;

    // A new object of this class, or null when the class is not creatable.
    CObject* CreateObject() const;
    BOOL IsDerivedFrom(const CRuntimeClass* pBaseClass) const;

    // Looks a class up among the registered ones (see module.h); null if unknown.
    static const CRuntimeClass* FromName(LPCSTR lpszClassName);
    static CObject* CreateObject(LPCSTR lpszClassName);
};

class QVP_API CObject {
public:
    // The five virtual operations, in this order, open every object's table.
    virtual const CRuntimeClass* GetRuntimeClass() const;
    virtual ~CObject();
    virtual void Serialize(CArchive& ar);
    virtual void AssertValid() const;
    virtual void Dump(CDumpContext& dc) const;

    BOOL IsKindOf(const CRuntimeClass* pClass) const;
    BOOL IsSerializable() const;

    static const CRuntimeClass classCObject;
    static const CRuntimeClass* GetThisClass() { return &classCObject; }

protected:
    CObject() = default;
    CObject(const CObject&) = default;
    CObject& operator=(const CObject&) = default;
};

// `pObject` when it is of class `pClass` or derived from it, else null.
QVP_API CObject* AfxDynamicDownCast(const CRuntimeClass* pClass, CObject* pObject);

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)
#define DYNAMIC_DOWNCAST(class_name, object) \
    static_cast<class_name*>(AfxDynamicDownCast(RUNTIME_CLASS(class_name), object))

#define DECLARE_DYNAMIC(class_name)                                 \
public:                                                             \
    static const CRuntimeClass class##class_name;                   \
    static const CRuntimeClass* GetThisClass() { return &class##class_name; } \
    const CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(class_name) \
    DECLARE_DYNAMIC(class_name)       \
    static CObject* CreateObject();

#define DECLARE_SERIAL(class_name) DECLARE_DYNCREATE(class_name)

#define QVP_IMPLEMENT_RUNTIMECLASS(class_name, base_class, schema, creator)           \
    const CRuntimeClass class_name::class##class_name = {                             \
        #class_name, static_cast<int>(sizeof(class_name)), schema, creator,           \
        RUNTIME_CLASS(base_class)};                                                   \
    const CRuntimeClass* class_name::GetRuntimeClass() const { return RUNTIME_CLASS(class_name); }

#define IMPLEMENT_DYNAMIC(class_name, base_class) \
    QVP_IMPLEMENT_RUNTIMECLASS(class_name, base_class, 0xFFFF, nullptr)

#define IMPLEMENT_DYNCREATE(class_name, base_class)                       \
    CObject* class_name::CreateObject() { return new class_name; }        \
    QVP_IMPLEMENT_RUNTIMECLASS(class_name, base_class, 0xFFFF, &class_name::CreateObject)

#define IMPLEMENT_SERIAL(class_name, base_class, schema)                  \
    CObject* class_name::CreateObject() { return new class_name; }        \
    QVP_IMPLEMENT_RUNTIMECLASS(class_name, base_class, schema, &class_name::CreateObject)
