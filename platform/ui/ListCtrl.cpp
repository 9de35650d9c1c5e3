#include "platform/ui/ListCtrl.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QStandardItemModel>
#include <QTreeView>
#include <algorithm>

#include "platform/ui/LabelEditDelegate.h"

using namespace leaf::ui;

namespace {

constexpr int kImageRole = Qt::UserRole + 1;
constexpr int kDataRole = Qt::UserRole;
Qt::KeyboardModifiers g_keyModifiers;

// Per-view state kept on the view.
struct ListState {
    CImageList* normal = nullptr;
    CImageList* small = nullptr;
    DWORD extendedStyle = 0;
    bool quiet = false;   // while items are reordered
};

ListState& State(QAbstractItemView* view) {
    return *reinterpret_cast<ListState*>(view->property("leafListState").value<quintptr>());
}

// Sends LVN_KEYDOWN for keys pressed in the view.
class ListKeyFilter : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        auto* view = qobject_cast<QAbstractItemView*>(watched);
        if (!view) return false;
        auto* key = static_cast<QKeyEvent*>(event);
        NoteKeyModifiers(key->modifiers());
        NMLVKEYDOWN down;
        down.wVKey = VirtualKeyFromQt(key->key());
        if (!down.wVKey) return false;
        return NotifyParent(view, &down.hdr, LVN_KEYDOWN) != 0;
    }
};

void TakeAll(QStandardItemModel* model, std::vector<QList<QStandardItem*>>& rows) {
    rows.clear();
    while (model->rowCount() > 0) rows.push_back(model->takeRow(0));
}

}  // namespace


SHORT GetKeyState(int virtualKey) {
    Qt::KeyboardModifiers modifiers = g_keyModifiers | QGuiApplication::keyboardModifiers();
    bool down = (virtualKey == VK_SHIFT && (modifiers & Qt::ShiftModifier)) ||
                (virtualKey == VK_CONTROL && (modifiers & Qt::ControlModifier)) ||
                (virtualKey == VK_MENU && (modifiers & Qt::AltModifier));
    return down ? static_cast<SHORT>(0x8000) : 0;
}

namespace leaf::ui {

WORD VirtualKeyFromQt(int key) {
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return static_cast<WORD>('A' + (key - Qt::Key_A));
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return static_cast<WORD>('0' + (key - Qt::Key_0));
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return static_cast<WORD>(VK_F1 + (key - Qt::Key_F1));
    switch (key) {
        case Qt::Key_Return:
        case Qt::Key_Enter: return VK_RETURN;
        case Qt::Key_Escape: return VK_ESCAPE;
        case Qt::Key_Up: return VK_UP;
        case Qt::Key_Down: return VK_DOWN;
        case Qt::Key_Left: return 0x25;
        case Qt::Key_Right: return 0x27;
        case Qt::Key_Insert: return VK_INSERT;
        case Qt::Key_Delete: return VK_DELETE;
        case Qt::Key_Home: return 0x24;
        case Qt::Key_End: return 0x23;
        case Qt::Key_Space: return 0x20;
        case Qt::Key_Tab: return 0x09;
        case Qt::Key_Backspace: return 0x08;
        default: return 0;
    }
}

void NoteKeyModifiers(Qt::KeyboardModifiers modifiers) { g_keyModifiers = modifiers; }

}  // namespace leaf::ui

QAbstractItemView* CListCtrl::View() const { return qobject_cast<QAbstractItemView*>(GetWidget()); }

QStandardItemModel* CListCtrl::Model() const {
    QAbstractItemView* view = View();
    return view ? qobject_cast<QStandardItemModel*>(view->model()) : nullptr;
}

int CListCtrl::InsertColumn(int column, const char* heading, int format, int width, int) {
    QStandardItemModel* model = Model();
    if (!model || column < 0) return -1;
    column = std::min(column, model->columnCount());
    model->insertColumn(column);
    auto* header = new QStandardItem(QString::fromUtf8(heading ? heading : ""));
    Qt::Alignment alignment = format == LVCFMT_RIGHT ? Qt::AlignRight : format == LVCFMT_CENTER ? Qt::AlignHCenter : Qt::AlignLeft;
    header->setTextAlignment(alignment | Qt::AlignVCenter);
    header->setData(static_cast<int>(alignment), Qt::UserRole + 2);
    model->setHorizontalHeaderItem(column, header);
    if (auto* tree = qobject_cast<QTreeView*>(View()); tree && width >= 0) tree->setColumnWidth(column, width);
    return column;
}

