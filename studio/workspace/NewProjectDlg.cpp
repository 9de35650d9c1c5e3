#include "studio/workspace/NewProjectDlg.h"

#include "platform/ui/PeopleService.h"
#include "platform/ui/WinApp.h"

namespace {
const char* const kSection = "Settings";
const char* const kLastOption = "Last New Option";
constexpr int kFirstOption = 1000;
constexpr int kLastOptionId = 1002;
}  // namespace

CNewProjectDlg::CNewProjectDlg(CWnd* parent) : CDialog(IDD, parent) {}

BOOL CNewProjectDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    int option = kFirstOption;
    if (CWinApp* app = AfxGetApp()) option = static_cast<int>(app->GetProfileInt(kSection, kLastOption, kFirstOption));
    // A remembered id without a button checks none.
    CheckRadioButton(kFirstOption, kLastOptionId, option);
    return TRUE;
}

void CNewProjectDlg::OnOK() {
    m_choice = GetCheckedRadioButton(kFirstOption, kLastOptionId);
    if (CWinApp* app = AfxGetApp()) app->WriteProfileInt(kSection, kLastOption, m_choice);
    CDialog::OnOK();
}
