#include "studio/workspace/SourceFilePropsDlg.h"

#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <map>

#include "platform/base/File.h"
#include "platform/base/LocalTime.h"
#include "platform/base/Path.h"
#include "platform/ui/Button.h"
#include "platform/ui/PeopleService.h"
#include "platform/ui/Resources.h"
#include "platform/ui/WaitCursor.h"
#include "platform/ui/shell/PathCompaction.h"
#include "studio/workspace/SourceFileInfo.h"

namespace {
constexpr UINT kOneFileTemplate = 212;
constexpr UINT kSeveralFilesTemplate = 213;
constexpr int kTab = 1066;
constexpr int kIcon = 1067;
constexpr int kName = 1052;
constexpr int kType = 1059;
constexpr int kLocation = 1060;
constexpr int kCreated = 1061;
constexpr int kModified = 1062;
constexpr int kAccessed = 1063;
constexpr int kSize = 1064;
constexpr int kShortName = 1065;
constexpr int kFileCount = 1069;
constexpr int kReadOnly = 1055;
constexpr int kArchive = 1056;
constexpr int kHidden = 1057;
constexpr int kSystem = 1058;
constexpr int kApply = 1053;
constexpr UINT kMultipleTypes = 553;
constexpr UINT kMultipleLocations = 554;

CString FolderOf(const CString& path) {
    int slash = path.ReverseFind('/');
    return slash < 0 ? CString() : path.Left(slash);
}

// One attribute box: its bit and what the files have.
struct AttributeBox {
    int id;
    BYTE bit;
};
constexpr AttributeBox kBoxes[] = {{kReadOnly, CFile::readOnly}, {kHidden, CFile::hidden},
                                   {kSystem, CFile::system}, {kArchive, CFile::archive}};
}  // namespace

CSourceFilePropsDlg::CSourceFilePropsDlg(std::vector<CString> paths, CWnd* parent)
    : CDialog(paths.size() > 1 ? kSeveralFilesTemplate : kOneFileTemplate, parent), m_paths(std::move(paths)) {
    for (int id : {kReadOnly, kHidden, kArchive})
        MapControl(static_cast<UINT>(id), BN_CLICKED, [this, id] { OnAttributeClicked(id); });
    MapControl(kApply, BN_CLICKED, &CSourceFilePropsDlg::OnApply);
}

CSourceFilePropsDlg::~CSourceFilePropsDlg() = default;

CString CSourceFilePropsDlg::FormatSizeText(ULONGLONG bytes) {
    CString text;
    text.Format("%sKB (%s bytes)", leaf::GroupDigits(leaf::KilobytesRoundedUp(bytes)).c_str(),
                leaf::GroupDigits(bytes).c_str());
    return text;
}

