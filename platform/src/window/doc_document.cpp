// Documents: their views, their modified flag and their files.
#include <exception>
#include <vector>

#include "qvplatform/archive.h"
#include "qvplatform/doc.h"
#include "qvplatform/file.h"
#include "qvplatform/msgbox.h"
#include "qvplatform/replacefile.h"
#include "qvplatform/view.h"

namespace {

void ReportFileFailure(LPCSTR lpszVerb, LPCSTR lpszPathName, const char* reason) {
    CString text = CString(lpszVerb) + " \"" + lpszPathName + "\" failed";
    if (reason && *reason) text += CString(": ") + reason;
    AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace

IMPLEMENT_DYNAMIC(CDocument, CCmdTarget)

CDocument::CDocument() = default;

CDocument::~CDocument() {
    for (POSITION pos = m_viewList.GetHeadPosition(); pos;)
        m_viewList.GetNext(pos)->m_pDocument = nullptr;
    m_viewList.RemoveAll();
}

void CDocument::AddView(CView* pView) {
    if (!pView || pView->m_pDocument == this) return;
    if (pView->m_pDocument) pView->m_pDocument->RemoveView(pView);
    m_viewList.AddTail(pView);
    pView->m_pDocument = this;
}

void CDocument::RemoveView(CView* pView) {
    POSITION pos = pView ? m_viewList.Find(pView) : nullptr;
    if (!pos) return;
    m_viewList.RemoveAt(pos);
    pView->m_pDocument = nullptr;
}

void CDocument::UpdateAllViews(CView* pSender, LPARAM lHint, CObject* pHint) {
    // A view's OnUpdate may detach views: walk a copy and skip those gone.
    std::vector<CView*> views;
    for (POSITION pos = m_viewList.GetHeadPosition(); pos;)
        views.push_back(m_viewList.GetNext(pos));
    for (CView* pView : views)
        if (pView != pSender && m_viewList.Find(pView)) pView->OnUpdate(pSender, lHint, pHint);
}

void CDocument::SetPathName(LPCSTR lpszPathName) {
    m_strPathName = lpszPathName ? lpszPathName : "";
    std::string_view path(m_strPathName.GetString());
    std::size_t slash = path.find_last_of("\\/");
    SetTitle(CString(slash == std::string_view::npos ? path : path.substr(slash + 1)));
}

BOOL CDocument::OnNewDocument() {
    DeleteContents();
    m_bModified = FALSE;
    return TRUE;
}

BOOL CDocument::OnOpenDocument(LPCSTR lpszPathName) {
    DeleteContents();
    try {
        CFile file(lpszPathName, CFile::modeRead | CFile::shareDenyWrite | CFile::typeBinary);
        if (file.GetLength() != 0) {
            CArchive ar(&file, CArchive::load);
            Serialize(ar);
            ar.Close();
        }
    } catch (const std::exception& e) {
        DeleteContents();
        ReportFileFailure("Opening", lpszPathName, e.what());
        return FALSE;
    }
    m_bModified = FALSE;
    return TRUE;
}

BOOL CDocument::OnSaveDocument(LPCSTR lpszPathName) {
    try {
        CReplacementFile file;
        CFileException error;
        if (!file.Open(lpszPathName, CFile::modeCreate | CFile::modeWrite | CFile::typeBinary,
                       &error))
            throw error;
        CArchive ar(&file, CArchive::store);
        Serialize(ar);
        ar.Close();
        file.Commit();
    } catch (const std::exception& e) {
        ReportFileFailure("Saving", lpszPathName, e.what());
        return FALSE;
    }
    m_bModified = FALSE;
    return TRUE;
}

void CDocument::DeleteContents() {}
