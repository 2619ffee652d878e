// Documents, views and the document template on the headless back end.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "qvplatform/afxdc.h"
#include "qvplatform/archive.h"
#include "qvplatform/msgbox.h"
#include "qvplatform/view.h"
#include "platform/test_support.h"
#include "wnd_test_util.h"

namespace {

// What happened, in order, across documents and views.
std::vector<std::string> g_events;

// A document of a few numbers. With m_nFailAfter set, storing throws after that many.
class CNumbersDoc : public CDocument {
    DECLARE_DYNCREATE(CNumbersDoc)
public:
    std::vector<int> m_numbers;
    int m_nFailAfter = -1;

    void Serialize(CArchive& ar) override {
        if (ar.IsStoring()) {
            ar << static_cast<DWORD>(m_numbers.size());
            for (std::size_t i = 0; i < m_numbers.size(); ++i) {
                if (static_cast<int>(i) == m_nFailAfter)
                    AfxThrowArchiveException(CArchiveException::genericException);
                ar << static_cast<LONG>(m_numbers[i]);
            }
        } else {
            DWORD n;
            ar >> n;
            for (DWORD i = 0; i < n; ++i) {
                LONG v;
                ar >> v;
                m_numbers.push_back(v);
            }
        }
    }
    BOOL OnNewDocument() override {
        g_events.push_back("new");
        return CDocument::OnNewDocument();
    }
    void DeleteContents() override { m_numbers.clear(); }
};
IMPLEMENT_DYNCREATE(CNumbersDoc, CDocument)

// A view that records its updates and paints its client area in one colour.
class CNumbersView : public CView {
    DECLARE_DYNCREATE(CNumbersView)
public:
    static int s_nLive;
    std::vector<std::pair<CView*, LPARAM>> m_updates;
    CView* m_pDetachOnUpdate = nullptr;
    COLORREF m_color = RGB(0, 128, 0);
    HDC m_hPaintDC = nullptr;

    CNumbersView() { ++s_nLive; }
    ~CNumbersView() override { --s_nLive; }
    void OnDraw(CDC* pDC) override {
        g_events.push_back("draw");
        m_hPaintDC = pDC->GetSafeHdc();
        pDC->FillSolidRect(0, 0, 1000, 1000, m_color);
    }
    void OnInitialUpdate() override {
        g_events.push_back("initial update");
        CView::OnInitialUpdate();
    }

protected:
    void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override {
        m_updates.emplace_back(pSender, lHint);
        if (m_pDetachOnUpdate) GetDocument()->RemoveView(m_pDetachOnUpdate);
        CView::OnUpdate(pSender, lHint, pHint);
    }
    afx_msg void OnSize(UINT, int cx, int cy) {
        g_events.push_back("size " + std::to_string(cx) + "x" + std::to_string(cy));
    }
    DECLARE_MESSAGE_MAP()
};
int CNumbersView::s_nLive = 0;
IMPLEMENT_DYNCREATE(CNumbersView, CView)
BEGIN_MESSAGE_MAP(CNumbersView, CView)
ON_WM_SIZE()
END_MESSAGE_MAP()

CNumbersView* ViewOf(CSingleDocTemplate& tmpl) {
    return static_cast<CNumbersView*>(tmpl.GetView());
}

class DocumentTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_events.clear();
        AfxTakeMessageBoxLog();
    }
    CSingleDocTemplate m_template{RUNTIME_CLASS(CNumbersDoc), RUNTIME_CLASS(CNumbersView)};
    qvtest::TempDir m_dir;
};

}  // namespace

TEST_F(DocumentTest, TemplateSizesTheWindowThenLoadsThenRunsTheInitialUpdate) {
    CDocument* pDoc = m_template.OpenDocumentFile(nullptr, "t", 200, 100);
    ASSERT_NE(pDoc, nullptr);
    EXPECT_TRUE(pDoc->IsKindOf(RUNTIME_CLASS(CNumbersDoc)));
    EXPECT_EQ(pDoc->GetDocTemplate(), &m_template);
    CNumbersView* pView = ViewOf(m_template);
    ASSERT_NE(pView, nullptr);
    EXPECT_EQ(pView->GetDocument(), pDoc);
    EXPECT_EQ(g_events, (std::vector<std::string>{"size 200x100", "new", "initial update"}));
    ASSERT_EQ(pView->m_updates.size(), 1u);  // the default initial update
    EXPECT_EQ(pView->m_updates[0], (std::pair<CView*, LPARAM>{nullptr, 0}));
}

TEST_F(DocumentTest, PaintingRunsOnDrawOnThePaintContext) {
    ASSERT_NE(m_template.OpenDocumentFile(nullptr, "t", 40, 30), nullptr);
    CNumbersView* pView = ViewOf(m_template);
    g_events.clear();
    pView->UpdateWindow();
    EXPECT_EQ(g_events, std::vector<std::string>{"draw"});
    EXPECT_EQ(GetObjectType(pView->m_hPaintDC), 0u);  // the painting context was given back
    EXPECT_EQ(wndtest::ShownPixel(pView->m_hWnd, 39, 29), RGB(0, 128, 0));
    pView->UpdateWindow();
    EXPECT_EQ(g_events.size(), 1u);  // valid now
}

