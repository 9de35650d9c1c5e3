#include "studio/workspace/LeafcraftPropertiesView.h"

#include <QCursor>

#include "platform/ui/Edit.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/ListBox.h"
#include "platform/ui/ListCtrl.h"
#include "platform/ui/Menu.h"
#include "platform/ui/PeopleService.h"
#include "platform/ui/WinApp.h"
#include "studio/project/ApplicationLists.h"
#include "studio/project/LCMetaData.h"
#include "studio/project/LeafcraftDoc.h"
#include "studio/project/MetaDataDefinition.h"
#include "studio/workspace/CreatorDlg.h"
#include "studio/workspace/IdentifierDlg.h"
#include "studio/workspace/NewValueDlg.h"

IMPLEMENT_DYNCREATE(CLeafcraftPropertiesView, CLeafcraftBaseView)

namespace {
constexpr UINT kConfirmDelete = 13005;
constexpr UINT kContextMenu = 120;
constexpr int kPropertiesItemMenu = 8;
constexpr UINT kNotesGroup = 1028;
constexpr UINT kValueLists[] = {CLeafcraftPropertiesView::IDC_VALUE_LIST, CLeafcraftPropertiesView::IDC_VALUE_LIST_SORTED,
                                CLeafcraftPropertiesView::IDC_MULTI_LIST, CLeafcraftPropertiesView::IDC_MULTI_LIST_SORTED};

bool IsCreatorOrIdentifier(const CMetaDataDefinition& definition) {
    return definition.m_nPromptType == CMetaDataDefinition::promptListCreator ||
           definition.m_nPromptType == CMetaDataDefinition::promptListIdentifier;
}

// The notes with each backslash-n shown as a line break.
CString ExpandNotes(const CString& notes) {
    CString text(notes);
    text.Replace("\\n", "\n");
    return text;
}
}  // namespace

CLeafcraftPropertiesView::CLeafcraftPropertiesView() : CLeafcraftBaseView(IDD, IDB_BANNER, IDR_MENU) {
    MapControl(IDC_PROPERTY_LIST, LBN_SELCHANGE, &CLeafcraftPropertiesView::OnPropertySelected);
    MapControl(IDC_VALUE_EDIT, EN_CHANGE, &CLeafcraftPropertiesView::OnValueEdited);
    MapControl(IDC_VALUE_MULTILINE, EN_CHANGE, &CLeafcraftPropertiesView::OnValueEdited);
    for (UINT id : kValueLists) {
        MapNotify(id, LVN_ITEMCHANGED, &CLeafcraftPropertiesView::OnValueSelectionChanged);
        MapNotify(id, NM_DBLCLK, &CLeafcraftPropertiesView::OnValueDblClk);
        MapNotify(id, LVN_KEYDOWN, &CLeafcraftPropertiesView::OnListKeyDown);
    }
    MapNotify(IDC_VALUE_LIST, NM_RCLICK, [this](NMHDR* header, LRESULT*) {
        auto* list = GetDlgItemAs<CListCtrl>(IDC_VALUE_LIST);
        const auto* click = reinterpret_cast<const NMLISTVIEW*>(header);
        const QPoint at = QCursor::pos();
        // A menu asked for from the keyboard names the current row, wherever the pointer is:
        // it takes the keyboard's way, the focused row.
        const bool fromPointer = !click || ListItemAt(list, at) == click->iItem;
        OnContextMenu(list, fromPointer ? POINT{at.x(), at.y()} : POINT{-1, -1});
    });
    MapCommand(ID_MOVE_VALUE_UP, &CLeafcraftPropertiesView::OnMoveValueUp);
    MapCommand(ID_MOVE_VALUE_DOWN, &CLeafcraftPropertiesView::OnMoveValueDown);
    MapCommand(ID_DELETE_VALUE, &CLeafcraftPropertiesView::OnDeleteValue);
    MapUpdateUI(ID_MOVE_VALUE_UP, &CLeafcraftPropertiesView::OnUpdateMoveUp);
    MapUpdateUI(ID_MOVE_VALUE_DOWN, &CLeafcraftPropertiesView::OnUpdateMoveDown);
    MapUpdateUI(ID_DELETE_VALUE, &CLeafcraftPropertiesView::OnUpdateDelete);
}

CLeafcraftPropertiesView::~CLeafcraftPropertiesView() = default;

