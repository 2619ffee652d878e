// CHEXDrawDocument: the framework document that holds one hex map for the map view. Its file
// is the map's archive form, so a document file and a map file are the same thing.
#pragma once

#include <qvplatform/doc.h>

#include "qvdll/export.h"
#include "qvdll/hexmap.h"

class QVDLL_API CHEXDrawDocument : public CDocument {
    DECLARE_DYNCREATE(CHEXDrawDocument)
public:
    // Destroys the map.
    ~CHEXDrawDocument() override;

    // Stores or loads the map in its archive form, and nothing else.
    void Serialize(CArchive& ar) override;

    // Copies `pMap` into the document's own map, then tells every view with hint 1 and that
    // map as the hint object (the modified flag is left alone). A null map changes nothing
    // and tells no view.
    virtual void SetMap(const CHexMap* pMap);
    // The document's map: the same object for the document's whole life.
    virtual CHexMap* GetMap();

protected:
    // A 26 x 26 map, every cell 4. The framework makes documents through the runtime class.
    CHEXDrawDocument();

    // The framework's new document; the map is kept as it is (not reset or resized).
    BOOL OnNewDocument() override;

    CHexMap* m_pMap;
    int m_nSpare;  // set to 0 and otherwise unused; kept for the layout hosts know

    DECLARE_MESSAGE_MAP()
};
