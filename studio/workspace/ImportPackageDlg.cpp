#include "studio/workspace/ImportPackageDlg.h"

#include "platform/base/File.h"
#include "platform/ui/Button.h"
#include "platform/ui/Edit.h"
#include "platform/ui/PeopleService.h"
#include "platform/ui/Resources.h"

namespace {
constexpr int kPathEdit = 1053;
constexpr int kBrowse = 1047;
constexpr UINT kBrowseTitle = 540;
constexpr UINT kBrowseFilter = 541;
constexpr UINT kNoPath = 10123;
constexpr UINT kNoSuchPackage = 10124;
}  // namespace

CImportPackageDlg::CImportPackageDlg(CWnd* parent) : CDialog(IDD, parent) {
    MapControl(kBrowse, BN_CLICKED, &CImportPackageDlg::OnBrowse);
}

BOOL CImportPackageDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    if (auto* edit = GetDlgItemAs<CEdit>(kPathEdit)) edit->SetLimitText(260);
    return TRUE;
}

void CImportPackageDlg::OnBrowse() {
    leaf::ui::FileDialogRequest request;
    request.title = leaf::ui::LoadResString(kBrowseTitle).str();
    request.filter = leaf::ui::LoadResString(kBrowseFilter).str();
    std::vector<std::string> chosen = leaf::ui::People().ChooseFiles(GetWidget(), request);
    if (!chosen.empty()) SetDlgItemText(kPathEdit, chosen.front().c_str());
}

void CImportPackageDlg::OnOK() {
    CString path;
    GetDlgItemText(kPathEdit, path);
    if (path.IsEmpty()) {
        AfxMessageBox(kNoPath, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    CFileStatus status;
    if (!CFile::GetStatus(path.c_str(), status)) {
        AfxMessageBox(leaf::ui::FormatResString(kNoSuchPackage, path.c_str()).c_str(), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    m_path = path;
    CDialog::OnOK();
}
