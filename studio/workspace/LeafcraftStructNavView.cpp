#include "studio/workspace/LeafcraftStructNavView.h"

#include "platform/ui/ListCtrl.h"
#include "studio/project/LeafcraftDoc.h"

IMPLEMENT_DYNCREATE(CLeafcraftStructNavView, CLeafcraftBaseView)

namespace {
constexpr UINT kBanner = 735;
constexpr UINT kMenu = 734;
}  // namespace

CLeafcraftStructNavView::CLeafcraftStructNavView() : CLeafcraftBaseView(IDD, kBanner, kMenu) {}

BOOL CLeafcraftStructNavView::ValidateWorkspace(BOOL) { return TRUE; }

void CLeafcraftStructNavView::OnInitialUpdate() {
    CLeafcraftBaseView::OnInitialUpdate();
    FillTourList();
}

void CLeafcraftStructNavView::FillTourList() {
    auto* list = GetDlgItemAs<CListCtrl>(static_cast<int>(IDC_TOUR_LIST));
    if (!list) return;
    list->DeleteAllItems();
    if (list->GetColumnCount() == 0) {
        list->InsertColumn(0, "Tour", LVCFMT_LEFT, 300);
        list->InsertColumn(1, "Sites", LVCFMT_RIGHT, 80);
    }
    auto* document = dynamic_cast<CLeafcraftDoc*>(GetDocument());
    if (!document) return;
    for (int i = 0; i < document->GetTourCount(); ++i) {
        CLCTour* tour = document->GetTour(i);
        if (!tour) continue;
        list->InsertItem(i, tour->m_strTitle.c_str());
        CString count;
        count.Format("%d", tour->GetSiteCount());
        list->SetItemText(i, 1, count.c_str());
    }
}
