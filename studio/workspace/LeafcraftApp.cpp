#include "studio/workspace/LeafcraftApp.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <filesystem>

#include "platform/base/Path.h"
#include "platform/registry/Registry.h"
#include "platform/registry/RegistryKey.h"
#include "platform/ui/DispatchMap.h"
#include "platform/ui/DocTemplate.h"
#include "platform/ui/PeopleService.h"
#include "platform/ui/Resources.h"
#include "studio/project/BuildWizardSheet.h"
#include "studio/project/LeafcraftDoc.h"
#include "studio/project/MetaDataDefinition.h"
#include "studio/workspace/AppConnections.h"
#include "studio/workspace/AppProfile.h"
#include "studio/workspace/AutoSaveLock.h"
#include "studio/workspace/CloseOnSignal.h"
#include "studio/workspace/LeafcraftIconView.h"
#include "studio/workspace/MainFrame.h"
#include "studio/workspace/MruMenuHook.h"
#include "studio/workspace/NewProjectDlg.h"

using leaf::ui::FormatResString;
using leaf::ui::LoadResString;

const GUID IID_ILeafcraftApp = leaf::MakeGuid("{F36DCF03-B734-4A4B-A8EE-1A17C34B12CB}");

namespace {

constexpr UINT IDR_MAINFRAME = 100;
constexpr UINT ID_FILE_NEW_PROJECT = 40000;
constexpr UINT IDS_OLE_INIT_FAILED = 5000;
constexpr UINT IDS_FEW_COLOURS = 11002;
constexpr UINT IDS_RESTORE_AUTOSAVE = 13008;
constexpr UINT kSplashBitmap = 300;
constexpr UINT kSplashMinimumMs = 2000;
constexpr DWORD kWhatsNewHelp = 206;

// The application's interface: its one member is the build control's call-back.
const leaf::DispInterfaceDescription& ApplicationInterface() {
    static const leaf::DispInterfaceDescription description{
        "ILeafcraft",
        IID_ILeafcraftApp,
        "",
        {{"SelectEmbeddedFonts", 1, leaf::MemberKind::Method, VT_I4, {{"fontList", VT_DISPATCH}}}}};
    return description;
}

CString ResourceOr(UINT id, const char* fallback) {
    CString text = LoadResString(id);
    return text.IsEmpty() ? CString(fallback) : text;
}

// The document's run-time class for the template: the document class creates itself
// through this factory.
CObject* CreateLeafcraftDoc() { return new CLeafcraftDoc; }
const CRuntimeClass kLeafcraftDocClass = {"CLeafcraftDoc", 0xFFFF, &CreateLeafcraftDoc};

// The template of the program's one document type, its project.
std::unique_ptr<CDocTemplate> MakeProjectTemplate() {
    return std::make_unique<CSingleDocTemplate>(IDR_MAINFRAME, &kLeafcraftDocClass, RUNTIME_CLASS(CMainFrame),
                                                RUNTIME_CLASS(CLeafcraftIconView));
}

bool IsSwitch(const std::string& argument, const char* name) {
    if (argument.size() < 2 || (argument[0] != '-' && argument[0] != '/')) return false;
    std::string body = argument.substr(argument[1] == '-' ? 2 : 1);
    return leaf::NamesEqual(body.c_str(), name);
}

}  // namespace

void CLeafcraftCommandLine::Parse(int argc, const char* const* argv) {
    *this = CLeafcraftCommandLine();
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i] ? argv[i] : "";
        if (IsSwitch(argument, "Embedding")) {
            m_bRunEmbedded = TRUE;
            m_bShowSplash = FALSE;
        } else if (IsSwitch(argument, "Automation")) {
            m_bRunAutomated = TRUE;
            m_bShowSplash = FALSE;
        } else if (IsSwitch(argument, "Unregister") || IsSwitch(argument, "Unregserver")) {
            m_nShellCommand = AppUnregister;
        } else if (argument.size() > 1 && argument[0] == '-') {
            // Other switches of the class library (print, DDE) are not used here.
        } else if (m_strFileName.IsEmpty() && !argument.empty()) {
            m_strFileName = argument;
            m_nShellCommand = FileOpen;
        }
    }
}

