// The hex map: a rectangle of one-byte cells, each the number of the map chip
// drawn on that hex, with its archive form and its map files.
#pragma once

#include <qvplatform/archive.h>
#include <qvplatform/cstring.h>

#include "qvdll/export.h"

// A map as a plain record: what CHexMap::GetMap hands out.
struct tagHexMapStruct {
    WORD height;  // rows
    WORD width;   // columns
    BYTE* cells;  // width × height values, row by row
};

class QVDLL_API CHexMap : public CObject {
    DECLARE_SERIAL(CHexMap)
public:
    // The value of every cell of a freshly sized map.
    static constexpr BYTE kInitialCell = 4;

    CHexMap();
    CHexMap(WORD width, WORD height);
    explicit CHexMap(const tagHexMapStruct* pMap);
    CHexMap(const CHexMap&) = delete;
    ~CHexMap() override;

    // Copies size and cells; assigning a map to itself leaves it unchanged.
    CHexMap& operator=(const CHexMap& other);

    // The map's own fields, not a copy: writes through it change the map.
    tagHexMapStruct* GetMap() { return &m_map; }

    void Serialize(CArchive& ar) override;

    // Map files: 1 on success, 0 on any failure (nothing is thrown).
    virtual BOOL ReadMapFile(const CString& path);
    virtual BOOL ReadOldMapFile(const CString& path);
    // Writes over an existing file without truncating it: bytes past the new
    // end stay, and both readers ignore them.
    virtual BOOL WriteMapFile(const CString& path);

    // Cells: positions outside the map (or a map without cells) give 0 and
    // change nothing.
    virtual BYTE GetData(WORD x, WORD y);
    virtual BOOL SetData(WORD x, WORD y, BYTE value);
    // Discards every cell, then fills the new ones through InitializeMaps(4).
    virtual void SetMapSize(WORD width, WORD height);
    virtual WORD GetMapHeight() const;
    virtual WORD GetMapWidth() const;
    // Pixel extent of the map picture: 40 per column + 10, 40 per row + 20.
    virtual LONG GetHeight() const;
    virtual LONG GetWidth() const;
    virtual void InitializeMaps(BYTE value);

private:
    friend QVDLL_API CArchive& operator<<(CArchive& ar, const CHexMap& map);
    friend QVDLL_API CArchive& operator>>(CArchive& ar, CHexMap& map);
    void ReplaceCells();  // frees the cells, then allocates zeroed width × height

    tagHexMapStruct m_map;
};

// The map archive form: height, width (16 bits each), then the cells as one block.
QVDLL_API CArchive& operator<<(CArchive& ar, const CHexMap& map);
// Reads a map in the archive form. A truncated header throws end-of-file; a
// truncated cell block is not an error: the missing cells stay 0.
QVDLL_API CArchive& operator>>(CArchive& ar, CHexMap& map);
