// The unit's picture operations: the picture itself is drawn by CUnitGraphic.
#include "qvdll/unit.h"

#include "graphics/unitgraphic.h"

void CUnit::CreateUnit(CDC* pDC) {
    // The old picture, and with it any context a caller still holds, dies first.
    m_pGraphic.Reset(new CUnitGraphic);
    m_pGraphic->CreateUnitImage(pDC, m_strName, m_strImage, m_color);
}

CDC* CUnit::GetUnitDC() {
    return m_pGraphic ? m_pGraphic->GetDC() : nullptr;
}

BOOL CUnit::IsUnitGraphicLoad() {
    return m_pGraphic ? m_pGraphic->IsGraphicLoad() : FALSE;
}
