#include "studio/project/BuildWizardSheet.h"

#include <QApplication>
#include <QStyle>
#include <unistd.h>

#include "common/ContentType.h"
#include "platform/base/File.h"
#include "platform/ui/ControlSite.h"
#include "platform/ui/ListCtrl.h"
#include "platform/ui/PeopleService.h"
#include "platform/ui/Resources.h"
#include "platform/ui/WaitCursor.h"
#include "platform/ui/WinApp.h"
#include "platform/ui/browser/WebBrowser.h"
#include "sdk/LeafcraftSDK.h"
#include "studio/project/ApplicationLists.h"
#include "studio/project/BuildDonePage.h"
#include "studio/project/BuildErrorPage.h"
#include "studio/project/BuildFontsPage.h"
#include "studio/project/BuildOutputPage.h"
#include "studio/project/BuildProgressPage.h"
#include "studio/project/GuideDefaults.h"
#include "studio/project/LeafcraftDoc.h"
#include "studio/project/MetaDataDefinition.h"
#include "studio/project/PathHelpers.h"
#include "studio/project/StringCollectionDriver.h"

namespace {

constexpr UINT kCaptionString = 513;
constexpr UINT kTableOfContentsString = 516;
constexpr UINT kMoreFilesString = 700;
constexpr UINT kMessageColumnsString = 565;
// More missing or external files than this are summarised in one line.
constexpr LONG kListedFiles = 9;

int ShowMessage(UINT type, UINT id, ...) {
    va_list arguments;
    va_start(arguments, id);
    CString text = leaf::ui::FormatResStringV(id, arguments);
    va_end(arguments);
    return AfxMessageBox(text.c_str(), type);
}

bool StartsWithNoCase(const CString& text, const CString& prefix) {
    return text.GetLength() >= prefix.GetLength() && text.Left(prefix.GetLength()).CompareNoCase(prefix.str()) == 0;
}

CString WithoutTrailingSeparators(CString folder) {
    while (folder.GetLength() > 1 && (folder.Right(1) == "/" || folder.Right(1) == "\\"))
        folder = folder.Left(folder.GetLength() - 1);
    return folder;
}

// The small images of the message list: none, error, warning, plain message.
CImageList& MessageImages() {
    static CImageList* images = [] {
        auto* list = new CImageList;
        list->Create(16, 16);
        QStyle* style = QApplication::style();
        list->Add(QIcon());
        list->Add(style->standardIcon(QStyle::SP_MessageBoxCritical));
        list->Add(style->standardIcon(QStyle::SP_MessageBoxWarning));
        list->Add(style->standardIcon(QStyle::SP_MessageBoxInformation));
        return list;
    }();
    return *images;
}

}  // namespace

CString MakeDefaultGuideFileName(const char* folder, LONG kind) {
    static int counter = 0;
    const char* extension = kind == CGuideTypeDefinition::kindImage ? "jpg" : "htm";
    const CString base = WithoutTrailingSeparators(folder);
    // Every number is tried once at most, so a folder full of old copies cannot hang the build.
    for (int tries = 0; tries < 10000; ++tries) {
        ++counter;
        CString name;
        name.Format("%s/~cov%.4d.%s", base.c_str(), counter % 10000, extension);
        if (!FileExists(name.c_str()))
            return name;
    }
    return CString();
}

BOOL WriteGuideResource(const char* type, LONG kind, const char* path) {
    if (!path || !*path)
        return FALSE;
    CString name;
    name.Format(kind == CGuideTypeDefinition::kindImage ? "%s.jpg" : "%s.htm", type);
    leaf::RegisterGuideDefaults();
    std::string content;
    if (!leaf::ui::FindWebResource(leaf::ui::WebResourceAddress(name.str()), content))
        return FALSE;
    try {
        CFile file;
        if (!file.Open(path, CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive))
            return FALSE;
        file.Write(content.data(), static_cast<UINT>(content.size()));
        file.Close();
    } catch (const CFileException&) {
        return FALSE;
    }
    return TRUE;
}

