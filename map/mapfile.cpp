// Map files: the map archive form alone in a file, with no header of its own.
#include <qvplatform/file.h>

#include <cstdlib>

#include "qvdll/hexmap.h"

namespace {

constexpr int kArchiveBuffer = 4096;
constexpr UINT kReadFlags = CFile::modeRead | CFile::typeBinary | CFile::shareExclusive;
constexpr UINT kWriteFlags = CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite |
                             CFile::typeBinary | CFile::shareExclusive;

// Runs `body` on an archive over the named file. Every failure, thrown or not,
// becomes 0: map files never let an exception out.
template <class Body>
BOOL WithArchive(const CString& path, UINT openFlags, UINT archiveMode, Body body) {
    try {
        CFile file;
        if (!file.Open(path, openFlags)) return FALSE;
        CArchive ar(&file, archiveMode, kArchiveBuffer);
        body(ar);
        ar.Close();
        file.Close();
        return TRUE;
    } catch (...) {
        return FALSE;
    }
}

}  // namespace

BOOL CHexMap::ReadMapFile(const CString& path) {
    return WithArchive(path, kReadFlags, CArchive::load, [this](CArchive& ar) { Serialize(ar); });
}

// The old reader takes the same layout cell by cell, so a file that ends inside
// the cell block is a failure here (the cells read so far are kept).
BOOL CHexMap::ReadOldMapFile(const CString& path) {
    return WithArchive(path, kReadFlags, CArchive::load, [this](CArchive& ar) {
        std::free(m_map.cells);  // as in extraction: a cut header must not leave them
        m_map.cells = nullptr;
        ar >> m_map.height;
        ar >> m_map.width;
        ReplaceCells();
        const std::size_t count = std::size_t{m_map.width} * m_map.height;
        for (std::size_t i = 0; i < count; ++i) ar >> m_map.cells[i];
    });
}

BOOL CHexMap::WriteMapFile(const CString& path) {
    return WithArchive(path, kWriteFlags, CArchive::store, [this](CArchive& ar) {
        Serialize(ar);
        ar.Flush();
    });
}
