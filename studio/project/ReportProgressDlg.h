#pragma once

// CReportProgressDlg (template 246): the modeless "Please wait..." dialog of a long
// details report, with a progress bar (1101) and a Cancel button that only sets a flag.

#include "platform/ui/Dialog.h"

class CReportProgressDlg : public CDialog {
public:
    CReportProgressDlg() : CDialog(246) {}

    using CDialog::Create;
    BOOL Create(CWnd* parent);
    BOOL OnInitDialog() override;
    void OnCancel() override;
    // Sets the bar; FALSE once Cancel was pressed.
    BOOL SetProgress(int percent);
    BOOL IsCancelled() const { return m_bCancel; }

private:
    BOOL m_bCancel = FALSE;
};
