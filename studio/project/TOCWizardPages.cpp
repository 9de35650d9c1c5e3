#include "studio/project/TOCWizardPages.h"

#include <QPushButton>
#include <algorithm>
#include <filesystem>
#include <set>

#include "common/ContentType.h"
#include "platform/base/Path.h"
#include "platform/ui/Button.h"
#include "platform/ui/Edit.h"
#include "platform/ui/ListBox.h"
#include "platform/ui/PeopleService.h"
#include "platform/ui/PropertySheet.h"
#include "platform/ui/Resources.h"
#include "platform/ui/SimpleControls.h"
#include "platform/ui/WinApp.h"
#include "studio/project/LeafcraftDoc.h"
#include "studio/project/PathHelpers.h"
#include "studio/project/TOCGenerator.h"
#include "studio/project/TOCWizard.h"
#include "studio/workspace/WarningDlg.h"

namespace {

constexpr UINT IDS_BROWSE = 528;
constexpr UINT IDS_HTML_FILTER = 529;
constexpr UINT IDS_NO_TAG = 923;
constexpr UINT IDS_TAG_NOT_BRACKETED = 925;
constexpr UINT IDS_NO_ID_BASE = 926;
constexpr UINT IDS_NO_TOC_PATH = 10127;
constexpr UINT IDS_NOTHING_TO_IMPORT = 10130;
constexpr UINT IDS_NO_HTML_SOURCES = 10131;
constexpr UINT IDS_NO_WORD_SOURCES = 10132;
constexpr UINT IDS_NOT_HTML_PATH = 10157;
constexpr UINT IDS_BAD_HEADING_LEVEL = 10178;
constexpr UINT IDS_BAD_BOOKMARK_LEVEL = 10179;
constexpr UINT IDS_NON_BLOCK_TAG = 10190;

constexpr UINT IDD_TOC_SOURCE = 250;
constexpr UINT IDD_TOC_IMPORT = 251;
constexpr UINT IDD_TOC_LEVELS = 252;
constexpr UINT IDD_TOC_BOOKMARKS = 253;
constexpr UINT IDD_TOC_STYLE = 254;
constexpr UINT IDD_TOC_PROGRESS = 255;
constexpr UINT IDD_TOC_FINISH = 256;

constexpr int kMinLevel = 1;
constexpr int kMaxLevel = 6;

void Warn(UINT stringId) { AfxMessageBox(stringId, MB_OK | MB_ICONEXCLAMATION); }

bool InRange(int level) { return level >= kMinLevel && level <= kMaxLevel; }

// The number in an edit field; 0 when it holds none.
int EditNumber(const CWnd& page, int id) {
    BOOL translated = FALSE;
    const int value = static_cast<int>(page.GetDlgItemInt(id, &translated, TRUE));
    return translated ? value : 0;
}

void SetUpLevelSpin(CWnd& page, int spinId, int editId, int level) {
    if (auto* edit = page.GetDlgItemAs<CEdit>(editId)) edit->SetLimitText(1);
    if (auto* spin = page.GetDlgItemAs<CSpinButtonCtrl>(spinId)) {
        spin->SetRange(kMinLevel, kMaxLevel);
        spin->SetPos(level);
    }
    page.SetDlgItemInt(editId, static_cast<UINT>(level));
}

}  // namespace

namespace leaf::toc {

int ProfileInt(const char* entry, int fallback) {
    CWinApp* app = AfxGetApp();
    return app ? static_cast<int>(app->GetProfileInt(kSection, entry, fallback)) : fallback;
}

CString ProfileString(const char* entry, const char* fallback) {
    CWinApp* app = AfxGetApp();
    return app ? app->GetProfileString(kSection, entry, fallback) : CString(fallback);
}

void WriteProfileInt(const char* entry, int value) {
    if (CWinApp* app = AfxGetApp()) app->WriteProfileInt(kSection, entry, value);
}

void WriteProfileString(const char* entry, const char* value) {
    if (CWinApp* app = AfxGetApp()) app->WriteProfileString(kSection, entry, value);
}

}  // namespace leaf::toc

// The page base.

CTOCWizard* CTOCWizardPage::GetWizard() const { return dynamic_cast<CTOCWizard*>(GetSheet()); }

