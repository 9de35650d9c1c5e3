#include "studio/project/ReportProgressDlg.h"

#include <QCoreApplication>

#include "platform/ui/SimpleControls.h"

namespace {
constexpr int kProgressBar = 1101;
}

BOOL CReportProgressDlg::Create(CWnd* parent) {
    if (!CDialog::Create(GetTemplateId(), parent))
        return FALSE;
    ShowWindow(SW_SHOW);
    return TRUE;
}

BOOL CReportProgressDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    if (auto* bar = GetDlgItemAs<CProgressCtrl>(kProgressBar)) {
        bar->SetRange(0, 100);
        bar->SetPos(0);
    }
    return TRUE;
}

void CReportProgressDlg::OnCancel() {
    // The report loop sees the flag at its next message and stops.
    m_bCancel = TRUE;
}

BOOL CReportProgressDlg::SetProgress(int percent) {
    if (auto* bar = GetDlgItemAs<CProgressCtrl>(kProgressBar))
        bar->SetPos(percent);
    Invalidate();
    return m_bCancel ? FALSE : TRUE;
}
