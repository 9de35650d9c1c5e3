#pragma once

// CLeafcraftStructNavView: the Navigation workspace. It lists the project's tours with
// the number of sites each one has. Its contents are taken over as they are, so it always
// lets the user leave.

#include "studio/workspace/LeafcraftBaseView.h"

class CLeafcraftStructNavView : public CLeafcraftBaseView {
public:
    DECLARE_DYNCREATE(CLeafcraftStructNavView)
    static constexpr UINT IDD = 264;
    static constexpr UINT IDC_TOUR_LIST = 1310;

    CLeafcraftStructNavView();

    BOOL ValidateWorkspace(BOOL report) override;
    void OnInitialUpdate() override;
    void FillTourList();
};
