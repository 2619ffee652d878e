// The map document: its 26 x 26 map for life, its file (the map's archive form), and the
// views it tells when the map is replaced.
#include <qvdll/hexdrawdoc.h>

#include <memory>
#include <tuple>

#include "library/hexdrawview_test_util.h"
#include "test_support.h"

using qvtest::CTestDocument;

namespace {

// A view that records its updates.
class CUpdateRecorder : public CView {
public:
    std::vector<std::tuple<CView*, LPARAM, CObject*>> m_updates;
    void OnDraw(CDC*) override {}

protected:
    void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override {
        m_updates.emplace_back(pSender, lHint, pHint);
    }
};

std::unique_ptr<CTestDocument> NewDocument() {
    return std::unique_ptr<CTestDocument>(
        static_cast<CTestDocument*>(RUNTIME_CLASS(CTestDocument)->CreateObject()));
}

}  // namespace

TEST(CHEXDrawDocument, StartsWithA26By26MapThatANewDocumentKeeps) {
    auto doc = NewDocument();
    CHexMap* pMap = doc->GetMap();
    ASSERT_NE(pMap, nullptr);
    EXPECT_EQ(pMap->GetMapWidth(), 26);
    EXPECT_EQ(pMap->GetMapHeight(), 26);
    EXPECT_EQ(doc->m_nSpare, 0);
    pMap->SetData(3, 3, 9);
    EXPECT_EQ(doc->OnNewDocument(), TRUE);
    EXPECT_EQ(doc->GetMap(), pMap);
    EXPECT_EQ(pMap->GetData(3, 3), 9);  // not reset
    EXPECT_EQ(RUNTIME_CLASS(CHEXDrawDocument)->m_wSchema, 0xFFFF);
}

TEST(CHEXDrawDocument, ItsFileIsTheMapArchiveForm) {
    qvtest::TempDir dir;
    CHexMap map(3, 2);
    for (WORD y = 0; y < 2; ++y)
        for (WORD x = 0; x < 3; ++x) map.SetData(x, y, static_cast<BYTE>(x * 7 + y));
    auto doc = NewDocument();
    doc->SetMap(&map);
    ASSERT_TRUE(doc->OnSaveDocument((dir / "a.map").c_str()));
    EXPECT_EQ(qvtest::ReadBytes(dir / "a.map"), (qvtest::Bytes{2, 0, 3, 0, 0, 7, 14, 1, 8, 15}));

    // It opens as it was saved.
    auto other = NewDocument();
    ASSERT_TRUE(other->OnOpenDocument((dir / "a.map").c_str()));
    ASSERT_TRUE(other->OnSaveDocument((dir / "b.map").c_str()));
    EXPECT_EQ(qvtest::ReadBytes(dir / "b.map"), qvtest::ReadBytes(dir / "a.map"));
}

TEST(CHEXDrawDocument, SetMapCopiesIntoTheSameMapAndTellsEachViewOnce) {
    auto doc = NewDocument();
    CUpdateRecorder first, second;
    doc->AddView(&first);
    doc->AddView(&second);
    CHexMap* pMap = doc->GetMap();
    CHexMap map(5, 4);
    map.SetData(4, 3, 43);
    doc->SetMap(&map);
    EXPECT_EQ(doc->GetMap(), pMap);
    EXPECT_EQ(pMap->GetMapWidth(), 5);
    map.SetData(4, 3, 200);
    EXPECT_EQ(pMap->GetData(4, 3), 43);  // a copy
    const std::vector<std::tuple<CView*, LPARAM, CObject*>> told{{nullptr, 1, pMap}};
    EXPECT_EQ(first.m_updates, told);
    EXPECT_EQ(second.m_updates, told);
    EXPECT_FALSE(doc->IsModified());

    // Its own map: unchanged, and the views are told all the same. A null map: nothing.
    doc->SetMap(pMap);
    doc->SetMap(nullptr);
    EXPECT_EQ(pMap->GetData(4, 3), 43);
    EXPECT_EQ(first.m_updates.size(), 2u);
    doc->RemoveView(&first);
    doc->RemoveView(&second);
}
