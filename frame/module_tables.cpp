#include "frame/module_tables.h"

#include "qvdll/hexdrawdoc.h"
#include "qvdll/hexdrawview.h"
#include "qvdll/hexmap.h"
#include "qvdll/resource.h"
#include "qvdll/unit.h"
#include "qvdll/unitlist.h"
#include "view/hexmask.h"

namespace qvdll::detail {
namespace {

// Every class a host may create by name. A new class is its header above and
// one line here. The tables are constants, complete before any code of the
// module runs, so registration does not depend on the order of start-up code.
constinit const CRuntimeClass* const kClasses[] = {
    RUNTIME_CLASS(CHexMap),
    RUNTIME_CLASS(CUnit),
    RUNTIME_CLASS(CUnitList),
    RUNTIME_CLASS(CHEXDrawDocument),
    RUNTIME_CLASS(CHEXDrawView),
};

constinit const AFX_BITMAP_RESOURCE kBitmaps[] = {
    {IDB_HEXMASK, g_hexMaskBitmap},
};

}  // namespace

std::span<const CRuntimeClass* const> ModuleClasses() {
    return kClasses;
}
std::span<const AFX_BITMAP_RESOURCE> ModuleBitmaps() {
    return kBitmaps;
}

}  // namespace qvdll::detail
