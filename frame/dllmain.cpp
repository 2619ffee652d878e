// The module frame: the library's entry point and the load and unload hooks
// that call it, with the state the module keeps for its whole life.
#include "qvdll/dllmain.h"

#include <cstdio>
#include <new>

#include <qvplatform/module.h>

#include "frame/module_tables.h"
#include "qvdll/jpegconverter.h"
#include "qvdll/ownedptr.h"

namespace {

// Module-wide state. It is constant-initialised, so it is ready whenever the
// load hook runs, whatever the order of the module's other start-up code. The
// C++ run time never destroys it (at exit it would do so before the unload
// hook has run); the unload hook ends it in a fixed order instead.
struct ModuleState {
    constexpr ModuleState() : converter() {}
    ~ModuleState() {}  // the union member is left to the unload hook

    AFX_EXTENSION_MODULE record;
    HINSTANCE hInstance = nullptr;
    union {
        TOwnedPtr<CJpegConverter> converter;
    };
};

constinit ModuleState g_module;

BOOL ProcessAttach(HINSTANCE hInstance) {
    // Without memory for the converter the library still loads, without JPEG
    // support, as it does when Jpeglib is missing.
    try {
        g_module.converter.Reset(new CJpegConverter);
    } catch (const std::bad_alloc&) {
    }
    g_module.record.classes = qvdll::detail::ModuleClasses();
    g_module.record.bitmaps = qvdll::detail::ModuleBitmaps();
    if (!AfxInitExtensionModule(g_module.record, hInstance)) return FALSE;
    // The platform owns the link object from its construction on. If it cannot
    // be allocated the library stays loaded, unlinked.
    try {
        new CDynLinkLibrary(g_module.record, FALSE);
    } catch (const std::bad_alloc&) {
    }
    return TRUE;
}

// The entry point's work. The hooks call this rather than the exported DllMain
// so that no other module's DllMain can stand in for it.
BOOL ModuleEntry(HINSTANCE hInstance, DWORD dwReason) {
    switch (dwReason) {
        case DLL_PROCESS_ATTACH:
            return ProcessAttach(hInstance);
        case DLL_PROCESS_DETACH:
            AfxTermExtensionModule(g_module.record, FALSE);
            return TRUE;
        default:  // thread notices: the library keeps no per-thread state
            return TRUE;
    }
}

__attribute__((constructor)) void OnModuleLoad() {
    g_module.hInstance = GetModuleHandleFromAddress(&g_module);
    // A load hook cannot make the load fail, so the failure is only reported.
    if (!ModuleEntry(g_module.hInstance, DLL_PROCESS_ATTACH))
        std::fputs("qvdll: the library could not register its classes and resources\n", stderr);
}

__attribute__((destructor)) void OnModuleUnload() {
    ModuleEntry(g_module.hInstance, DLL_PROCESS_DETACH);
    // The converter owner's clean-up, after the module record is terminated:
    // destroys the converter, which frees Jpeglib.
    g_module.converter.Reset();
}

}  // namespace

BOOL DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID) {
    return ModuleEntry(hInstance, dwReason);
}

CJpegConverter* GetModuleJpegConverter() {
    return g_module.converter.Get();
}
