#pragma once

// Views: the windows that show a document inside a frame. A view is created by class
// (RUNTIME_CLASS) by its template or by a splitter, with a creation context naming the
// document and the frame; it joins the document's view list and leaves it when it goes.
// Views delete themselves when their window is destroyed (PostNcDestroy), as the class
// library's views do.
//
// CView: a plain child widget. CFormView: a child built from a dialog template (the
// controls of the template with their ids). CListView: a view that is one list control.
// The initial update (WM_INITIALUPDATE, 0x0364) runs OnInitialUpdate, which by default
// calls OnUpdate(null, 0, null).

#include "platform/ui/Document.h"
#include "platform/ui/Wnd.h"

class CFrameWnd;
class CListCtrl;
class CView;

// What OnCreate receives; lpCreateParams is the CCreateContext given to LoadFrame or Create.
struct CREATESTRUCT {
    void* lpCreateParams = nullptr;
    CWnd* hwndParent = nullptr;
    DWORD style = 0;
    const char* lpszName = nullptr;
};
using LPCREATESTRUCT = CREATESTRUCT*;

// What a frame passes to the windows it creates.
struct CCreateContext {
    const CRuntimeClass* m_pNewViewClass = nullptr;
    CDocument* m_pCurrentDoc = nullptr;
    CDocTemplate* m_pNewDocTemplate = nullptr;
    CView* m_pLastView = nullptr;
    CFrameWnd* m_pCurrentFrame = nullptr;
};

class CView : public CWnd {
public:
    CView();
    ~CView() override;

    CDocument* GetDocument() const { return m_pDocument; }
    // Joins a document (leaving the previous one).
    void SetDocument(CDocument* document);
    // The frame the view is in (the nearest ancestor frame), null outside one.
    CFrameWnd* GetParentFrame() const;

    // Makes the view's window as a child of `parent` with id `id`; the context's
    // document becomes the view's document.
    virtual BOOL Create(CWnd* parent, UINT id, CCreateContext* context = nullptr);
    // WM_CREATE of the view, once its window exists: -1 stops the creation.
    virtual int OnCreate(LPCREATESTRUCT createStruct);

    virtual void OnInitialUpdate();
    virtual void OnUpdate(CView* sender, LPARAM hint, CObject* hintObject);
    // Called by the frame when the view becomes or stops being the active view.
    virtual void OnActivateView(BOOL activate, CView* activateView, CView* deactivateView);

    // The view first, then its document.
    BOOL OnCmdMsg(UINT id, int code, void* extra, LRESULT* result = nullptr, bool probe = false) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Deleted with its window. Set by the frame and the splitter for the views they
    // create by class; a view made by code is owned by its maker.
    BOOL m_bAutoDelete = FALSE;

protected:
    // Builds the view's widget; the default is a plain QWidget.
    virtual QWidget* CreateViewWidget(QWidget* parent);
    void OnDestroy() override;
    void PostNcDestroy() override;

    CDocument* m_pDocument = nullptr;
};

// A view built from a child dialog template.
class CFormView : public CView {
public:
    explicit CFormView(UINT templateId);
    UINT GetTemplateId() const { return m_templateId; }

protected:
    QWidget* CreateViewWidget(QWidget* parent) override;

private:
    UINT m_templateId;
};

// A view that is one list control (report or icon mode as `report` says at creation).
// The list fills the view and carries the id kListId; its notifications (clicks,
// selection, activation) come to the view itself, as reflected notifications do:
// MapNotify(CListView::kListId, code, handler).
class CListView : public CView {
public:
    static constexpr UINT kListId = 1;

    explicit CListView(bool report = false);
    CListCtrl& GetListCtrl() const;

protected:
    QWidget* CreateViewWidget(QWidget* parent) override;

private:
    bool m_report;
};
