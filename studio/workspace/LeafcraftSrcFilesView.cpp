#include "studio/workspace/LeafcraftSrcFilesView.h"

#include <QAbstractItemView>
#include <QContextMenuEvent>
#include <QCursor>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <algorithm>
#include <filesystem>
#include <map>

#include "platform/base/File.h"
#include "platform/base/Path.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/ImageList.h"
#include "platform/ui/ListCtrl.h"
#include "platform/ui/Menu.h"
#include "platform/ui/PeopleService.h"
#include "platform/ui/Resources.h"
#include "platform/ui/WaitCursor.h"
#include "platform/ui/WinApp.h"
#include "platform/ui/shell/Clipboard.h"
#include "platform/ui/shell/CommandLine.h"
#include "sdk/LeafcraftSDK.h"
#include "studio/project/LeafcraftDoc.h"
#include "studio/project/LeafcraftSDK.h"
#include "studio/workspace/MainFrame.h"
#include "studio/workspace/AddLocationDlg.h"
#include "studio/workspace/SourceFileInfo.h"
#include "studio/workspace/SourceFilePropsDlg.h"
#include "studio/workspace/SourceSortDlg.h"

IMPLEMENT_DYNCREATE(CLeafcraftSrcFilesView, CLeafcraftBaseView)

namespace {
constexpr UINT kColumns = 564;
constexpr UINT kAddTitle = 512;
constexpr UINT kOneDuplicate = 6000;
constexpr UINT kDuplicates = 6001;
constexpr UINT kNoClipboard = 10003;
constexpr UINT kNoClipboardData = 10004;
constexpr UINT kNoFilesLeft = 10005;
constexpr UINT kVerbFailed = 10006;
constexpr UINT kNoCommonFolder = 10120;
constexpr UINT kInvalidSource = 10121;
constexpr UINT kMissingSource = 10122;
constexpr UINT kCannotAddSource = 10115;
constexpr UINT kConfirmRemove = 13000;
constexpr UINT kSomeFilesGone = 13001;
constexpr UINT kContextMenu = 120;
constexpr UINT kSourceFolderLabel = 1010;
constexpr LONG kFileNotFoundError = 30;
constexpr int kColumnCount = 5;
const char* const kNoValue = "---";

bool ControlDown() { return GetKeyState(VK_CONTROL) < 0; }
bool ShiftDown() { return GetKeyState(VK_SHIFT) < 0; }
bool AltDown() { return GetKeyState(VK_MENU) < 0; }

bool IsExistingFolder(const CString& path) {
    std::error_code error;
    return std::filesystem::is_directory(path.str(), error);
}

bool IsExistingFile(const CString& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path.str(), error);
}

// The local files a drop or the clipboard carries (the file drop list).
std::vector<CString> LocalFiles(const QMimeData* data) {
    std::vector<CString> names;
    if (!data || !data->hasUrls()) return names;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile()) names.emplace_back(url.toLocalFile().toStdString());
    return names;
}

