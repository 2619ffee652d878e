// The unit's picture operations. Until the graphics subsystem draws unit
// pictures, CreateUnit leaves a unit without one, and the other two answer as
// for a unit without a picture.
#include "qvdll/unit.h"

void CUnit::CreateUnit(CDC*) {}

CDC* CUnit::GetUnitDC() {
    return nullptr;
}

BOOL CUnit::IsUnitGraphicLoad() {
    return FALSE;
}
