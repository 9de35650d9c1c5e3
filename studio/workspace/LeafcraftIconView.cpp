#include "studio/workspace/LeafcraftIconView.h"

#include <QAbstractItemView>
#include <QListView>
#include <QPalette>

#include "platform/ui/ListCtrl.h"
#include "platform/ui/WinApp.h"
#include "studio/workspace/LeafcraftApp.h"
#include "studio/workspace/LeafcraftBaseView.h"
#include "studio/workspace/MainFrame.h"
#include "studio/workspace/StudioBitmaps.h"

IMPLEMENT_DYNCREATE(CLeafcraftIconView, CListView)

namespace {
CMainFrame* MainFrame() { return dynamic_cast<CMainFrame*>(AfxGetMainWnd()); }
}  // namespace

CLeafcraftIconView::CLeafcraftIconView() : CListView(false) {
    // One click on an icon activates its workspace.
    MapNotify(kListId, NM_CLICK, [this](NMHDR*, LRESULT* result) {
        if (result) *result = 0;
        OnItemActivate();
    });
    MapNotify(kListId, NM_RETURN, [this](NMHDR*, LRESULT* result) {
        if (result) *result = 0;
        OnItemActivate();
    });
}

CLeafcraftIconView::~CLeafcraftIconView() = default;

BOOL CLeafcraftIconView::Create(CWnd* parent, UINT id, CCreateContext* context) {
    // The icon strip must be there, or the column cannot show its workspaces.
    QPixmap strip = leaf::app::LoadStudioBitmap(leaf::app::IDB_WORKSPACE_ICONS);
    if (strip.isNull()) return FALSE;
    QImage image = strip.toImage();
    QBitmap mask = QBitmap::fromImage(image.createMaskFromColor(qRgb(255, 0, 255), Qt::MaskInColor));
    strip.setMask(mask);
    m_imageList.Create(leaf::app::kWorkspaceIconSize, leaf::app::kWorkspaceIconSize);
    m_imageList.Add(strip);
    if (m_imageList.GetImageCount() != leaf::app::kWorkspaceIconCount) return FALSE;

    if (!CListView::Create(parent, id, context)) return FALSE;
    CListCtrl& list = GetListCtrl();
    list.SetImageList(&m_imageList, LVSIL_NORMAL);
    if (QAbstractItemView* view = list.View()) {
        QPalette colours = view->palette();
        colours.setColor(QPalette::Base, Qt::black);
        colours.setColor(QPalette::Window, Qt::black);
        colours.setColor(QPalette::Text, Qt::white);
        view->setPalette(colours);
        view->setSelectionMode(QAbstractItemView::SingleSelection);
        if (auto* icons = qobject_cast<QListView*>(view)) {
            icons->setFlow(QListView::TopToBottom);
            icons->setWrapping(false);
            icons->setIconSize(QSize(leaf::app::kWorkspaceIconSize, leaf::app::kWorkspaceIconSize));
        }
    }
    return TRUE;
}

void CLeafcraftIconView::OnInitialUpdate() {
    CListView::OnInitialUpdate();
    CListCtrl& list = GetListCtrl();
    list.DeleteAllItems();
    CLeafcraftApp* app = CLeafcraftApp::Get();
    if (!app) return;
    int index = 0;
    for (const auto& workspace : app->GetWorkspaces())
        list.InsertItem(index++, workspace->m_name.c_str(), workspace->m_imageIndex);
    SelectItem(0);
    // The frame made workspace 0 already; switching to it again makes it current without
    // asking the view it replaces.
    if (CMainFrame* frame = MainFrame()) {
        frame->m_bSkipValidation = TRUE;
        frame->SendMessage(WM_COMMAND, ID_WORKSPACE_FIRST, 0);
        frame->m_bSkipValidation = FALSE;
    }
}

void CLeafcraftIconView::OnItemActivate() {
    int selected = GetSelectedItem();
    if (selected < 0) return;
    if (CWnd* main = AfxGetMainWnd()) main->SendMessage(WM_COMMAND, ID_WORKSPACE_FIRST + static_cast<UINT>(selected), 0);
}

void CLeafcraftIconView::SelectItem(int index) {
    CListCtrl& list = GetListCtrl();
    // One selected icon at a time.
    list.SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    list.SetItemState(index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

int CLeafcraftIconView::GetSelectedItem() const { return GetListCtrl().GetNextItem(-1, LVNI_SELECTED); }

BOOL CLeafcraftIconView::OnCmdMsg(UINT id, int code, void* extra, LRESULT* result, bool probe) {
    // Commands go to the workspace first, so its commands work from the icon column.
    if (code == CN_COMMAND || code == CN_UPDATE_COMMAND_UI) {
        if (CMainFrame* frame = MainFrame())
            if (CLeafcraftBaseView* workspace = frame->GetWorkspaceView())
                if (workspace->OnCmdMsg(id, code, extra, result, probe)) return TRUE;
    }
    return CListView::OnCmdMsg(id, code, extra, result, probe);
}
