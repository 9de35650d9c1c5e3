#pragma once

// CLeafcraftCoverPageView: the Cover Page workspace. It lists the project's guide links
// other than the table of contents (library and cover images, begin-reading, copyright
// and about-this-title links) with the file each one uses. Its contents are taken over
// as they are, so it always lets the user leave.

#include "studio/workspace/LeafcraftBaseView.h"

class CLeafcraftCoverPageView : public CLeafcraftBaseView {
public:
    DECLARE_DYNCREATE(CLeafcraftCoverPageView)
    static constexpr UINT IDD = 263;
    static constexpr UINT IDC_GUIDE_LIST = 1300;

    CLeafcraftCoverPageView();

    BOOL ValidateWorkspace(BOOL report) override;
    void OnInitialUpdate() override;
    // Fills the list from the document's guide items.
    void FillGuideList();
};
