#pragma once

// The Import Open eBook Package File dialog (template 203): asks for the path of an
// existing package file.

#include "platform/ui/Dialog.h"

class CImportPackageDlg : public CDialog {
public:
    enum { IDD = 203 };

    explicit CImportPackageDlg(CWnd* parent = nullptr);

    // The package path accepted at OK.
    const CString& GetPackagePath() const { return m_path; }

    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    void OnBrowse();

    CString m_path;
};
