#include "studio/project/BuildErrorPage.h"

#include <QApplication>

#include "platform/ui/Resources.h"
#include "sdk/LeafcraftSDK.h"
#include "studio/project/BuildResultPages.h"
#include "studio/project/BuildWizardSheet.h"
#include "studio/project/DetailsReport.h"

namespace {

constexpr int kCodeText = 1103;
constexpr int kErrorText = 1102;
constexpr UINT kErrorCodeString = 701;
constexpr UINT kFirstErrorString = 12000;
constexpr UINT kUnexpectedErrorString = 12099;

}  // namespace

CString FormatBuildError(LONG code, const char* details) {
    CString format;
    if (code >= 0 && code <= 99 && leaf::ui::LoadString(kFirstErrorString + static_cast<UINT>(code), format))
        return leaf::ui::FormatResString(kFirstErrorString + static_cast<UINT>(code), details ? details : "");
    return leaf::ui::LoadResString(kUnexpectedErrorString);
}

CBuildErrorPage::CBuildErrorPage() : CBuildWizardPage(245) {
    MapControl(leaf::buildpages::kDetailsButton, BN_CLICKED, [this] { leaf::buildpages::WriteReport(*this); });
}

BOOL CBuildErrorPage::OnInitDialog() {
    CBuildWizardPage::OnInitDialog();
    leaf::buildpages::InitMessages(*this);
    return TRUE;
}

BOOL CBuildErrorPage::OnSetActive() {
    CBuildWizardSheet* sheet = GetBuildSheet();
    if (!sheet)
        return CBuildWizardPage::OnSetActive();
    LONG code = 0;
    CString details;
    try {
        code = sheet->GetSDK().GetErrorCode();
        details = sheet->GetSDK().GetErrorDetails();
    } catch (const leaf::DispatchError& error) {
        code = LCERR_UNEXPECTED;
        details = error.what();
    }
    SetDlgItemText(kCodeText, leaf::ui::FormatResString(kErrorCodeString, code).c_str());
    SetDlgItemText(kErrorText, FormatBuildError(code, details.c_str()).c_str());
    leaf::buildpages::ShowMessages(*this);
    sheet->SetWizardButtons(PSWIZB_BACK);
    QApplication::beep();
    return CBuildWizardPage::OnSetActive();
}

BOOL CBuildErrorPage::OnKillActive() {
    leaf::buildpages::LeavePage(*this);
    return CBuildWizardPage::OnKillActive();
}

LRESULT CBuildErrorPage::OnWizardBack() {
    return leaf::buildpages::BackTarget(*this);
}
