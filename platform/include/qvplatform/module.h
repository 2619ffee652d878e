// Modules, their run-time classes and resources: the part of the platform that
// lets a host find the classes and bitmaps of the libraries it has loaded.
#pragma once

#include <span>

#include "qvplatform/object.h"

// A bitmap resource of a module: its number and the bytes of a BMP file.
struct AFX_BITMAP_RESOURCE {
    UINT nID;
    std::span<const BYTE> bytes;
};

// What a library module tells the platform about itself. The module fills in
// its class and resource tables before AfxInitExtensionModule; the platform
// fills in the rest.
struct QVP_API AFX_EXTENSION_MODULE {
    BOOL bInitialized = FALSE;
    HMODULE hModule = nullptr;
    std::span<const CRuntimeClass* const> classes;
    std::span<const AFX_BITMAP_RESOURCE> bitmaps;
};

QVP_API BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE hModule);

// Unlinks the module's classes and resources from the search chain and deletes
// the CDynLinkLibrary objects made for it.
QVP_API void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL bAll = FALSE);

// Links an initialised module into the chain that class and resource lookups
// search. The platform owns the object once it is constructed; it is deleted
// by AfxTermExtensionModule.
class QVP_API CDynLinkLibrary {
public:
    explicit CDynLinkLibrary(AFX_EXTENSION_MODULE& state, BOOL bSystem = FALSE);
    virtual ~CDynLinkLibrary();

    CDynLinkLibrary(const CDynLinkLibrary&) = delete;
    CDynLinkLibrary& operator=(const CDynLinkLibrary&) = delete;

    HMODULE m_hModule;
    std::span<const CRuntimeClass* const> m_classes;
    std::span<const AFX_BITMAP_RESOURCE> m_bitmaps;
    BOOL m_bSystem;
};

// Registers classes of the host program itself (its own explicit table).
QVP_API void AfxRegisterClasses(std::span<const CRuntimeClass* const> classes);

// The module that holds the named resource: the host's own first, then each
// linked module, newest first. Null when none has it.
QVP_API HINSTANCE AfxFindResourceHandle(LPCSTR lpszName, LPCSTR lpszType);

// The bytes of bitmap resource `lpszName` of module `hInstance`; empty if absent.
QVP_API std::span<const BYTE> AfxFindBitmapResource(HINSTANCE hInstance, LPCSTR lpszName);

// Resource types, as numbers.
inline const LPCSTR RT_BITMAP = MAKEINTRESOURCE(2);