CString MakeFileNameList(const std::vector<CString>& names) {
    const LONG count = static_cast<LONG>(names.size());
    CString list;
    for (LONG i = 0; i < std::min(count, kListedFiles); ++i) {
        if (i > 0)
            list += "\n";
        list += names[static_cast<size_t>(i)];
    }
    if (count == kListedFiles + 1) {
        list += "\n";
        list += names[static_cast<size_t>(kListedFiles)];
    } else if (count > kListedFiles + 1) {
        list += "\n";
        list += leaf::ui::FormatResString(kMoreFilesString, static_cast<int>(count - kListedFiles));
    }
    return list;
}

CBuildWizardSheet::CBuildWizardSheet(CLeafcraftDoc* document, CWnd* parent)
    : CPropertySheet(leaf::ui::LoadResString(kCaptionString).c_str(), parent),
      m_pDoc(document),
      m_outputPage(std::make_unique<CBuildOutputPage>()),
      m_fontsPage(std::make_unique<CBuildFontsPage>()),
      m_progressPage(std::make_unique<CBuildProgressPage>()),
      m_donePage(std::make_unique<CBuildDonePage>()),
      m_errorPage(std::make_unique<CBuildErrorPage>()) {
    AddPage(m_outputPage.get());
    AddPage(m_fontsPage.get());
    AddPage(m_progressPage.get());
    AddPage(m_donePage.get());
    AddPage(m_errorPage.get());
    SetWizardMode();

    // The event sink map of the build control (control id 100).
    using leaf::ui::EventArgumentLong;
    using leaf::ui::EventArgumentString;
    MapEvent(leaf::kLeafcraftSDKControlId, sdkeventid::OnUpdateProgress, [this](DISPPARAMS* params) {
        OnUpdateProgress(EventArgumentLong(params, 0), EventArgumentLong(params, 1), EventArgumentString(params, 2));
        return TRUE;
    });
    MapEvent(leaf::kLeafcraftSDKControlId, sdkeventid::OnLITGenMessage, [this](DISPPARAMS* params) {
        OnLITGenMessage(EventArgumentLong(params, 0), EventArgumentLong(params, 1), EventArgumentString(params, 2),
                        EventArgumentString(params, 3), EventArgumentLong(params, 4));
        return TRUE;
    });
    MapEvent(leaf::kLeafcraftSDKControlId, sdkeventid::OnSDKMessage, [this](DISPPARAMS* params) {
        OnSDKMessage(EventArgumentLong(params, 0), EventArgumentLong(params, 1), EventArgumentString(params, 2),
                     EventArgumentString(params, 3), EventArgumentLong(params, 4));
        return TRUE;
    });
}

CBuildWizardSheet::~CBuildWizardSheet() {
    // The pages go before the sheet forgets them.
    for (int i = GetPageCount() - 1; i >= 0; --i)
        RemovePage(i);
}

int CBuildWizardSheet::DoModal() {
    m_bAborted = FALSE;
    const int result = CPropertySheet::DoModal();
    return m_bAborted ? IDABORT : result;
}

void CBuildWizardSheet::EndWizard(int result) {
    if (result == IDABORT)
        m_bAborted = TRUE;
    PressButton(PSBTN_CANCEL);
}

void CBuildWizardSheet::PressWizardButton(int button) {
    // The progress page keeps every wizard button disabled while the build runs; a button
    // pressed by the driver works all the same.
    SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
    PressButton(button);
}

BOOL CBuildWizardSheet::OnInitDialog() {
    CPropertySheet::OnInitDialog();
    const RECT none{};
    if (!m_sdk.Create(nullptr, WS_CHILD, none, this, leaf::kLeafcraftSDKControlId)) {
        ShowMessage(MB_OK | MB_ICONEXCLAMATION, 10111);
        EndWizard(IDABORT);
        return TRUE;
    }
    try {
        if (!m_sdk.Initialize()) {
            ShowMessage(MB_OK | MB_ICONEXCLAMATION, 10112, static_cast<LONG>(m_sdk.GetErrorCode()));
            EndWizard(IDABORT);
            return TRUE;
        }
        m_bFontsAvailable = m_sdk.IsFontEmbeddingAvailable();
    } catch (const leaf::DispatchError& error) {
        AfxMessageBox(error.what(), MB_OK | MB_ICONEXCLAMATION);
        EndWizard(IDABORT);
        return TRUE;
    }
    if (!m_bFontsAvailable)
        RemovePage(GetPageIndex(m_fontsPage.get()));
    return TRUE;
}