// Passes drops on the list to the view.
class DropFilter : public QObject {
public:
    explicit DropFilter(CLeafcraftSrcFilesView* view) : m_view(view) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
            auto* drag = static_cast<QDropEvent*>(event);
            if (!LocalFiles(drag->mimeData()).empty()) {
                drag->acceptProposedAction();
                return true;
            }
        } else if (event->type() == QEvent::Drop) {
            auto* drop = static_cast<QDropEvent*>(event);
            std::vector<CString> names = LocalFiles(drop->mimeData());
            if (!names.empty()) {
                drop->acceptProposedAction();
                QPoint at = drop->position().toPoint();
                // A drop exactly at the corner would count as a paste; nudge it.
                if (at.x() == 0 && at.y() == 0) at.setY(1);
                m_view->OnDropFiles(names, POINT{at.x(), at.y()});
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    CLeafcraftSrcFilesView* m_view;
};

// The context-menu key on the list opens the menu as from the keyboard, at the selected
// item, not where the mouse pointer happens to be.
class MenuKeyFilter : public QObject {
public:
    explicit MenuKeyFilter(CLeafcraftSrcFilesView* view) : m_view(view) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::ContextMenu &&
            static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Keyboard) {
            m_view->OnContextMenu(m_view->GetListCtrl(), POINT{-1, -1});
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    CLeafcraftSrcFilesView* m_view;
};

// A right click on the form beside the list (its buttons, the folder line) opens the
// list's window menu there; the banner band keeps its own menu.
class FormMenuFilter : public QObject {
public:
    explicit FormMenuFilter(CLeafcraftSrcFilesView* view) : m_view(view) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::ContextMenu) {
            auto* menu = static_cast<QContextMenuEvent*>(event);
            if (menu->reason() == QContextMenuEvent::Keyboard) {
                m_view->OnContextMenu(m_view, POINT{-1, -1});
                return true;
            }
            if (menu->pos().y() >= m_view->GetBannerBandHeight()) {
                m_view->OnContextMenu(m_view, POINT{menu->globalPos().x(), menu->globalPos().y()});
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    CLeafcraftSrcFilesView* m_view;
};
}  // namespace

CLeafcraftSrcFilesView::CLeafcraftSrcFilesView() : CLeafcraftBaseView(IDD, IDB_BANNER, IDR_MENU) {
    MapCommand(ID_EDIT_PASTE, &CLeafcraftSrcFilesView::OnPaste);
    MapCommand(ID_ADD, &CLeafcraftSrcFilesView::OnAdd);
    MapCommand(ID_REMOVE, &CLeafcraftSrcFilesView::OnRemove);
    MapCommand(ID_RENAME, &CLeafcraftSrcFilesView::OnRename);
    MapCommand(ID_MOVE_UP, &CLeafcraftSrcFilesView::OnMoveUp);
    MapCommand(ID_MOVE_DOWN, &CLeafcraftSrcFilesView::OnMoveDown);
    MapCommand(ID_SORT, &CLeafcraftSrcFilesView::OnSort);
    MapCommand(ID_REFRESH, &CLeafcraftSrcFilesView::OnRefresh);
    MapCommand(ID_PROPERTIES, &CLeafcraftSrcFilesView::OnProperties);
    MapCommandRange(ID_SHELL_VERB_FIRST, ID_SHELL_VERB_LAST, &CLeafcraftSrcFilesView::OnShellVerb);
    for (UINT id : {ID_EDIT_PASTE, ID_ADD, ID_REMOVE, ID_RENAME, ID_MOVE_UP, ID_MOVE_DOWN, ID_SORT, ID_REFRESH,
                    ID_PROPERTIES})
        MapUpdateUI(id, &CLeafcraftSrcFilesView::OnUpdateCommand);
    MapNotify(IDC_SOURCE_LIST, LVN_ITEMCHANGED, &CLeafcraftSrcFilesView::OnItemChanged);
    MapNotify(IDC_SOURCE_LIST, LVN_KEYDOWN, &CLeafcraftSrcFilesView::OnListKeyDown);
    MapNotify(IDC_SOURCE_LIST, LVN_ENDLABELEDIT, &CLeafcraftSrcFilesView::OnEndLabelEdit);
    MapNotify(IDC_SOURCE_LIST, NM_DBLCLK, &CLeafcraftSrcFilesView::OnDblClk);
    MapNotify(IDC_SOURCE_LIST, NM_RCLICK, [this](NMHDR*, LRESULT*) {
        QPoint at = QCursor::pos();
        OnContextMenu(GetListCtrl(), POINT{at.x(), at.y()});
    });
}

CLeafcraftSrcFilesView::~CLeafcraftSrcFilesView() = default;

CListCtrl* CLeafcraftSrcFilesView::GetListCtrl() const { return GetDlgItemAs<CListCtrl>(IDC_SOURCE_LIST); }

void CLeafcraftSrcFilesView::OnInitialUpdate() {
    CLeafcraftBaseView::OnInitialUpdate();
    CListCtrl* list = GetListCtrl();
    if (!m_initialised) {
        if (CWinApp* app = AfxGetApp()) app->RegisterWindow(this);
        m_document = FindLeafcraftDoc();
        if (list) {
            m_smallImages.Create(16, 16);
            list->SetImageList(&m_smallImages, LVSIL_SMALL);
            list->SetExtendedStyle(list->GetExtendedStyle() | LVS_EX_FULLROWSELECT);
            std::vector<leaf::ColumnSpec> columns = leaf::ParseColumnSpecs(leaf::ui::LoadResString(kColumns).c_str());
            for (size_t i = 0; i < columns.size(); ++i)
                list->InsertColumn(static_cast<int>(i), columns[i].heading.c_str(), columns[i].format,
                                   columns[i].width, static_cast<int>(i));
            // The widths are shares of the list's width, which the columns always fill.
            m_columnFitter.Fit(list);
            if (QAbstractItemView* view = list->View()) {
                m_dropFilter = std::make_unique<DropFilter>(this);
                view->viewport()->setAcceptDrops(true);
                view->viewport()->installEventFilter(m_dropFilter.get());
                m_menuKeyFilter = std::make_unique<MenuKeyFilter>(this);
                view->installEventFilter(m_menuKeyFilter.get());
                view->viewport()->installEventFilter(m_menuKeyFilter.get());
            }
        }
        // The whole form takes dropped files and opens the context menu, not only the list.
        DragAcceptFiles(TRUE);
        if (QWidget* form = GetWidget()) {
            m_formMenuFilter = std::make_unique<FormMenuFilter>(this);
            form->installEventFilter(m_formMenuFilter.get());
        }
        m_anchorHook.Install(this);
        m_anchorHook.SetAnchor(IDC_SOURCE_LIST, 0x1010);
        for (UINT id : {ID_ADD, ID_REMOVE, ID_MOVE_UP, ID_MOVE_DOWN, ID_SORT, kSourceFolderLabel})
            m_anchorHook.SetAnchor(id, 0x1100);
        m_anchorHook.SetAnchor(IDC_SOURCE_FOLDER, 0x1110);
        m_cmdUIHook.Install(this, FALSE);
    }
    if (m_document && list) {
        BOOL modified = m_document->IsModified();
        SetDlgItemText(IDC_SOURCE_FOLDER, m_document->m_strSourceFolder.c_str());
        list->DeleteAllItems();
        m_selected.clear();
        m_itemCount = 0;
        int position = 0;
        for (int i = 0; i < m_document->GetSourceCount(); ++i) {
            if (CLCSourceFile* source = m_document->GetSourceFile(i)) {
                InsertSourceItem(source->m_strPath, position, FALSE, FALSE);
            } else {
                // An empty slot keeps its place, so item i still shows record i.
                list->InsertItem(position, "");
                for (int column = 1; column < kColumnCount; ++column) list->SetItemText(position, column, kNoValue);
                ++position;
            }
        }
        m_itemCount = list->GetItemCount();
        if (m_itemCount > 0) list->EnsureVisible(0, FALSE);
        m_document->SetModifiedFlag(modified);
    }
    m_initialised = true;
}

LRESULT CLeafcraftSrcFilesView::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        m_initialised = false;
        if (CWinApp* app = AfxGetApp()) app->UnregisterWindow(this);
    } else if (message == WM_CONTEXTMENU) {
        OnContextMenu(CWnd::FromHandle(reinterpret_cast<HWND>(wParam)), ContextMenuPoint(lParam));
        return 0;
    }
    return CLeafcraftBaseView::WindowProc(message, wParam, lParam);
}

