#include "studio/project/BuildOutputPage.h"

#include "platform/ui/ComboBox.h"
#include "platform/ui/Edit.h"
#include "platform/ui/PeopleService.h"
#include "platform/ui/Resources.h"
#include "platform/ui/WinApp.h"
#include "platform/ui/shell/FolderBrowser.h"
#include "studio/project/BuildWizardSheet.h"
#include "studio/project/LeafcraftDoc.h"
#include "studio/project/PathHelpers.h"
#include "studio/project/ReaderFolders.h"
#include "studio/workspace/WarningDlg.h"

namespace {

constexpr int kFileNameEdit = 1095;
constexpr int kDeviceRadio = 12004;
constexpr int kLocalRadio = 12005;
constexpr int kDeviceCombo = 12006;
constexpr int kLocalCombo = 12007;
constexpr int kBrowseButton = 1047;
constexpr int kMaxText = 256;
constexpr int kHistorySize = 5;
constexpr UINT kLocalHistoryString = 4001;
constexpr UINT kDeviceHistoryString = 4002;
constexpr UINT kBrowseTitleString = 548;

constexpr const char* kSettings = "Settings";
constexpr const char* kBuildToDevice = "Build To CE";
constexpr const char* kLastDeviceFolder = "Last CE Folder";
constexpr const char* kLastLocalFolder = "Last Local Folder";

CString ProfileString(const char* entry) {
    CWinApp* app = AfxGetApp();
    return app ? app->GetProfileString(kSettings, entry, "") : CString();
}

int ProfileInt(const char* entry, int fallback) {
    CWinApp* app = AfxGetApp();
    return app ? static_cast<int>(app->GetProfileInt(kSettings, entry, fallback)) : fallback;
}

void WriteProfile(const char* entry, const char* value) {
    if (CWinApp* app = AfxGetApp())
        app->WriteProfileString(kSettings, entry, value);
}

CString HistoryEntryName(BOOL device, int index) {
    return leaf::ui::FormatResString(device ? kDeviceHistoryString : kLocalHistoryString, index);
}

CString WithoutTrailingSeparators(CString folder) {
    while (folder.GetLength() > 1 && (folder.Right(1) == "/" || folder.Right(1) == "\\"))
        folder = folder.Left(folder.GetLength() - 1);
    return folder;
}

bool StartsWithNoCase(const CString& text, const CString& prefix) {
    return text.GetLength() >= prefix.GetLength() && text.Left(prefix.GetLength()).CompareNoCase(prefix.str()) == 0;
}

// Whether a folder lies in one of the device folders.
bool IsDeviceFolder(const CString& folder, const std::vector<CString>& devices) {
    for (const CString& device : devices)
        if (StartsWithNoCase(folder, device + "/"))
            return true;
    return false;
}

// Selects the entry with exactly that text, adding it when missing.
void SelectOrAdd(CComboBox& combo, const CString& text) {
    int index = combo.FindStringExact(-1, text.c_str());
    if (index < 0)
        index = combo.AddString(text.c_str());
    combo.SetCurSel(index);
}

}  // namespace

void PushFolderHistory(std::vector<CString>& history, int position, const CString& chosen) {
    history.resize(kHistorySize);
    if (position == 1)
        return;
    // Entries above the chosen one (or all but the last, for a new folder) move down.
    const int last = position >= 2 && position <= kHistorySize ? position : kHistorySize;
    for (int i = last; i >= 2; --i)
        history[static_cast<size_t>(i - 1)] = history[static_cast<size_t>(i - 2)];
    history[0] = chosen;
}

BOOL HasInvalidFileNameCharacters(const char* name) {
    return name && CString(name).FindOneOf("\\/:*?\"<>|") >= 0;
}

CString WithEBookExtension(const char* name) {
    CString result(name);
    const int dot = result.ReverseFind('.');
    if (dot < 0 || (result.Mid(dot).CompareNoCase(".epub") != 0 && result.Mid(dot).CompareNoCase(".lit") != 0))
        result += ".epub";
    return result;
}

CBuildOutputPage::CBuildOutputPage() : CBuildWizardPage(240) {
    MapControl(kBrowseButton, BN_CLICKED, [this] { OnBrowse(); });
    MapControl(kDeviceRadio, BN_CLICKED, [this] { OnDestination(TRUE); });
    MapControl(kLocalRadio, BN_CLICKED, [this] { OnDestination(FALSE); });
}