void CTOCWizardPage::SetWizardButtons(DWORD flags) {
    if (CPropertySheet* sheet = GetSheet()) sheet->SetWizardButtons(flags);
}

void CTOCWizardPage::FocusEdit(int id) {
    if (auto* edit = GetDlgItemAs<CEdit>(id)) {
        edit->SetFocus();
        edit->SetSel(0, -1);
    }
}

int CTOCWizardPage::ReadLevel(int editId, UINT messageId) {
    const int level = EditNumber(*this, editId);
    if (InRange(level)) return level;
    Warn(messageId);
    FocusEdit(editId);
    return 0;
}

// Page 1: the path.

CTOCSourcePage::CTOCSourcePage() : CTOCWizardPage(IDD_TOC_SOURCE) {
    MapControl(IDC_BROWSE, BN_CLICKED, [this] { OnBrowse(); });
}

BOOL CTOCSourcePage::OnInitDialog() {
    CTOCWizardPage::OnInitDialog();
    if (auto* edit = GetDlgItemAs<CEdit>(IDC_PATH)) edit->SetLimitText(260);
    if (CTOCWizard* wizard = GetWizard()) SetDlgItemText(IDC_PATH, wizard->GetTocPath().c_str());
    return TRUE;
}

BOOL CTOCSourcePage::OnSetActive() {
    SetWizardButtons(PSWIZB_NEXT);
    return CTOCWizardPage::OnSetActive();
}

BOOL CTOCSourcePage::OnKillActive() {
    SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
    return CTOCWizardPage::OnKillActive();
}

CString CTOCSourcePage::GetPath() const {
    CString path;
    GetDlgItemText(IDC_PATH, path);
    path.Trim();
    return path;
}

void CTOCSourcePage::OnBrowse() {
    // The dialog opens in the deepest existing folder of the current text.
    CString folder;
    GetDlgItemText(IDC_PATH, folder);
    std::error_code error;
    while (!folder.IsEmpty() && !std::filesystem::is_directory(folder.str(), error)) {
        const int slash = folder.ReverseFind('/');
        folder = slash > 0 ? folder.Left(slash) : (slash == 0 ? CString("/") : CString());
    }
    leaf::ui::FileDialogRequest request;
    request.save = true;
    request.title = leaf::ui::LoadResString(IDS_BROWSE).str();
    request.filter = leaf::ui::LoadResString(IDS_HTML_FILTER).str();
    request.defaultExtension = "HTM";
    request.initialFolder = folder.str();
    const std::vector<std::string> chosen = leaf::ui::People().ChooseFiles(GetWidget(), request);
    if (!chosen.empty()) SetDlgItemText(IDC_PATH, chosen.front().c_str());
}

LRESULT CTOCSourcePage::OnWizardNext() {
    const CString path = GetPath();
    if (path.IsEmpty()) {
        Warn(IDS_NO_TOC_PATH);
        FocusEdit(IDC_PATH);
        return -1;
    }
    if (GetContentType(path).CompareNoCase("text/html") != 0) {
        Warn(IDS_NOT_HTML_PATH);
        FocusEdit(IDC_PATH);
        return -1;
    }
    if (!ValidateOutputPath(path)) {
        FocusEdit(IDC_PATH);
        return -1;
    }
    return 0;
}

// Page 2: what to import.

CTOCImportPage::CTOCImportPage()
    : CTOCWizardPage(IDD_TOC_IMPORT),
      m_importFlags(static_cast<DWORD>(leaf::toc::ProfileInt("Import Flags", 7))) {
    MapControl(IDC_HEADINGS, BN_CLICKED, [this] { OnHeadingsClicked(); });
    MapControl(IDC_BOOKMARKS, BN_CLICKED, [this] { OnBookmarksClicked(); });
}