BOOL CLeafcraftPropertiesView::ValidateWorkspace(BOOL) { return TRUE; }

LRESULT CLeafcraftPropertiesView::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        m_initialised = false;
    } else if (message == WM_CONTEXTMENU) {
        OnContextMenu(CWnd::FromHandle(reinterpret_cast<HWND>(wParam)), ContextMenuPoint(lParam));
        return 0;
    }
    return CLeafcraftBaseView::WindowProc(message, wParam, lParam);
}

void CLeafcraftPropertiesView::OnInitialUpdate() {
    CLeafcraftBaseView::OnInitialUpdate();
    auto* properties = GetDlgItemAs<CListBox>(IDC_PROPERTY_LIST);
    if (!m_initialised) {
        m_document = FindLeafcraftDoc();
        m_definitions = &leaf::GetApplicationLists().m_metaDataDefinitions;
        if (properties) {
            properties->ResetContent();
            for (size_t i = 0; i < m_definitions->size(); ++i) {
                int line = properties->AddString((*m_definitions)[i]->m_strLabel.c_str());
                properties->SetItemData(line, static_cast<LPARAM>(i));
            }
        }
        for (UINT id : kValueLists)
            if (auto* list = GetDlgItemAs<CListCtrl>(id))
                list->SetExtendedStyle(list->GetExtendedStyle() | LVS_EX_FULLROWSELECT);
        m_anchorHook.Install(this);
        m_anchorHook.SetAnchor(IDC_PROPERTY_LIST, 0x1000);
        m_anchorHook.SetAnchor(IDC_VALUE_EDIT, 0x0010);
        m_anchorHook.SetAnchor(IDC_VALUE_MULTILINE, 0x1010);
        for (UINT id : kValueLists) m_anchorHook.SetAnchor(id, 0x1010);
        m_anchorHook.SetAnchor(kNotesGroup, 0x1110);
        m_anchorHook.SetAnchor(IDC_NOTES, 0x1110);
        m_cmdUIHook.Install(this, FALSE);
    }
    if (m_document && m_document->GetTitle().IsEmpty() && m_document->GetSourceCount() > 0)
        if (CLCSourceFile* first = m_document->GetSourceFile(0)) {
            m_document->SetTitle(first->m_strTitle);
            m_document->SetModifiedFlag();
        }
    if (properties && properties->GetCount() > 0) {
        properties->SetCurSel(0);
        PostMessage(WM_COMMAND, MAKEWPARAM(IDC_PROPERTY_LIST, LBN_SELCHANGE),
                    reinterpret_cast<LPARAM>(properties->GetSafeHwnd()));
    }
    m_initialised = true;
}

BOOL CLeafcraftPropertiesView::GetCurrentProperty(CMetaDataDefinition*& definition, CLCMetaData*& item) {
    definition = nullptr;
    item = nullptr;
    auto* properties = GetDlgItemAs<CListBox>(IDC_PROPERTY_LIST);
    if (!properties || !m_document || !m_definitions) return FALSE;
    int line = properties->GetCurSel();
    if (line < 0) return FALSE;
    LPARAM index = properties->GetItemData(line);
    if (index < 0 || static_cast<size_t>(index) >= m_definitions->size()) return FALSE;
    definition = (*m_definitions)[static_cast<size_t>(index)].get();
    item = m_document->GetMetaData(definition->m_strName, TRUE);
    return definition && item;
}

CListCtrl* CLeafcraftPropertiesView::GetValueList(const CMetaDataDefinition& definition) const {
    switch (definition.m_nPromptType) {
        case CMetaDataDefinition::promptList:
        case CMetaDataDefinition::promptListCreator:
        case CMetaDataDefinition::promptListIdentifier:
            return GetDlgItemAs<CListCtrl>(definition.m_bSort ? IDC_VALUE_LIST_SORTED : IDC_VALUE_LIST);
        case CMetaDataDefinition::promptListMultiselect:
            return GetDlgItemAs<CListCtrl>(definition.m_bSort ? IDC_MULTI_LIST_SORTED : IDC_MULTI_LIST);
        default: return nullptr;
    }
}