TEST_F(DocumentTest, UpdateAllViewsSkipsTheSenderAndDetachedViews) {
    CDocument* pDoc = m_template.OpenDocumentFile(nullptr);
    ASSERT_NE(pDoc, nullptr);
    CNumbersView* first = ViewOf(m_template);
    auto* second = static_cast<CNumbersView*>(RUNTIME_CLASS(CNumbersView)->CreateObject());
    auto* third = static_cast<CNumbersView*>(RUNTIME_CLASS(CNumbersView)->CreateObject());
    pDoc->AddView(second);
    pDoc->AddView(third);
    first->m_updates.clear();
    pDoc->UpdateAllViews(second, 7);
    EXPECT_EQ(first->m_updates, (std::vector<std::pair<CView*, LPARAM>>{{second, 7}}));
    EXPECT_TRUE(second->m_updates.empty());
    EXPECT_EQ(third->m_updates.size(), 1u);
    first->m_pDetachOnUpdate = third;
    pDoc->UpdateAllViews(nullptr, 1);
    EXPECT_EQ(third->m_updates.size(), 1u);
    EXPECT_EQ(third->GetDocument(), nullptr);
    delete third;
    delete second;  // leaves the document
    POSITION pos = pDoc->GetFirstViewPosition();
    EXPECT_EQ(pDoc->GetNextView(pos), first);
    EXPECT_EQ(pos, nullptr);
}

TEST_F(DocumentTest, SavedDocumentOpensAgainWithItsPathAndTitle) {
    CDocument* pDoc = m_template.OpenDocumentFile(nullptr);
    ASSERT_NE(pDoc, nullptr);
    static_cast<CNumbersDoc*>(pDoc)->m_numbers = {3, -1, 40000};
    pDoc->SetModifiedFlag();
    std::string path = m_dir / "numbers.doc";
    ASSERT_TRUE(pDoc->OnSaveDocument(path.c_str()));
    EXPECT_FALSE(pDoc->IsModified());
    EXPECT_EQ(qvtest::ReadText(path).size(), 16u);
    // A Windows-style name in another letter case finds the file.
    std::string windowsName = (m_dir / "NUMBERS.DOC");
    std::replace(windowsName.begin(), windowsName.end(), '/', '\\');
    pDoc = m_template.OpenDocumentFile(windowsName.c_str());
    ASSERT_NE(pDoc, nullptr);
    EXPECT_EQ(static_cast<CNumbersDoc*>(pDoc)->m_numbers, (std::vector<int>{3, -1, 40000}));
    EXPECT_EQ(pDoc->GetTitle(), "NUMBERS.DOC");
    EXPECT_EQ(pDoc->GetPathName(), windowsName.c_str());
}

TEST_F(DocumentTest, FailedOpenSaysWhyAndLeavesNothingOpen) {
    std::string path = m_dir / "short.doc";
    qvtest::WriteText(path, std::string("\x05\0\0\0\x01\0\0\0", 8));
    int nViews = CNumbersView::s_nLive;
    EXPECT_EQ(m_template.OpenDocumentFile(path.c_str()), nullptr);
    EXPECT_EQ(m_template.GetDocument(), nullptr);
    EXPECT_EQ(CNumbersView::s_nLive, nViews);
    std::vector<std::string> shown = AfxTakeMessageBoxLog();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].find("short.doc"), std::string::npos);
    EXPECT_EQ(m_template.OpenDocumentFile((m_dir / "missing.doc").c_str()), nullptr);
    EXPECT_EQ(AfxTakeMessageBoxLog().size(), 1u);
}

TEST_F(DocumentTest, FailedSaveKeepsTheOldFile) {
    CDocument* pDoc = m_template.OpenDocumentFile(nullptr);
    auto* numbers = static_cast<CNumbersDoc*>(pDoc);
    numbers->m_numbers = {1, 2};
    std::string path = m_dir / "keep.doc";
    ASSERT_TRUE(pDoc->OnSaveDocument(path.c_str()));
    std::string before = qvtest::ReadText(path);
    numbers->m_numbers = {7, 8, 9};
    numbers->m_nFailAfter = 2;
    pDoc->SetModifiedFlag();
    EXPECT_FALSE(pDoc->OnSaveDocument(path.c_str()));
    EXPECT_TRUE(pDoc->IsModified());
    EXPECT_EQ(qvtest::ReadText(path), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_dir.Path()),
                            std::filesystem::directory_iterator()),
              1);  // no half-written file left beside it
    EXPECT_EQ(AfxTakeMessageBoxLog().size(), 1u);
    EXPECT_FALSE(pDoc->OnSaveDocument((m_dir / "no/such/folder.doc").c_str()));
    EXPECT_EQ(AfxTakeMessageBoxLog().size(), 1u);
}

TEST_F(DocumentTest, ClosingTheViewWindowDeletesTheViewOnly) {
    CDocument* pDoc = m_template.OpenDocumentFile(nullptr);
    int nViews = CNumbersView::s_nLive;
    HWND hWnd = ViewOf(m_template)->m_hWnd;
    SendMessage(hWnd, WM_CLOSE, 0, 0);
    EXPECT_EQ(CNumbersView::s_nLive, nViews - 1);
    EXPECT_EQ(m_template.GetView(), nullptr);
    EXPECT_EQ(m_template.GetDocument(), pDoc);
    m_template.CloseAllDocuments();
    EXPECT_EQ(m_template.GetDocument(), nullptr);
}

TEST_F(DocumentTest, ReopeningClosesThePreviousDocumentAndView) {
    ASSERT_NE(m_template.OpenDocumentFile(nullptr), nullptr);
    HWND first = ViewOf(m_template)->m_hWnd;
    int nViews = CNumbersView::s_nLive;
    ASSERT_NE(m_template.OpenDocumentFile(nullptr), nullptr);
    EXPECT_FALSE(IsWindow(first));
    EXPECT_EQ(CNumbersView::s_nLive, nViews);
}
