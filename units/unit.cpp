#include "qvdll/unit.h"

#include "graphics/unitgraphic.h"

IMPLEMENT_DYNCREATE(CUnit, CObject)

CUnit::CUnit() = default;

CUnit::CUnit(const CUnit& other) : CObject() {
    CUnit::operator=(other);
}

CUnit::~CUnit() = default;

const CUnit& CUnit::operator=(const CUnit& other) {
    m_nId1 = other.m_nId1;
    m_nId2 = other.m_nId2;
    m_nState = other.m_nState;
    m_nPosY = other.m_nPosY;
    m_nPosX = other.m_nPosX;
    m_strName = other.m_strName;
    m_strImage = other.m_strImage;
    m_color = other.m_color;
    m_nParam1 = other.m_nParam1;
    m_nParam2 = other.m_nParam2;
    m_nParam3 = other.m_nParam3;
    m_nParam4 = other.m_nParam4;
    m_nParam5 = other.m_nParam5;
    m_strParam = other.m_strParam;
    m_nChangeFlag = other.m_nChangeFlag;
    return *this;
}

BOOL CUnit::operator==(const CUnit& other) const {
    return m_nId1 == other.m_nId1 && m_nId2 == other.m_nId2;
}

BOOL CUnit::operator!=(const CUnit& other) const {
    return !(*this == other);
}

void CUnit::Serialize(CArchive& ar) {
    if (ar.IsStoring())
        ar << *this;
    else
        ar >> *this;
}

CArchive& operator<<(CArchive& ar, const CUnit& unit) {
    ar << WORD{unit.m_nId1} << WORD{unit.m_nId2} << unit.m_nPosX << unit.m_nPosY
       << WORD{unit.m_nState} << unit.m_strName << DWORD{unit.m_color} << unit.m_strImage;
    return ar;
}

namespace {

// A 16-bit word of which the unit keeps the low byte. The archive throws before
// it stores, and a CString read that fails leaves the string as it was, so an
// archive that ends inside a field leaves that field as it was.
BYTE ReadByteWord(CArchive& ar) {
    WORD w;
    ar >> w;
    return static_cast<BYTE>(w);
}

}  // namespace

CArchive& operator>>(CArchive& ar, CUnit& unit) {
    unit.m_nId1 = ReadByteWord(ar);
    unit.m_nId2 = ReadByteWord(ar);
    ar >> unit.m_nPosX >> unit.m_nPosY;
    unit.m_nState = ReadByteWord(ar);
    return ar >> unit.m_strName >> unit.m_color >> unit.m_strImage;
}