// ---- Items -----------------------------------------------------------------------------

int CLeafcraftSrcFilesView::IconFor(const CString& path) {
    std::string extension = leaf::path::Extension(path.str());
    for (char& ch : extension) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    auto found = m_iconIndex.find(extension);
    if (found != m_iconIndex.end()) return found->second;
    leaf::ShellFileInfo info = leaf::GetShellFileInfo(path.c_str());
    int index = info.icon.isNull() ? -1 : m_smallImages.Add(info.icon);
    m_iconIndex[extension] = index;
    return index;
}

void CLeafcraftSrcFilesView::FillItemColumns(int item, const CString& path) {
    CListCtrl* list = GetListCtrl();
    if (!list) return;
    CString folder = m_document ? m_document->m_strSourceFolder : CString();
    list->SetItemText(item, 1, leaf::DisplayPath(path, folder).c_str());
    CFileStatus status;
    bool haveStatus = CFile::GetStatus(path.c_str(), status);
    list->SetItemText(item, 2, haveStatus ? leaf::FormatSizeColumn(status.m_size).c_str() : kNoValue);
    CString type = leaf::GetShellFileInfo(path.c_str()).typeName;
    list->SetItemText(item, 3, type.IsEmpty() ? kNoValue : type.c_str());
    list->SetItemText(item, 4, haveStatus ? leaf::FormatDateColumn(status.m_mtime).c_str() : kNoValue);
}

void CLeafcraftSrcFilesView::InsertSourceItem(const CString& path, int& position, BOOL select, BOOL addToDocument) {
    CListCtrl* list = GetListCtrl();
    if (!list || !m_document) return;
    const int duplicates = m_duplicates;
    if (addToDocument && !m_document->AddSourceFile(path, position, &m_duplicates)) {
        // Not counted as a duplicate: a file that cannot be read as a source.
        if (m_duplicates == duplicates && m_refused.IsEmpty()) m_refused = path;
        return;
    }
    CLCSourceFile* source = m_document->GetSourceFile(position);
    CString title = source ? source->m_strTitle : CString();
    int item = list->InsertItem(position, title.c_str(), IconFor(path));
    if (item < 0) return;
    FillItemColumns(item, path);
    if (select) list->SetItemState(item, LVIS_SELECTED, LVIS_SELECTED);
    list->EnsureVisible(item, FALSE);
    ++position;
    m_itemCount = list->GetItemCount();
}

