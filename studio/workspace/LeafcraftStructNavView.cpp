#include "studio/workspace/LeafcraftStructNavView.h"

#include <QTreeWidget>
#include <algorithm>
#include <utility>

#include "platform/ui/PeopleService.h"
#include "platform/ui/Resources.h"
#include "platform/ui/WinApp.h"
#include "studio/project/LeafcraftDoc.h"

IMPLEMENT_DYNCREATE(CLeafcraftStructNavView, CLeafcraftBaseView)

namespace {
constexpr UINT kBanner = 735;
constexpr UINT kMenu = 734;
constexpr UINT kScrollDelay = 300;
constexpr int kScrollMargin = 10;
constexpr UINT kScrollInterval = 100;
constexpr const char* kSiteFilter = "HTML Files (*.htm; *.html)|*.htm;*.html|All Files (*.*)|*.*||";
}  // namespace

CLeafcraftStructNavView::CLeafcraftStructNavView() : CLeafcraftBaseView(IDD, kBanner, kMenu) {
    MapCommand(ID_TOUR_ADD, &CLeafcraftStructNavView::OnAddTour);
    MapCommand(ID_TOUR_REMOVE, &CLeafcraftStructNavView::OnRemoveTour);
    MapCommand(ID_TOUR_MOVEUP, &CLeafcraftStructNavView::OnMoveUp);
    MapCommand(ID_TOUR_MOVEDOWN, &CLeafcraftStructNavView::OnMoveDown);
    MapCommand(ID_TOUR_DEFAULT, &CLeafcraftStructNavView::OnMakeDefault);
    MapCommand(ID_SITE_ADD, &CLeafcraftStructNavView::OnAddSite);
    MapCommand(ID_SITE_REMOVE, &CLeafcraftStructNavView::OnRemoveSite);
    MapCommand(ID_SITE_BROWSE, &CLeafcraftStructNavView::OnBrowseSite);
    MapCommand(ID_TREE_RENAME, &CLeafcraftStructNavView::OnRename);
    for (UINT id : {ID_TOUR_REMOVE, ID_TOUR_MOVEUP, ID_TOUR_MOVEDOWN, ID_TOUR_DEFAULT, ID_SITE_ADD, ID_SITE_REMOVE,
                    ID_SITE_BROWSE, ID_TREE_RENAME})
        MapUpdateUI(id, &CLeafcraftStructNavView::OnUpdateTourCommand);
    MapNotify(IDC_TOUR_TREE, TVN_ENDLABELEDIT, [this](NMHDR* header, LRESULT* result) {
        BOOL keep = OnEndLabelEdit(reinterpret_cast<NMTVDISPINFO*>(header));
        if (result) *result = keep;
    });
}

CLeafcraftStructNavView::~CLeafcraftStructNavView() = default;

BOOL CLeafcraftStructNavView::ValidateWorkspace(BOOL) { return TRUE; }

void CLeafcraftStructNavView::OnInitialUpdate() {
    CLeafcraftBaseView::OnInitialUpdate();
    if (!m_treeReady && m_tree.SubclassDlgItem(IDC_TOUR_TREE, this)) {
        m_treeReady = true;
        m_tree.SetScrollDelay(kScrollDelay);
        m_tree.SetScrollMargin(kScrollMargin);
        m_tree.SetScrollInterval(kScrollInterval);
    }
    FillTourTree();
}

void CLeafcraftStructNavView::FillTourTree() {
    if (!m_treeReady) return;
    CLeafcraftDoc* document = FindLeafcraftDoc();
    m_tree.SetDocument(document);
    m_tree.DeleteAllItems();
    if (!document) return;
    for (int i = 0; i < document->GetTourCount(); ++i) {
        CLCTour* tour = document->GetTour(i);
        if (!tour) continue;
        HTREEITEM item = m_tree.InsertItem(tour->m_strTitle.c_str(), 0, 0, TVI_ROOT, TVI_LAST, FALSE);
        for (int j = 0; j < tour->GetSiteCount(); ++j)
            if (CLCTourSite* site = tour->GetSite(j))
                m_tree.InsertItem(site->m_strHref.c_str(), 0, 0, item, TVI_LAST, FALSE);
        m_tree.Expand(item, TVE_EXPAND);
    }
}