BOOL CTOCImportPage::OnInitDialog() {
    CTOCWizardPage::OnInitDialog();
    bool html = false, word = false;
    if (CTOCWizard* wizard = GetWizard(); wizard && wizard->GetDocument()) {
        for (const auto& source : wizard->GetDocument()->m_sources) {
            if (!source) continue;
            const CString type = GetContentType(source->m_strPath);
            html = html || type.CompareNoCase("text/html") == 0;
            word = word || IsWordContentType(type);
        }
    }
    m_noHtmlSources = !html;
    m_noWordSources = !word;
    if (m_noHtmlSources) m_importFlags &= ~TOC_IMPORT_HEADINGS;
    if (m_noWordSources) m_importFlags &= ~TOC_IMPORT_BOOKMARKS;
    CheckDlgButton(IDC_TITLES, (m_importFlags & TOC_IMPORT_TITLES) ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_HEADINGS, (m_importFlags & TOC_IMPORT_HEADINGS) ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_BOOKMARKS, (m_importFlags & TOC_IMPORT_BOOKMARKS) ? BST_CHECKED : BST_UNCHECKED);
    return TRUE;
}

BOOL CTOCImportPage::OnSetActive() {
    SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
    return CTOCWizardPage::OnSetActive();
}

void CTOCImportPage::OnHeadingsClicked() {
    if (m_noHtmlSources && IsDlgButtonChecked(IDC_HEADINGS)) {
        Warn(IDS_NO_HTML_SOURCES);
        CheckDlgButton(IDC_HEADINGS, BST_UNCHECKED);
    }
}

void CTOCImportPage::OnBookmarksClicked() {
    if (m_noWordSources && IsDlgButtonChecked(IDC_BOOKMARKS)) {
        Warn(IDS_NO_WORD_SOURCES);
        CheckDlgButton(IDC_BOOKMARKS, BST_UNCHECKED);
    }
}

DWORD CTOCImportPage::ReadFlags() const {
    DWORD flags = 0;
    if (IsDlgButtonChecked(IDC_TITLES)) flags |= TOC_IMPORT_TITLES;
    if (IsDlgButtonChecked(IDC_HEADINGS)) flags |= TOC_IMPORT_HEADINGS;
    if (IsDlgButtonChecked(IDC_BOOKMARKS)) flags |= TOC_IMPORT_BOOKMARKS;
    return flags;
}

LRESULT CTOCImportPage::OnWizardNext() {
    const DWORD flags = ReadFlags();
    if (flags == 0) {
        Warn(IDS_NOTHING_TO_IMPORT);
        return -1;
    }
    if (flags & TOC_IMPORT_HEADINGS) {
        // Heading extraction rewrites the sources: the user confirms (or has silenced this).
        CWarningDlg warning(CWarningDlg::IDD_TOC_HEADINGS, "TOC Headings", this);
        if (warning.DoModal() != IDOK) return -1;
    }
    m_importFlags = flags;
    leaf::toc::WriteProfileInt("Import Flags", static_cast<int>(flags));
    if (flags & TOC_IMPORT_HEADINGS) return IDD_TOC_LEVELS;
    if (flags & TOC_IMPORT_BOOKMARKS) return IDD_TOC_BOOKMARKS;
    return IDD_TOC_STYLE;
}

// Page 3: heading levels.

CTOCLevelPage::CTOCLevelPage()
    : CTOCWizardPage(IDD_TOC_LEVELS), m_importLevel(leaf::toc::ProfileInt("Import Level", 3)) {
    for (int level = 1; level <= kLevels; ++level) {
        CString entry, fallback;
        entry.Format("Heading Level %d", level);
        fallback.Format("<h%d>", level);
        m_tags[level - 1] = leaf::toc::ProfileString(entry.c_str(), fallback.c_str());
    }
    MapControl(IDC_LEVEL_LIST, LBN_SELCHANGE, [this] { OnLevelChanged(); });
}

const CString& CTOCLevelPage::GetHeadingTag(int level) const { return m_tags[std::clamp(level, 1, kLevels) - 1]; }

std::vector<CString> CTOCLevelPage::GetHeadingTags() const {
    const int deepest = std::clamp(m_importLevel, 1, kLevels);
    return std::vector<CString>(m_tags.begin(), m_tags.begin() + deepest);
}

