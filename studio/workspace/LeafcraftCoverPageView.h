#pragma once

// CLeafcraftCoverPageView: the Cover Page workspace. It lists the project's guide links
// other than the table of contents (library and cover images, begin-reading, copyright
// and about-this-title links) with the file each one uses, describes the selected one,
// and lets the user choose its file, go back to the built-in default or leave it out.
// Every state of the list is valid, so it always lets the user leave.

#include "studio/workspace/LeafcraftBaseView.h"
#include "studio/workspace/ListColumnFitter.h"

class CGuideTypeDefinition;

class CLeafcraftCoverPageView : public CLeafcraftBaseView {
public:
    DECLARE_DYNCREATE(CLeafcraftCoverPageView)
    static constexpr UINT IDD = 263;
    static constexpr UINT IDC_GUIDE_LIST = 1300;
    static constexpr UINT IDC_GUIDE_DESCRIPTION = 1301;
    static constexpr UINT IDC_GUIDE_BROWSE = 1302;
    static constexpr UINT IDC_GUIDE_DEFAULT = 1303;
    static constexpr UINT IDC_GUIDE_NONE = 1304;

    CLeafcraftCoverPageView();

    BOOL ValidateWorkspace(BOOL report) override;
    void OnInitialUpdate() override;
    // Fills the list from the document's guide items, one row per guide type.
    void FillGuideList();

    // The buttons: a file of the user's, the built-in default, no guide item.
    void OnBrowse();
    void OnUseDefault();
    void OnNone();

private:
    // The guide type of the selected row, null when none is selected.
    const CGuideTypeDefinition* GetSelectedType() const;
    int GetSelectedRow() const;
    // Shows the selected type's description and enables the buttons that apply.
    void UpdateSelection();
    // Sets the mode (and path) of the selected type's guide item and shows the change.
    void SetSelectedItem(LONG mode, const CString& path);

    // The list's columns fill its width.
    CListColumnFitter m_columnFitter;
};
