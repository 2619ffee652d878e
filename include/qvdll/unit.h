// The unit: one game piece on the hex map, with its archive form and its full
// and move text lines.
#pragma once

#include <qvplatform/archive.h>
#include <qvplatform/cstring.h>

#include "qvdll/export.h"
#include "qvdll/ownedptr.h"

class CDC;
class CUnitGraphic;

// Who a unit is (two identity bytes), where it stands, how it looks, its numeric
// values and free text, and the change flag that picks its move line. The data
// fields are public: host programs read and write them directly. Copying never
// copies the picture.
class QVDLL_API CUnit : public CObject {
    DECLARE_DYNCREATE(CUnit)
public:
    // Pure blue (0x00BBGGRR).
    static constexpr COLORREF kDefaultColor = 0xFF0000;
    // Longest text line the writers produce, in bytes.
    static constexpr int kMaxLineLength = 1023;

    CUnit();
    // Starts without a picture, then assigns from `other`.
    CUnit(const CUnit& other);
    ~CUnit() override;

    // Storing: the unit's archive form; loading: reads it into this unit.
    void Serialize(CArchive& ar) override;

    // Copies every field and the change flag; the target keeps its own picture.
    virtual const CUnit& operator=(const CUnit& other);
    // Units are the same unit when both identity bytes match; nothing else counts.
    virtual BOOL operator==(const CUnit& other) const;
    // The negation of the virtual operator==, so a derived class's equality applies.
    virtual BOOL operator!=(const CUnit& other) const;
    // Builds the unit's 50 × 40 picture, compatible with `pDC` (the screen when it
    // is null), replacing the previous one: the top-left 32 × 32 of the picture
    // file "Images\<m_strImage>" (current folder) at (9, 4) on white, or, when
    // there is no such file or it does not load, a box in m_color outlined in
    // black from (10, 10) to (39, 30) with m_strName across it. Later changes of
    // the fields reach the picture only through the next CreateUnit.
    virtual void CreateUnit(CDC* pDC);

    // Text lines. Fields are separated by commas, texts are in double quotes and
    // written as they are: a text that holds a double quote does not read back
    // unchanged, and a text ends at a zero byte. A line longer than
    // kMaxLineLength bytes is cut there, at a character boundary, so its last
    // fields are missing or shortened when read.
    //
    // Full form, fourteen fields: id1, id2, x, y, state, colour (signed), param1,
    // "name", "image", param2, param3, param4, param5, "param". Reading fills the
    // fields the line reaches, in that order, each number cut to its field's
    // width; the rest keep their values, fields past the fourteenth are ignored.
    // The change flag and the picture are never touched.
    virtual void StringToUnitData(const CString& line);
    virtual CString UnitDataToString() const;
    // Move form: id1, id2, the change flag, then the fields the flag selects:
    // 0 x, y, state; 1 x, y; 2 state; 3 param2; 4 param3; 5 param4; 6 "param".
    // Reading stores the flag as read; a flag outside 0 to 6 selects nothing,
    // and writing such a unit's move form gives the empty string.
    virtual void StringToUnitMoveData(const CString& line);
    virtual CString UnitMoveDataToString() const;

    void SetChangeFlag(int nFlag) { m_nChangeFlag = nFlag; }
    int GetChangeFlag() const { return m_nChangeFlag; }

    // The picture's drawing context, or null while the unit has no picture. It
    // dies with the picture: the next CreateUnit makes it invalid.
    CDC* GetUnitDC();
    // TRUE when the picture came from the unit's picture file.
    BOOL IsUnitGraphicLoad();

    BYTE m_nId1 = 0;
    BYTE m_nId2 = 0;
    BYTE m_nState = 0;
    WORD m_nPosY = 0;
    WORD m_nPosX = 0;
    CString m_strName;
    CString m_strImage;  // picture file name, relative to the folder "Images"
    COLORREF m_color = kDefaultColor;
    LONG m_nParam1 = 0;  // carried only by the full text form
    LONG m_nParam2 = 0;  // move form 3
    LONG m_nParam3 = 0;  // move form 4
    LONG m_nParam4 = 0;  // move form 5
    LONG m_nParam5 = 0;  // carried only by the full text form
    CString m_strParam;  // move form 6

private:
    TOwnedPtr<CUnitGraphic> m_pGraphic;
    int m_nChangeFlag = 0;
};

// The unit archive form, field by field, little-endian: id1, id2, x, y, state as
// 16-bit words (the bytes widened with zeros; reading keeps the low 8 bits),
// the name as a framework string, the colour as 32 bits, the picture file name
// as a framework string. A default unit is 16 bytes.
QVDLL_API CArchive& operator<<(CArchive& ar, const CUnit& unit);
// Reads the fields in the same order, each stored as soon as it is read: an
// archive that ends inside the unit throws end-of-file with the fields before
// that point already changed. The numeric values, the free text, the change
// flag and the picture are not in the archive form and keep their values.
QVDLL_API CArchive& operator>>(CArchive& ar, CUnit& unit);
