#pragma once

// The Locate Source Folder dialog (template 205), shown while a project opens whose
// source files are no longer where they were: it names the project and the original
// folder and asks for the folder that now holds the sources.

#include "platform/ui/Dialog.h"

class CLocateSourceDlg : public CDialog {
public:
    enum { IDD = 205 };

    // `projectPath` and `originalFolder` fill the message; `proposedFolder` starts in
    // the edit field.
    CLocateSourceDlg(const char* projectPath, const char* originalFolder, const char* proposedFolder,
                     CWnd* parent = nullptr);

    // The existing folder accepted at OK, without trailing separators.
    const CString& GetSourceFolder() const { return m_folder; }

    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    void OnBrowse();

    CString m_projectPath;
    CString m_originalFolder;
    CString m_folder;
};
