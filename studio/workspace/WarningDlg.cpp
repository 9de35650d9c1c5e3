#include "studio/workspace/WarningDlg.h"

#include "platform/ui/PeopleService.h"
#include "platform/ui/WinApp.h"
#include "studio/workspace/AppProfile.h"
#include "studio/workspace/DialogCaption.h"

CWarningDlg::CWarningDlg(UINT templateId, const char* key, CWnd* parent)
    : CDialog(templateId, parent), m_key(key ? key : "") {}

BOOL CWarningDlg::IsSuppressed(const char* key) {
    if (!key || !*key) return FALSE;
    return leaf::GetAppProfileInt(kSection, key, 0) != 0;
}

BOOL CWarningDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    // The templates' caption "%s" names the program, from its title string.
    leaf::app::ApplyTemplateCaption(this, GetTemplateId());
    // A silenced warning answers as if the author had confirmed it, without showing.
    if (IsSuppressed(m_key.c_str())) {
        EndDialog(IDOK);
        return FALSE;
    }
    CenterWindow();
    return TRUE;
}

void CWarningDlg::OnOK() {
    if (IsDlgButtonChecked(IDC_DONT_SHOW_AGAIN) == BST_CHECKED && !m_key.IsEmpty())
        leaf::WriteAppProfileInt(kSection, m_key.c_str(), 1);
    CDialog::OnOK();
}

// Cancel never silences the warning, whatever the check box says.
void CWarningDlg::OnCancel() { CDialog::OnCancel(); }

void CWarningDlg::OnHelp() {
    if (CWinApp* app = AfxGetApp()) app->WinHelp(GetTemplateId(), leaf::ui::HELP_CONTEXT);
    else leaf::ui::People().Help("", leaf::ui::HELP_CONTEXT, GetTemplateId());
}
