#include "studio/project/BuildWizardPage.h"

#include "studio/project/BuildWizardSheet.h"

void CBuildWizardPage::EnableItem(int id, BOOL enable) {
    if (CWnd* item = GetDlgItem(id))
        item->EnableWindow(enable);
}

void CBuildWizardPage::ShowItem(int id, BOOL show) {
    if (CWnd* item = GetDlgItem(id))
        item->ShowWindow(show ? SW_SHOW : SW_HIDE);
}

CBuildWizardSheet* CBuildWizardPage::GetBuildSheet() const {
    return dynamic_cast<CBuildWizardSheet*>(GetSheet());
}
