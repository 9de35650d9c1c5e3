#include "platform/ui/ComboBox.h"

#include <QComboBox>
#include <QLineEdit>

#include "platform/ui/DialogBuilder.h"
#include "platform/ui/ListItems.h"

using namespace leaf::ui;

namespace {

QComboBox* Combo(const CWnd* wnd) { return qobject_cast<QComboBox*>(wnd->GetWidget()); }

}  // namespace

int CComboBox::AddString(const char* text) {
    QComboBox* combo = Combo(this);
    if (!combo) return CB_ERR;
    QString value = QString::fromUtf8(text ? text : "");
    int position = combo->property("leafSorted").toBool()
                       ? SortedInsertPosition(combo->count(), value, [combo](int i) { return combo->itemText(i); })
                       : combo->count();
    SilentChanges silent(combo);
    int selected = combo->currentIndex();
    combo->insertItem(position, value);
    // An insertion does not choose anything: a list without a selection keeps none.
    if (selected < 0) combo->setCurrentIndex(-1);
    return position;
}

int CComboBox::InsertString(int index, const char* text) {
    QComboBox* combo = Combo(this);
    if (!combo || index > combo->count()) return CB_ERR;
    if (index < 0) index = combo->count();
    SilentChanges silent(combo);
    int selected = combo->currentIndex();
    combo->insertItem(index, QString::fromUtf8(text ? text : ""));
    if (selected < 0) combo->setCurrentIndex(-1);
    return index;
}

int CComboBox::DeleteString(int index) {
    QComboBox* combo = Combo(this);
    if (!combo || index < 0 || index >= combo->count()) return CB_ERR;
    SilentChanges silent(combo);
    combo->removeItem(index);
    return combo->count();
}

void CComboBox::ResetContent() {
    if (QComboBox* combo = Combo(this)) {
        SilentChanges silent(combo);
        combo->clear();
    }
}

int CComboBox::GetCount() const { return Combo(this) ? Combo(this)->count() : 0; }

int CComboBox::GetCurSel() const {
    QComboBox* combo = Combo(this);
    return combo && combo->currentIndex() >= 0 ? combo->currentIndex() : CB_ERR;
}

int CComboBox::SetCurSel(int index) {
    QComboBox* combo = Combo(this);
    if (!combo) return CB_ERR;
    SilentChanges silent(combo);
    if (index < 0 || index >= combo->count()) {
        combo->setCurrentIndex(-1);
        return CB_ERR;
    }
    combo->setCurrentIndex(index);
    return index;
}

int CComboBox::GetLBText(int index, CString& text) const {
    QComboBox* combo = Combo(this);
    if (!combo || index < 0 || index >= combo->count()) return CB_ERR;
    text = CString(combo->itemText(index).toStdString());
    return text.GetLength();
}

int CComboBox::GetLBTextLen(int index) const {
    CString text;
    return GetLBText(index, text);
}

LPARAM CComboBox::GetItemData(int index) const {
    QComboBox* combo = Combo(this);
    if (!combo || index < 0 || index >= combo->count()) return CB_ERR;
    return static_cast<LPARAM>(combo->itemData(index).toLongLong());
}

int CComboBox::SetItemData(int index, LPARAM data) {
    QComboBox* combo = Combo(this);
    if (!combo || index < 0 || index >= combo->count()) return CB_ERR;
    combo->setItemData(index, QVariant::fromValue<qlonglong>(data));
    return 0;
}

int CComboBox::FindString(int startAfter, const char* prefix) const {
    QComboBox* combo = Combo(this);
    if (!combo) return CB_ERR;
    return FindEntry(combo->count(), startAfter, QString::fromUtf8(prefix ? prefix : ""), false,
                     [combo](int i) { return combo->itemText(i); });
}

int CComboBox::FindStringExact(int startAfter, const char* text) const {
    QComboBox* combo = Combo(this);
    if (!combo) return CB_ERR;
    return FindEntry(combo->count(), startAfter, QString::fromUtf8(text ? text : ""), true,
                     [combo](int i) { return combo->itemText(i); });
}

int CComboBox::SelectString(int startAfter, const char* prefix) {
    int found = FindString(startAfter, prefix);
    return found == CB_ERR ? CB_ERR : SetCurSel(found);
}

BOOL CComboBox::LimitText(int maximum) {
    QComboBox* combo = Combo(this);
    if (!combo || !combo->lineEdit()) return FALSE;
    combo->lineEdit()->setMaxLength(maximum <= 0 ? 32767 : maximum);
    return TRUE;
}

void CComboBox::ChooseEntry(int index) {
    QComboBox* combo = Combo(this);
    if (!combo || !combo->isEnabled() || index < 0 || index >= combo->count()) return;
    {
        SilentChanges silent(combo);
        combo->setCurrentIndex(index);
    }
    emit combo->activated(index);
}

QWidget* CComboBox::CreateFromTemplate(const ResourceNode& node) {
    auto* combo = new QComboBox;
    combo->setProperty("leafSorted", node.HasFlag("sort"));
    combo->setEditable(!node.HasFlag("droplist"));
    combo->setInsertPolicy(QComboBox::NoInsert);
    if (combo->lineEdit()) {
        if (int limit = node.IntOption("limit", 0); limit > 0) combo->lineEdit()->setMaxLength(limit);
        QObject::connect(combo->lineEdit(), &QLineEdit::textEdited, combo, [combo] { NotifyCommand(combo, CBN_EDITCHANGE); });
    }
    // A choice from the list by a person; choices made by code are silent.
    QObject::connect(combo, &QComboBox::activated, combo, [combo] {
        if (!SilentChanges::IsSilent(combo)) NotifyCommand(combo, CBN_SELCHANGE);
    });
    combo->setCurrentIndex(-1);
    return combo;
}