int CLeafcraftPropertiesView::InsertRow(CListCtrl* list, bool sorted, const CString& text, LPARAM data) {
    int position = list->GetItemCount();
    if (sorted) {
        position = 0;
        while (position < list->GetItemCount() && list->GetItemText(position, 0).CompareNoCase(text.str()) <= 0)
            ++position;
    }
    int row = list->InsertItem(position, text.c_str());
    if (row >= 0) list->SetItemData(row, data);
    return row;
}

void CLeafcraftPropertiesView::OnPropertySelected() {
    CMetaDataDefinition* definition = nullptr;
    CLCMetaData* item = nullptr;
    if (!GetCurrentProperty(definition, item)) return;
    ShowControl(IDC_VALUE_EDIT, FALSE);
    ShowControl(IDC_VALUE_MULTILINE, FALSE);
    for (UINT id : kValueLists) ShowControl(id, FALSE);

    const int type = definition->m_nPromptType;
    if (type == CMetaDataDefinition::promptEdit || type == CMetaDataDefinition::promptEditMultiline) {
        UINT id = type == CMetaDataDefinition::promptEdit ? IDC_VALUE_EDIT : IDC_VALUE_MULTILINE;
        ShowControl(id, TRUE);
        if (auto* edit = GetDlgItemAs<CEdit>(id)) {
            LONG limit = definition->m_nMaxLength;
            edit->SetLimitText(limit > 0 && limit < 0x7FFFFFFF ? static_cast<UINT>(limit) : 0);
            m_filling = true;
            edit->SetWindowText(item->m_strValue.c_str());
            m_filling = false;
        }
    } else if (CListCtrl* list = GetValueList(*definition)) {
        bool sorted = definition->m_bSort != FALSE;
        m_filling = true;
        list->DeleteAllItems();
        while (list->GetColumnCount() > 0) list->DeleteColumn(0);
        list->InsertColumn(0, definition->m_strLabel.c_str(), LVCFMT_LEFT,
                           type == CMetaDataDefinition::promptListCreator ||
                                   type == CMetaDataDefinition::promptListIdentifier
                               ? 200
                               : 400);
        if (type == CMetaDataDefinition::promptListCreator) {
            list->InsertColumn(1, "role", LVCFMT_LEFT, 100);
            list->InsertColumn(2, "file-as", LVCFMT_LEFT, 100);
        } else if (type == CMetaDataDefinition::promptListIdentifier) {
            list->InsertColumn(1, "scheme", LVCFMT_LEFT, 200);
        }
        m_columnFitters[static_cast<UINT>(list->GetDlgCtrlID())].Fit(list);
        ShowControl(list->GetDlgCtrlID(), TRUE);
        for (const CString& choice : definition->m_choices) InsertRow(list, sorted, choice, 0);
        for (const CString& added : definition->m_addedValues) InsertRow(list, sorted, added, 0);

        auto attributeAt = [item](size_t i) { return i < item->m_attributes.size() ? item->m_attributes[i] : CString(); };
        if (IsCreatorOrIdentifier(*definition)) {
            // Value rows carry their value's index + 1, so that they stay tied to their
            // value in a sorted list and beside choice rows.
            for (size_t i = 0; i < item->m_values.size(); ++i) {
                int row = InsertRow(list, sorted, item->m_values[i], static_cast<LPARAM>(i + 1));
                if (row < 0) continue;
                CString attributes = attributeAt(i);
                if (type == CMetaDataDefinition::promptListCreator) {
                    list->SetItemText(row, 1, GetRoleName(leaf::AttributeValue(attributes.c_str(), "role").c_str()).c_str());
                    list->SetItemText(row, 2, leaf::AttributeValue(attributes.c_str(), "file-as").c_str());
                } else {
                    list->SetItemText(row, 1, leaf::AttributeValue(attributes.c_str(), "scheme").c_str());
                }
            }
        } else {
            for (const CString& value : item->m_values) {
                int row = -1;
                for (int r = 0; r < list->GetItemCount() && row < 0; ++r)
                    if (list->GetItemData(r) != kEntryRow && list->GetItemText(r, 0) == value) row = r;
                if (row < 0) row = InsertRow(list, sorted, value, 0);
                if (row < 0) continue;
                list->SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
                list->EnsureVisible(row, FALSE);
            }
        }
        if (definition->m_bCustomize) InsertRow(list, sorted, definition->m_strCustomText, kEntryRow);
        m_filling = false;
    }
    SetDlgItemText(IDC_NOTES, ExpandNotes(definition->m_strNotes).c_str());
}

