#include "qvdll/hexmap.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

constexpr LONG kPitch = 40;
constexpr LONG kBoxOverhang = 10;  // the last column's box reaches past its pitch
constexpr LONG kOddColumnDrop = 20;

std::size_t CellCount(const tagHexMapStruct& map) {
    return static_cast<std::size_t>(std::uint32_t{map.width} * std::uint32_t{map.height});
}

}  // namespace

IMPLEMENT_SERIAL(CHexMap, CObject, 1 | VERSIONABLE_SCHEMA)

CHexMap::CHexMap() : m_map{0, 0, nullptr} {}

CHexMap::CHexMap(WORD width, WORD height) : CHexMap() { SetMapSize(width, height); }

CHexMap::CHexMap(const tagHexMapStruct* pMap) : CHexMap() {
    SetMapSize(pMap->width, pMap->height);
    if (m_map.cells && pMap->cells) std::memcpy(m_map.cells, pMap->cells, CellCount(m_map));
}

CHexMap::~CHexMap() { std::free(m_map.cells); }

CHexMap& CHexMap::operator=(const CHexMap& other) {
    if (this == &other) return *this;
    m_map.width = other.m_map.width;
    m_map.height = other.m_map.height;
    ReplaceCells();
    if (other.m_map.cells) std::memcpy(m_map.cells, other.m_map.cells, CellCount(m_map));
    return *this;
}

// Zeroed allocation: a huge map costs address space, not memory, until its
// cells are written, and cells that a short archive never fills read as 0.
void CHexMap::ReplaceCells() {
    std::free(m_map.cells);
    m_map.cells = nullptr;
    std::size_t count = CellCount(m_map);
    if (count == 0) return;
    m_map.cells = static_cast<BYTE*>(std::calloc(count, 1));
    if (!m_map.cells) AfxThrowMemoryException();
}

void CHexMap::Serialize(CArchive& ar) {
    if (ar.IsStoring())
        ar << *this;
    else
        ar >> *this;
}

BYTE CHexMap::GetData(WORD x, WORD y) {
    if (x >= m_map.width || y >= m_map.height || !m_map.cells) return 0;
    return m_map.cells[std::size_t{y} * m_map.width + x];
}

BOOL CHexMap::SetData(WORD x, WORD y, BYTE value) {
    if (x >= m_map.width || y >= m_map.height || !m_map.cells) return FALSE;
    m_map.cells[std::size_t{y} * m_map.width + x] = value;
    return TRUE;
}

void CHexMap::SetMapSize(WORD width, WORD height) {
    m_map.height = height;
    m_map.width = width;
    ReplaceCells();
    InitializeMaps(kInitialCell);
}

WORD CHexMap::GetMapHeight() const { return m_map.height; }
WORD CHexMap::GetMapWidth() const { return m_map.width; }
LONG CHexMap::GetHeight() const { return GetMapHeight() * kPitch + kOddColumnDrop; }
LONG CHexMap::GetWidth() const { return GetMapWidth() * kPitch + kBoxOverhang; }

void CHexMap::InitializeMaps(BYTE value) {
    if (m_map.cells) std::memset(m_map.cells, value, CellCount(m_map));
}

CArchive& operator<<(CArchive& ar, const CHexMap& map) {
    ar << map.m_map.height << map.m_map.width;
    std::size_t count = CellCount(map.m_map);
    if (map.m_map.cells) {
        ar.Write(map.m_map.cells, static_cast<UINT>(count));
        return ar;
    }
    // A map whose cell block could not be allocated still writes a record that
    // reads back: its cells as zeros.
    static constexpr BYTE kZeros[4096] = {};
    for (std::size_t left = count; left > 0;) {
        UINT chunk = static_cast<UINT>(std::min(left, sizeof kZeros));
        ar.Write(kZeros, chunk);
        left -= chunk;
    }
    return ar;
}

CArchive& operator>>(CArchive& ar, CHexMap& map) {
    // The old cells go first: a header cut short leaves a size they would not fit.
    std::free(map.m_map.cells);
    map.m_map.cells = nullptr;
    ar >> map.m_map.height;
    ar >> map.m_map.width;
    map.ReplaceCells();
    ar.Read(map.m_map.cells, static_cast<UINT>(CellCount(map.m_map)));
    return ar;
}
