// Documents and the template that pairs a document class with a view class.
#pragma once

#include "qvplatform/coll.h"
#include "qvplatform/cstring.h"
#include "qvplatform/msgmap.h"
#include "qvplatform/wnd.h"

class CView;
class CSingleDocTemplate;

// The data a program shows, with the views showing it, a modified flag and its file; the
// file holds what Serialize writes.
class QVP_API CDocument : public CCmdTarget {
    DECLARE_DYNAMIC(CDocument)
public:
    // Detaches the views still attached; they are not deleted.
    ~CDocument() override;

    // Attaching a view takes it from the document it had.
    void AddView(CView* pView);
    void RemoveView(CView* pView);
    POSITION GetFirstViewPosition() const { return m_viewList.GetHeadPosition(); }
    CView* GetNextView(POSITION& rPosition) const { return m_viewList.GetNext(rPosition); }
    // OnUpdate(pSender, lHint, pHint) on every attached view but the sender, in the order
    // they were attached; a view detached by an earlier one is skipped.
    void UpdateAllViews(CView* pSender, LPARAM lHint = 0, CObject* pHint = nullptr);

    virtual BOOL IsModified() { return m_bModified; }
    virtual void SetModifiedFlag(BOOL bModified = TRUE) { m_bModified = bModified; }
    const CString& GetPathName() const { return m_strPathName; }
    virtual void SetPathName(LPCSTR lpszPathName);  // the title becomes the file's name
    const CString& GetTitle() const { return m_strTitle; }
    virtual void SetTitle(LPCSTR lpszTitle) { m_strTitle = lpszTitle; }
    CSingleDocTemplate* GetDocTemplate() const { return m_pDocTemplate; }

    // Empties the document (DeleteContents) and clears the modified flag.
    virtual BOOL OnNewDocument();
    // Empties the document and loads the file through Serialize (an empty file loads
    // nothing). On failure a message box says why, the document is emptied again and the
    // result is FALSE.
    virtual BOOL OnOpenDocument(LPCSTR lpszPathName);
    // Stores through Serialize into a CReplacementFile: the file is replaced whole or not at
    // all, a link to it stays a link and its mode is kept. On failure the old file is
    // untouched, a message box says why and the result is FALSE. Clears the modified flag on
    // success.
    virtual BOOL OnSaveDocument(LPCSTR lpszPathName);
    // Drops the document's data; nothing by default.
    virtual void DeleteContents();

protected:
    CDocument();

    CList<CView*, CView*> m_viewList;

private:
    friend class CSingleDocTemplate;

    BOOL m_bModified = FALSE;
    CString m_strPathName;
    CString m_strTitle;
    CSingleDocTemplate* m_pDocTemplate = nullptr;
};

// Pairs a document class with a view class: makes one document with one view and the
// view's window, and owns them until they are closed.
class QVP_API CSingleDocTemplate : public CCmdTarget {
    DECLARE_DYNAMIC(CSingleDocTemplate)
public:
    CSingleDocTemplate(const CRuntimeClass* pDocClass, const CRuntimeClass* pViewClass);
    ~CSingleDocTemplate() override;  // closes the document
    CSingleDocTemplate(const CSingleDocTemplate&) = delete;
    CSingleDocTemplate& operator=(const CSingleDocTemplate&) = delete;

    // Closes the open document, then creates a document and a view of the template's
    // classes, attaches them, makes the view's window (a client area of cx x cy on
    // nBackend, which sends WM_SIZE), runs OnNewDocument (null path) or OnOpenDocument and
    // then the view's OnInitialUpdate. Null, with nothing left open, when a class cannot be
    // created or is not a document or a view, when the window cannot be made (see
    // AfxGetWindowError) or when the document refuses.
    CDocument* OpenDocumentFile(LPCSTR lpszPathName, LPCSTR lpszTitle = "", int cx = 640,
                                int cy = 480, UINT nBackend = WNDBACK_HEADLESS);
    CDocument* GetDocument() const { return m_pDocument; }
    // The document's first view, or null (the user may have closed its window).
    CView* GetView() const;
    // Destroys the views (with their windows) and the document.
    void CloseAllDocuments();

private:
    const CRuntimeClass* m_pDocClass;
    const CRuntimeClass* m_pViewClass;
    CDocument* m_pDocument = nullptr;
};
