#include "studio/workspace/LeafcraftCoverPageView.h"

#include "platform/ui/ListCtrl.h"
#include "studio/project/ApplicationLists.h"
#include "studio/project/LeafcraftDoc.h"

IMPLEMENT_DYNCREATE(CLeafcraftCoverPageView, CLeafcraftBaseView)

namespace {
constexpr UINT kBanner = 333;
constexpr UINT kMenu = 113;
}  // namespace

CLeafcraftCoverPageView::CLeafcraftCoverPageView() : CLeafcraftBaseView(IDD, kBanner, kMenu) {}

BOOL CLeafcraftCoverPageView::ValidateWorkspace(BOOL) { return TRUE; }

void CLeafcraftCoverPageView::OnInitialUpdate() {
    CLeafcraftBaseView::OnInitialUpdate();
    FillGuideList();
}

void CLeafcraftCoverPageView::FillGuideList() {
    auto* list = GetDlgItemAs<CListCtrl>(static_cast<int>(IDC_GUIDE_LIST));
    if (!list) return;
    list->DeleteAllItems();
    if (list->GetColumnCount() == 0) {
        list->InsertColumn(0, "Guide link", LVCFMT_LEFT, 200);
        list->InsertColumn(1, "File", LVCFMT_LEFT, 360);
    }
    auto* document = dynamic_cast<CLeafcraftDoc*>(GetDocument());
    int row = 0;
    for (const auto& type : leaf::GetApplicationLists().m_guideTypes) {
        list->InsertItem(row, type->m_strTitle.c_str());
        CString file = "(none)";
        if (CLCCoverPage* item = document ? document->GetGuideItem(type->m_strType, FALSE) : nullptr) {
            if (item->m_nMode == CLCCoverPage::modeUser) file = item->m_strPath;
            else if (item->m_nMode == CLCCoverPage::modeDefault && type->m_bHasDefault) file = "(default)";
        } else if (type->m_bHasDefault) {
            file = "(default)";
        }
        list->SetItemText(row, 1, file.c_str());
        ++row;
    }
}
