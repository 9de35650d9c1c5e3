#include "studio/workspace/StartupDlg.h"

#include <QLabel>
#include <QStyle>

#include "platform/ui/ListBox.h"
#include "platform/ui/PeopleService.h"
#include "platform/ui/RecentFileList.h"
#include "platform/ui/Resources.h"
#include "platform/ui/WinApp.h"
#include "studio/workspace/AppProfile.h"
#include "studio/workspace/DialogCaption.h"

namespace {

constexpr const char* kSettingsSection = "Settings";
constexpr const char* kLastOptionEntry = "Last Startup Option";
constexpr const char* kOptionsSection = "Options";
constexpr const char* kShowStartupEntry = "Show Startup Dialog";
constexpr LPARAM kMoreFilesData = -1;

}  // namespace

CStartupDlg::CStartupDlg(CRecentFileList* recentFiles, CWnd* parent)
    : CDialog(IDD, parent), m_pRecentFiles(recentFiles) {}

BOOL CStartupDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    leaf::app::ApplyTemplateCaption(this, IDD);
    if (m_pRecentFiles == nullptr) {
        EndDialog(kNoRecentFileList);
        return FALSE;
    }

    // "More Files..." first and selected, then every recent project by its full path.
    auto* list = GetDlgItemAs<CListBox>(IDC_RECENT_LIST);
    if (list != nullptr) {
        list->ResetContent();
        int more = list->AddString(leaf::ui::LoadResString(IDS_MORE_FILES).c_str());
        list->SetItemData(more, kMoreFilesData);
        list->SetCurSel(more);
        for (int i = 0; i < m_pRecentFiles->GetSize(); ++i) {
            CString path = (*m_pRecentFiles)[i];
            if (path.IsEmpty())
                continue;
            int item = list->AddString(path.c_str());
            list->SetItemData(item, i);
        }
    }

    int option = static_cast<int>(leaf::GetAppProfileInt(kSettingsSection, kLastOptionEntry, IDC_BLANK_PROJECT));
    if (option < IDC_BLANK_PROJECT || option > IDC_EXISTING_PROJECT)
        option = IDC_BLANK_PROJECT;
    CheckRadioButton(IDC_BLANK_PROJECT, IDC_EXISTING_PROJECT, option);
    ShowChoiceIcons();
    CenterWindow();
    return TRUE;
}

BOOL CStartupDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (LOWORD(wParam) == IDC_RECENT_LIST) {
        // Choosing a project in the list chooses the option that opens one.
        if (HIWORD(wParam) == LBN_SELCHANGE) {
            CheckRadioButton(IDC_BLANK_PROJECT, IDC_EXISTING_PROJECT, IDC_EXISTING_PROJECT);
            return TRUE;
        }
        if (HIWORD(wParam) == LBN_DBLCLK) {
            CheckRadioButton(IDC_BLANK_PROJECT, IDC_EXISTING_PROJECT, IDC_EXISTING_PROJECT);
            OnOK();
            return TRUE;
        }
    }
    return CDialog::OnCommand(wParam, lParam);
}

// The pictures beside the three choices (icons 400 to 402): a new page, a package being
// opened, a folder of projects.
void CStartupDlg::ShowChoiceIcons() {
    const std::pair<int, QStyle::StandardPixmap> icons[] = {
        {400, QStyle::SP_FileIcon}, {401, QStyle::SP_DialogOpenButton}, {402, QStyle::SP_DirOpenIcon}};
    for (const auto& [id, picture] : icons)
        if (auto* label = qobject_cast<QLabel*>(leaf::ui::FindControl(GetWidget(), id)))
            label->setPixmap(label->style()->standardIcon(picture).pixmap(32, 32));
}

void CStartupDlg::StoreDontShowChoice() {
    if (IsDlgButtonChecked(IDC_DONT_SHOW) == BST_CHECKED)
        leaf::WriteAppProfileInt(kOptionsSection, kShowStartupEntry, 0);
}

void CStartupDlg::OnOK() {
    m_nOption = GetCheckedRadioButton(IDC_BLANK_PROJECT, IDC_EXISTING_PROJECT);
    if (m_nOption == 0)
        m_nOption = IDC_BLANK_PROJECT;
    leaf::WriteAppProfileInt(kSettingsSection, kLastOptionEntry, m_nOption);
    m_strFile.Empty();
    if (m_nOption == IDC_EXISTING_PROJECT && m_pRecentFiles != nullptr) {
        auto* list = GetDlgItemAs<CListBox>(IDC_RECENT_LIST);
        int selected = list != nullptr ? list->GetCurSel() : -1;
        LPARAM data = selected >= 0 ? list->GetItemData(selected) : kMoreFilesData;
        if (data != kMoreFilesData)
            m_strFile = (*m_pRecentFiles)[static_cast<int>(data)];
    }
    StoreDontShowChoice();
    CDialog::OnOK();
}

void CStartupDlg::OnCancel() {
    StoreDontShowChoice();
    CDialog::OnCancel();
}

void CStartupDlg::OnHelp() {
    if (CWinApp* app = AfxGetApp())
        app->WinHelp(IDD, leaf::ui::HELP_CONTEXT);
    else
        leaf::ui::People().Help("", leaf::ui::HELP_CONTEXT, IDD);
}
