#pragma once

// CLeafcraftPropertiesView: the Properties workspace. The left list names every metadata
// property of the definition file by its label; choosing one shows the editor its prompt
// type asks for (a line, a text box, a single- or multiple-choice list, a creator list or
// an identifier list) with the property's notes. Every change goes into the document's
// metadata item of that property at once. The view also offers the role and file-as
// operations (leaf::CreatorFields) that the Creator dialog uses.

#include <map>
#include <memory>
#include <vector>

#include "studio/workspace/AnchorHook.h"
#include "studio/workspace/CmdUIHook.h"
#include "studio/workspace/CreatorFields.h"
#include "studio/workspace/LeafcraftBaseView.h"
#include "studio/workspace/ListColumnFitter.h"

class CDialog;
class CLCMetaData;
class CLeafcraftDoc;
class CListCtrl;
class CMetaDataDefinition;

class CLeafcraftPropertiesView : public CLeafcraftBaseView, public leaf::CreatorFields {
public:
    DECLARE_DYNCREATE(CLeafcraftPropertiesView)

    static constexpr UINT IDD = 261;
    static constexpr UINT IDB_BANNER = 331;
    static constexpr UINT IDR_MENU = 111;
    static constexpr UINT IDC_PROPERTY_LIST = 1021;
    static constexpr UINT IDC_VALUE_EDIT = 1025;
    static constexpr UINT IDC_VALUE_MULTILINE = 1022;
    static constexpr UINT IDC_VALUE_LIST = 1100;
    static constexpr UINT IDC_VALUE_LIST_SORTED = 1101;
    static constexpr UINT IDC_MULTI_LIST = 1102;
    static constexpr UINT IDC_MULTI_LIST_SORTED = 1103;
    static constexpr UINT IDC_NOTES = 1030;
    static constexpr UINT ID_MOVE_VALUE_UP = 41001;
    static constexpr UINT ID_MOVE_VALUE_DOWN = 41002;
    static constexpr UINT ID_DELETE_VALUE = 41003;
    // Item data of the entry row (the row that adds a value).
    static constexpr LPARAM kEntryRow = -1;

    CLeafcraftPropertiesView();
    ~CLeafcraftPropertiesView() override;

    void OnInitialUpdate() override;
    // Edits are taken over as they happen: leaving is never refused.
    BOOL ValidateWorkspace(BOOL report) override;

    // Shows the editor of the property chosen in the left list.
    void OnPropertySelected();
    void OnValueEdited();
    void OnValueSelectionChanged(NMHDR* header, LRESULT* result);
    void OnValueDblClk(NMHDR* header, LRESULT* result);
    void OnMoveValueUp();
    void OnMoveValueDown();
    void OnDeleteValue();
    // The context menu: `point` in screen coordinates, (-1,-1) from the keyboard.
    void OnContextMenu(CWnd* window, POINT point);

    // The chosen property's definition and metadata item (created when missing); FALSE
    // when no property is chosen or its definition index is out of range.
    BOOL GetCurrentProperty(CMetaDataDefinition*& definition, CLCMetaData*& item);
    // The list view that shows the chosen property's values (null for the edit types).
    CListCtrl* GetValueList(const CMetaDataDefinition& definition) const;
    CLeafcraftDoc* GetLeafcraftDoc() const { return m_document; }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    // Exchanges a value row with its neighbour (row - 1 when up, else row + 1), with
    // the values and attributes they stand for.
    void SwapValueRows(int row, BOOL up);
    // The value index a row stands for, -1 for choice rows and the entry row.
    int ValueIndexOfRow(CListCtrl* list, int row) const;
    // The first selected row of a list, -1 when none.
    int SelectedRow(CListCtrl* list) const;
    // The one selected row of a value list that is a movable value row (-1 when none).
    int MovableSelection(CMetaDataDefinition*& definition, CLCMetaData*& item);
    // Runs a dialog of the value types (virtual so that a test can watch it).
    virtual int RunDialog(CDialog& dialog);

private:
    // Inserts a row with a text and item data: at the end, or in case-insensitive order
    // in the sorted lists. Returns its index.
    int InsertRow(CListCtrl* list, bool sorted, const CString& text, LPARAM data);
    void OnListKeyDown(NMHDR* header, LRESULT* result);
    void OnUpdateMoveUp(CCmdUI* ui);
    void OnUpdateMoveDown(CCmdUI* ui);
    void OnUpdateDelete(CCmdUI* ui);

    CLeafcraftDoc* m_document = nullptr;
    std::vector<std::unique_ptr<CMetaDataDefinition>>* m_definitions = nullptr;
    bool m_initialised = false;
    bool m_filling = false;
    CAnchorHook m_anchorHook;
    CCmdUIHook m_cmdUIHook;
    // The value lists' columns fill their list, one fitter per list id.
    std::map<UINT, CListColumnFitter> m_columnFitters;
};