CWorkspaceInfo::CWorkspaceInfo(UINT nameId, UINT tooltipId, int imageIndex, const CRuntimeClass* viewClass)
    : m_name(LoadResString(nameId)), m_tooltip(LoadResString(tooltipId)), m_imageIndex(imageIndex),
      m_pViewClass(viewClass) {}

CLeafcraftApp::CLeafcraftApp() : CWinApp(nullptr) {
    EnableAutomation<CLeafcraftApp>();
    MapCommand(ID_FILE_NEW_PROJECT, &CLeafcraftApp::OnFileNew);
    MapCommand(ID_APP_ABOUT, &CLeafcraftApp::OnAppAbout);
}

CLeafcraftApp::~CLeafcraftApp() {
    // The manager goes with the object: no later control may ask it for a site.
    if (AfxGetOccManager() == &m_occManager) AfxEnableControlContainer(nullptr);
}

CLeafcraftApp* CLeafcraftApp::Get() { return dynamic_cast<CLeafcraftApp*>(AfxGetApp()); }

CMainFrame* CLeafcraftApp::GetMainFrame() const { return dynamic_cast<CMainFrame*>(m_pMainWnd); }

const leaf::DispatchTable<CLeafcraftApp>& CLeafcraftApp::GetDispatchTable() {
    static const leaf::DispatchTable<CLeafcraftApp> table(
        ApplicationInterface(), {{1, leaf::MemberKind::Method, &CLeafcraftApp::DispatchSelectEmbeddedFonts}});
    return table;
}

leaf::Variant CLeafcraftApp::DispatchSelectEmbeddedFonts(const leaf::DispatchArguments& arguments) {
    return leaf::Variant(SelectEmbeddedFonts(arguments.Dispatch(0)));
}

// ---------------------------------------------------------------------------------------
// Start-up

