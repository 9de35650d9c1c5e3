#include "platform/ui/TreeCtrl.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTreeWidget>

#include "platform/ui/LabelEditDelegate.h"
#include "platform/ui/ListCtrl.h"

using namespace leaf::ui;

namespace {

constexpr int kDataRole = Qt::UserRole;
constexpr int kImageRole = Qt::UserRole + 1;
constexpr int kSelectedImageRole = Qt::UserRole + 2;

bool IsSpecial(HTREEITEM item) { return item == TVI_ROOT || item == TVI_FIRST || item == TVI_LAST || item == TVI_SORT; }

CImageList* Images(const QTreeWidget* tree) {
    return reinterpret_cast<CImageList*>(tree->property("leafImages").value<quintptr>());
}

void ApplyImage(QTreeWidget* tree, QTreeWidgetItem* item) {
    CImageList* images = Images(tree);
    bool selected = item->isSelected();
    int image = item->data(0, selected ? kSelectedImageRole : kImageRole).toInt();
    item->setIcon(0, images ? images->GetIcon(image) : QIcon());
}

TVITEM Describe(QTreeWidgetItem* item) {
    TVITEM record;
    if (!item) return record;
    record.hItem = CTreeCtrl::HandleFromItem(item);
    record.lParam = static_cast<LPARAM>(item->data(0, kDataRole).toLongLong());
    return record;
}

class TreeKeyFilter : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        auto* tree = qobject_cast<QTreeWidget*>(watched);
        if (!tree) return false;
        auto* key = static_cast<QKeyEvent*>(event);
        NoteKeyModifiers(key->modifiers());
        NMTVKEYDOWN down;
        down.wVKey = VirtualKeyFromQt(key->key());
        if (!down.wVKey) return false;
        return NotifyParent(tree, &down.hdr, TVN_KEYDOWN) != 0;
    }
};

}  // namespace

QTreeWidget* CTreeCtrl::Tree() const { return qobject_cast<QTreeWidget*>(GetWidget()); }
QTreeWidgetItem* CTreeCtrl::ItemFromHandle(HTREEITEM item) {
    return IsSpecial(item) ? nullptr : reinterpret_cast<QTreeWidgetItem*>(item);
}
HTREEITEM CTreeCtrl::HandleFromItem(QTreeWidgetItem* item) { return reinterpret_cast<HTREEITEM>(item); }

HTREEITEM CTreeCtrl::InsertItem(const char* text, HTREEITEM parent, HTREEITEM after) {
    return InsertItem(text, 0, 0, parent, after);
}

HTREEITEM CTreeCtrl::InsertItem(const char* text, int image, int selectedImage, HTREEITEM parent, HTREEITEM after) {
    QTreeWidget* tree = Tree();
    if (!tree) return nullptr;
    QTreeWidgetItem* parentItem = (parent == TVI_ROOT || !parent) ? nullptr : ItemFromHandle(parent);
    auto* item = new QTreeWidgetItem(QStringList{QString::fromUtf8(text ? text : "")});
    item->setData(0, kDataRole, QVariant::fromValue<qlonglong>(0));
    item->setData(0, kImageRole, image);
    item->setData(0, kSelectedImageRole, selectedImage);
    if (tree->property("leafEditLabels").toBool()) item->setFlags(item->flags() | Qt::ItemIsEditable);
    auto count = [&] { return parentItem ? parentItem->childCount() : tree->topLevelItemCount(); };
    auto childAt = [&](int i) { return parentItem ? parentItem->child(i) : tree->topLevelItem(i); };
    int position = count();
    if (after == TVI_FIRST) {
        position = 0;
    } else if (after == TVI_SORT) {
        position = 0;
        while (position < count() && QString::compare(childAt(position)->text(0), item->text(0), Qt::CaseInsensitive) <= 0) ++position;
    } else if (after != TVI_LAST && after) {
        QTreeWidgetItem* sibling = ItemFromHandle(after);
        int index = parentItem ? parentItem->indexOfChild(sibling) : tree->indexOfTopLevelItem(sibling);
        if (index >= 0) position = index + 1;
    }
    if (parentItem) parentItem->insertChild(position, item);
    else tree->insertTopLevelItem(position, item);
    ApplyImage(tree, item);
    return HandleFromItem(item);
}

BOOL CTreeCtrl::DeleteItem(HTREEITEM handle) {
    QTreeWidget* tree = Tree();
    if (!tree) return FALSE;
    if (handle == TVI_ROOT) return DeleteAllItems();
    QTreeWidgetItem* item = ItemFromHandle(handle);
    if (!item) return FALSE;
    delete item;
    return TRUE;
}

BOOL CTreeCtrl::DeleteAllItems() {
    if (!Tree()) return FALSE;
    Tree()->clear();
    return TRUE;
}