LRESULT CBuildWizardSheet::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_LC_RUNBUILD) {
        RunBuild();
        return 0;
    }
    return CPropertySheet::WindowProc(message, wParam, lParam);
}

void CBuildWizardSheet::OnDestroy() {
    m_sdk.DestroyWindow();
    CPropertySheet::OnDestroy();
}

BOOL CBuildWizardSheet::HasFontsPage() const {
    return GetPageIndex(m_fontsPage.get()) >= 0;
}

CString CBuildWizardSheet::GetEBookPath() const {
    return m_outputPage->GetEBookPath();
}

CString CBuildWizardSheet::GetSourceFolder() const {
    return m_pDoc ? m_pDoc->m_strSourceFolder : CString();
}

CString CBuildWizardSheet::GetProjectPath() const {
    return m_pDoc ? m_pDoc->GetPathName() : CString();
}

void CBuildWizardSheet::ClearMessages() {
    m_messages.clear();
}

void CBuildWizardSheet::RunBuild() {
    CWaitCursor wait;
    Invalidate();
    ClearMessages();
    if (!m_pDoc || !m_sdk.GetControlDispatch()) {
        PressWizardButton(PSBTN_BACK);
        return;
    }
    try {
        RunBuildSteps();
    } catch (const leaf::DispatchError& error) {
        // A call that failed as a call (the control went away): the build cannot go on.
        DeleteDefaultGuideFiles();
        AfxMessageBox(error.what(), MB_OK | MB_ICONEXCLAMATION);
        PressWizardButton(PSBTN_BACK);
    }
}

void CBuildWizardSheet::RunBuildSteps() {
    if (!m_sdk.Initialize()) {
        ShowMessage(MB_OK | MB_ICONEXCLAMATION, 10112, static_cast<LONG>(m_sdk.GetErrorCode()));
        PressWizardButton(PSBTN_BACK);
        return;
    }
    m_pDoc->UpdateSourceFolder();
    if (!WriteDefaultGuideFiles() || !AddSourceFiles() || !AddMetaDataItems() || !AddGuideItems()) {
        DeleteDefaultGuideFiles();
        PressWizardButton(PSBTN_BACK);
        return;
    }
    // A project without a table of contents simply gets no tour.
    if (m_pDoc->GetTourCount() == 0)
        m_sdk.CreateTourFromTOC(0);

    // The preparation succeeds with the warning 100 when files are missing or lie outside
    // the source folder; that is when the user is asked.
    const BOOL prepared = m_sdk.PrepareEBook();
    const LONG prepareCode = m_sdk.GetErrorCode();
    if (!prepared || prepareCode == LCWARN_INVALIDDEPENDENCIES) {
        const CString details = m_sdk.GetErrorDetails();
        if (prepareCode == LCERR_ABORTED) {
            DeleteDefaultGuideFiles();
            PressWizardButton(PSBTN_BACK);
            return;
        }
        if (prepareCode != LCWARN_INVALIDDEPENDENCIES) {
            ShowMessage(MB_OK | MB_ICONEXCLAMATION, 10117, prepareCode, details.c_str());
            DeleteDefaultGuideFiles();
            PressWizardButton(PSBTN_BACK);
            return;
        }
        if (!ConfirmFileList(m_sdk.GetMissingFiles().Get(), 13003, false) ||
            !ConfirmFileList(m_sdk.GetExternalFiles().Get(), 13004, true)) {
            DeleteDefaultGuideFiles();
            PressWizardButton(PSBTN_BACK);
            return;
        }
    }

    CWinApp* app = AfxGetApp();
    IDispatch* client = app ? app->GetIDispatch(FALSE) : nullptr;
    const CString eBookPath = GetEBookPath();
    const BOOL built = m_sdk.BuildEBook(eBookPath.c_str(), m_pDoc->GetPublisher().c_str(),
                                        m_pDoc->m_bEmbedFonts ? TRUE : FALSE, client);
    DeleteDefaultGuideFiles();
    if (built) {
        PressWizardButton(PSBTN_NEXT);
    } else if (m_sdk.GetErrorCode() != LCERR_ABORTED) {
        // The error page, two places after the progress page.
        SetActivePage(GetActiveIndex() + 2);
    } else {
        PressWizardButton(PSBTN_BACK);
    }
}

