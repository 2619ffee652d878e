// What the library registers with the platform when it is loaded: its runtime
// classes and its bitmap resources.
#pragma once

#include <span>

#include <qvplatform/module.h>

namespace qvdll::detail {

std::span<const CRuntimeClass* const> ModuleClasses();
std::span<const AFX_BITMAP_RESOURCE> ModuleBitmaps();

}  // namespace qvdll::detail
