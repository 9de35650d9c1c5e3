#include "studio/project/BuildDonePage.h"

#include <QPushButton>
#include <unistd.h>

#include "platform/ui/PeopleService.h"
#include "platform/ui/WinApp.h"
#include "studio/project/BuildOutputPage.h"
#include "studio/project/BuildResultPages.h"
#include "studio/project/BuildWizardSheet.h"
#include "studio/project/DetailsReport.h"
#include "studio/project/PathHelpers.h"

namespace {

constexpr int kEBookPathText = 1070;
constexpr int kDeviceNote = 1096;
constexpr int kOpenInReader = 1083;
constexpr const char* kSettings = "Settings";
constexpr const char* kAutorunReader = "Autorun Reader";

UINT ProfileInt(const char* entry, int fallback) {
    CWinApp* app = AfxGetApp();
    return app ? app->GetProfileInt(kSettings, entry, fallback) : static_cast<UINT>(fallback);
}

// Shows the built e-book in the reading program that the output page found (the box
// that asks for it is offered only when there is one). The desktop itself knows no
// program for the ".lit" name an e-book carries; the reading program opens it whatever
// its name. A start that fails is not reported: the e-book is built and stays where it is.
void OpenInReader(const CString& reader, const CString& eBook) {
    if (!reader.IsEmpty())
        leaf::ui::People().StartProcess(reader.str(), {eBook.str()});
}

}  // namespace

CBuildDonePage::CBuildDonePage() : CBuildWizardPage(244) {
    MapControl(leaf::buildpages::kDetailsButton, BN_CLICKED, [this] { leaf::buildpages::WriteReport(*this); });
}

BOOL CBuildDonePage::OnInitDialog() {
    CBuildWizardPage::OnInitDialog();
    CBuildWizardSheet* sheet = GetBuildSheet();
    const bool haveReader = sheet && !sheet->GetOutputPage().GetReaderPath().IsEmpty();
    CheckDlgButton(kOpenInReader, haveReader && ProfileInt(kAutorunReader, 1) != 0 ? BST_CHECKED : BST_UNCHECKED);
    EnableItem(kOpenInReader, haveReader);
    leaf::buildpages::InitMessages(*this);
    return TRUE;
}

BOOL CBuildDonePage::OnSetActive() {
    CBuildWizardSheet* sheet = GetBuildSheet();
    if (!sheet)
        return CBuildWizardPage::OnSetActive();
    const CString path = sheet->GetEBookPath();
    SetDlgItemText(kEBookPathText, path.c_str());
    // A reading position file of an earlier e-book of that name no longer fits this one.
    const int slash = path.ReverseFind('/');
    const int dot = path.ReverseFind('.');
    if (dot > slash) {
        const CString positions = path.Left(dot) + ".ebo";
        if (FileExists(positions.c_str()))
            ::unlink(positions.c_str());
    }
    ShowItem(kDeviceNote, sheet->GetOutputPage().IsBuildToDevice());
    leaf::buildpages::ShowMessages(*this);
    sheet->SetWizardButtons(PSWIZB_FINISH);
    if (QPushButton* cancel = sheet->Button(PSBTN_CANCEL))
        cancel->setEnabled(false);
    return CBuildWizardPage::OnSetActive();
}

BOOL CBuildDonePage::OnKillActive() {
    leaf::buildpages::LeavePage(*this);
    return CBuildWizardPage::OnKillActive();
}

LRESULT CBuildDonePage::OnWizardBack() {
    return leaf::buildpages::BackTarget(*this);
}

BOOL CBuildDonePage::OnWizardFinish() {
    const bool open = IsDlgButtonChecked(kOpenInReader) == BST_CHECKED;
    if (CWinApp* app = AfxGetApp())
        app->WriteProfileInt(kSettings, kAutorunReader, open ? 1 : 0);
    if (open)
        if (CBuildWizardSheet* sheet = GetBuildSheet())
            OpenInReader(sheet->GetOutputPage().GetReaderPath(), sheet->GetEBookPath());
    return TRUE;
}