BOOL CLeafcraftStructNavView::GetSelection(int& tour, int& site) const {
    tour = site = -1;
    if (!m_treeReady) return FALSE;
    HTREEITEM selected = m_tree.GetSelectedItem();
    if (!selected) return FALSE;
    HTREEITEM parent = m_tree.GetParentItem(selected);
    if (parent) {
        tour = m_tree.GetSiblingIndex(parent);
        site = m_tree.GetSiblingIndex(selected);
    } else {
        tour = m_tree.GetSiblingIndex(selected);
    }
    return TRUE;
}

void CLeafcraftStructNavView::SelectRecord(int tour, int site) {
    FillTourTree();
    HTREEITEM item = m_tree.GetRootItem();
    for (int i = 0; item && i < tour; ++i) item = m_tree.GetNextSiblingItem(item);
    if (item && site >= 0) {
        item = m_tree.GetChildItem(item);
        for (int j = 0; item && j < site; ++j) item = m_tree.GetNextSiblingItem(item);
    }
    if (item) {
        m_tree.SelectItem(item);
        m_tree.EnsureVisible(item);
    }
}

void CLeafcraftStructNavView::OnUpdateTourCommand(CCmdUI* ui) {
    int tour = -1, site = -1;
    BOOL selected = GetSelection(tour, site);
    CLeafcraftDoc* document = m_tree.GetDocument();
    CLCTour* record = document && selected ? document->GetTour(tour) : nullptr;
    BOOL enable = FALSE;
    switch (ui->m_nID) {
        case ID_TOUR_REMOVE:
            enable = record && site < 0;
            break;
        case ID_TOUR_MOVEUP:
            enable = record && (site < 0 ? tour > 0 : site > 0);
            break;
        case ID_TOUR_MOVEDOWN:
            enable = record && (site < 0 ? tour + 1 < document->GetTourCount() : site + 1 < record->GetSiteCount());
            break;
        case ID_TOUR_DEFAULT:
            enable = record && site < 0 && tour > 0;
            break;
        case ID_SITE_ADD:
        case ID_TREE_RENAME:
            enable = record != nullptr;
            break;
        case ID_SITE_REMOVE:
        case ID_SITE_BROWSE:
            enable = record && site >= 0;
            break;
        default:
            break;
    }
    ui->Enable(enable);
}

void CLeafcraftStructNavView::OnAddTour() {
    if (!m_treeReady || !m_tree.GetDocument()) return;
    HTREEITEM item = m_tree.InsertItem(leaf::ui::LoadResString(IDS_NEW_TOUR).c_str(), 0, 0, TVI_ROOT, TVI_LAST, TRUE);
    if (!item) return;
    m_tree.SelectItem(item);
    m_tree.EnsureVisible(item);
    m_tree.SetFocus();
    m_tree.EditLabel(item);
}

void CLeafcraftStructNavView::OnRemoveTour() {
    int tour = -1, site = -1;
    if (!GetSelection(tour, site) || site >= 0) return;
    if (AfxMessageBox(IDS_CONFIRM_REMOVE_TOUR, MB_YESNO) != IDYES) return;
    HTREEITEM selected = m_tree.GetSelectedItem();
    if (selected) m_tree.DeleteItem(selected);
}

void CLeafcraftStructNavView::MoveSelected(int offset) {
    int tour = -1, site = -1;
    CLeafcraftDoc* document = m_tree.GetDocument();
    if (!document || !GetSelection(tour, site)) return;
    // The records move as they are (titles, ids and links kept); the tree is refilled.
    if (site < 0) {
        auto& tours = document->m_tours;
        int target = tour + offset;
        if (tour < 0 || target < 0 || target >= static_cast<int>(tours.size())) return;
        std::swap(tours[static_cast<size_t>(tour)], tours[static_cast<size_t>(target)]);
        document->SetModifiedFlag();
        SelectRecord(target, -1);
    } else {
        CLCTour* record = document->GetTour(tour);
        if (!record) return;
        auto& sites = record->m_sites;
        int target = site + offset;
        if (target < 0 || target >= static_cast<int>(sites.size())) return;
        std::swap(sites[static_cast<size_t>(site)], sites[static_cast<size_t>(target)]);
        document->SetModifiedFlag();
        SelectRecord(tour, target);
    }
}

void CLeafcraftStructNavView::OnMoveUp() { MoveSelected(-1); }

void CLeafcraftStructNavView::OnMoveDown() { MoveSelected(1); }