BOOL CListCtrl::DeleteColumn(int column) {
    QStandardItemModel* model = Model();
    if (!model || column < 0 || column >= model->columnCount()) return FALSE;
    return model->removeColumn(column);
}

int CListCtrl::GetColumnCount() const { return Model() ? Model()->columnCount() : 0; }

int CListCtrl::GetColumnWidth(int column) const {
    auto* tree = qobject_cast<QTreeView*>(View());
    return tree ? tree->columnWidth(column) : 0;
}

BOOL CListCtrl::SetColumnWidth(int column, int width) {
    auto* tree = qobject_cast<QTreeView*>(View());
    if (!tree || column < 0 || column >= GetColumnCount()) return FALSE;
    tree->setColumnWidth(column, width);
    return TRUE;
}

CString CListCtrl::GetColumnHeading(int column) const {
    QStandardItemModel* model = Model();
    if (!model || !model->horizontalHeaderItem(column)) return {};
    return CString(model->horizontalHeaderItem(column)->text().toStdString());
}

int CListCtrl::InsertItem(int index, const char* text, int image) {
    LVITEM item;
    item.mask = LVIF_TEXT | (image >= 0 ? LVIF_IMAGE : 0);
    item.iItem = index;
    item.pszText = const_cast<char*>(text ? text : "");
    item.iImage = image;
    return InsertItem(&item);
}

int CListCtrl::InsertItem(const LVITEM* item) {
    QStandardItemModel* model = Model();
    if (!model || !item || item->iItem < 0) return -1;
    int row = std::min(item->iItem, model->rowCount());
    QList<QStandardItem*> cells;
    int columns = std::max(1, model->columnCount());
    for (int c = 0; c < columns; ++c) {
        auto* cell = new QStandardItem;
        cell->setEditable(false);
        if (QStandardItem* header = model->horizontalHeaderItem(c))
            cell->setTextAlignment(Qt::Alignment(header->data(Qt::UserRole + 2).toInt()) | Qt::AlignVCenter);
        cells << cell;
    }
    cells[0]->setEditable(GetWidget()->property("leafEditLabels").toBool());
    cells[0]->setData(-1, kImageRole);
    cells[0]->setData(QVariant::fromValue<qlonglong>(0), kDataRole);
    model->insertRow(row, cells);
    LVITEM rest = *item;
    rest.iItem = row;
    rest.iSubItem = 0;
    SetItem(&rest);
    return row;
}

BOOL CListCtrl::SetItem(const LVITEM* item) {
    QStandardItemModel* model = Model();
    if (!model || !item || item->iItem < 0 || item->iItem >= model->rowCount()) return FALSE;
    if (item->iSubItem < 0 || item->iSubItem >= std::max(1, model->columnCount())) return FALSE;
    QStandardItem* cell = model->item(item->iItem, item->iSubItem);
    if (!cell) return FALSE;
    if (item->mask & LVIF_TEXT) cell->setText(QString::fromUtf8(item->pszText ? item->pszText : ""));
    if (item->iSubItem == 0) {
        if (item->mask & LVIF_PARAM) cell->setData(QVariant::fromValue<qlonglong>(item->lParam), kDataRole);
        if (item->mask & LVIF_IMAGE) {
            cell->setData(item->iImage, kImageRole);
            ApplyImage(item->iItem);
        }
        if (item->mask & LVIF_STATE) SetItemState(item->iItem, item->state, item->stateMask);
    }
    return TRUE;
}

void CListCtrl::ApplyImage(int item) {
    QStandardItemModel* model = Model();
    QStandardItem* cell = model ? model->item(item, 0) : nullptr;
    if (!cell) return;
    ListState& state = State(View());
    CImageList* list = qobject_cast<QListView*>(View()) && qobject_cast<QListView*>(View())->viewMode() == QListView::IconMode
                           ? state.normal
                           : state.small;
    if (!list) list = state.normal ? state.normal : state.small;
    cell->setIcon(list ? list->GetIcon(cell->data(kImageRole).toInt()) : QIcon());
}

BOOL CListCtrl::DeleteItem(int index) {
    QStandardItemModel* model = Model();
    if (!model || index < 0 || index >= model->rowCount()) return FALSE;
    return model->removeRow(index);
}