BOOL CLeafcraftApp::InitInstance() {
    m_restored = FALSE;
    m_started = FALSE;
    // 1. The automation runtime needs no start on this platform; a failure would be
    // reported with message 5000.
    if (!leaf::app::InitializeAutomation()) {
        AfxMessageBox(IDS_OLE_INIT_FAILED, MB_OK);
        return FALSE;
    }
    // 2. Control containment: every hosted browser gets the program's host handler.
    AfxEnableControlContainer(&m_occManager);
    // A terminal's Ctrl+C or the session's end closes the program as its close box does.
    leaf::app::ForwardCloseSignals(*this);

    // 3. The command line.
    if (!m_haveCmdLine) {
        QStringList arguments = QCoreApplication::arguments();
        std::vector<std::string> owned;
        for (const QString& argument : arguments) owned.push_back(argument.toStdString());
        std::vector<const char*> pointers;
        for (const std::string& argument : owned) pointers.push_back(argument.c_str());
        m_cmdInfo.Parse(static_cast<int>(pointers.size()), pointers.data());
        m_haveCmdLine = true;
    }
    // 4. Application title and profile root.
    SetAppName(ResourceOr(IDS_PROFILE_NAME, "Leafcraft").c_str());
    SetRegistryKey(ResourceOr(IDS_COMPANY, leaf::kCompanyKey).c_str());
    SetAppName(ResourceOr(IDS_APP_TITLE, "Leafcraft").c_str());

    // 5. Colours.
    if (!CheckDisplayColours()) AfxMessageBox(IDS_FEW_COLOURS, MB_OK);

    // 6. Splash.
    if (m_cmdInfo.m_bShowSplash && !m_cmdInfo.m_bRunEmbedded && !m_cmdInfo.m_bRunAutomated)
        leaf::app::ShowSplashScreen(kSplashBitmap, kSplashMinimumMs);

    // 7. The recent-file list.
    LoadStdProfileSettings(4);

    // 8. Tables.
    LoadWorkspaces();
    if (!LoadMetaDataDefinitions()) return FALSE;
    LoadGuideTypes();

    // 9. The document template and the project file type.
    AddDocTemplate(MakeProjectTemplate().release());
    leaf::app::RegisterShellFileTypes(*GetFirstDocTemplate());

    // 10. An auto-save copy left by an earlier run.
    CString restorePath, restoreKey;
    bool restore = false;
    if (FindOrphanAutoSave(restorePath, restoreKey)) {
        if (AfxMessageBox(IDS_RESTORE_AUTOSAVE, MB_YESNO | MB_ICONQUESTION) == IDYES) {
            restore = true;
            m_cmdInfo.m_nShellCommand = CLeafcraftCommandLine::FileNew;
            m_cmdInfo.m_strFileName.Empty();
        } else {
            DeleteAutoSaveCopy(restorePath, restoreKey);
        }
    }

    // 11. The shell command.
    BOOL processed = FALSE;
    if (m_cmdInfo.m_nShellCommand == CLeafcraftCommandLine::FileOpen)
        processed = OpenDocumentFile(m_cmdInfo.m_strFileName.c_str()) != nullptr;
    else if (m_cmdInfo.m_nShellCommand == CLeafcraftCommandLine::FileNew) {
        CWinApp::OnFileNew();
        processed = m_pMainWnd != nullptr;
    } else {
        processed = TRUE;
    }
    if (!processed || !m_pMainWnd) {
        leaf::app::HideSplashScreen();
        return FALSE;
    }

    // 12. Restoring.
    if (restore) RestoreAutoSave(restorePath, restoreKey);

    // 13. The main window.
    m_pMainWnd->ShowWindow(SW_SHOW);
    if (auto* frame = dynamic_cast<CFrameWnd*>(m_pMainWnd)) frame->DragAcceptFiles(TRUE);
    m_mruHook = std::make_unique<CMruMenuHook>();
    m_mruHook->Install(m_pMainWnd, m_pRecentFileList);

    // 14. The splash goes once its minimum time is over.
    leaf::app::RequestHideSplashScreen();

    // 15. The start-up dialog after a plain start.
    if (!m_restored && m_cmdInfo.m_nShellCommand == CLeafcraftCommandLine::FileNew) ShowStartupDialog();

    // 16. First run.
    if (GetProfileInt("Settings", "What's New", 0) == 0) {
        WinHelp(kWhatsNewHelp, leaf::ui::HELP_CONTEXT);
        WriteProfileInt("Settings", "What's New", 1);
    }
    // A request to end the program that came during the start-up closes it now.
    leaf::app::ForwardCloseSignals(*this);
    m_started = TRUE;
    return TRUE;
}

BOOL CLeafcraftApp::UnregisterShellFileTypes() {
    return leaf::app::UnregisterShellFileTypes(*MakeProjectTemplate());
}

int CLeafcraftApp::ExitInstance() {
    m_mruHook.reset();
    int status = CWinApp::ExitInstance();
    // A program that could not start does not report success to whoever started it.
    return m_started ? status : 1;
}

BOOL CLeafcraftApp::CheckDisplayColours() {
    QScreen* screen = QGuiApplication::primaryScreen();
    // The display counts as having a palette when it shows 256 colours or fewer.
    return !screen || screen->depth() > 8;
}

void CLeafcraftApp::RestoreAutoSave(const CString& path, const CString& key) {
    auto* frame = dynamic_cast<CFrameWnd*>(m_pMainWnd);
    auto* document = frame ? dynamic_cast<CLeafcraftDoc*>(frame->GetActiveDocument()) : nullptr;
    if (document) {
        document->SerializeToPath(path, TRUE);
        document->SetModifiedFlag(TRUE);
        m_pMainWnd->SendMessageToDescendants(WM_INITIALUPDATE, 0, 0, TRUE);
        m_restored = TRUE;
    }
    DeleteAutoSaveCopy(path, key);
}