BOOL CSourceFilePropsDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    if (m_paths.empty()) {
        EndDialog(IDCANCEL);
        return TRUE;
    }
    CWaitCursor wait;
    m_toolTips.Create(this);
    if (auto* tab = GetDlgItemAs<CTabCtrl>(kTab)) tab->InsertItem(0, "General");

    const CString& first = m_paths.front();
    leaf::ShellFileInfo info = leaf::GetShellFileInfo(first.c_str());
    CFileStatus status;
    bool haveStatus = CFile::GetStatus(first.c_str(), status);
    BYTE attributes = 0;
    leaf::GetFileAttributes(first.c_str(), attributes);

    // The caption's template is formatted with the first file's display name.
    if (const leaf::ui::ResourceNode* dialogTemplate = leaf::ui::Resources().FindDialog(GetTemplateId())) {
        CString caption = dialogTemplate->text;
        caption.Replace("%s", info.displayName.str());
        SetWindowText(caption.c_str());
    }

    CString type = info.typeName;
    CString location = FolderOf(first);
    ULONGLONG totalSize = haveStatus ? status.m_size : 0;
    int states[4];
    for (int i = 0; i < 4; ++i) states[i] = (attributes & kBoxes[i].bit) ? BST_CHECKED : BST_UNCHECKED;

    if (auto* icon = qobject_cast<QLabel*>(leaf::ui::FindControl(GetWidget(), kIcon)))
        if (!info.icon.isNull()) icon->setPixmap(info.icon.pixmap(32, 32));

    if (m_paths.size() == 1) {
        SetDlgItemText(kName, info.displayName.c_str());
        SetDlgItemText(kType, type.c_str());
        SetDlgItemText(kShortName, leaf::path::FilePart(first.str()).c_str());
        if (haveStatus) {
            const char* longFormat = "%A, %B %d, %Y %I:%M:%S %p";
            SetDlgItemText(kCreated, leaf::FormatLocalTime(status.m_ctime, longFormat).c_str());
            SetDlgItemText(kModified, leaf::FormatLocalTime(status.m_mtime, longFormat).c_str());
            SetDlgItemText(kAccessed, leaf::FormatLocalTime(status.m_atime, "%A, %B %d, %Y").c_str());
        }
    } else {
        CString count;
        count.Format("%d Files", static_cast<int>(m_paths.size()));
        SetDlgItemText(kFileCount, count.c_str());
        bool sameType = true;
        bool sameLocation = true;
        for (size_t n = 1; n < m_paths.size(); ++n) {
            const CString& path = m_paths[n];
            if (sameType && leaf::GetShellFileInfo(path.c_str()).typeName != type) sameType = false;
            if (sameLocation && FolderOf(path) != location) sameLocation = false;
            CFileStatus other;
            if (CFile::GetStatus(path.c_str(), other)) totalSize += other.m_size;
            BYTE otherAttributes = 0;
            leaf::GetFileAttributes(path.c_str(), otherAttributes);
            for (int i = 0; i < 4; ++i) {
                int state = (otherAttributes & kBoxes[i].bit) ? BST_CHECKED : BST_UNCHECKED;
                if (state != states[i]) states[i] = BST_INDETERMINATE;
            }
        }
        if (sameType) type.Format("All of type %s", info.typeName.c_str());
        else type = leaf::ui::LoadResString(kMultipleTypes);
        if (sameLocation) {
            CString folder = location;
            location.Format("All in %s", folder.c_str());
        } else {
            location = leaf::ui::LoadResString(kMultipleLocations);
        }
        SetDlgItemText(kType, type.c_str());
    }

    SetDlgItemText(kSize, FormatSizeText(totalSize).c_str());

    // The location is shortened to the field's width; its tool tip shows it whole.
    if (CWnd* field = GetDlgItem(kLocation)) {
        QWidget* widget = field->GetWidget();
        int width = widget->width() > 20 ? widget->width() - 8 : 240;
        SetDlgItemText(kLocation, leaf::ui::CompactPath(location.c_str(), QFontMetrics(widget->font()), width).c_str());
        m_toolTips.AddTool(field, location.c_str());
    }

    for (int i = 0; i < 4; ++i) {
        CheckDlgButton(kBoxes[i].id, static_cast<UINT>(states[i]));
        m_boxStates[kBoxes[i].id] = states[i];
    }
    return TRUE;
}

void CSourceFilePropsDlg::OnAttributeClicked(int id) {
    // The user chooses only checked or unchecked: a box that was unchecked becomes
    // checked, any other becomes unchecked, whatever state the click left it in.
    int previous = m_boxStates[id];
    int next = previous == BST_UNCHECKED ? BST_CHECKED : BST_UNCHECKED;
    CheckDlgButton(id, static_cast<UINT>(next));
    m_boxStates[id] = next;
    if (id == kReadOnly) m_readOnlyChanged = true;
    if (id == kHidden) m_hiddenChanged = true;
    if (id == kArchive) m_archiveChanged = true;
    if (CWnd* apply = GetDlgItem(kApply)) apply->EnableWindow(TRUE);
}

BOOL CSourceFilePropsDlg::ApplyChanges() {
    if (!m_readOnlyChanged && !m_hiddenChanged && !m_archiveChanged) return TRUE;
    struct Change {
        bool changed;
        int id;
        BYTE bit;
    };
    const Change changes[] = {{m_readOnlyChanged, kReadOnly, CFile::readOnly},
                              {m_hiddenChanged, kHidden, CFile::hidden},
                              {m_archiveChanged, kArchive, CFile::archive}};
    BOOL allWritten = TRUE;
    for (const CString& path : m_paths) {
        BYTE current = 0;
        if (!leaf::GetFileAttributes(path.c_str(), current)) continue;
        BYTE wanted = current;
        for (const Change& change : changes) {
            if (!change.changed) continue;
            if (IsDlgButtonChecked(change.id) == BST_CHECKED) wanted |= change.bit;
            else wanted &= static_cast<BYTE>(~change.bit);
        }
        if (wanted == current) continue;
        // An attribute this file system cannot keep (hidden is part of the name here)
        // is reported as a failure rather than passed over.
        BYTE written = current;
        bool ok = leaf::SetFileAttributes(path.c_str(), wanted) && leaf::GetFileAttributes(path.c_str(), written) &&
                  written == wanted;
        if (!ok) {
            allWritten = FALSE;
            CFileException failure(CFileException::accessDenied, -1, path.c_str());
            AfxMessageBox(failure.what(), MB_OK | MB_ICONEXCLAMATION);
        }
    }
    m_readOnlyChanged = m_hiddenChanged = m_archiveChanged = false;
    if (CWnd* apply = GetDlgItem(kApply)) apply->EnableWindow(FALSE);
    return allWritten;
}

void CSourceFilePropsDlg::OnApply() { ApplyChanges(); }

void CSourceFilePropsDlg::OnOK() {
    ApplyChanges();
    CDialog::OnOK();
}