UINT CTreeCtrl::GetCount() const {
    QTreeWidget* tree = Tree();
    if (!tree) return 0;
    UINT count = 0;
    for (QTreeWidgetItemIterator it(tree); *it; ++it) ++count;
    return count;
}

HTREEITEM CTreeCtrl::GetRootItem() const {
    return Tree() && Tree()->topLevelItemCount() ? HandleFromItem(Tree()->topLevelItem(0)) : nullptr;
}

HTREEITEM CTreeCtrl::GetChildItem(HTREEITEM handle) const {
    if (handle == TVI_ROOT || !handle) return GetRootItem();
    QTreeWidgetItem* item = ItemFromHandle(handle);
    return item && item->childCount() ? HandleFromItem(item->child(0)) : nullptr;
}

HTREEITEM CTreeCtrl::GetNextSiblingItem(HTREEITEM handle) const {
    QTreeWidgetItem* item = ItemFromHandle(handle);
    QTreeWidget* tree = Tree();
    if (!item || !tree) return nullptr;
    QTreeWidgetItem* parent = item->parent();
    int index = parent ? parent->indexOfChild(item) : tree->indexOfTopLevelItem(item);
    int count = parent ? parent->childCount() : tree->topLevelItemCount();
    if (index < 0 || index + 1 >= count) return nullptr;
    return HandleFromItem(parent ? parent->child(index + 1) : tree->topLevelItem(index + 1));
}

HTREEITEM CTreeCtrl::GetPrevSiblingItem(HTREEITEM handle) const {
    QTreeWidgetItem* item = ItemFromHandle(handle);
    QTreeWidget* tree = Tree();
    if (!item || !tree) return nullptr;
    QTreeWidgetItem* parent = item->parent();
    int index = parent ? parent->indexOfChild(item) : tree->indexOfTopLevelItem(item);
    if (index <= 0) return nullptr;
    return HandleFromItem(parent ? parent->child(index - 1) : tree->topLevelItem(index - 1));
}

HTREEITEM CTreeCtrl::GetParentItem(HTREEITEM handle) const {
    QTreeWidgetItem* item = ItemFromHandle(handle);
    return item ? HandleFromItem(item->parent()) : nullptr;
}

BOOL CTreeCtrl::ItemHasChildren(HTREEITEM handle) const {
    QTreeWidgetItem* item = ItemFromHandle(handle);
    return item && item->childCount() > 0;
}

HTREEITEM CTreeCtrl::GetSelectedItem() const {
    QTreeWidget* tree = Tree();
    if (!tree) return nullptr;
    auto selected = tree->selectedItems();
    return selected.isEmpty() ? nullptr : HandleFromItem(selected.front());
}

BOOL CTreeCtrl::SelectItem(HTREEITEM handle) {
    QTreeWidget* tree = Tree();
    if (!tree) return FALSE;
    QTreeWidgetItem* item = ItemFromHandle(handle);
    if (!item) {
        tree->clearSelection();
        return TRUE;
    }
    tree->setCurrentItem(item, 0, QItemSelectionModel::ClearAndSelect);
    return TRUE;
}

BOOL CTreeCtrl::Expand(HTREEITEM handle, UINT code) {
    QTreeWidgetItem* item = ItemFromHandle(handle);
    if (!item) return FALSE;
    bool expand = code == TVE_EXPAND || (code == TVE_TOGGLE && !item->isExpanded());
    item->setExpanded(expand);
    return TRUE;
}

BOOL CTreeCtrl::IsExpanded(HTREEITEM handle) const {
    QTreeWidgetItem* item = ItemFromHandle(handle);
    return item && item->isExpanded();
}

BOOL CTreeCtrl::EnsureVisible(HTREEITEM handle) {
    QTreeWidgetItem* item = ItemFromHandle(handle);
    if (!item || !Tree()) return FALSE;
    Tree()->scrollToItem(item);
    return TRUE;
}

CString CTreeCtrl::GetItemText(HTREEITEM handle) const {
    QTreeWidgetItem* item = ItemFromHandle(handle);
    return item ? CString(item->text(0).toStdString()) : CString();
}

BOOL CTreeCtrl::SetItemText(HTREEITEM handle, const char* text) {
    QTreeWidgetItem* item = ItemFromHandle(handle);
    if (!item) return FALSE;
    item->setText(0, QString::fromUtf8(text ? text : ""));
    return TRUE;
}

LPARAM CTreeCtrl::GetItemData(HTREEITEM handle) const {
    QTreeWidgetItem* item = ItemFromHandle(handle);
    return item ? static_cast<LPARAM>(item->data(0, kDataRole).toLongLong()) : 0;
}