void CLeafcraftApp::DeleteAutoSaveCopy(const CString& path, const CString& key) {
    std::error_code ignored;
    if (!path.IsEmpty()) std::filesystem::remove(path.str(), ignored);
    if (key.IsEmpty()) return;
    // key is "Auto-save\<name>" below the application's key.
    leaf::Profile* profile = Get() ? Get()->GetProfile() : nullptr;
    std::string keyPath = key.str();
    size_t slash = keyPath.find('\\');
    if (!profile || slash == std::string::npos) return;
    leaf::RegistryKey parent = leaf::RegistryKey::Open(HKEY_CURRENT_USER, profile->BaseKeyPath() + "\\" + keyPath.substr(0, slash));
    if (!parent.IsOpen()) return;
    DeleteAutoSaveEntry(parent.Handle(), keyPath.substr(slash + 1));
}

void CLeafcraftApp::DeleteAutoSaveEntry(HKEY autoSave, const std::string& name) {
    // The lock file that the dead owner left behind goes with its entry.
    {
        leaf::RegistryKey entry = leaf::RegistryKey::Open(autoSave, name);
        std::string lock = entry.IsOpen() ? entry.ReadString("Lock").value_or("") : "";
        if (!lock.empty() && !leaf::AutoSaveLock::IsLockedByOther(lock)) {
            std::error_code ignored;
            std::filesystem::remove(lock, ignored);
        }
    }
    RegDeleteKey(autoSave, name.c_str());
}

BOOL CLeafcraftApp::FindOrphanAutoSave(CString& path, CString& key) {
    path.Empty();
    key.Empty();
    leaf::Profile* profile = GetProfile();
    if (!profile) return FALSE;
    leaf::RegistryKey application = leaf::RegistryKey::Open(HKEY_CURRENT_USER, profile->BaseKeyPath());
    if (!application.IsOpen()) return FALSE;
    leaf::RegistryKey autoSave = leaf::RegistryKey::Open(application.Handle(), "Auto-save");
    if (!autoSave.IsOpen()) return FALSE;

    DWORD index = 0;
    for (;;) {
        char name[256] = {};
        if (RegEnumKey(autoSave.Handle(), index, name, sizeof name) != ERROR_SUCCESS) break;
        leaf::RegistryKey entry = leaf::RegistryKey::Open(autoSave.Handle(), name);
        std::string lock = entry.IsOpen() ? entry.ReadString("Lock").value_or("") : "";
        // An entry whose owner still holds its lock belongs to a running instance.
        if (leaf::AutoSaveLock::IsLockedByOther(lock)) {
            ++index;
            continue;
        }
        std::string copy = entry.IsOpen() ? entry.ReadString("Path").value_or("") : "";
        entry.Close();
        std::error_code error;
        if (!copy.empty() && std::filesystem::is_regular_file(copy, error)) {
            path = copy;
            key = CString("Auto-save\\") + name;
            return TRUE;
        }
        // A dead entry without a copy: remove it; the next entry moves to this index.
        DeleteAutoSaveEntry(autoSave.Handle(), name);
        if (leaf::RegistryKey::Open(autoSave.Handle(), name).IsOpen()) ++index;
    }
    return FALSE;
}

