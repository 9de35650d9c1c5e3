#include "studio/workspace/LocateSourceDlg.h"

#include <filesystem>

#include "platform/base/Path.h"
#include "platform/ui/Button.h"
#include "platform/ui/Edit.h"
#include "platform/ui/PeopleService.h"
#include "platform/ui/Resources.h"
#include "platform/ui/shell/FolderBrowser.h"

namespace {
constexpr int kMessage = 1079;
constexpr int kFolderEdit = 1076;
constexpr int kBrowse = 1047;
constexpr UINT kBrowseTitle = 546;
constexpr UINT kNoFolder = 10158;
constexpr UINT kNoSuchFolder = 10159;

bool FolderExists(const CString& folder) {
    std::optional<std::string> found = leaf::path::Resolve(folder.str());
    std::error_code error;
    return found && std::filesystem::is_directory(*found, error);
}
}  // namespace

CLocateSourceDlg::CLocateSourceDlg(const char* projectPath, const char* originalFolder, const char* proposedFolder,
                                   CWnd* parent)
    : CDialog(IDD, parent), m_projectPath(projectPath), m_originalFolder(originalFolder), m_folder(proposedFolder) {
    MapControl(kBrowse, BN_CLICKED, &CLocateSourceDlg::OnBrowse);
}

BOOL CLocateSourceDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    // The template's text is the message's format. The label wraps its words and the
    // dialog's layout grows to the height the message needs.
    CString format;
    GetDlgItemText(kMessage, format);
    CString message;
    message.Format(format.c_str(), m_projectPath.c_str(), m_originalFolder.c_str());
    SetDlgItemText(kMessage, message.c_str());
    if (auto* edit = GetDlgItemAs<CEdit>(kFolderEdit)) edit->SetLimitText(256);
    SetDlgItemText(kFolderEdit, m_folder.c_str());
    if (GetWidget()) GetWidget()->adjustSize();
    return TRUE;
}

void CLocateSourceDlg::OnBrowse() {
    CString current;
    GetDlgItemText(kFolderEdit, current);
    // Only a folder of the file system is an answer.
    CString chosen = leaf::ui::BrowseForFolder(this, leaf::ui::LoadResString(kBrowseTitle).c_str(),
                                               BIF_RETURNONLYFSDIRS | BIF_RETURNFSANCESTORS, current.c_str());
    if (!chosen.IsEmpty()) SetDlgItemText(kFolderEdit, chosen.c_str());
}

void CLocateSourceDlg::OnOK() {
    CString folder;
    GetDlgItemText(kFolderEdit, folder);
    // Trailing separators go; the root folder itself stays "/".
    bool rooted = !folder.IsEmpty() && folder[0] == '/';
    folder.TrimRight("/");
    if (folder.IsEmpty() && rooted) folder = "/";
    if (folder.IsEmpty()) {
        AfxMessageBox(kNoFolder, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (!FolderExists(folder)) {
        AfxMessageBox(leaf::ui::FormatResString(kNoSuchFolder, folder.c_str()).c_str(), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    m_folder = folder;
    CDialog::OnOK();
}
