// Views, and the template that makes a document with its view.
#include <memory>

#include "qvplatform/view.h"
#include "qvplatform/wnddc.h"

// ---- CView ----

IMPLEMENT_DYNAMIC(CView, CWnd)

BEGIN_MESSAGE_MAP(CView, CWnd)
ON_WM_PAINT()
END_MESSAGE_MAP()

CView::CView() = default;

CView::~CView() {
    if (m_pDocument) m_pDocument->RemoveView(this);
}

void CView::OnInitialUpdate() {
    OnUpdate(nullptr, 0, nullptr);
}

void CView::OnPrepareDC(CDC*, CPrintInfo*) {}

void CView::OnUpdate(CView*, LPARAM, CObject*) {
    Invalidate(TRUE);
}

void CView::PostNcDestroy() {
    delete this;
}

void CView::OnPaint() {
    CPaintDC dc(this);
    if (!dc.m_hDC) return;
    OnPrepareDC(&dc);
    OnDraw(&dc);
}

// ---- CSingleDocTemplate ----

IMPLEMENT_DYNAMIC(CSingleDocTemplate, CCmdTarget)

namespace {

// A new object of `pClass` when that is T or derives from it, else null.
template <class T>
std::unique_ptr<T> Create(const CRuntimeClass* pClass) {
    if (!pClass || !pClass->IsDerivedFrom(T::GetThisClass())) return nullptr;
    return std::unique_ptr<T>(static_cast<T*>(pClass->CreateObject()));
}

}  // namespace

CSingleDocTemplate::CSingleDocTemplate(const CRuntimeClass* pDocClass,
                                       const CRuntimeClass* pViewClass)
    : m_pDocClass(pDocClass), m_pViewClass(pViewClass) {}

CSingleDocTemplate::~CSingleDocTemplate() {
    CloseAllDocuments();
}

CDocument* CSingleDocTemplate::OpenDocumentFile(LPCSTR lpszPathName, LPCSTR lpszTitle, int cx,
                                                int cy, UINT nBackend) {
    CloseAllDocuments();
    std::unique_ptr<CDocument> document = Create<CDocument>(m_pDocClass);
    std::unique_ptr<CView> view = Create<CView>(m_pViewClass);
    if (!document || !view) return nullptr;
    document->m_pDocTemplate = this;
    document->AddView(view.get());
    m_pDocument = document.release();
    if (!view->Create(lpszTitle, cx, cy, nBackend)) {
        CloseAllDocuments();  // the view, not yet owned by a window, goes with `view`
        return nullptr;
    }
    CView* pView = view.release();  // its window owns it now
    BOOL bLoaded =
        lpszPathName ? m_pDocument->OnOpenDocument(lpszPathName) : m_pDocument->OnNewDocument();
    if (!bLoaded) {
        CloseAllDocuments();
        return nullptr;
    }
    if (lpszPathName) m_pDocument->SetPathName(lpszPathName);
    pView->OnInitialUpdate();
    return m_pDocument;
}

CView* CSingleDocTemplate::GetView() const {
    POSITION pos = m_pDocument ? m_pDocument->GetFirstViewPosition() : nullptr;
    return pos ? m_pDocument->GetNextView(pos) : nullptr;
}

void CSingleDocTemplate::CloseAllDocuments() {
    if (!m_pDocument) return;
    // A view deletes itself with its window; one without a window is only detached.
    while (CView* pView = GetView())
        if (!pView->m_hWnd || !pView->DestroyWindow()) m_pDocument->RemoveView(pView);
    delete m_pDocument;
    m_pDocument = nullptr;
}