bool CTOCLevelPage::IsNonBlockTag(const CString& name) {
    static const std::set<std::string> names{
        "a",    "acronym", "area", "b",     "big",  "br",   "cite",   "code",   "col",    "comment",
        "del",  "dfn",     "em",   "fieldset", "font", "head", "html", "i",      "img",    "ins",
        "kbd",  "label",   "map",  "nobr",  "param", "q",   "s",      "samp",   "select", "small",
        "span", "strike",  "strong", "style", "sub", "sup",  "tt",     "u",      "var",    "wbr"};
    return names.count(leaf::ToLowerAscii(name.str())) != 0;
}

BOOL CTOCLevelPage::OnInitDialog() {
    CTOCWizardPage::OnInitDialog();
    SetUpLevelSpin(*this, IDC_LEVEL_SPIN, IDC_LEVEL, m_importLevel);
    if (auto* list = GetDlgItemAs<CListBox>(IDC_LEVEL_LIST)) {
        list->ResetContent();
        for (int level = 1; level <= kLevels; ++level) list->AddString(std::to_string(level).c_str());
        list->SetCurSel(0);
    }
    if (auto* edit = GetDlgItemAs<CEdit>(IDC_TAG)) edit->SetLimitText(200);
    if (auto* edit = GetDlgItemAs<CEdit>(IDC_ID_BASE)) edit->SetLimitText(10);
    m_shownLevel = 0;
    SetDlgItemText(IDC_TAG, m_tags[0].c_str());
    SetDlgItemText(IDC_ID_BASE, m_idBaseName.c_str());
    return TRUE;
}

BOOL CTOCLevelPage::OnSetActive() {
    SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
    return CTOCWizardPage::OnSetActive();
}

BOOL CTOCLevelPage::ValidateTag() {
    CString tag;
    GetDlgItemText(IDC_TAG, tag);
    tag.Trim();
    if (tag.IsEmpty()) {
        Warn(IDS_NO_TAG);
        FocusEdit(IDC_TAG);
        return FALSE;
    }
    if (tag[0] != '<' || tag[tag.GetLength() - 1] != '>') {
        Warn(IDS_TAG_NOT_BRACKETED);
        FocusEdit(IDC_TAG);
        return FALSE;
    }
    CString name = tag;
    name.Remove('<');
    name.Remove('>');
    name.MakeLower();
    if (IsNonBlockTag(name)) {
        AfxMessageBox(leaf::ui::FormatResString(IDS_NON_BLOCK_TAG, tag.c_str()).c_str(), MB_OK | MB_ICONEXCLAMATION);
        FocusEdit(IDC_TAG);
        return FALSE;
    }
    m_tags[m_shownLevel] = tag;
    return TRUE;
}

void CTOCLevelPage::OnLevelChanged() {
    auto* list = GetDlgItemAs<CListBox>(IDC_LEVEL_LIST);
    if (!list) return;
    const int chosen = list->GetCurSel();
    if (chosen < 0 || chosen == m_shownLevel) return;
    if (!ValidateTag()) {
        list->SetCurSel(m_shownLevel);
        return;
    }
    m_shownLevel = chosen;
    SetDlgItemText(IDC_TAG, m_tags[m_shownLevel].c_str());
}

LRESULT CTOCLevelPage::OnWizardNext() {
    const int level = ReadLevel(IDC_LEVEL, IDS_BAD_HEADING_LEVEL);
    if (level == 0) return -1;
    if (!ValidateTag()) return -1;
    CString idBase;
    GetDlgItemText(IDC_ID_BASE, idBase);
    idBase.Trim();
    if (idBase.IsEmpty()) {
        Warn(IDS_NO_ID_BASE);
        FocusEdit(IDC_ID_BASE);
        return -1;
    }
    m_importLevel = level;
    m_idBaseName = idBase;
    leaf::toc::WriteProfileInt("Import Level", level);
    for (int each = 1; each <= kLevels; ++each) {
        CString entry;
        entry.Format("Heading Level %d", each);
        leaf::toc::WriteProfileString(entry.c_str(), m_tags[each - 1].c_str());
    }
    CTOCWizard* wizard = GetWizard();
    return (wizard && (wizard->GetImportFlags() & TOC_IMPORT_BOOKMARKS)) ? IDD_TOC_BOOKMARKS : IDD_TOC_STYLE;
}

LRESULT CTOCLevelPage::OnWizardBack() { return IDD_TOC_IMPORT; }

// Page 4: the bookmark level.