BOOL CBuildWizardSheet::ConfirmFileList(IDispatch* collection, UINT messageId, bool withSourceFolder) {
    if (!collection)
        return TRUE;
    CStringCollectionDriver files{leaf::ComPtr<IDispatch>(collection)};
    const LONG count = files.GetCount();
    if (count <= 0)
        return TRUE;
    std::vector<CString> names;
    for (LONG i = 1; i <= std::min(count, kListedFiles + 1); ++i)
        names.push_back(files.Item(i));
    // Only the count matters beyond the names listed.
    while (static_cast<LONG>(names.size()) < count)
        names.emplace_back();
    const CString list = MakeFileNameList(names);
    const int answer = withSourceFolder
                           ? ShowMessage(MB_YESNO | MB_ICONQUESTION, messageId, GetSourceFolder().c_str(), list.c_str())
                           : ShowMessage(MB_YESNO | MB_ICONQUESTION, messageId, list.c_str());
    return answer == IDYES;
}

BOOL CBuildWizardSheet::WriteDefaultGuideFiles() {
    const CString sourceFolder = GetSourceFolder();
    const CString folder = sourceFolder + "/";
    m_defaultGuideFiles.clear();
    for (const auto& definition : leaf::GetApplicationLists().m_guideTypes) {
        CLCCoverPage* item = m_pDoc->GetGuideItem(definition->m_strType, TRUE);
        if (!item || item->m_nMode != CLCCoverPage::modeDefault || !definition->m_bHasDefault)
            continue;
        // Sources with no common folder give no place for the defaults: they are never
        // written to the root of the file system.
        item->m_strPath = sourceFolder.IsEmpty() ? CString()
                                                 : MakeDefaultGuideFileName(folder.c_str(), definition->m_nKind);
        if (!item->m_strPath.IsEmpty() &&
            WriteGuideResource(definition->m_strType.c_str(), definition->m_nKind, item->m_strPath.c_str()))
            m_defaultGuideFiles.push_back(definition->m_strType);
        else
            item->m_strPath.Empty();
    }
    return TRUE;
}

void CBuildWizardSheet::DeleteDefaultGuideFiles() {
    for (const CString& type : m_defaultGuideFiles) {
        CLCCoverPage* item = m_pDoc->GetGuideItem(type, FALSE);
        if (!item)
            continue;
        if (!item->m_strPath.IsEmpty())
            ::unlink(item->m_strPath.c_str());   // errors ignored
        item->m_strPath.Empty();
    }
}

namespace {

// The kind of a guide item: that of the definition of exactly its type, 0 when none.
LONG GuideKind(const CString& type) {
    for (const auto& definition : leaf::GetApplicationLists().m_guideTypes)
        if (definition->m_strType == type)
            return definition->m_nKind;
    return 0;
}

const CGuideTypeDefinition* GuideDefinition(const CString& type) {
    for (const auto& definition : leaf::GetApplicationLists().m_guideTypes)
        if (definition->m_strType == type)
            return definition.get();
    return nullptr;
}

}  // namespace