BOOL CBuildOutputPage::OnInitDialog() {
    CBuildWizardPage::OnInitDialog();
    CBuildWizardSheet* sheet = GetBuildSheet();
    CLeafcraftDoc* document = sheet ? sheet->GetDocument() : nullptr;

    m_strReaderPath = ::GetReaderPath();
    m_strLibraryFolder = GetReaderLibraryDir(TRUE);
    GetDeviceSyncFolders(m_deviceFolders);

    if ((m_strReaderPath.IsEmpty() || m_strLibraryFolder.IsEmpty()) && m_deviceFolders.empty()) {
        CWarningDlg warning(CWarningDlg::IDD_NO_READER, "No Reader", this);
        if (warning.DoModal() != IDOK) {
            if (sheet)
                sheet->EndWizard(IDABORT);
            return TRUE;
        }
    }

    if (auto* edit = GetDlgItemAs<CEdit>(kFileNameEdit)) {
        edit->SetLimitText(kMaxText);
        if (document)
            edit->SetWindowText(document->GetDefaultEBookName().c_str());
    }
    auto* local = GetDlgItemAs<CComboBox>(kLocalCombo);
    auto* device = GetDlgItemAs<CComboBox>(kDeviceCombo);
    if (local)
        local->LimitText(kMaxText);
    if (device)
        device->LimitText(kMaxText);

    if (m_strLibraryFolder.IsEmpty() && m_deviceFolders.empty()) {
        if (sheet)
            sheet->EndWizard(IDABORT);
        return TRUE;
    }

    m_bBuildToDevice = ProfileInt("Build to CE", 0) != 0;
    if (m_strLibraryFolder.IsEmpty())
        m_bBuildToDevice = TRUE;
    if (m_deviceFolders.empty())
        m_bBuildToDevice = FALSE;

    const CString outputFolder = document ? document->m_strOutputFolder : CString();
    const bool outputOnDevice = !outputFolder.IsEmpty() && IsDeviceFolder(outputFolder, m_deviceFolders);
    const CString documents = GetMyDocumentsFolder();

    if (!m_strLibraryFolder.IsEmpty() && local) {
        CString entry = m_strLibraryFolder;
        ToFolderDisplayForm(entry, documents);
        local->AddString(entry.c_str());
        for (int i = 1; i <= kHistorySize; ++i) {
            CString folder = ProfileString(HistoryEntryName(FALSE, i).c_str());
            if (folder.IsEmpty())
                break;
            ToFolderDisplayForm(folder, documents);
            local->AddString(folder.c_str());
        }
        if (outputFolder.IsEmpty() || outputOnDevice) {
            CString last = ProfileString(kLastLocalFolder);
            ToFolderDisplayForm(last, documents);
            const int index = last.IsEmpty() ? -1 : local->FindStringExact(-1, last.c_str());
            local->SetCurSel(index >= 0 ? index : 0);
        } else {
            CString shown = outputFolder;
            ToFolderDisplayForm(shown, documents);
            SelectOrAdd(*local, shown);
        }
    } else {
        EnableItem(kLocalRadio, FALSE);
        EnableItem(kLocalCombo, FALSE);
        EnableItem(kBrowseButton, FALSE);
    }

    if (!m_deviceFolders.empty() && device) {
        for (const CString& folder : m_deviceFolders) {
            CString entry;
            entry.Format("%s/My Library", folder.c_str());
            ToFolderDisplayForm(entry, folder);
            device->AddString(entry.c_str());
        }
        for (int i = 1; i <= kHistorySize; ++i) {
            CString folder = ProfileString(HistoryEntryName(TRUE, i).c_str());
            if (folder.IsEmpty())
                break;
            ToFolderDisplayForm(folder, m_deviceFolders);
            device->AddString(folder.c_str());
        }
        if (outputOnDevice) {
            CString shown = outputFolder;
            ToFolderDisplayForm(shown, m_deviceFolders);
            SelectOrAdd(*device, shown);
        } else {
            CString last = ProfileString(kLastDeviceFolder);
            ToFolderDisplayForm(last, m_deviceFolders);
            const int index = last.IsEmpty() ? -1 : device->FindStringExact(-1, last.c_str());
            device->SetCurSel(index >= 0 ? index : 0);
        }
    } else {
        EnableItem(kDeviceRadio, FALSE);
        EnableItem(kDeviceCombo, FALSE);
    }

    ApplyDestination();
    return TRUE;
}

void CBuildOutputPage::ApplyDestination() {
    CheckRadioButton(kDeviceRadio, kLocalRadio, m_bBuildToDevice ? kDeviceRadio : kLocalRadio);
    const bool hasLocal = !m_strLibraryFolder.IsEmpty();
    const bool hasDevice = !m_deviceFolders.empty();
    EnableItem(kDeviceCombo, m_bBuildToDevice && hasDevice);
    EnableItem(kLocalCombo, !m_bBuildToDevice && hasLocal);
    EnableItem(kBrowseButton, !m_bBuildToDevice && hasLocal);
}

void CBuildOutputPage::OnDestination(BOOL toDevice) {
    m_bBuildToDevice = toDevice;
    ApplyDestination();
}

void CBuildOutputPage::OnBrowse() {
    const CString title = leaf::ui::LoadResString(kBrowseTitleString);
    CString current;
    if (auto* local = GetDlgItemAs<CComboBox>(kLocalCombo)) {
        current = local->GetWindowText();
        FromFolderDisplayForm(current, GetMyDocumentsFolder());
    }
    const CString chosen =
        leaf::ui::BrowseForFolder(this, title.c_str(), BIF_RETURNONLYFSDIRS | BIF_RETURNFSANCESTORS, current.c_str());
    if (chosen.IsEmpty())
        return;
    if (auto* local = GetDlgItemAs<CComboBox>(kLocalCombo))
        local->SetWindowText(chosen.c_str());
}