CTOCBookmarkPage::CTOCBookmarkPage()
    : CTOCWizardPage(IDD_TOC_BOOKMARKS), m_bookmarkLevel(leaf::toc::ProfileInt("Bookmark Level", 1)) {}

BOOL CTOCBookmarkPage::OnInitDialog() {
    CTOCWizardPage::OnInitDialog();
    SetUpLevelSpin(*this, IDC_LEVEL_SPIN, IDC_LEVEL, m_bookmarkLevel);
    return TRUE;
}

BOOL CTOCBookmarkPage::OnSetActive() {
    SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
    return CTOCWizardPage::OnSetActive();
}

LRESULT CTOCBookmarkPage::OnWizardNext() {
    const int level = ReadLevel(IDC_LEVEL, IDS_BAD_BOOKMARK_LEVEL);
    if (level == 0) return -1;
    m_bookmarkLevel = level;
    leaf::toc::WriteProfileInt("Bookmark Level", level);
    return IDD_TOC_STYLE;
}

LRESULT CTOCBookmarkPage::OnWizardBack() {
    CTOCWizard* wizard = GetWizard();
    return (wizard && (wizard->GetImportFlags() & TOC_IMPORT_HEADINGS)) ? IDD_TOC_LEVELS : IDD_TOC_IMPORT;
}

// Page 6: progress.

CTOCProgressPage::CTOCProgressPage() : CTOCWizardPage(IDD_TOC_PROGRESS) {}

BOOL CTOCProgressPage::OnInitDialog() {
    CTOCWizardPage::OnInitDialog();
    if (auto* bar = GetDlgItemAs<CProgressCtrl>(IDC_PROGRESS)) bar->SetRange(0, 100);
    return TRUE;
}

BOOL CTOCProgressPage::OnSetActive() {
    SetWizardButtons(PSWIZB_DISABLEDFINISH);
    if (CPropertySheet* sheet = GetSheet()) {
        if (QPushButton* back = sheet->Button(PSBTN_BACK)) back->setEnabled(false);
        m_cancelled = FALSE;
        m_shownName.Empty();
        SetDlgItemText(IDC_NAME, "");
        m_waitCursor = std::make_unique<CWaitCursor>();
        // The run starts once the page shows.
        sheet->PostMessage(WM_TOC_GENERATE);
    }
    return CTOCWizardPage::OnSetActive();
}

BOOL CTOCProgressPage::OnKillActive() {
    m_waitCursor.reset();
    if (auto* bar = GetDlgItemAs<CProgressCtrl>(IDC_PROGRESS)) bar->SetPos(0);
    m_shownName.Empty();
    SetDlgItemText(IDC_NAME, "");
    SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
    return CTOCWizardPage::OnKillActive();
}

BOOL CTOCProgressPage::OnQueryCancel() {
    // The run notices the flag at its next progress report and goes back by itself.
    m_cancelled = TRUE;
    return FALSE;
}

BOOL CTOCProgressPage::SetProgress(int percent, const CString& name) {
    if (auto* bar = GetDlgItemAs<CProgressCtrl>(IDC_PROGRESS)) bar->SetPos(percent);
    if (name != m_shownName) {
        m_shownName = name;
        SetDlgItemText(IDC_NAME, name.c_str());
    }
    return !m_cancelled;
}

// Page 7: finish.

CTOCFinishPage::CTOCFinishPage() : CTOCWizardPage(IDD_TOC_FINISH) {}

BOOL CTOCFinishPage::OnSetActive() {
    SetWizardButtons(PSWIZB_BACK | PSWIZB_FINISH);
    if (CPropertySheet* sheet = GetSheet()) {
        if (QPushButton* cancel = sheet->Button(PSBTN_CANCEL)) cancel->setEnabled(false);
    }
    return CTOCWizardPage::OnSetActive();
}

BOOL CTOCFinishPage::OnKillActive() {
    SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
    if (CPropertySheet* sheet = GetSheet()) {
        if (QPushButton* cancel = sheet->Button(PSBTN_CANCEL)) cancel->setEnabled(true);
    }
    return CTOCWizardPage::OnKillActive();
}

LRESULT CTOCFinishPage::OnWizardBack() { return IDD_TOC_STYLE; }
