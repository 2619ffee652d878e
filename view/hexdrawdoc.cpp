#include "qvdll/hexdrawdoc.h"

namespace {

constexpr WORD kNewMapSide = 26;
// Odd hints carry a map as the hint object; the view rebuilds its picture on them.
constexpr LPARAM kHintMapReplaced = 1;

}  // namespace

IMPLEMENT_DYNCREATE(CHEXDrawDocument, CDocument)

BEGIN_MESSAGE_MAP(CHEXDrawDocument, CDocument)
END_MESSAGE_MAP()

CHEXDrawDocument::CHEXDrawDocument() : m_pMap(nullptr), m_nSpare(0) {
    m_pMap = new CHexMap(kNewMapSide, kNewMapSide);
}

CHEXDrawDocument::~CHEXDrawDocument() {
    delete m_pMap;
}

BOOL CHEXDrawDocument::OnNewDocument() {
    return CDocument::OnNewDocument() ? TRUE : FALSE;
}

void CHEXDrawDocument::Serialize(CArchive& ar) {
    m_pMap->Serialize(ar);
}

void CHEXDrawDocument::SetMap(const CHexMap* pMap) {
    if (!pMap) return;
    *m_pMap = *pMap;
    UpdateAllViews(nullptr, kHintMapReplaced, m_pMap);
}

CHexMap* CHEXDrawDocument::GetMap() {
    return m_pMap;
}