void CLeafcraftStructNavView::OnMakeDefault() {
    int tour = -1, site = -1;
    CLeafcraftDoc* document = m_tree.GetDocument();
    if (!document || !GetSelection(tour, site) || site >= 0 || tour <= 0) return;
    // The first tour is the book's default one.
    auto& tours = document->m_tours;
    if (tour >= static_cast<int>(tours.size())) return;
    auto chosen = std::move(tours[static_cast<size_t>(tour)]);
    tours.erase(tours.begin() + tour);
    tours.insert(tours.begin(), std::move(chosen));
    document->SetModifiedFlag();
    SelectRecord(0, -1);
}

void CLeafcraftStructNavView::OnAddSite() {
    if (!m_treeReady || !m_tree.GetDocument()) return;
    HTREEITEM selected = m_tree.GetSelectedItem();
    if (!selected) return;
    // After the selected site, or at the end of the selected tour.
    HTREEITEM parent = m_tree.GetParentItem(selected);
    HTREEITEM tour = parent ? parent : selected;
    HTREEITEM after = parent ? selected : TVI_LAST;
    HTREEITEM item = m_tree.InsertItem(leaf::ui::LoadResString(IDS_NEW_SITE).c_str(), 0, 0, tour, after, TRUE);
    if (!item) return;
    m_tree.Expand(tour, TVE_EXPAND);
    m_tree.SelectItem(item);
    m_tree.EnsureVisible(item);
    m_tree.SetFocus();
    m_tree.EditLabel(item);
}

void CLeafcraftStructNavView::OnRemoveSite() {
    int tour = -1, site = -1;
    if (!GetSelection(tour, site) || site < 0) return;
    if (HTREEITEM selected = m_tree.GetSelectedItem()) m_tree.DeleteItem(selected);
}

void CLeafcraftStructNavView::OnBrowseSite() {
    int tour = -1, site = -1;
    CLeafcraftDoc* document = m_tree.GetDocument();
    if (!document || !GetSelection(tour, site) || site < 0) return;
    CLCTour* record = document->GetTour(tour);
    CLCTourSite* link = record ? record->GetSite(site) : nullptr;
    if (!link) return;
    leaf::ui::FileDialogRequest request;
    request.filter = kSiteFilter;
    request.initialFolder = document->m_strSourceFolder.str();
    std::vector<std::string> chosen = leaf::ui::People().ChooseFiles(GetWidget(), request);
    if (chosen.empty() || chosen.front().empty()) return;
    link->m_strHref = chosen.front();
    document->SetModifiedFlag();
    if (HTREEITEM selected = m_tree.GetSelectedItem()) m_tree.SetItemText(selected, link->m_strHref.c_str());
}

void CLeafcraftStructNavView::OnRename() {
    if (!m_treeReady) return;
    if (HTREEITEM selected = m_tree.GetSelectedItem()) {
        m_tree.SetFocus();
        m_tree.EditLabel(selected);
    }
}

BOOL CLeafcraftStructNavView::OnEndLabelEdit(NMTVDISPINFO* info) {
    CLeafcraftDoc* document = m_tree.GetDocument();
    if (!info || !info->item.pszText || !document) return FALSE;
    CString typed(info->item.pszText);
    CString text(typed);
    text.Trim();
    // A tour needs a title and a site a link.
    if (text.IsEmpty()) return FALSE;
    HTREEITEM item = info->item.hItem;
    if (!item) return FALSE;
    // The item shows the text as it is kept: without the blanks around it.
    BOOL keepTyped = typed == text;
    if (!keepTyped) m_tree.SetItemText(item, text.c_str());
    HTREEITEM parent = m_tree.GetParentItem(item);
    if (parent) {
        CLCTour* tour = document->GetTour(m_tree.GetSiblingIndex(parent));
        CLCTourSite* site = tour ? tour->GetSite(m_tree.GetSiblingIndex(item)) : nullptr;
        if (!site) return FALSE;
        if (site->m_strHref == text) return keepTyped;
        site->m_strHref = text;
    } else {
        CLCTour* tour = document->GetTour(m_tree.GetSiblingIndex(item));
        if (!tour) return FALSE;
        if (tour->m_strTitle == text) return keepTyped;
        tour->m_strTitle = text;
    }
    document->SetModifiedFlag();
    return keepTyped;
}