void CLeafcraftPropertiesView::OnValueEdited() {
    if (m_filling) return;
    CMetaDataDefinition* definition = nullptr;
    CLCMetaData* item = nullptr;
    if (!GetCurrentProperty(definition, item)) return;
    UINT id = 0;
    if (definition->m_nPromptType == CMetaDataDefinition::promptEdit) id = IDC_VALUE_EDIT;
    else if (definition->m_nPromptType == CMetaDataDefinition::promptEditMultiline) id = IDC_VALUE_MULTILINE;
    else return;
    CString text;
    GetDlgItemText(static_cast<int>(id), text);
    if (text == item->m_strValue) return;
    item->m_strValue = text;
    m_document->SetModifiedFlag();
}

int CLeafcraftPropertiesView::SelectedRow(CListCtrl* list) const {
    return list ? list->GetNextItem(-1, LVNI_SELECTED) : -1;
}

void CLeafcraftPropertiesView::OnValueSelectionChanged(NMHDR* header, LRESULT* result) {
    if (result) *result = 0;
    if (m_filling) return;
    auto* change = reinterpret_cast<NMLISTVIEW*>(header);
    if (change && !(change->uChanged & LVIF_STATE)) return;
    CMetaDataDefinition* definition = nullptr;
    CLCMetaData* item = nullptr;
    if (!GetCurrentProperty(definition, item)) return;
    CListCtrl* list = GetValueList(*definition);
    if (!list) return;
    if (definition->m_nPromptType == CMetaDataDefinition::promptList) {
        int row = SelectedRow(list);
        if (row < 0) return;
        if (list->GetItemData(row) == kEntryRow) {
            if (item->m_values.empty()) return;
            item->m_values.clear();
            item->m_attributes.clear();
        } else {
            CString text = list->GetItemText(row, 0);
            if (item->m_values.size() == 1 && item->m_values.front() == text) return;
            item->m_values = {text};
            item->m_attributes = {CString()};
        }
        m_document->SetModifiedFlag();
    } else if (definition->m_nPromptType == CMetaDataDefinition::promptListMultiselect) {
        std::vector<CString> texts;
        for (int row = 0; row < list->GetItemCount(); ++row)
            if ((list->GetItemState(row, LVIS_SELECTED) & LVIS_SELECTED) && list->GetItemData(row) != kEntryRow)
                texts.push_back(list->GetItemText(row, 0));
        if (texts == item->m_values) return;
        item->m_values = texts;
        item->m_attributes.assign(texts.size(), CString());
        m_document->SetModifiedFlag();
    }
}

int CLeafcraftPropertiesView::ValueIndexOfRow(CListCtrl* list, int row) const {
    if (!list || row < 0 || row >= list->GetItemCount()) return -1;
    LPARAM data = list->GetItemData(row);
    return data > 0 ? static_cast<int>(data - 1) : -1;
}

int CLeafcraftPropertiesView::RunDialog(CDialog& dialog) { return dialog.DoModal(); }

