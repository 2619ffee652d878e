// The search chain of run-time classes and bitmap resources: the platform's own
// classes, the host's, then every linked library module, newest first.
#pragma once

#include <span>

#include "qvplatform/module.h"

namespace qvp::detail {

void LinkModule(CDynLinkLibrary* library);
void UnlinkModules(HMODULE hModule);

const CRuntimeClass* FindClass(LPCSTR lpszClassName);
HINSTANCE FindBitmapModule(UINT nID);
std::span<const BYTE> FindBitmap(HINSTANCE hInstance, UINT nID);

}  // namespace qvp::detail
