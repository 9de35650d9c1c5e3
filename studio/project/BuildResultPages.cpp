#include "studio/project/BuildResultPages.h"

#include <QPushButton>

#include "platform/ui/ListCtrl.h"
#include "studio/project/BuildWizardPage.h"
#include "studio/project/BuildWizardSheet.h"
#include "studio/project/DetailsReport.h"

namespace leaf::buildpages {

void InitMessages(CBuildWizardPage& page) {
    if (auto* list = page.GetDlgItemAs<CListCtrl>(kMessageList))
        CBuildWizardSheet::InitMessageList(*list);
    for (int id : {kMessageLabel, kMessageList, kDetailsButton})
        page.ShowItem(id, FALSE);
}

void ShowMessages(CBuildWizardPage& page) {
    CBuildWizardSheet* sheet = page.GetBuildSheet();
    auto* list = page.GetDlgItemAs<CListCtrl>(kMessageList);
    if (!sheet || !list)
        return;
    list->DeleteAllItems();
    const bool any = !sheet->GetMessages().empty();
    for (int id : {kMessageLabel, kMessageList, kDetailsButton})
        page.ShowItem(id, any);
    for (const auto& message : sheet->GetMessages())
        CBuildWizardSheet::AddMessageToList(*list, *message);
}

void WriteReport(CBuildWizardPage& page) {
    CBuildWizardSheet* sheet = page.GetBuildSheet();
    if (!sheet)
        return;
    page.EnableItem(kDetailsButton, FALSE);
    WriteDetailsReport(*sheet);
    page.EnableItem(kDetailsButton, TRUE);
}

void LeavePage(CBuildWizardPage& page) {
    if (auto* list = page.GetDlgItemAs<CListCtrl>(kMessageList))
        list->DeleteAllItems();
    for (int id : {kMessageLabel, kMessageList, kDetailsButton})
        page.ShowItem(id, FALSE);
    if (CBuildWizardSheet* sheet = page.GetBuildSheet()) {
        sheet->SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
        if (QPushButton* cancel = sheet->Button(PSBTN_CANCEL))
            cancel->setEnabled(true);
    }
}

long BackTarget(CBuildWizardPage& page) {
    CBuildWizardSheet* sheet = page.GetBuildSheet();
    return sheet && sheet->HasFontsPage() ? 242 : 240;
}

}  // namespace leaf::buildpages
