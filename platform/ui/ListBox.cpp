#include "platform/ui/ListBox.h"

#include <QListWidget>

#include "platform/ui/DialogBuilder.h"
#include "platform/ui/ListItems.h"

using namespace leaf::ui;

namespace {

QListWidget* List(const CWnd* wnd) { return qobject_cast<QListWidget*>(wnd->GetWidget()); }
bool IsSorted(const QListWidget* list) { return list->property("leafSorted").toBool(); }

}  // namespace

int CListBox::AddString(const char* text) {
    QListWidget* list = List(this);
    if (!list) return LB_ERR;
    QString value = QString::fromUtf8(text ? text : "");
    int position = IsSorted(list) ? SortedInsertPosition(list->count(), value, [list](int i) { return list->item(i)->text(); })
                                  : list->count();
    SilentChanges silent(list);
    list->insertItem(position, value);
    return position;
}

int CListBox::InsertString(int index, const char* text) {
    QListWidget* list = List(this);
    if (!list || index > list->count()) return LB_ERR;
    if (index < 0) index = list->count();
    SilentChanges silent(list);
    list->insertItem(index, QString::fromUtf8(text ? text : ""));
    return index;
}

int CListBox::DeleteString(int index) {
    QListWidget* list = List(this);
    if (!list || index < 0 || index >= list->count()) return LB_ERR;
    SilentChanges silent(list);
    delete list->takeItem(index);
    return list->count();
}

void CListBox::ResetContent() {
    if (QListWidget* list = List(this)) {
        SilentChanges silent(list);
        list->clear();
    }
}

int CListBox::GetCount() const { return List(this) ? List(this)->count() : 0; }

int CListBox::GetCurSel() const {
    QListWidget* list = List(this);
    if (!list) return LB_ERR;
    if (list->selectionMode() == QAbstractItemView::SingleSelection) {
        auto selected = list->selectedItems();
        return selected.isEmpty() ? LB_ERR : list->row(selected.front());
    }
    return list->currentRow();   // the item with the focus in a multiple-selection list
}

int CListBox::SetCurSel(int index) {
    QListWidget* list = List(this);
    if (!list || index >= list->count()) return LB_ERR;
    SilentChanges silent(list);
    if (index < 0) {
        list->clearSelection();
        return LB_ERR;
    }
    list->setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
    return index;
}

int CListBox::GetText(int index, CString& text) const {
    QListWidget* list = List(this);
    if (!list || index < 0 || index >= list->count()) return LB_ERR;
    text = CString(list->item(index)->text().toStdString());
    return text.GetLength();
}

int CListBox::GetTextLen(int index) const {
    CString text;
    return GetText(index, text);
}

LPARAM CListBox::GetItemData(int index) const {
    QListWidget* list = List(this);
    if (!list || index < 0 || index >= list->count()) return LB_ERR;
    return static_cast<LPARAM>(list->item(index)->data(Qt::UserRole).toLongLong());
}

int CListBox::SetItemData(int index, LPARAM data) {
    QListWidget* list = List(this);
    if (!list || index < 0 || index >= list->count()) return LB_ERR;
    list->item(index)->setData(Qt::UserRole, QVariant::fromValue<qlonglong>(data));
    return 0;
}

int CListBox::FindString(int startAfter, const char* prefix) const {
    QListWidget* list = List(this);
    if (!list) return LB_ERR;
    return FindEntry(list->count(), startAfter, QString::fromUtf8(prefix ? prefix : ""), false,
                     [list](int i) { return list->item(i)->text(); });
}

int CListBox::FindStringExact(int startAfter, const char* text) const {
    QListWidget* list = List(this);
    if (!list) return LB_ERR;
    return FindEntry(list->count(), startAfter, QString::fromUtf8(text ? text : ""), true,
                     [list](int i) { return list->item(i)->text(); });
}

int CListBox::SelectString(int startAfter, const char* prefix) {
    int found = FindString(startAfter, prefix);
    return found == LB_ERR ? LB_ERR : SetCurSel(found);
}

int CListBox::GetSel(int index) const {
    QListWidget* list = List(this);
    if (!list || index < 0 || index >= list->count()) return LB_ERR;
    return list->item(index)->isSelected() ? 1 : 0;
}

int CListBox::SetSel(int index, BOOL select) {
    QListWidget* list = List(this);
    if (!list || index >= list->count()) return LB_ERR;
    SilentChanges silent(list);
    if (index < 0) {
        for (int i = 0; i < list->count(); ++i) list->item(i)->setSelected(select);
    } else {
        list->item(index)->setSelected(select);
    }
    return 0;
}

int CListBox::GetSelCount() const {
    QListWidget* list = List(this);
    return list ? static_cast<int>(list->selectedItems().size()) : LB_ERR;
}

int CListBox::GetSelItems(int maxItems, int* items) const {
    QListWidget* list = List(this);
    if (!list || !items) return LB_ERR;
    int written = 0;
    for (int i = 0; i < list->count() && written < maxItems; ++i)
        if (list->item(i)->isSelected()) items[written++] = i;
    return written;
}

QWidget* CListBox::CreateFromTemplate(const ResourceNode& node) {
    auto* list = new QListWidget;
    list->setProperty("leafSorted", node.HasFlag("sort"));
    list->setSelectionMode(node.HasFlag("multi") ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
    QObject::connect(list, &QListWidget::itemSelectionChanged, list, [list] {
        if (!SilentChanges::IsSilent(list)) NotifyCommand(list, LBN_SELCHANGE);
    });
    QObject::connect(list, &QListWidget::itemDoubleClicked, list, [list] { NotifyCommand(list, LBN_DBLCLK); });
    return list;
}