BOOL CListCtrl::DeleteAllItems() {
    QStandardItemModel* model = Model();
    if (!model) return FALSE;
    model->removeRows(0, model->rowCount());
    return TRUE;
}

int CListCtrl::GetItemCount() const { return Model() ? Model()->rowCount() : 0; }

BOOL CListCtrl::SetItemText(int item, int subItem, const char* text) {
    LVITEM record;
    record.mask = LVIF_TEXT;
    record.iItem = item;
    record.iSubItem = subItem;
    record.pszText = const_cast<char*>(text ? text : "");
    return SetItem(&record);
}

CString CListCtrl::GetItemText(int item, int subItem) const {
    QStandardItemModel* model = Model();
    QStandardItem* cell = model ? model->item(item, subItem) : nullptr;
    return cell ? CString(cell->text().toStdString()) : CString();
}

BOOL CListCtrl::SetItemData(int item, LPARAM data) {
    LVITEM record;
    record.mask = LVIF_PARAM;
    record.iItem = item;
    record.lParam = data;
    return SetItem(&record);
}

LPARAM CListCtrl::GetItemData(int item) const {
    QStandardItemModel* model = Model();
    QStandardItem* cell = model ? model->item(item, 0) : nullptr;
    return cell ? static_cast<LPARAM>(cell->data(kDataRole).toLongLong()) : 0;
}

int CListCtrl::GetItemImage(int item) const {
    QStandardItemModel* model = Model();
    QStandardItem* cell = model ? model->item(item, 0) : nullptr;
    return cell ? cell->data(kImageRole).toInt() : -1;
}

int CListCtrl::FindItemData(LPARAM data) const {
    for (int i = 0; i < GetItemCount(); ++i)
        if (GetItemData(i) == data) return i;
    return -1;
}

BOOL CListCtrl::SetItemState(int item, UINT state, UINT mask) {
    QAbstractItemView* view = View();
    QStandardItemModel* model = Model();
    if (!view || !model || item >= model->rowCount()) return FALSE;
    int first = item < 0 ? 0 : item, last = item < 0 ? model->rowCount() - 1 : item;
    for (int row = first; row <= last; ++row) {
        QModelIndex index = model->index(row, 0);
        if (mask & LVIS_SELECTED)
            view->selectionModel()->select(index, ((state & LVIS_SELECTED) ? QItemSelectionModel::Select : QItemSelectionModel::Deselect) |
                                                      QItemSelectionModel::Rows);
        if ((mask & LVIS_FOCUSED) && (state & LVIS_FOCUSED))
            view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    }
    return TRUE;
}

UINT CListCtrl::GetItemState(int item, UINT mask) const {
    QAbstractItemView* view = View();
    QStandardItemModel* model = Model();
    if (!view || !model || item < 0 || item >= model->rowCount()) return 0;
    UINT state = 0;
    QModelIndex index = model->index(item, 0);
    if (view->selectionModel()->isRowSelected(item, QModelIndex())) state |= LVIS_SELECTED;
    if (view->selectionModel()->currentIndex().row() == item && view->selectionModel()->currentIndex().isValid())
        state |= LVIS_FOCUSED;
    (void)index;
    return state & mask;
}

int CListCtrl::GetNextItem(int start, UINT flags) const {
    int count = GetItemCount();
    for (int row = std::max(start + 1, 0); row < count; ++row) {
        if (flags == LVNI_ALL) return row;
        UINT want = ((flags & LVNI_SELECTED) ? LVIS_SELECTED : 0) | ((flags & LVNI_FOCUSED) ? LVIS_FOCUSED : 0);
        if (GetItemState(row, want) == want) return row;
    }
    return -1;
}

UINT CListCtrl::GetSelectedCount() const {
    QAbstractItemView* view = View();
    return view ? static_cast<UINT>(view->selectionModel()->selectedRows().size()) : 0;
}

BOOL CListCtrl::EnsureVisible(int item, BOOL) {
    QStandardItemModel* model = Model();
    if (!model || item < 0 || item >= model->rowCount()) return FALSE;
    View()->scrollTo(model->index(item, 0));
    return TRUE;
}

QWidget* CListCtrl::EditLabel(int item) {
    QAbstractItemView* view = View();
    QStandardItemModel* model = Model();
    if (!view || !model || item < 0 || item >= model->rowCount()) return nullptr;
    QModelIndex index = model->index(item, 0);
    view->setFocus();
    view->setCurrentIndex(index);
    view->edit(index);
    auto* delegate = dynamic_cast<LabelEditDelegate*>(view->itemDelegate());
    return delegate ? delegate->CurrentEditor() : nullptr;
}