void CLeafcraftSrcFilesView::AddFolderFiles(const CString& folder, int& position, BOOL select, BOOL addToDocument) {
    std::vector<CString> subFolders;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder.str(), error), end; !error && entry != end;
         entry.increment(error)) {
        CString path(entry->path().string());
        if (entry->is_directory(error) && !entry->is_symlink(error)) subFolders.push_back(path);
        else if (entry->is_regular_file(error)) InsertSourceItem(path, position, select, addToDocument);
    }
    for (const CString& subFolder : subFolders) AddFolderFiles(subFolder, position, select, addToDocument);
}

void CLeafcraftSrcFilesView::RebuildSelection() {
    m_selected.clear();
    CListCtrl* list = GetListCtrl();
    if (!list) return;
    for (int i = 0; i < list->GetItemCount(); ++i)
        if (list->GetItemState(i, LVIS_SELECTED) & LVIS_SELECTED) m_selected.push_back(i);
}

void CLeafcraftSrcFilesView::OnItemChanged(NMHDR*, LRESULT* result) {
    RebuildSelection();
    if (result) *result = 0;
}

void CLeafcraftSrcFilesView::RefreshDisplayPaths() {
    CListCtrl* list = GetListCtrl();
    if (!list || !m_document) return;
    for (int i = 0; i < list->GetItemCount(); ++i)
        if (CLCSourceFile* source = m_document->GetSourceFile(i))
            list->SetItemText(i, 1, leaf::DisplayPath(source->m_strPath, m_document->m_strSourceFolder).c_str());
    SetDlgItemText(IDC_SOURCE_FOLDER, m_document->m_strSourceFolder.c_str());
}

// ---- Adding ----------------------------------------------------------------------------

BOOL CLeafcraftSrcFilesView::ChooseInsertPosition(const POINT* dropPoint, int& position) {
    CListCtrl* list = GetListCtrl();
    int count = list ? list->GetItemCount() : 0;
    if (count == 0) {
        position = 0;
        return TRUE;
    }
    CAddLocationDlg location(this);
    if (location.DoModal() != IDOK) return FALSE;
    switch (location.GetLocation()) {
        case CAddLocationDlg::kTop: position = 0; break;
        case CAddLocationDlg::kEnd: position = count; break;
        default:
            if (dropPoint) {
                QAbstractItemView* view = list->View();
                QPoint at(dropPoint->x, dropPoint->y);
                QModelIndex index = view ? view->indexAt(at) : QModelIndex();
                if (index.isValid()) position = index.row();
                else if (view && at.y() < view->visualRect(view->model()->index(0, 0)).top()) position = 0;
                else position = count;
            } else {
                int focused = list->GetNextItem(-1, LVNI_FOCUSED);
                position = focused < 0 ? count : focused;
            }
            break;
    }
    return TRUE;
}

void CLeafcraftSrcFilesView::AddFiles(const std::vector<CString>& names, int position, bool foldersToo) {
    CListCtrl* list = GetListCtrl();
    if (!list || !m_document) return;
    {
        CWaitCursor wait;
        list->SetFocus();
        m_duplicates = 0;
        m_refused.Empty();
        CString folderBefore = m_document->m_strSourceFolder;
        list->SetItemState(-1, 0, LVIS_SELECTED);
        std::vector<CString> folders;
        for (const CString& name : names) {
            if (name.IsEmpty()) continue;
            if (foldersToo && IsExistingFolder(name)) folders.push_back(name);
            else InsertSourceItem(name, position, TRUE, TRUE);
        }
        for (const CString& folder : folders) AddFolderFiles(folder, position, TRUE, TRUE);
        CString folderAfter = m_document->UpdateSourceFolder();
        if (folderAfter.CompareNoCase(folderBefore.str()) != 0) RefreshDisplayPaths();
    }
    if (m_duplicates == 1) {
        AfxMessageBox(kOneDuplicate, MB_OK | MB_ICONINFORMATION);
    } else if (m_duplicates > 1) {
        AfxMessageBox(leaf::ui::FormatResString(kDuplicates, m_duplicates).c_str(), MB_OK | MB_ICONINFORMATION);
    }
    // A source that cannot be read is reported as the build reports a source the build
    // control refuses to add: by name, with the control's code for an invalid file.
    if (!m_refused.IsEmpty()) {
        AfxMessageBox(leaf::ui::FormatResString(kCannotAddSource, m_refused.c_str(), LONG{LCERR_INVALID_FILE}).c_str(),
                      MB_OK | MB_ICONEXCLAMATION);
    }
}

void CLeafcraftSrcFilesView::OnAdd() {
    if (!m_document) return;
    leaf::ui::FileDialogRequest request;
    request.multiple = true;
    request.title = leaf::ui::LoadResString(kAddTitle).str();
    request.filter = GetBrowseFilter().str();
    std::vector<std::string> chosen = leaf::ui::People().ChooseFiles(GetWidget(), request);
    if (chosen.empty()) return;
    Invalidate();
    int position = 0;
    if (!ChooseInsertPosition(nullptr, position)) return;
    std::vector<CString> names(chosen.begin(), chosen.end());
    AddFiles(names, position, false);
}