void CLeafcraftPropertiesView::OnValueDblClk(NMHDR*, LRESULT* result) {
    if (result) *result = 0;
    CMetaDataDefinition* definition = nullptr;
    CLCMetaData* item = nullptr;
    if (!GetCurrentProperty(definition, item)) return;
    CListCtrl* list = GetValueList(*definition);
    if (!list || list->GetSelectedCount() != 1) return;
    int row = SelectedRow(list);
    bool entryRow = list->GetItemData(row) == kEntryRow;
    const int type = definition->m_nPromptType;

    if (IsCreatorOrIdentifier(*definition)) {
        int index = ValueIndexOfRow(list, row);
        if (!entryRow && (index < 0 || static_cast<size_t>(index) >= item->m_values.size())) return;
        CString value = entryRow ? CString() : item->m_values[static_cast<size_t>(index)];
        CString attributes;
        if (!entryRow && static_cast<size_t>(index) < item->m_attributes.size())
            attributes = item->m_attributes[static_cast<size_t>(index)];
        if (entryRow && type == CMetaDataDefinition::promptListCreator && definition->m_strName == "dc:Creator")
            attributes = "role=\"aut\"";
        CString newValue, newAttributes;
        if (type == CMetaDataDefinition::promptListCreator) {
            CCreatorDlg dialog(value.c_str(), attributes.c_str(), this, this);
            if (RunDialog(dialog) != IDOK) return;
            newValue = dialog.GetName();
            newAttributes = dialog.GetAttributes();
        } else {
            CIdentifierDlg dialog(value.c_str(), attributes.c_str(), this);
            if (RunDialog(dialog) != IDOK) return;
            newValue = dialog.GetValue();
            newAttributes = dialog.GetAttributes();
        }
        item->m_attributes.resize(item->m_values.size());
        if (entryRow) {
            item->m_values.push_back(newValue);
            item->m_attributes.push_back(newAttributes);
        } else {
            item->m_values[static_cast<size_t>(index)] = newValue;
            item->m_attributes[static_cast<size_t>(index)] = newAttributes;
        }
        m_document->SetModifiedFlag();
        OnPropertySelected();
    } else if (type == CMetaDataDefinition::promptList || type == CMetaDataDefinition::promptListMultiselect) {
        if (!entryRow) return;
        CNewValueDlg dialog(definition->m_strLabel.c_str(), static_cast<int>(definition->m_nMaxLength), this);
        if (RunDialog(dialog) != IDOK) return;
        leaf::SaveCustomValue(definition, dialog.GetValue());
        item->m_values = {dialog.GetValue()};
        item->m_attributes = {CString()};
        m_document->SetModifiedFlag();
        OnPropertySelected();
    }
}

void CLeafcraftPropertiesView::SwapValueRows(int row, BOOL up) {
    CMetaDataDefinition* definition = nullptr;
    CLCMetaData* item = nullptr;
    if (!GetCurrentProperty(definition, item)) return;
    CListCtrl* list = GetValueList(*definition);
    if (!list) return;
    int neighbour = up ? row - 1 : row + 1;
    int indexA = ValueIndexOfRow(list, row);
    int indexB = ValueIndexOfRow(list, neighbour);
    size_t count = item->m_values.size();
    if (indexA < 0 || indexB < 0 || static_cast<size_t>(indexA) >= count || static_cast<size_t>(indexB) >= count) return;
    const UINT mask = LVIS_SELECTED | LVIS_FOCUSED;
    UINT stateA = list->GetItemState(row, mask);
    UINT stateB = list->GetItemState(neighbour, mask);
    m_filling = true;
    for (int column = 0; column < list->GetColumnCount(); ++column) {
        CString textA = list->GetItemText(row, column);
        list->SetItemText(row, column, list->GetItemText(neighbour, column).c_str());
        list->SetItemText(neighbour, column, textA.c_str());
    }
    list->SetItemState(row, stateB, mask);
    list->SetItemState(neighbour, stateA, mask);
    m_filling = false;
    list->EnsureVisible(neighbour, FALSE);
    item->m_attributes.resize(count);
    std::swap(item->m_values[static_cast<size_t>(indexA)], item->m_values[static_cast<size_t>(indexB)]);
    std::swap(item->m_attributes[static_cast<size_t>(indexA)], item->m_attributes[static_cast<size_t>(indexB)]);
    m_document->SetModifiedFlag();
}

int CLeafcraftPropertiesView::MovableSelection(CMetaDataDefinition*& definition, CLCMetaData*& item) {
    if (!GetCurrentProperty(definition, item) || !IsCreatorOrIdentifier(*definition) || definition->m_bSort) return -1;
    CListCtrl* list = GetValueList(*definition);
    int row = SelectedRow(list);
    return ValueIndexOfRow(list, row) >= 0 ? row : -1;
}

void CLeafcraftPropertiesView::OnMoveValueUp() {
    CMetaDataDefinition* definition = nullptr;
    CLCMetaData* item = nullptr;
    int row = MovableSelection(definition, item);
    if (row > 0 && ValueIndexOfRow(GetValueList(*definition), row - 1) >= 0) SwapValueRows(row, TRUE);
}

void CLeafcraftPropertiesView::OnMoveValueDown() {
    CMetaDataDefinition* definition = nullptr;
    CLCMetaData* item = nullptr;
    int row = MovableSelection(definition, item);
    if (row >= 0 && ValueIndexOfRow(GetValueList(*definition), row + 1) >= 0) SwapValueRows(row, FALSE);
}

