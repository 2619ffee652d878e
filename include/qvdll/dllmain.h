// The library's entry point: what runs when the library is loaded into a
// process and when it is unloaded.
//
// The library's load and unload hooks call it with DLL_PROCESS_ATTACH and
// DLL_PROCESS_DETACH; a host never needs to. Thread notices
// (DLL_THREAD_ATTACH, DLL_THREAD_DETACH) change nothing and return TRUE.
#pragma once

#include <qvplatform/loader.h>

#include "qvdll/export.h"

// Attach creates the module's JPEG converter (which loads Jpeglib) and
// registers the library's runtime classes and bitmap resources with the
// platform; detach unregisters them. FALSE when registration failed.
QVDLL_FUNC BOOL DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID lpReserved);