void CLeafcraftSrcFilesView::OnDropFiles(const std::vector<CString>& names, POINT point) {
    if (!m_document) return;
    bool paste = point.x == 0 && point.y == 0;
    int position = 0;
    if (!ChooseInsertPosition(paste ? nullptr : &point, position)) return;
    AddFiles(names, position, true);
}

void CLeafcraftSrcFilesView::OnDropFiles(HDROP drop) {
    if (!drop) return;
    std::vector<CString> names;
    UINT count = DragQueryFile(drop, 0xFFFFFFFF, nullptr);
    for (UINT i = 0; i < count; ++i) {
        CString name;
        DragQueryFile(drop, i, &name);
        names.push_back(name);
    }
    POINT point{0, 1};
    DragQueryPoint(drop, &point);
    DragFinish(drop);
    // The point, taken into the list's item area, decides where "selected location" puts
    // the files; a point beside the list is on no item (the end).
    CListCtrl* list = GetListCtrl();
    QAbstractItemView* view = list ? list->View() : nullptr;
    if (view && GetWidget()) {
        QPoint at = view->viewport()->mapFrom(GetWidget(), QPoint(point.x, point.y));
        point = POINT{at.x(), at.y()};
    }
    // A real drop never counts as a paste.
    if (point.x == 0 && point.y == 0) point.y = 1;
    OnDropFiles(names, point);
}