void CLeafcraftPropertiesView::OnDeleteValue() {
    CMetaDataDefinition* definition = nullptr;
    CLCMetaData* item = nullptr;
    if (!GetCurrentProperty(definition, item) || !IsCreatorOrIdentifier(*definition)) return;
    CListCtrl* list = GetValueList(*definition);
    int row = SelectedRow(list);
    int index = ValueIndexOfRow(list, row);
    if (index < 0 || static_cast<size_t>(index) >= item->m_values.size()) return;
    if (AfxMessageBox(kConfirmDelete, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    item->m_values.erase(item->m_values.begin() + index);
    if (static_cast<size_t>(index) < item->m_attributes.size())
        item->m_attributes.erase(item->m_attributes.begin() + index);
    m_document->SetModifiedFlag();
    OnPropertySelected();
}

void CLeafcraftPropertiesView::OnUpdateMoveUp(CCmdUI* ui) {
    CMetaDataDefinition* definition = nullptr;
    CLCMetaData* item = nullptr;
    if (!GetCurrentProperty(definition, item) || !IsCreatorOrIdentifier(*definition) || definition->m_bSort) return;
    int row = MovableSelection(definition, item);
    ui->Enable(row > 0 && ValueIndexOfRow(GetValueList(*definition), row - 1) >= 0);
}

void CLeafcraftPropertiesView::OnUpdateMoveDown(CCmdUI* ui) {
    CMetaDataDefinition* definition = nullptr;
    CLCMetaData* item = nullptr;
    if (!GetCurrentProperty(definition, item) || !IsCreatorOrIdentifier(*definition) || definition->m_bSort) return;
    int row = MovableSelection(definition, item);
    ui->Enable(row >= 0 && ValueIndexOfRow(GetValueList(*definition), row + 1) >= 0);
}

void CLeafcraftPropertiesView::OnUpdateDelete(CCmdUI* ui) {
    CMetaDataDefinition* definition = nullptr;
    CLCMetaData* item = nullptr;
    if (!GetCurrentProperty(definition, item) || !IsCreatorOrIdentifier(*definition) || definition->m_bSort) return;
    ui->Enable(MovableSelection(definition, item) >= 0);
}

void CLeafcraftPropertiesView::OnListKeyDown(NMHDR* header, LRESULT* result) {
    auto* key = reinterpret_cast<NMLVKEYDOWN*>(header);
    if (result) *result = 0;
    if (!key) return;
    bool control = GetKeyState(VK_CONTROL) < 0, shift = GetKeyState(VK_SHIFT) < 0, alt = GetKeyState(VK_MENU) < 0;
    if (header->idFrom == IDC_VALUE_LIST) {
        if (key->wVKey == VK_UP && control && !shift && !alt) SendCommand(ID_MOVE_VALUE_UP);
        else if (key->wVKey == VK_DOWN && control && !shift && !alt) SendCommand(ID_MOVE_VALUE_DOWN);
        else if (key->wVKey == VK_DELETE && !control && !shift && !alt) OnDeleteValue();
        else return;
    } else {
        if (key->wVKey != VK_DELETE) return;
        OnDeleteValue();
    }
    if (result) *result = 1;
}

void CLeafcraftPropertiesView::OnContextMenu(CWnd*, POINT point) {
    CMetaDataDefinition* definition = nullptr;
    CLCMetaData* item = nullptr;
    if (!GetCurrentProperty(definition, item) || !IsCreatorOrIdentifier(*definition) || definition->m_bSort) return;
    auto* list = GetDlgItemAs<CListCtrl>(IDC_VALUE_LIST);
    if (!list || !list->View()) return;
    int row = -1;
    QPoint screen(point.x, point.y);
    if (point.x == -1 && point.y == -1) {
        int focused = list->GetNextItem(-1, LVNI_FOCUSED);
        if (focused >= 0 && (list->GetItemState(focused, LVIS_SELECTED) & LVIS_SELECTED)) {
            row = focused;
            list->EnsureVisible(row, FALSE);
            screen = ListItemCentre(list, row);
        }
    } else {
        row = ListItemAt(list, screen);
    }
    if (row < 0 || list->GetItemData(row) == kEntryRow) return;
    CMenu menu;
    if (!menu.LoadMenu(kContextMenu)) return;
    TrackContextMenu(menu.GetSubMenu(kPropertiesItemMenu), screen);
}
