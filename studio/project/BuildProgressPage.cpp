#include "studio/project/BuildProgressPage.h"

#include "platform/ui/ListCtrl.h"
#include "platform/ui/Resources.h"
#include "platform/ui/SimpleControls.h"
#include "studio/project/BuildWizardSheet.h"
#include "studio/project/DetailsReport.h"

namespace {

constexpr int kStageText = 1050;
constexpr int kFileText = 1051;
constexpr int kProgressBar = 1049;
constexpr int kMessageLabel = 1097;
constexpr int kMessageList = 1098;
constexpr int kDetailsButton = 1100;

// The caption of a build stage.
UINT StageString(LONG stage) {
    switch (stage) {
    case 1: return 560;
    case 2: return 561;
    case 3: return 562;
    case 4: return 575;
    case 10: return 573;
    default: return 0;
    }
}

}  // namespace

CBuildProgressPage::CBuildProgressPage() : CBuildWizardPage(243) {
    MapControl(kDetailsButton, BN_CLICKED, [this] {
        if (CBuildWizardSheet* sheet = GetBuildSheet())
            WriteDetailsReport(*sheet);
    });
}

BOOL CBuildProgressPage::OnInitDialog() {
    CBuildWizardPage::OnInitDialog();
    if (auto* bar = GetDlgItemAs<CProgressCtrl>(kProgressBar))
        bar->SetRange(0, 100);
    GetDlgItemText(kStageText, m_strStageCaption);
    if (auto* list = GetDlgItemAs<CListCtrl>(kMessageList))
        CBuildWizardSheet::InitMessageList(*list);
    for (int id : {kProgressBar, kMessageLabel, kMessageList, kDetailsButton})
        ShowItem(id, FALSE);
    return TRUE;
}

BOOL CBuildProgressPage::OnSetActive() {
    CBuildWizardSheet* sheet = GetBuildSheet();
    if (sheet)
        sheet->SetWizardButtons(PSWIZB_DISABLEDFINISH);
    m_bCancel = FALSE;
    m_nStage = 0;
    m_strFile.Empty();
    SetDlgItemText(kFileText, "");
    // The build runs once this page shows.
    if (sheet)
        sheet->PostMessage(WM_LC_RUNBUILD);
    return CBuildWizardPage::OnSetActive();
}

BOOL CBuildProgressPage::OnKillActive() {
    if (auto* bar = GetDlgItemAs<CProgressCtrl>(kProgressBar))
        bar->SetPos(0);
    SetDlgItemText(kStageText, m_strStageCaption.c_str());
    SetDlgItemText(kFileText, "");
    for (int id : {kProgressBar, kMessageLabel, kMessageList, kDetailsButton})
        ShowItem(id, FALSE);
    if (auto* list = GetDlgItemAs<CListCtrl>(kMessageList))
        list->DeleteAllItems();
    if (CBuildWizardSheet* sheet = GetBuildSheet())
        sheet->SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
    return CBuildWizardPage::OnKillActive();
}

BOOL CBuildProgressPage::OnQueryCancel() {
    // While the build runs, Cancel only asks it to stop; the wizard stays open.
    m_bCancel = TRUE;
    return FALSE;
}

int CBuildProgressPage::SetProgress(LONG percent, LONG stage, const CString& text) {
    ShowItem(kProgressBar, TRUE);
    if (auto* bar = GetDlgItemAs<CProgressCtrl>(kProgressBar))
        bar->SetPos(static_cast<int>(percent));
    if (stage != m_nStage) {
        m_nStage = stage;
        const UINT id = StageString(stage);
        SetDlgItemText(kStageText, id ? leaf::ui::LoadResString(id).c_str() : "");
    }
    if (text != m_strFile) {
        m_strFile = text;
        SetDlgItemText(kFileText, text.c_str());
    }
    return m_bCancel ? 0 : 1;
}

void CBuildProgressPage::AddMessage(const CBuildMessage& message) {
    auto* list = GetDlgItemAs<CListCtrl>(kMessageList);
    if (!list)
        return;
    if (list->GetItemCount() == 0) {
        for (int id : {kMessageLabel, kMessageList, kDetailsButton})
            ShowItem(id, TRUE);
        // The build is still running and adding messages: the report is for the done and
        // error pages, once the list is complete.
        EnableItem(kDetailsButton, FALSE);
    }
    CBuildWizardSheet::AddMessageToList(*list, message);
}