BOOL CBuildWizardSheet::AddSourceFiles() {
    for (int i = 0; i < m_pDoc->GetSourceCount(); ++i) {
        const CLCSourceFile* source = m_pDoc->GetSourceFile(i);
        if (!source)
            continue;   // an empty slot of the list
        if (!m_sdk.AddSourceFile(source->m_strPath.c_str(), LCF_SPINE)) {
            ShowMessage(MB_OK | MB_ICONEXCLAMATION, 10115, source->m_strPath.c_str(),
                        static_cast<LONG>(m_sdk.GetErrorCode()));
            return FALSE;
        }
    }
    const CString folder = GetSourceFolder();
    for (const auto& [type, item] : m_pDoc->m_guideItems) {
        if (!item || item->m_strPath.IsEmpty())
            continue;
        const LONG kind = GuideKind(type);
        CString path = item->m_strPath;
        if (!IsAbsolutePath(path.c_str())) {
            CString absolute;
            absolute.Format("%s/%s", folder.c_str(), path.c_str());
            path = absolute;
        }
        CString file, fragment;
        SplitFragment(path, file, fragment, FALSE);
        NormalizePath(file);
        if (!m_sdk.AddSourceFile(file.c_str(), kind == CGuideTypeDefinition::kindImage ? 0 : LCF_HTML_GUIDE_ITEM)) {
            ShowMessage(MB_OK | MB_ICONEXCLAMATION, 10115, file.c_str(), static_cast<LONG>(m_sdk.GetErrorCode()));
            return FALSE;
        }
    }
    return TRUE;
}

BOOL CBuildWizardSheet::AddMetaDataItems() {
    auto failed = [this] {
        ShowMessage(MB_OK | MB_ICONEXCLAMATION, 10116, static_cast<LONG>(m_sdk.GetErrorCode()));
        return FALSE;
    };
    for (const auto& definition : leaf::GetApplicationLists().m_metaDataDefinitions) {
        const CLCMetaData* item = m_pDoc->GetMetaData(definition->m_strName, FALSE);
        if (!item)
            continue;
        switch (definition->m_nPromptType) {
        case CMetaDataDefinition::promptEdit:
        case CMetaDataDefinition::promptEditMultiline:
            if (!item->m_strValue.IsEmpty() &&
                !m_sdk.AddMetaData(definition->m_strName.c_str(), item->m_strAttributes.c_str(),
                                   item->m_strValue.c_str(), LCF_DUBLIN_CORE))
                return failed();
            break;
        case CMetaDataDefinition::promptList:
        case CMetaDataDefinition::promptListMultiselect:
        case CMetaDataDefinition::promptListCreator:
        case CMetaDataDefinition::promptListIdentifier:
            for (size_t i = 0; i < item->m_values.size(); ++i) {
                if (item->m_values[i].IsEmpty())
                    continue;
                const CString value = definition->GetStoredValue(item->m_values[i]);
                const CString attributes = i < item->m_attributes.size() ? item->m_attributes[i] : CString();
                if (!m_sdk.AddMetaData(definition->m_strName.c_str(), attributes.c_str(), value.c_str(),
                                       LCF_DUBLIN_CORE))
                    return failed();
            }
            break;
        default:
            break;
        }
    }
    return TRUE;
}

BOOL CBuildWizardSheet::AddGuideItems() {
    const CString prefix = GetSourceFolder() + "/";
    for (const auto& [type, item] : m_pDoc->m_guideItems) {
        if (!item || item->m_strPath.IsEmpty())
            continue;
        const CString href =
            StartsWithNoCase(item->m_strPath, prefix) ? item->m_strPath.Mid(prefix.GetLength()) : item->m_strPath;
        CString title;
        if (const CGuideTypeDefinition* definition = GuideDefinition(type))
            title = definition->m_strTitle;
        else if (type == "toc")
            title = leaf::ui::LoadResString(kTableOfContentsString);

        if (type.CompareNoCase("other.ms-firstpage") == 0) {
            CString file, fragment;
            SplitFragment(item->m_strPath, file, fragment, FALSE);
            bool found = false;
            for (int i = 0; i < m_pDoc->GetSourceCount() && !found; ++i)
                if (const CLCSourceFile* source = m_pDoc->GetSourceFile(i))
                    found = source->m_strPath.CompareNoCase(file.str()) == 0;
            if (!found) {
                ShowMessage(MB_OK | MB_ICONEXCLAMATION, 10180);
                return FALSE;
            }
        }
        if (!m_sdk.AddGuideItem(title.c_str(), type.c_str(), href.c_str())) {
            ShowMessage(MB_OK | MB_ICONEXCLAMATION, 10119, static_cast<LONG>(m_sdk.GetErrorCode()));
            return FALSE;
        }
    }
    return TRUE;
}

