#pragma once

// The New Project dialog (template 202): a blank project or one imported from an Open
// eBook package file. The last choice is remembered in "Settings"/"Last New Option".

#include "platform/ui/Dialog.h"

class CNewProjectDlg : public CDialog {
public:
    enum { IDD = 202 };
    static constexpr int kBlankProject = 1000;
    static constexpr int kImportPackage = 1001;

    explicit CNewProjectDlg(CWnd* parent = nullptr);

    // The id of the option button checked at OK (0 when none was).
    int GetChoice() const { return m_choice; }

    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    int m_choice = 0;
};
