#include "studio/project/BuildFontsPage.h"

#include "studio/project/BuildWizardSheet.h"
#include "studio/project/LeafcraftDoc.h"

namespace {
constexpr int kAnalyzeFonts = 1134;
}

BOOL CBuildFontsPage::OnSetActive() {
    CBuildWizardSheet* sheet = GetBuildSheet();
    if (sheet && sheet->GetDocument())
        CheckDlgButton(kAnalyzeFonts, sheet->GetDocument()->m_bEmbedFonts ? BST_CHECKED : BST_UNCHECKED);
    if (sheet)
        sheet->SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
    return CBuildWizardPage::OnSetActive();
}

LRESULT CBuildFontsPage::OnWizardNext() {
    CBuildWizardSheet* sheet = GetBuildSheet();
    if (sheet && sheet->GetDocument()) {
        CLeafcraftDoc* document = sheet->GetDocument();
        const LONG embed = IsDlgButtonChecked(kAnalyzeFonts) == BST_CHECKED ? 1 : 0;
        if ((document->m_bEmbedFonts != 0) != (embed != 0)) {
            document->m_bEmbedFonts = embed;
            document->SetModifiedFlag(TRUE);
        }
    }
    return 0;
}
