#pragma once

// CStartupDlg: the Quick Start dialog (template 201) that offers how to begin: a blank
// project (1000), an Open eBook package import (1001) or an existing project (1002),
// chosen from the recent-file list or through "More Files...". The choice of option is
// remembered in "Settings"/"Last Startup Option"; the check box 1004 turns the dialog off
// ("Options"/"Show Startup Dialog" = 0) whether the dialog ends with OK or Cancel.
// Without a recent-file list the dialog ends at once with 3.

#include "platform/ui/Dialog.h"

class CRecentFileList;

class CStartupDlg : public CDialog {
public:
    static constexpr UINT IDD = 201;
    static constexpr int IDC_BLANK_PROJECT = 1000;
    static constexpr int IDC_PACKAGE_IMPORT = 1001;
    static constexpr int IDC_EXISTING_PROJECT = 1002;
    static constexpr int IDC_RECENT_LIST = 1003;
    static constexpr int IDC_DONT_SHOW = 1004;
    static constexpr UINT IDS_MORE_FILES = 563;
    static constexpr int kNoRecentFileList = 3;  // the dialog's result without a list

    explicit CStartupDlg(CRecentFileList* recentFiles, CWnd* parent = nullptr);

    // After OK: 1000, 1001 or 1002, and for 1002 the chosen project (empty for "More Files...").
    int GetChosenOption() const { return m_nOption; }
    const CString& GetChosenFile() const { return m_strFile; }

    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    void OnHelp() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

private:
    void ShowChoiceIcons();
    void StoreDontShowChoice();

    CRecentFileList* m_pRecentFiles;
    int m_nOption = IDC_BLANK_PROJECT;
    CString m_strFile;
};