BOOL CTreeCtrl::SetItemData(HTREEITEM handle, LPARAM data) {
    QTreeWidgetItem* item = ItemFromHandle(handle);
    if (!item) return FALSE;
    item->setData(0, kDataRole, QVariant::fromValue<qlonglong>(data));
    return TRUE;
}

BOOL CTreeCtrl::GetItemImage(HTREEITEM handle, int& image, int& selectedImage) const {
    QTreeWidgetItem* item = ItemFromHandle(handle);
    if (!item) return FALSE;
    image = item->data(0, kImageRole).toInt();
    selectedImage = item->data(0, kSelectedImageRole).toInt();
    return TRUE;
}

BOOL CTreeCtrl::SetItemImage(HTREEITEM handle, int image, int selectedImage) {
    QTreeWidgetItem* item = ItemFromHandle(handle);
    if (!item || !Tree()) return FALSE;
    item->setData(0, kImageRole, image);
    item->setData(0, kSelectedImageRole, selectedImage);
    ApplyImage(Tree(), item);
    return TRUE;
}

QWidget* CTreeCtrl::EditLabel(HTREEITEM handle) {
    QTreeWidget* tree = Tree();
    QTreeWidgetItem* item = ItemFromHandle(handle);
    if (!tree || !item) return nullptr;
    tree->setFocus();
    tree->setCurrentItem(item);
    tree->editItem(item, 0);
    auto* delegate = dynamic_cast<LabelEditDelegate*>(tree->itemDelegate());
    return delegate ? delegate->CurrentEditor() : nullptr;
}

void CTreeCtrl::EndLabelEdit(BOOL keep) {
    QTreeWidget* tree = Tree();
    if (auto* delegate = tree ? dynamic_cast<LabelEditDelegate*>(tree->itemDelegate()) : nullptr) delegate->Finish(keep);
}

CImageList* CTreeCtrl::SetImageList(CImageList* list, int) {
    QTreeWidget* tree = Tree();
    if (!tree) return nullptr;
    CImageList* previous = Images(tree);
    tree->setProperty("leafImages", QVariant::fromValue(reinterpret_cast<quintptr>(list)));
    if (list) tree->setIconSize(list->GetImageSize());
    for (QTreeWidgetItemIterator it(tree); *it; ++it) ApplyImage(tree, *it);
    return previous;
}

QWidget* CTreeCtrl::CreateFromTemplate(const ResourceNode& node) {
    auto* tree = new QTreeWidget;
    tree->setHeaderHidden(true);
    tree->setColumnCount(1);
    tree->setSelectionMode(QAbstractItemView::SingleSelection);
    bool editLabels = node.HasFlag("editlabels");
    tree->setProperty("leafEditLabels", editLabels);
    tree->setEditTriggers(editLabels ? QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked
                                     : QAbstractItemView::NoEditTriggers);
    tree->setContextMenuPolicy(Qt::CustomContextMenu);
    tree->setItemDelegate(new LabelEditDelegate(
        tree,
        [tree](const QModelIndex& index) {
            NMTVDISPINFO info;
            info.item = Describe(tree->itemFromIndex(index));
            return NotifyParent(tree, &info.hdr, TVN_BEGINLABELEDIT) != 0;
        },
        [tree](const QModelIndex& index, const QString* text) {
            NMTVDISPINFO info;
            info.item = Describe(tree->itemFromIndex(index));
            std::string buffer = text ? text->toStdString() : std::string();
            info.item.pszText = text ? buffer.data() : nullptr;
            info.item.cchTextMax = static_cast<int>(buffer.size() + 1);
            return NotifyParent(tree, &info.hdr, TVN_ENDLABELEDIT) != 0 && text;
        }));
    QObject::connect(tree, &QTreeWidget::currentItemChanged, tree, [tree](QTreeWidgetItem* now, QTreeWidgetItem* before) {
        if (before) ApplyImage(tree, before);
        if (now) ApplyImage(tree, now);
        NMTREEVIEW change;
        change.itemOld = Describe(before);
        change.itemNew = Describe(now);
        NotifyParent(tree, &change.hdr, TVN_SELCHANGED);
    });
    auto sendClick = [tree](UINT code) {
        NMHDR header;
        NotifyParent(tree, &header, code);
    };
    QObject::connect(tree, &QTreeWidget::itemClicked, tree, [sendClick] { sendClick(NM_CLICK); });
    QObject::connect(tree, &QTreeWidget::itemDoubleClicked, tree, [sendClick] { sendClick(NM_DBLCLK); });
    QObject::connect(tree, &QWidget::customContextMenuRequested, tree, [sendClick] { sendClick(NM_RCLICK); });
    tree->installEventFilter(new TreeKeyFilter(tree));
    return tree;
}