void CBuildWizardSheet::OnUpdateProgress(LONG percent, LONG stage, const CString& details) {
    if (!m_progressPage->SetProgress(percent, stage, details)) {
        // The user pressed Cancel: the build stops at its next check.
        try {
            m_sdk.AbortBuild();
        } catch (const leaf::DispatchError&) {
        }
    }
}

void CBuildWizardSheet::OnLITGenMessage(LONG type, LONG code, const CString& message, const CString& filePath,
                                        LONG lineNumber) {
    if (IsIgnoredBuildMessage(code))
        return;
    m_messages.push_back(std::make_unique<CBuildMessage>(type, code, message.c_str(), filePath.c_str(), lineNumber));
    m_progressPage->AddMessage(*m_messages.back());
}

void CBuildWizardSheet::OnSDKMessage(LONG type, LONG code, const CString& message, const CString& filePath,
                                     LONG lineNumber) {
    // Shown, never recorded: the done and error pages and the report leave it out.
    CBuildMessage shown(type, code, message.c_str(), filePath.c_str(), lineNumber);
    m_progressPage->AddMessage(shown);
}

void CBuildWizardSheet::InitMessageList(CListCtrl& list) {
    list.SetExtendedStyle(list.GetExtendedStyle() | LVS_EX_FULLROWSELECT);
    list.SetImageList(&MessageImages(), LVSIL_SMALL);
    while (list.GetColumnCount() > 0)
        list.DeleteColumn(0);
    CString columns = leaf::ui::LoadResString(kMessageColumnsString);
    int column = 0;
    int start = 0;
    while (start <= columns.GetLength()) {
        int end = columns.Find("||", start);
        if (end < 0)
            end = columns.GetLength();
        CString part = columns.Mid(start, end - start);
        start = end + 2;
        CString name = part, format, width;
        if (int bar = part.Find('|'); bar >= 0) {
            name = part.Left(bar);
            CString rest = part.Mid(bar + 1);
            int second = rest.Find('|');
            format = second >= 0 ? rest.Left(second) : rest;
            width = second >= 0 ? rest.Mid(second + 1) : CString("100");
        } else {
            width = "100";
        }
        name.Trim();
        format.Trim();
        width.Trim();
        list.InsertColumn(column++, name.c_str(), std::atoi(format.c_str()) == 1 ? LVCFMT_RIGHT : LVCFMT_LEFT,
                          std::atoi(width.c_str()));
    }
}

void CBuildWizardSheet::AddMessageToList(CListCtrl& list, const CBuildMessage& message) {
    CString code;
    code.Format("%d", static_cast<int>(message.m_nCode));
    const int image = message.m_nType >= 0 && message.m_nType <= 1 ? static_cast<int>(message.m_nType) + 1 : 3;
    const int row = list.InsertItem(list.GetItemCount(), code.c_str(), image);
    const CString& path = message.m_strFilePath;
    const int slash = std::max(path.ReverseFind('/'), path.ReverseFind('\\'));
    const CString name = slash < 0 ? path : path.Mid(slash + 1);
    list.SetItemText(row, 1, name.IsEmpty() ? "n/a" : name.c_str());
    CString line("n/a");
    if (message.m_nLineNum >= 1)
        line.Format("%d", static_cast<int>(message.m_nLineNum));
    list.SetItemText(row, 2, line.c_str());
    list.SetItemText(row, 3, message.m_strMessage.c_str());
}