void CLeafcraftApp::ShowStartupDialog() {
    if (GetProfileInt("Options", "Show Startup Dialog", 1) == 0) return;
    leaf::app::StartupChoice choice;
    if (!leaf::app::RunStartupDialog(m_pRecentFileList, m_pMainWnd, choice)) return;
    switch (choice.option) {
    case 1001:
        if (m_pMainWnd) m_pMainWnd->SendMessage(WM_COMMAND, CMainFrame::ID_FILE_IMPORT_PACKAGE, 0);
        break;
    case 1002:
        if (!choice.file.IsEmpty()) {
            if (!OpenDocumentFile(choice.file.c_str()) && m_pRecentFileList) {
                for (int i = 0; i < m_pRecentFileList->GetSize(); ++i) {
                    if ((*m_pRecentFileList)[i] == choice.file) {
                        m_pRecentFileList->Remove(i);
                        break;
                    }
                }
            }
        } else {
            OnFileOpen();
        }
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------------------------------
// Lists

void CLeafcraftApp::LoadWorkspaces() {
    m_workspaces.clear();
    const leaf::app::WorkspaceViewClasses& views = leaf::app::GetWorkspaceViewClasses();
    m_workspaces.push_back(std::make_unique<CWorkspaceInfo>(518, 524, 0, views.sourceFiles));
    m_workspaces.push_back(std::make_unique<CWorkspaceInfo>(519, 525, 1, views.properties));
    m_workspaces.push_back(std::make_unique<CWorkspaceInfo>(520, 526, 2, views.contents));
    m_workspaces.push_back(std::make_unique<CWorkspaceInfo>(521, 527, 3, views.coverPage));
    m_workspaces.push_back(std::make_unique<CWorkspaceInfo>(576, 577, 4, views.navigation));
}

const CWorkspaceInfo* CLeafcraftApp::GetWorkspace(int index) const {
    if (index < 0 || index >= GetWorkspaceCount()) return nullptr;
    return m_workspaces[static_cast<size_t>(index)].get();
}

int CLeafcraftApp::FindWorkspace(const CRuntimeClass* viewClass) const {
    for (size_t i = 0; i < m_workspaces.size(); ++i)
        if (viewClass && m_workspaces[i] && m_workspaces[i]->m_pViewClass == viewClass) return static_cast<int>(i);
    return -1;
}

std::unique_ptr<CMenu> CLeafcraftApp::LoadWorkspaceMenu(UINT menuId) const {
    auto menu = std::make_unique<CMenu>();
    if (!menu->LoadMenu(menuId)) return nullptr;
    constexpr UINT kMissing = static_cast<UINT>(-1);
    while (menu->GetMenuState(ID_WORKSPACE_PLACEHOLDER, MF_BYCOMMAND) != kMissing) {
        for (size_t i = 0; i < m_workspaces.size(); ++i) {
            CString text = CString("&") + m_workspaces[i]->m_name;
            menu->InsertMenu(ID_WORKSPACE_PLACEHOLDER, MF_BYCOMMAND | MF_STRING,
                             ID_WORKSPACE_FIRST + static_cast<UINT>(i), text.c_str());
        }
        if (!menu->RemoveMenu(ID_WORKSPACE_PLACEHOLDER, MF_BYCOMMAND)) break;
    }
    if (menu->GetMenuState(ID_APP_ABOUT, MF_BYCOMMAND) != kMissing) {
        CString about = FormatResString(IDS_ABOUT_ITEM, m_pszAppName ? m_pszAppName : "");
        menu->ModifyMenu(ID_APP_ABOUT, MF_BYCOMMAND | MF_STRING, ID_APP_ABOUT, about.c_str());
    }
    return menu;
}

BOOL CLeafcraftApp::LoadGuideTypes() { return leaf::LoadGuideTypes(m_guideTypes); }

BOOL CLeafcraftApp::LoadMetaDataDefinitions() {
    CString path = m_metaDataPath.IsEmpty() ? leaf::MetaDataDefinitionPath() : m_metaDataPath;
    return leaf::LoadMetaDataDefinitions(path, m_metaDataDefinitions, [] { leaf::app::HideSplashScreen(); });
}

// ---------------------------------------------------------------------------------------
// Class-library adjustments

BOOL CLeafcraftApp::OnIdle(LONG count) { return CWinApp::OnIdle(count); }

void CLeafcraftApp::RegisterWindow(CWnd* window) {
    if (!window) return;
    CWinApp::UnregisterWindow(window);
    CWinApp::RegisterWindow(window);
}

void CLeafcraftApp::UnregisterWindow(CWnd* window) { CWinApp::UnregisterWindow(window); }

int CLeafcraftApp::DoMessageBox(const char* text, UINT type, UINT helpId) {
    UINT buttons = type & 0x0F;
    if (buttons == MB_YESNO || buttons == MB_YESNOCANCEL) type |= MB_ICONQUESTION;
    return CWinApp::DoMessageBox(text, type, helpId);
}

void CLeafcraftApp::WinHelp(DWORD data, UINT command) {
    if (command == leaf::ui::HELP_CONTEXT && data < 300) data += 0x20000;
    if (GetProfileInt("Debug", "ShowHelp", 0) != 0) {
        CString trace;
        trace.Format("Data = %u\nCmd = %u", data, command);
        AfxMessageBox(trace.c_str(), MB_OK);
    }
    CWinApp::WinHelp(data, command);
}

CDocument* CLeafcraftApp::OpenDocumentFile(const char* path) { return CWinApp::OpenDocumentFile(path); }

BOOL CLeafcraftApp::OnCmdMsg(UINT id, int code, void* extra, LRESULT* result, bool probe) {
    // The recent-file commands keep a file that failed to open but still exists.
    if (code == CN_COMMAND && id >= ID_FILE_MRU_FILE1 && id <= ID_FILE_MRU_FILE16 && m_pRecentFileList) {
        if (!probe) OnOpenRecentFile(id);
        return TRUE;
    }
    return CWinApp::OnCmdMsg(id, code, extra, result, probe);
}

void CLeafcraftApp::OnOpenRecentFile(UINT id) {
    auto count = [this] {
        int entries = 0;
        for (int i = 0; i < m_pRecentFileList->GetSize(); ++i)
            if (!(*m_pRecentFileList)[i].IsEmpty()) ++entries;
        return entries;
    };
    int before = count();
    CString path = (*m_pRecentFileList)[static_cast<int>(id - ID_FILE_MRU_FILE1)];
    CWinApp::OnOpenRecentFile(id);
    std::error_code error;
    if (count() < before && !path.IsEmpty() && std::filesystem::exists(path.str(), error))
        m_pRecentFileList->Add(path.c_str());
}

void CLeafcraftApp::OnFileNew() {
    CNewProjectDlg dialog(m_pMainWnd);
    if (dialog.DoModal() != IDOK) return;
    CWinApp::OnFileNew();
    if (dialog.GetChoice() != CNewProjectDlg::kImportPackage) return;
    auto* frame = dynamic_cast<CFrameWnd*>(m_pMainWnd);
    CDocument* document = frame ? frame->GetActiveDocument() : nullptr;
    if (document && !document->IsModified())
        m_pMainWnd->SendMessage(WM_COMMAND, CMainFrame::ID_FILE_IMPORT_PACKAGE, 0);
}

void CLeafcraftApp::OnAppAbout() { leaf::app::RunAboutDialog(m_pMainWnd); }

LONG CLeafcraftApp::SelectEmbeddedFonts(IDispatch* fontList) {
    if (!fontList) return 1;
    CMainFrame* frame = GetMainFrame();
    auto* document = frame ? dynamic_cast<CLeafcraftDoc*>(frame->GetActiveDocument()) : nullptr;
    CWnd* parent = frame && frame->GetCurrentBuildWizard() ? static_cast<CWnd*>(frame->GetCurrentBuildWizard())
                                                           : static_cast<CWnd*>(frame);
    return leaf::app::RunFontEmbedDialog(fontList, document, parent) == IDCANCEL ? 0 : 1;
}
