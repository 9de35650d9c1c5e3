#include "studio/workspace/LeafcraftCoverPageView.h"

#include "platform/ui/ListCtrl.h"
#include "platform/ui/PeopleService.h"
#include "studio/project/ApplicationLists.h"
#include "studio/project/GuideTypeDefinition.h"
#include "studio/project/LeafcraftDoc.h"

IMPLEMENT_DYNCREATE(CLeafcraftCoverPageView, CLeafcraftBaseView)

namespace {
constexpr UINT kBanner = 333;
constexpr UINT kMenu = 113;
constexpr const char* kDynamicFilter = "<dynamic>";
constexpr const char* kAllFilesFilter = "All Files (*.*)|*.*||";
}  // namespace

CLeafcraftCoverPageView::CLeafcraftCoverPageView() : CLeafcraftBaseView(IDD, kBanner, kMenu) {
    MapCommand(IDC_GUIDE_BROWSE, &CLeafcraftCoverPageView::OnBrowse);
    MapCommand(IDC_GUIDE_DEFAULT, &CLeafcraftCoverPageView::OnUseDefault);
    MapCommand(IDC_GUIDE_NONE, &CLeafcraftCoverPageView::OnNone);
    MapNotify(IDC_GUIDE_LIST, LVN_ITEMCHANGED, [this](NMHDR*, LRESULT*) { UpdateSelection(); });
    MapNotify(IDC_GUIDE_LIST, NM_DBLCLK, [this](NMHDR*, LRESULT* result) {
        if (result) *result = 0;
        if (GetSelectedType()) OnBrowse();
    });
}

BOOL CLeafcraftCoverPageView::ValidateWorkspace(BOOL) { return TRUE; }

void CLeafcraftCoverPageView::OnInitialUpdate() {
    CLeafcraftBaseView::OnInitialUpdate();
    FillGuideList();
}

void CLeafcraftCoverPageView::FillGuideList() {
    auto* list = GetDlgItemAs<CListCtrl>(static_cast<int>(IDC_GUIDE_LIST));
    if (!list) return;
    int selected = GetSelectedRow();
    list->DeleteAllItems();
    if (list->GetColumnCount() == 0) {
        list->InsertColumn(0, "Guide link", LVCFMT_LEFT, 200);
        list->InsertColumn(1, "File", LVCFMT_LEFT, 360);
        m_columnFitter.Fit(list);
    }
    CLeafcraftDoc* document = FindLeafcraftDoc();
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
    if (selected >= 0 && selected < row)
        list->SetItemState(selected, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    UpdateSelection();
}

int CLeafcraftCoverPageView::GetSelectedRow() const {
    auto* list = GetDlgItemAs<CListCtrl>(static_cast<int>(IDC_GUIDE_LIST));
    return list ? list->GetNextItem(-1, LVNI_SELECTED) : -1;
}

const CGuideTypeDefinition* CLeafcraftCoverPageView::GetSelectedType() const {
    int row = GetSelectedRow();
    const auto& types = leaf::GetApplicationLists().m_guideTypes;
    if (row < 0 || row >= static_cast<int>(types.size())) return nullptr;
    return types[static_cast<size_t>(row)].get();
}

void CLeafcraftCoverPageView::UpdateSelection() {
    const CGuideTypeDefinition* type = GetSelectedType();
    BOOL haveDocument = FindLeafcraftDoc() != nullptr;
    if (CWnd* description = GetDlgItem(static_cast<int>(IDC_GUIDE_DESCRIPTION)))
        description->SetWindowText(type ? ExpandLineBreaks(type->m_strDescription).c_str() : "");
    if (CWnd* browse = GetDlgItem(static_cast<int>(IDC_GUIDE_BROWSE))) browse->EnableWindow(type && haveDocument);
    if (CWnd* useDefault = GetDlgItem(static_cast<int>(IDC_GUIDE_DEFAULT)))
        useDefault->EnableWindow(type && haveDocument && type->m_bHasDefault);
    if (CWnd* none = GetDlgItem(static_cast<int>(IDC_GUIDE_NONE))) none->EnableWindow(type && haveDocument);
}

void CLeafcraftCoverPageView::SetSelectedItem(LONG mode, const CString& path) {
    const CGuideTypeDefinition* type = GetSelectedType();
    CLeafcraftDoc* document = FindLeafcraftDoc();
    if (!type || !document) return;
    CLCCoverPage* item = document->GetGuideItem(type->m_strType, TRUE);
    if (!item) return;
    if (item->m_nMode == mode && item->m_strPath == path) return;
    item->m_nMode = mode;
    item->m_strPath = path;
    document->SetModifiedFlag();
    FillGuideList();
}

void CLeafcraftCoverPageView::OnBrowse() {
    const CGuideTypeDefinition* type = GetSelectedType();
    CLeafcraftDoc* document = FindLeafcraftDoc();
    if (!type || !document) return;
    leaf::ui::FileDialogRequest request;
    request.title = type->m_strTitle.str();
    // Types whose files are chosen among the sources offer every file.
    bool dynamic = type->m_strFilter.IsEmpty() || type->m_strFilter == kDynamicFilter;
    request.filter = dynamic ? kAllFilesFilter : type->m_strFilter.str();
    request.initialFolder = document->m_strSourceFolder.str();
    if (CLCCoverPage* item = document->GetGuideItem(type->m_strType, FALSE))
        if (item->m_nMode == CLCCoverPage::modeUser) request.initialName = item->m_strPath.str();
    std::vector<std::string> chosen = leaf::ui::People().ChooseFiles(GetWidget(), request);
    if (chosen.empty() || chosen.front().empty()) return;
    SetSelectedItem(CLCCoverPage::modeUser, CString(chosen.front()));
}

void CLeafcraftCoverPageView::OnUseDefault() {
    const CGuideTypeDefinition* type = GetSelectedType();
    if (!type || !type->m_bHasDefault) return;
    SetSelectedItem(CLCCoverPage::modeDefault, CString());
}

void CLeafcraftCoverPageView::OnNone() { SetSelectedItem(CLCCoverPage::modeNone, CString()); }