void CListCtrl::EndLabelEdit(BOOL keep) {
    QAbstractItemView* view = View();
    if (auto* delegate = view ? dynamic_cast<LabelEditDelegate*>(view->itemDelegate()) : nullptr) delegate->Finish(keep);
}

BOOL CListCtrl::SortItems(PFNLVCOMPARE compare, LPARAM data) {
    QAbstractItemView* view = View();
    QStandardItemModel* model = Model();
    if (!view || !model || !compare) return FALSE;
    ListState& state = State(view);
    // Selection and focus follow their items.
    std::vector<QStandardItem*> selected;
    QStandardItem* focused = model->itemFromIndex(view->selectionModel()->currentIndex().siblingAtColumn(0));
    for (const QModelIndex& index : view->selectionModel()->selectedRows()) selected.push_back(model->item(index.row(), 0));
    state.quiet = true;
    std::vector<QList<QStandardItem*>> rows;
    TakeAll(model, rows);
    std::stable_sort(rows.begin(), rows.end(), [&](const QList<QStandardItem*>& a, const QList<QStandardItem*>& b) {
        return compare(static_cast<LPARAM>(a[0]->data(kDataRole).toLongLong()),
                       static_cast<LPARAM>(b[0]->data(kDataRole).toLongLong()), data) < 0;
    });
    for (auto& row : rows) model->appendRow(row);
    view->selectionModel()->clearSelection();
    for (QStandardItem* item : selected)
        view->selectionModel()->select(item->index(), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    if (focused) view->selectionModel()->setCurrentIndex(focused->index(), QItemSelectionModel::NoUpdate);
    state.quiet = false;
    return TRUE;
}

CImageList* CListCtrl::SetImageList(CImageList* list, int which) {
    QAbstractItemView* view = View();
    if (!view) return nullptr;
    ListState& state = State(view);
    CImageList*& slot = which == LVSIL_NORMAL ? state.normal : state.small;
    CImageList* previous = slot;
    slot = list;
    if (list && ((which == LVSIL_NORMAL) == (qobject_cast<QListView*>(view) != nullptr))) view->setIconSize(list->GetImageSize());
    for (int i = 0; i < GetItemCount(); ++i) ApplyImage(i);
    return previous;
}

CImageList* CListCtrl::GetImageList(int which) const {
    QAbstractItemView* view = View();
    if (!view) return nullptr;
    return which == LVSIL_NORMAL ? State(view).normal : State(view).small;
}

DWORD CListCtrl::SetExtendedStyle(DWORD style) {
    QAbstractItemView* view = View();
    if (!view) return 0;
    DWORD previous = State(view).extendedStyle;
    State(view).extendedStyle = style;
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    return previous;
}

DWORD CListCtrl::GetExtendedStyle() const { return View() ? State(View()).extendedStyle : 0; }

QWidget* CListCtrl::CreateFromTemplate(const ResourceNode& node) {
    QAbstractItemView* view = nullptr;
    bool icons = node.HasFlag("icon") || node.HasFlag("smallicon") || node.HasFlag("list");
    if (icons) {
        auto* list = new QListView;
        list->setViewMode(node.HasFlag("icon") ? QListView::IconMode : QListView::ListMode);
        list->setMovement(QListView::Static);
        list->setResizeMode(QListView::Adjust);
        list->setWordWrap(true);
        view = list;
    } else {
        auto* tree = new QTreeView;
        tree->setRootIsDecorated(false);
        tree->setUniformRowHeights(true);
        tree->setItemsExpandable(false);
        tree->setAllColumnsShowFocus(true);
        tree->header()->setSectionsClickable(!node.HasFlag("nosortheader"));
        tree->header()->setStretchLastSection(false);
        view = tree;
    }
    auto* model = new QStandardItemModel(0, 0, view);
    view->setModel(model);
    auto* state = new ListState;
    view->setProperty("leafListState", QVariant::fromValue(reinterpret_cast<quintptr>(state)));
    QObject::connect(view, &QObject::destroyed, [state] { delete state; });
    bool editLabels = node.HasFlag("editlabels");
    view->setProperty("leafEditLabels", editLabels);
    view->setSelectionMode(node.HasFlag("singlesel") ? QAbstractItemView::SingleSelection : QAbstractItemView::ExtendedSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(editLabels ? QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked
                                     : QAbstractItemView::NoEditTriggers);
    view->setContextMenuPolicy(Qt::CustomContextMenu);

    view->setItemDelegate(new LabelEditDelegate(
        view,
        [view](const QModelIndex& index) {
            NMLVDISPINFO info;
            info.item.iItem = index.row();
            info.item.lParam = static_cast<LPARAM>(index.siblingAtColumn(0).data(kDataRole).toLongLong());
            return NotifyParent(view, &info.hdr, LVN_BEGINLABELEDIT) != 0;
        },
        [view](const QModelIndex& index, const QString* text) {
            NMLVDISPINFO info;
            std::string buffer = text ? text->toStdString() : std::string();
            info.item.mask = LVIF_TEXT;
            info.item.iItem = index.row();
            info.item.pszText = text ? buffer.data() : nullptr;
            info.item.cchTextMax = static_cast<int>(buffer.size() + 1);
            info.item.lParam = static_cast<LPARAM>(index.siblingAtColumn(0).data(kDataRole).toLongLong());
            return NotifyParent(view, &info.hdr, LVN_ENDLABELEDIT) != 0 && text;
        }));

    QObject::connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, view,
                     [view](const QItemSelection& selected, const QItemSelection& deselected) {
                         if (State(view).quiet) return;
                         auto send = [view](const QItemSelection& rows, bool nowSelected) {
                             QList<int> seen;
                             for (const QModelIndex& index : rows.indexes()) {
                                 if (seen.contains(index.row())) continue;
                                 seen << index.row();
                                 NMLISTVIEW change;
                                 change.iItem = index.row();
                                 change.uChanged = LVIF_STATE;
                                 change.uNewState = nowSelected ? LVIS_SELECTED : 0;
                                 change.uOldState = nowSelected ? 0 : LVIS_SELECTED;
                                 change.lParam = static_cast<LPARAM>(index.siblingAtColumn(0).data(kDataRole).toLongLong());
                                 NotifyParent(view, &change.hdr, LVN_ITEMCHANGED);
                             }
                         };
                         send(deselected, false);
                         send(selected, true);
                     });
    auto sendClick = [view](UINT code, const QModelIndex& index) {
        NMLISTVIEW click;
        click.iItem = index.isValid() ? index.row() : -1;
        click.iSubItem = index.isValid() ? index.column() : 0;
        NotifyParent(view, &click.hdr, code);
    };
    QObject::connect(view, &QAbstractItemView::clicked, view, [view, sendClick](const QModelIndex& i) {
        sendClick(NM_CLICK, i);
        if (i.isValid() && (State(view).extendedStyle & LVS_EX_ONECLICKACTIVATE)) sendClick(LVN_ITEMACTIVATE, i);
    });
    QObject::connect(view, &QAbstractItemView::doubleClicked, view, [view, sendClick](const QModelIndex& i) {
        sendClick(NM_DBLCLK, i);
        if (i.isValid() && !(State(view).extendedStyle & LVS_EX_ONECLICKACTIVATE)) sendClick(LVN_ITEMACTIVATE, i);
    });
    QObject::connect(view, &QWidget::customContextMenuRequested, view,
                     [view, sendClick](const QPoint& at) { sendClick(NM_RCLICK, view->indexAt(at)); });
    if (auto* tree = qobject_cast<QTreeView*>(view)) {
        QObject::connect(tree->header(), &QHeaderView::sectionClicked, view, [view](int column) {
            NMLISTVIEW click;
            click.iItem = -1;
            click.iSubItem = column;
            NotifyParent(view, &click.hdr, LVN_COLUMNCLICK);
        });
    }
    view->installEventFilter(new ListKeyFilter(view));
    return view;
}

BOOL CListCtrl::Create(bool report, bool editLabels, CWnd* parent, UINT id) {
    if (!parent || !parent->GetWidget() || GetWidget()) return FALSE;
    ResourceNode node;
    node.kind = "listview";
    node.flags.push_back(report ? "report" : "icon");
    if (editLabels) node.flags.push_back("editlabels");
    QWidget* view = CreateFromTemplate(node);
    view->setParent(parent->GetWidget());
    SetControlId(view, static_cast<int>(id));
    AttachCreated(view);
    return TRUE;
}