void CLeafcraftSrcFilesView::OnPaste() {
    if (!m_document) return;
    if (!IsClipboardFormatAvailable(CF_HDROP)) return;
    if (!OpenClipboard()) {
        AfxMessageBox(kNoClipboard, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    // The list belongs to the clipboard: its names are copied before it is closed.
    std::vector<CString> names;
    if (HDROP drop = leaf::ui::GetClipboardFileList())
        names.assign(drop->paths.begin(), drop->paths.end());
    CloseClipboard();
    if (names.empty()) {
        AfxMessageBox(kNoClipboardData, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    OnDropFiles(names, POINT{0, 0});
}

// ---- Removing, moving, renaming ----------------------------------------------------------

void CLeafcraftSrcFilesView::OnRemove() {
    CListCtrl* list = GetListCtrl();
    if (!m_document || !list || m_selected.empty()) return;
    if (AfxMessageBox(kConfirmRemove, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    std::vector<int> selected = m_selected;
    CString folderBefore = m_document->m_strSourceFolder;
    int removed = 0;
    for (auto index = selected.rbegin(); index != selected.rend(); ++index) {
        m_document->RemoveSourceFile(*index);
        list->DeleteItem(*index);
        ++removed;
    }
    m_itemCount = list->GetItemCount();
    RebuildSelection();
    if (m_itemCount > 0) {
        int next = std::min(selected.back() + 1 - removed, m_itemCount - 1);
        list->SetItemState(std::max(next, 0), LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }
    CString folderAfter = m_document->UpdateSourceFolder();
    if (folderAfter.CompareNoCase(folderBefore.str()) != 0) RefreshDisplayPaths();
}

void CLeafcraftSrcFilesView::SwapItems(int index, BOOL up) {
    CListCtrl* list = GetListCtrl();
    if (!list || !m_document) return;
    int neighbour = up ? index - 1 : index + 1;
    if (index < 0 || neighbour < 0 || index >= list->GetItemCount() || neighbour >= list->GetItemCount()) return;
    const UINT mask = LVIS_SELECTED | LVIS_FOCUSED;
    UINT stateA = list->GetItemState(index, mask);
    UINT stateB = list->GetItemState(neighbour, mask);
    for (int column = 0; column < kColumnCount; ++column) {
        CString textA = list->GetItemText(index, column);
        CString textB = list->GetItemText(neighbour, column);
        list->SetItemText(index, column, textB.c_str());
        list->SetItemText(neighbour, column, textA.c_str());
    }
    LVITEM imageA, imageB;
    imageA.mask = imageB.mask = LVIF_IMAGE;
    imageA.iItem = index;
    imageA.iImage = list->GetItemImage(neighbour);
    imageB.iItem = neighbour;
    imageB.iImage = list->GetItemImage(index);
    list->SetItem(&imageA);
    list->SetItem(&imageB);
    list->SetItemState(index, stateB, mask);
    list->SetItemState(neighbour, stateA, mask);
    list->EnsureVisible(neighbour, FALSE);
    std::swap(m_document->m_sources[static_cast<size_t>(index)], m_document->m_sources[static_cast<size_t>(neighbour)]);
    m_document->SetModifiedFlag();
    RebuildSelection();
}

void CLeafcraftSrcFilesView::OnMoveUp() {
    if (!m_document) return;
    std::vector<int> selected = m_selected;
    for (size_t k = 0; k < selected.size(); ++k)
        if (selected[k] != static_cast<int>(k)) SwapItems(selected[k], TRUE);
}

void CLeafcraftSrcFilesView::OnMoveDown() {
    if (!m_document) return;
    std::vector<int> selected = m_selected;
    int count = GetListCtrl() ? GetListCtrl()->GetItemCount() : 0;
    for (size_t k = 0; k < selected.size(); ++k) {
        int index = selected[selected.size() - 1 - k];
        if (index != count - 1 - static_cast<int>(k)) SwapItems(index, FALSE);
    }
}

void CLeafcraftSrcFilesView::OnRename() {
    CListCtrl* list = GetListCtrl();
    if (!m_document || !list || m_selected.size() != 1) return;
    list->SetFocus();
    list->EditLabel(m_selected.front());
}

void CLeafcraftSrcFilesView::OnEndLabelEdit(NMHDR* header, LRESULT* result) {
    if (result) *result = FALSE;
    auto* info = reinterpret_cast<NMLVDISPINFO*>(header);
    if (!m_document || !info || !info->item.pszText) return;
    CString text(info->item.pszText);
    CLCSourceFile* source = m_document->GetSourceFile(info->item.iItem);
    if (!source || text.IsEmpty() || text == source->m_strTitle) return;
    source->m_strTitle = text;
    m_document->SetModifiedFlag();
    if (result) *result = TRUE;
}

// ---- Sort, refresh, properties -----------------------------------------------------------

int CLeafcraftSrcFilesView::CompareSourceItems(int first, int second, int sortValue) const {
    CListCtrl* list = GetListCtrl();
    int column = leaf::SortColumn(leaf::SortKey(sortValue));
    CString a = list && column >= 0 ? list->GetItemText(first, column) : CString();
    CString b = list && column >= 0 ? list->GetItemText(second, column) : CString();
    return leaf::CompareSourceTexts(a, b, sortValue);
}

void CLeafcraftSrcFilesView::OnSort() {
    CListCtrl* list = GetListCtrl();
    if (!m_document || !list) return;
    CSourceSortDlg dialog(this);
    if (dialog.DoModal() != IDOK) return;
    SortItems(dialog.GetSortValue());
}

void CLeafcraftSrcFilesView::SortItems(int sortValue) {
    CListCtrl* list = GetListCtrl();
    if (!m_document || !list) return;
    CWaitCursor wait;
    int count = list->GetItemCount();
    std::vector<int> order(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) order[static_cast<size_t>(i)] = i;
    auto sortBy = [&](int value) {
        std::stable_sort(order.begin(), order.end(),
                         [&](int a, int b) { return CompareSourceItems(a, b, value) < 0; });
    };
    sortBy(leaf::kSortFileName);
    if (sortValue != leaf::kSortFileName) sortBy(sortValue);
    if (leaf::SortKey(sortValue) == leaf::kSortSmart) {
        std::vector<CString> paths;
        for (int i = 0; i < count; ++i) {
            CLCSourceFile* source = m_document->GetSourceFile(i);
            paths.push_back(source ? source->m_strPath : CString());
        }
        order = leaf::SmartSortOrder(order, paths);
    }
    // Carry each item up to its place by swaps of neighbours, which also reorder the
    // document's records.
    QAbstractItemView* view = list->View();
    if (view) view->setUpdatesEnabled(false);
    std::vector<int> current(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) current[static_cast<size_t>(i)] = i;
    for (int i = 0; i < count && static_cast<size_t>(i) < order.size(); ++i) {
        auto at = std::find(current.begin() + i, current.end(), order[static_cast<size_t>(i)]);
        if (at == current.end()) continue;
        for (int j = static_cast<int>(at - current.begin()); j > i; --j) {
            SwapItems(j, TRUE);
            std::swap(current[static_cast<size_t>(j)], current[static_cast<size_t>(j - 1)]);
        }
    }
    if (view) view->setUpdatesEnabled(true);
    list->Invalidate();
    m_document->SetModifiedFlag();
}

void CLeafcraftSrcFilesView::OnRefresh() {
    CListCtrl* list = GetListCtrl();
    if (!m_document || !list) return;
    for (int i = 0; i < list->GetItemCount(); ++i) {
        CLCSourceFile* source = m_document->GetSourceFile(i);
        if (!source) continue;
        CFileStatus status;
        bool haveStatus = CFile::GetStatus(source->m_strPath.c_str(), status);
        list->SetItemText(i, 2, haveStatus ? leaf::FormatSizeColumn(status.m_size).c_str() : kNoValue);
        list->SetItemText(i, 4, haveStatus ? leaf::FormatDateColumn(status.m_mtime).c_str() : kNoValue);
    }
}

void CLeafcraftSrcFilesView::OnProperties() {
    if (!m_document || m_selected.empty()) return;
    std::vector<CString> paths;
    for (int index : m_selected)
        if (CLCSourceFile* source = m_document->GetSourceFile(index); source && IsExistingFile(source->m_strPath))
            paths.push_back(source->m_strPath);
    if (paths.empty()) {
        AfxMessageBox(kNoFilesLeft, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (paths.size() < m_selected.size() && AfxMessageBox(kSomeFilesGone, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    CSourceFilePropsDlg dialog(paths, this);
    dialog.DoModal();
}

// ---- Shell verbs, context menu, keys ---------------------------------------------------

BOOL CLeafcraftSrcFilesView::LoadShellVerbs(const CString& path) {
    BOOL opened = leaf::LoadShellVerbs(path, m_verbs);
    // The verb commands run from 50100 to 50198: a type with more verbs offers the first 99.
    const size_t limit = ID_SHELL_VERB_LAST - ID_SHELL_VERB_FIRST + 1;
    if (m_verbs.size() > limit) m_verbs.resize(limit);
    return opened;
}

void CLeafcraftSrcFilesView::OnShellVerb(UINT id) {
    if (!m_document || m_selected.size() != 1 || id < ID_SHELL_VERB_FIRST) return;
    size_t index = id - ID_SHELL_VERB_FIRST;
    if (index >= m_verbs.size()) return;
    CLCSourceFile* source = m_document->GetSourceFile(m_selected.front());
    if (!source) return;
    CString commandLine = leaf::VerbCommandLine(m_verbs[index].command, source->m_strPath);
    if (!leaf::ui::StartCommandLine(commandLine.c_str())) AfxMessageBox(kVerbFailed, MB_OK | MB_ICONEXCLAMATION);
}

void CLeafcraftSrcFilesView::OnDblClk(NMHDR*, LRESULT* result) {
    if (result) *result = 0;
    if (!m_document || m_selected.size() != 1) return;
    CLCSourceFile* source = m_document->GetSourceFile(m_selected.front());
    if (!source) return;
    LoadShellVerbs(source->m_strPath);
    if (!m_verbs.empty()) OnShellVerb(ID_SHELL_VERB_FIRST);
}

void CLeafcraftSrcFilesView::OnContextMenu(CWnd*, POINT point) {
    CListCtrl* list = GetListCtrl();
    if (!list || !m_document) return;
    QAbstractItemView* view = list->View();
    int item = -1;
    QPoint screen(point.x, point.y);
    if (point.x == -1 && point.y == -1) {
        if (!m_selected.empty()) {
            int focused = list->GetNextItem(-1, LVNI_FOCUSED);
            item = focused >= 0 && (list->GetItemState(focused, LVIS_SELECTED) & LVIS_SELECTED) ? focused
                                                                                                : m_selected.front();
            list->EnsureVisible(item, FALSE);
            if (view) screen = ListItemCentre(list, item);
        } else if (view) {
            screen = view->mapToGlobal(view->rect().center());
        }
    } else if (view) {
        item = ListItemAt(list, screen);
    }

    CMenu menu;
    if (!menu.LoadMenu(kContextMenu)) return;
    CMenu* popup = menu.GetSubMenu(item >= 0 ? 0 : 1);
    if (!popup) return;
    if (item >= 0) {
        CLCSourceFile* source = m_document->GetSourceFile(item);
        BOOL haveVerbs = source ? LoadShellVerbs(source->m_strPath) : FALSE;
        if (!source) m_verbs.clear();
        for (size_t i = 0; i < m_verbs.size(); ++i)
            popup->InsertMenu(static_cast<UINT>(i), MF_BYPOSITION | MF_STRING,
                              ID_SHELL_VERB_FIRST + static_cast<UINT>(i), m_verbs[i].text.c_str());
        if (!m_verbs.empty())
            popup->InsertMenu(static_cast<UINT>(m_verbs.size()), MF_BYPOSITION | MF_SEPARATOR);
        // The default verb (what a double click runs) is shown as the menu's default item;
        // without verbs no item is marked, since a double click then does nothing.
        if (haveVerbs && !m_verbs.empty()) popup->SetDefaultItem(0, TRUE);
    }
    TrackContextMenu(popup, screen);
}

void CLeafcraftSrcFilesView::OnListKeyDown(NMHDR* header, LRESULT* result) {
    auto* key = reinterpret_cast<NMLVKEYDOWN*>(header);
    if (result) *result = 0;
    if (!key) return;
    bool control = ControlDown(), shift = ShiftDown(), alt = AltDown();
    bool none = !control && !shift && !alt;
    UINT command = 0;
    switch (key->wVKey) {
        case VK_RETURN: if (alt && !control && !shift) command = ID_PROPERTIES; break;
        case VK_UP: if (control && !shift && !alt) command = ID_MOVE_UP; break;
        case VK_DOWN: if (control && !shift && !alt) command = ID_MOVE_DOWN; break;
        case VK_INSERT:
            if (none) command = ID_ADD;
            else if (shift && !control && !alt) command = ID_EDIT_PASTE;
            break;
        case VK_DELETE: if (none) command = ID_REMOVE; break;
        case 'V': if (control && !shift && !alt) command = ID_EDIT_PASTE; break;
        case VK_F1 + 4: if (none) command = ID_REFRESH; break;   // F5
        case VK_F1 + 8: if (none) command = ID_SORT; break;      // F9
        default: break;
    }
    if (!command) return;
    SendCommand(command);
    if (result) *result = 1;
}

void CLeafcraftSrcFilesView::OnUpdateCommand(CCmdUI* ui) {
    int count = GetListCtrl() ? GetListCtrl()->GetItemCount() : 0;
    size_t selected = m_selected.size();
    bool enable = true;
    switch (ui->m_nID) {
        case ID_EDIT_PASTE: enable = IsClipboardFormatAvailable(CF_HDROP) != FALSE; break;
        case ID_ADD: enable = true; break;
        case ID_REMOVE:
        case ID_PROPERTIES: enable = selected > 0; break;
        case ID_RENAME: enable = selected == 1; break;
        case ID_MOVE_UP: {
            enable = false;
            for (size_t k = 0; k < selected; ++k)
                if (m_selected[k] != static_cast<int>(k)) enable = true;
            break;
        }
        case ID_MOVE_DOWN: {
            enable = false;
            for (size_t k = 0; k < selected; ++k)
                if (m_selected[selected - 1 - k] != count - 1 - static_cast<int>(k)) enable = true;
            break;
        }
        case ID_SORT: enable = count > 1; break;
        case ID_REFRESH: enable = count > 0; break;
        default: break;
    }
    ui->Enable(enable && m_document != nullptr ? TRUE : FALSE);
}

// ---- Validation ------------------------------------------------------------------------

BOOL CLeafcraftSrcFilesView::ValidateWorkspace(BOOL report) {
    if (!m_document || m_document->GetSourceCount() == 0) return TRUE;
    if (m_document->m_strSourceFolder.IsEmpty()) {
        if (report) AfxMessageBox(kNoCommonFolder, MB_OK | MB_ICONEXCLAMATION);
        return FALSE;
    }
    for (int i = 0; i < m_document->GetSourceCount(); ++i) {
        CLCSourceFile* source = m_document->GetSourceFile(i);
        if (!source) continue;
        LONG errorCode = 0;
        if (ValidateSourceFile(source->m_strPath, errorCode)) continue;
        if (errorCode < 0) return FALSE;   // no build control to ask
        if (report) {
            if (errorCode == kFileNotFoundError)
                AfxMessageBox(leaf::ui::FormatResString(kMissingSource, source->m_strPath.c_str()).c_str(),
                              MB_OK | MB_ICONEXCLAMATION);
            else
                AfxMessageBox(leaf::ui::FormatResString(kInvalidSource,
                                                        leaf::FilterExtensions(GetBrowseFilter()).c_str())
                                  .c_str(),
                              MB_OK | MB_ICONEXCLAMATION);
        }
        return FALSE;
    }
    return TRUE;
}

// ---- The build control -------------------------------------------------------------------

namespace {
CLeafcraftSDK* MainFrameControl() {
    auto* frame = dynamic_cast<CMainFrame*>(AfxGetMainWnd());
    return frame ? frame->GetSDKControl() : nullptr;
}
}  // namespace

CString CLeafcraftSrcFilesView::GetBrowseFilter() {
    CLeafcraftSDK* control = MainFrameControl();
    if (!control) return {};
    try {
        return control->GetBrowseFilter();
    } catch (const leaf::DispatchError&) {
        return {};
    }
}

BOOL CLeafcraftSrcFilesView::ValidateSourceFile(const CString& path, LONG& errorCode) {
    errorCode = -1;
    CLeafcraftSDK* control = MainFrameControl();
    if (!control) return FALSE;
    try {
        if (control->ValidateSourceFile(path.c_str())) {
            errorCode = 0;
            return TRUE;
        }
        errorCode = control->GetErrorCode();
    } catch (const leaf::DispatchError&) {
        errorCode = -1;
    }
    return FALSE;
}
