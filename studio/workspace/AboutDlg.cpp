#include "studio/workspace/AboutDlg.h"

#include <QCoreApplication>

#include "common/FileDetails.h"
#include "common/StringSort.h"
#include "platform/registry/RegistryKey.h"
#include "platform/ui/ListCtrl.h"
#include "platform/ui/Resources.h"
#include "platform/ui/WaitCursor.h"
#include "studio/project/PathHelpers.h"
#include "studio/project/ReaderFolders.h"
#include "studio/workspace/DialogCaption.h"

namespace {

constexpr const char* kBuildControlProgId = "Leafcraft.SDK";
constexpr const char* kCompilerModule = "LITGen.so";
constexpr DWORD kFullRowSelect = 0x20;

}  // namespace

CAboutDlg::CAboutDlg(CWnd* parent) : CDialog(IDD, parent) {}

std::vector<CString> CAboutDlg::GetComponentPaths() {
    // The build control, then the registered filters by ProgID.
    std::vector<CString> progIds;
    leaf::RegistryKey filters =
        leaf::RegistryKey::Open(HKEY_LOCAL_MACHINE, leaf::ui::LoadResString(IDS_FILTERS_KEY).str());
    if (filters.IsOpen())
        for (const std::string& name : filters.SubKeyNames())
            if (CString(name).CompareNoCase(kBuildControlProgId) != 0)
                progIds.emplace_back(name);
    SortStringArray(progIds, TRUE);
    progIds.insert(progIds.begin(), CString(kBuildControlProgId));

    std::vector<CString> paths;
    for (const CString& progId : progIds)
        paths.push_back(GetInprocServerPath(progId));
    // The e-book compiler lives beside the build control.
    const CString& control = paths.front();
    int separator = control.ReverseFind('/');
    if (separator >= 0)
        paths.push_back(control.Left(separator + 1) + kCompilerModule);
    paths.push_back(GetReaderPath());
    return paths;
}

BOOL CAboutDlg::OnInitDialog() {
    CWaitCursor wait;
    CDialog::OnInitDialog();
    leaf::app::ApplyTemplateCaption(this, IDD);
    ApplyAppTitle(GetDlgItem(IDC_TITLE));

    // The program's own version, when its file has one.
    CString description, version, date;
    CString program(QCoreApplication::applicationFilePath().toStdString());
    if (!program.IsEmpty() && GetFileDetails(program, description, version, date) && !version.IsEmpty())
        SetDlgItemText(IDC_VERSION, version.c_str());

    auto* list = GetDlgItemAs<CListCtrl>(IDC_COMPONENTS);
    if (list != nullptr) {
        list->SetExtendedStyle(list->GetExtendedStyle() | kFullRowSelect);
        CString headings = leaf::ui::LoadResString(IDS_COMPONENT_COLUMNS);
        int column = 0;
        int start = 0;
        while (start <= headings.GetLength()) {
            int bar = headings.Find('|', start);
            if (bar < 0)
                bar = headings.GetLength();
            CString heading = headings.Mid(start, bar - start);
            heading.Trim();
            if (!heading.IsEmpty()) {
                list->InsertColumn(column, heading.c_str(), LVCFMT_LEFT, column == 0 ? 160 : 80);
                ++column;
            }
            start = bar + 1;
        }

        int row = 0;
        for (const CString& path : GetComponentPaths()) {
            if (path.IsEmpty() || !GetFileDetails(path, description, version, date))
                continue;
            // A file without a version block tells nothing about itself: it is left out.
            if (description.IsEmpty() && version.IsEmpty())
                continue;
            list->InsertItem(row, description.c_str());
            list->SetItemText(row, 1, version.c_str());
            list->SetItemText(row, 2, date.c_str());
            ++row;
        }
    }
    CenterWindow();
    return TRUE;
}