BOOL CBuildOutputPage::OnSetActive() {
    if (CBuildWizardSheet* sheet = GetBuildSheet())
        sheet->SetWizardButtons(PSWIZB_NEXT);
    return CBuildWizardPage::OnSetActive();
}

BOOL CBuildOutputPage::OnKillActive() {
    if (CBuildWizardSheet* sheet = GetBuildSheet())
        sheet->SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
    return CBuildWizardPage::OnKillActive();
}

LRESULT CBuildOutputPage::OnWizardNext() {
    auto message = [](UINT id, UINT type, const char* argument = nullptr) {
        const CString text = argument ? leaf::ui::FormatResString(id, argument) : leaf::ui::LoadResString(id);
        return AfxMessageBox(text.c_str(), type);
    };

    CString name;
    GetDlgItemText(kFileNameEdit, name);
    if (name.IsEmpty()) {
        message(10009, MB_OK | MB_ICONEXCLAMATION);
        return -1;
    }
    name = WithEBookExtension(name.c_str());
    if (HasInvalidFileNameCharacters(name.c_str())) {
        message(10162, MB_OK | MB_ICONEXCLAMATION);
        return -1;
    }

    CString comboText;
    CString folder;
    if (m_bBuildToDevice) {
        if (auto* device = GetDlgItemAs<CComboBox>(kDeviceCombo))
            comboText = device->GetWindowText();
        folder = comboText;
        FromFolderDisplayForm(folder, m_deviceFolders);
    } else {
        if (auto* local = GetDlgItemAs<CComboBox>(kLocalCombo))
            comboText = local->GetWindowText();
        folder = comboText;
        FromFolderDisplayForm(folder, GetMyDocumentsFolder());
    }
    folder = WithoutTrailingSeparators(folder);
    // A folder that is not a full path (text typed in neither form) would be taken from
    // wherever the program happens to run, and created there: it counts as no folder.
    if (folder.IsEmpty() || folder[0] != '/') {
        message(10163, MB_OK | MB_ICONEXCLAMATION);
        return -1;
    }
    if (!PathExists(folder.c_str())) {
        if (message(13006, MB_YESNO | MB_ICONEXCLAMATION, folder.c_str()) != IDYES)
            return -1;
        if (!CreateFolderTree(folder.c_str())) {
            message(10150, MB_OK | MB_ICONEXCLAMATION, folder.c_str());
            return -1;
        }
    }

    if (CWinApp* app = AfxGetApp())
        app->WriteProfileInt(kSettings, kBuildToDevice, m_bBuildToDevice ? 1 : 0);
    WriteProfile(m_bBuildToDevice ? kLastDeviceFolder : kLastLocalFolder, folder.c_str());
    UpdateFolderHistory(m_bBuildToDevice, comboText, folder);

    CString path;
    path.Format("%s/%s", folder == "/" ? "" : folder.c_str(), name.c_str());
    // The e-book must not replace one of the book's own files.
    std::vector<CString> bookFiles;
    if (CBuildWizardSheet* sheet = GetBuildSheet())
        if (CLeafcraftDoc* document = sheet->GetDocument())
            for (int i = 0; i < document->GetSourceCount(); ++i)
                bookFiles.push_back(document->GetSourceFile(i)->m_strPath);
    if (!ValidateOutputPath(path, bookFiles))
        return -1;
    m_strEBookPath = path;

    if (CBuildWizardSheet* sheet = GetBuildSheet())
        if (CLeafcraftDoc* document = sheet->GetDocument()) {
            if (name != document->m_strEBookName) {
                document->m_strEBookName = name;
                document->SetModifiedFlag(TRUE);
            }
            if (folder != document->m_strOutputFolder) {
                document->m_strOutputFolder = folder;
                document->SetModifiedFlag(TRUE);
            }
        }
    return 0;
}

void CBuildOutputPage::UpdateFolderHistory(BOOL device, const CString& comboText, const CString& folder) {
    auto* combo = GetDlgItemAs<CComboBox>(device ? kDeviceCombo : kLocalCombo);
    if (!combo)
        return;
    const int fixedEntries = device ? static_cast<int>(m_deviceFolders.size()) : 1;
    const int found = combo->FindStringExact(-1, comboText.c_str());
    if (found >= 0 && found < fixedEntries)
        return;   // the fixed entries never go into the history
    int position = found >= 0 ? found - fixedEntries + 1 : 0;
    if (position > kHistorySize)
        position = 0;   // an entry shown only for this run: new to the history
    std::vector<CString> history;
    for (int i = 1; i <= kHistorySize; ++i)
        history.push_back(ProfileString(HistoryEntryName(device, i).c_str()));
    PushFolderHistory(history, position, folder);
    for (int i = 1; i <= kHistorySize; ++i)
        WriteProfile(HistoryEntryName(device, i).c_str(), history[static_cast<size_t>(i - 1)].c_str());
}
