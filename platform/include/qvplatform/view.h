// Views: windows that show a document, and the view that scrolls over a larger picture.
#pragma once

#include "qvplatform/doc.h"
#include "qvplatform/wnd.h"

class CDC;
struct CPrintInfo;  // printing does not exist here: always null

// The mapping mode of scroll sizes: one logical unit is one pixel.
constexpr int MM_TEXT = 1;

// A window showing a document: it draws in OnDraw and learns of changes in OnUpdate.
// A view deletes itself once its window is destroyed, so it is made with new.
class QVP_API CView : public CWnd {
    DECLARE_DYNAMIC(CView)
public:
    ~CView() override;  // leaves its document

    CDocument* GetDocument() const { return m_pDocument; }
    // Called once the document is attached and loaded: OnUpdate(nullptr, 0, nullptr).
    virtual void OnInitialUpdate();
    virtual void OnDraw(CDC* pDC) = 0;
    // Readies the paint context before OnDraw; nothing here.
    virtual void OnPrepareDC(CDC* pDC, CPrintInfo* pInfo = nullptr);

protected:
    CView();
    // The document changed: the whole view is invalidated, with erasing.
    virtual void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint);
    void PostNcDestroy() override;

    // Paints the invalid area: OnPrepareDC, then OnDraw on the paint context.
    afx_msg void OnPaint();

    CDocument* m_pDocument = nullptr;

    DECLARE_MESSAGE_MAP()

private:
    friend class CDocument;
};

// A view over a picture larger than its window. The scroll bars hold the scroll position,
// and OnPrepareDC moves the context's origin by it, so OnDraw draws the whole picture in its
// own coordinates.
class QVP_API CScrollView : public CView {
    DECLARE_DYNAMIC(CScrollView)
public:
    // Page and line sizes of (0, 0): a page is a tenth of the total, a line a tenth of a page.
    // Defined in the platform, not inline: an inline static that a library takes by
    // reference becomes a unique symbol of that library and stops it unloading.
    static const SIZE sizeDefault;

    // Only MM_TEXT exists here; another mode throws CInvalidArgException. With a window,
    // the bars are set at once: range 0 .. total - 1 and the client size as the page, with
    // the position moved back inside if it is now too far.
    void SetScrollSizes(int nMapMode, SIZE sizeTotal, const SIZE& sizePage = sizeDefault,
                        const SIZE& sizeLine = sizeDefault);
    POINT GetScrollPosition() const;
    // Clamps to the bars' ranges, moves the picture and sets the bars.
    void ScrollToPosition(POINT pt);
    SIZE GetTotalSize() const { return m_totalDev; }
    void GetDeviceScrollSizes(int& nMapMode, SIZE& sizeTotal, SIZE& sizePage, SIZE& sizeLine) const;

    // Moves the origin by minus the scroll-bar positions.
    void OnPrepareDC(CDC* pDC, CPrintInfo* pInfo = nullptr) override;

protected:
    CScrollView();

    // The bars follow the new client size.
    afx_msg void OnSize(UINT nType, int cx, int cy);
    // A line or page of the sizes given, the thumb's position, or the ends; clamped.
    afx_msg void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    afx_msg void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);

    // Sets both bars for the total size and the client size.
    void UpdateBars();

    int m_nMapMode = 0;  // 0 until SetScrollSizes
    SIZE m_totalDev{0, 0};
    SIZE m_pageDev{0, 0};
    SIZE m_lineDev{0, 0};

    DECLARE_MESSAGE_MAP()

private:
    void OnScroll(int nBar, UINT nSBCode, UINT nPos);
    // Moves the picture from the bars' positions to `pt` and sets the bars.
    void ScrollToDevicePosition(POINT pt);
};
