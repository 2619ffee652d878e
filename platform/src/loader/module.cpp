#include "qvplatform/module.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

#include "module_chain.h"
#include "qvplatform/coll.h"

namespace qvp::detail {
namespace {

// The platform's own classes that can be looked up by name; the rest arrive
// with the host and its modules.
const CRuntimeClass* const kPlatformClasses[] = {&CObject::classCObject,
                                                 &CStringList::classCStringList};

struct Chain {
    std::mutex mutex;
    std::vector<std::span<const CRuntimeClass* const>> hostClasses;
    std::vector<std::unique_ptr<CDynLinkLibrary>> libraries;  // oldest first
};

// Never destroyed: a library linked at start-up terminates its module record
// from its own clean-up code at exit, after the C++ run time may already have
// destroyed this module's static objects.
Chain& TheChain() {
    static auto* chain = new Chain;
    return *chain;
}

const CRuntimeClass* FindIn(std::span<const CRuntimeClass* const> classes, LPCSTR name) {
    for (const CRuntimeClass* c : classes)
        if (std::strcmp(c->m_lpszClassName, name) == 0) return c;
    return nullptr;
}

const AFX_BITMAP_RESOURCE* FindIn(std::span<const AFX_BITMAP_RESOURCE> bitmaps, UINT nID) {
    for (const AFX_BITMAP_RESOURCE& b : bitmaps)
        if (b.nID == nID) return &b;
    return nullptr;
}

}  // namespace

void LinkModule(CDynLinkLibrary* library) {
    Chain& chain = TheChain();
    std::lock_guard lock(chain.mutex);
    chain.libraries.emplace_back(library);
}

void UnlinkModules(HMODULE hModule) {
    std::vector<std::unique_ptr<CDynLinkLibrary>> doomed;
    {
        Chain& chain = TheChain();
        std::lock_guard lock(chain.mutex);
        auto keep = std::stable_partition(chain.libraries.begin(), chain.libraries.end(),
                                          [&](const auto& l) { return l->m_hModule != hModule; });
        std::move(keep, chain.libraries.end(), std::back_inserter(doomed));
        chain.libraries.erase(keep, chain.libraries.end());
    }
}

const CRuntimeClass* FindClass(LPCSTR lpszClassName) {
    if (const CRuntimeClass* c = FindIn(kPlatformClasses, lpszClassName)) return c;
    Chain& chain = TheChain();
    std::lock_guard lock(chain.mutex);
    for (auto classes : chain.hostClasses)
        if (const CRuntimeClass* c = FindIn(classes, lpszClassName)) return c;
    for (auto it = chain.libraries.rbegin(); it != chain.libraries.rend(); ++it)
        if (const CRuntimeClass* c = FindIn((*it)->m_classes, lpszClassName)) return c;
    return nullptr;
}

HINSTANCE FindBitmapModule(UINT nID) {
    Chain& chain = TheChain();
    std::lock_guard lock(chain.mutex);
    for (auto it = chain.libraries.rbegin(); it != chain.libraries.rend(); ++it)
        if (FindIn((*it)->m_bitmaps, nID)) return (*it)->m_hModule;
    return nullptr;
}

std::span<const BYTE> FindBitmap(HINSTANCE hInstance, UINT nID) {
    Chain& chain = TheChain();
    std::lock_guard lock(chain.mutex);
    for (const auto& library : chain.libraries)
        if (library->m_hModule == hInstance)
            if (const AFX_BITMAP_RESOURCE* b = FindIn(library->m_bitmaps, nID)) return b->bytes;
    return {};
}

}  // namespace qvp::detail

BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE hModule) {
    if (!hModule) return FALSE;
    state.hModule = hModule;
    state.bInitialized = TRUE;
    return TRUE;
}

void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL /*bAll*/) {
    if (!state.bInitialized) return;
    qvp::detail::UnlinkModules(state.hModule);
    state.bInitialized = FALSE;
}

CDynLinkLibrary::CDynLinkLibrary(AFX_EXTENSION_MODULE& state, BOOL bSystem)
    : m_hModule(state.hModule),
      m_classes(state.classes),
      m_bitmaps(state.bitmaps),
      m_bSystem(bSystem) {
    qvp::detail::LinkModule(this);
}

CDynLinkLibrary::~CDynLinkLibrary() = default;

void AfxRegisterClasses(std::span<const CRuntimeClass* const> classes) {
    auto& chain = qvp::detail::TheChain();
    std::lock_guard lock(chain.mutex);
    chain.hostClasses.push_back(classes);
}

HINSTANCE AfxFindResourceHandle(LPCSTR lpszName, LPCSTR lpszType) {
    // Only numbered bitmap resources exist on this platform.
    if (lpszType != RT_BITMAP || !IS_INTRESOURCE(lpszName)) return nullptr;
    return qvp::detail::FindBitmapModule(static_cast<UINT>(reinterpret_cast<UINT_PTR>(lpszName)));
}

std::span<const BYTE> AfxFindBitmapResource(HINSTANCE hInstance, LPCSTR lpszName) {
    if (!IS_INTRESOURCE(lpszName)) return {};
    return qvp::detail::FindBitmap(hInstance, static_cast<UINT>(reinterpret_cast<UINT_PTR>(lpszName)));
}
