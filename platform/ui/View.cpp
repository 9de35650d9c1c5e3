#include "platform/ui/View.h"

#include <QVBoxLayout>
#include <QWidget>

#include "platform/ui/DialogBuilder.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/ListCtrl.h"
#include "platform/ui/Resources.h"

using namespace leaf::ui;

CView::CView() = default;

CView::~CView() {
    if (m_pDocument) m_pDocument->RemoveView(this);
}

void CView::SetDocument(CDocument* document) {
    if (document == m_pDocument) return;
    CDocument* previous = m_pDocument;
    m_pDocument = document;
    if (previous) previous->RemoveView(this);
    if (document) document->AddView(this);
}

CFrameWnd* CView::GetParentFrame() const { return GetParentFrameOf(this); }

QWidget* CView::CreateViewWidget(QWidget* parent) { return new QWidget(parent); }

BOOL CView::Create(CWnd* parent, UINT id, CCreateContext* context) {
    if (GetWidget()) return FALSE;
    QWidget* widget = CreateViewWidget(parent ? parent->GetWidget() : nullptr);
    if (!widget) return FALSE;
    SetControlId(widget, static_cast<int>(id));
    AttachCreated(widget);
    if (context && context->m_pCurrentDoc) SetDocument(context->m_pCurrentDoc);
    CREATESTRUCT create;
    create.lpCreateParams = context;
    create.hwndParent = parent;
    create.style = WS_CHILD | WS_VISIBLE;
    if (OnCreate(&create) == -1) {
        // The creation failed: the window goes, and the object stays with its creator.
        BOOL autoDelete = m_bAutoDelete;
        m_bAutoDelete = FALSE;
        DestroyWindow();
        m_bAutoDelete = autoDelete;
        return FALSE;
    }
    return TRUE;
}

int CView::OnCreate(LPCREATESTRUCT) { return 0; }

void CView::OnInitialUpdate() { OnUpdate(nullptr, 0, nullptr); }

void CView::OnUpdate(CView*, LPARAM, CObject*) {
    if (GetWidget()) GetWidget()->update();
}

void CView::OnActivateView(BOOL, CView*, CView*) {}

BOOL CView::OnCmdMsg(UINT id, int code, void* extra, LRESULT* result, bool probe) {
    if (CWnd::OnCmdMsg(id, code, extra, result, probe)) return TRUE;
    return m_pDocument && m_pDocument->OnCmdMsg(id, code, extra, result, probe);
}

LRESULT CView::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITIALUPDATE) {
        OnInitialUpdate();
        return 0;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

void CView::OnDestroy() {
    if (CFrameWnd* frame = GetParentFrame(); frame && frame->GetActiveView() == this) frame->SetActiveView(nullptr, FALSE);
    if (m_pDocument) m_pDocument->RemoveView(this);
    CWnd::OnDestroy();
}

void CView::PostNcDestroy() {
    if (m_bAutoDelete) delete this;
}

CFormView::CFormView(UINT templateId) : m_templateId(templateId) {}

QWidget* CFormView::CreateViewWidget(QWidget* parent) {
    const ResourceNode* form = Resources().FindDialog(m_templateId);
    if (!form) return nullptr;
    auto* widget = new QWidget(parent);
    MarkDialogRoot(widget);
    if (!BuildDialogControls(*form, widget)) {
        delete widget;
        return nullptr;
    }
    return widget;
}

CListView::CListView(bool report) : m_report(report) {}

QWidget* CListView::CreateViewWidget(QWidget* parent) {
    // The list fills the view; the view is the window its notifications go to.
    auto* widget = new QWidget(parent);
    auto* layout = new QVBoxLayout(widget);
    layout->setContentsMargins(0, 0, 0, 0);
    ResourceNode node;
    node.kind = "listview";
    node.flags.push_back(m_report ? "report" : "icon");
    node.flags.push_back("singlesel");
    QWidget* list = CListCtrl::CreateFromTemplate(node);
    SetControlId(list, static_cast<int>(kListId));
    layout->addWidget(list);
    return widget;
}

CListCtrl& CListView::GetListCtrl() const {
    static CListCtrl none;   // a view without a window answers with an empty list wrapper
    CListCtrl* list = GetDlgItemAs<CListCtrl>(static_cast<int>(kListId));
    return list ? *list : none;
}
