#pragma once

// CLeafcraftApp: the application object of leafstudio. It runs the start-up (profile key,
// tables loaded at start, the single-document template, restoring a project left in an
// auto-save copy, the start-up dialog, first-run help), owns the lists the rest of the
// program reads through it (workspaces, guide types, metadata definitions, windows that
// get idle-time command update), adjusts message boxes, help and recent-file opening, and
// answers the build control's call-back SelectEmbeddedFonts through its IDispatch.

#include <memory>
#include <vector>

#include "platform/com/DispatchTable.h"
#include "platform/registry/Registry.h"
#include "platform/ui/Menu.h"
#include "platform/ui/WinApp.h"
#include "studio/project/ApplicationLists.h"
#include "studio/workspace/DocHostSite.h"
#include "studio/workspace/WorkspaceInfo.h"

class CMainFrame;
class CDocument;
class CMruMenuHook;

// The command-line of the program, as the class library parses it: a file to open and the
// switches that start it without a splash (Embedding, Automation).
struct CLeafcraftCommandLine {
    // AppUnregister: the class library's /Unregister (or /Unregserver) switch.
    enum Shell { FileNew, FileOpen, FileNothing, AppUnregister };
    Shell m_nShellCommand = FileNew;
    CString m_strFileName;
    BOOL m_bRunEmbedded = FALSE;
    BOOL m_bRunAutomated = FALSE;
    BOOL m_bShowSplash = TRUE;

    void Parse(int argc, const char* const* argv);
};

class CLeafcraftApp : public CWinApp, public leaf::ApplicationLists {
public:
    // String ids of the application's own texts.
    static constexpr UINT IDS_APP_TITLE = 57344;    // "Leafcraft"
    static constexpr UINT IDS_COMPANY = 511;        // "Tallbrook Systems, Inc."
    static constexpr UINT IDS_PROFILE_NAME = 574;   // "Leafcraft"
    static constexpr UINT IDS_ABOUT_ITEM = 517;     // "&About %s..."
    static constexpr UINT ID_APP_ABOUT = 57664;

    CLeafcraftApp();
    ~CLeafcraftApp() override;

    // The application object, when it is a CLeafcraftApp.
    static CLeafcraftApp* Get();

    BOOL InitInstance() override;
    int ExitInstance() override;
    // The class library's unregistration, asked for by an uninstaller with /Unregister:
    // takes back the project file type's registration with the shell and the desktop where
    // it names this program (leaf::app::UnregisterShellFileTypes). Needs no window and no
    // display; the user's own settings stay. FALSE when something of it could not go.
    static BOOL UnregisterShellFileTypes();
    BOOL OnIdle(LONG count) override;
    int DoMessageBox(const char* text, UINT type, UINT helpId) override;
    void WinHelp(DWORD data, UINT command = 0x0001) override;
    CDocument* OpenDocumentFile(const char* path) override;

    // Workspaces.
    virtual void LoadWorkspaces();
    // Appends a workspace (its command is 50000 + its index).
    void AddWorkspace(std::unique_ptr<CWorkspaceInfo> workspace) { m_workspaces.push_back(std::move(workspace)); }
    const std::vector<std::unique_ptr<CWorkspaceInfo>>& GetWorkspaces() const { return m_workspaces; }
    int GetWorkspaceCount() const { return static_cast<int>(m_workspaces.size()); }
    // The workspace at that index, null outside the list.
    const CWorkspaceInfo* GetWorkspace(int index) const;
    // The index of the first workspace whose view is of that class, -1 when none.
    int FindWorkspace(const CRuntimeClass* viewClass) const;

    // Loads a menu and expands each placeholder 50099 into the workspace items ("&" and
    // the name, command 50000 + i); retitles About (57664). Null when there is no such menu.
    std::unique_ptr<CMenu> LoadWorkspaceMenu(UINT menuId) const;

    // Guide types (strings 2000-2007) and metadata definitions (the definition file
    // beside the program). LoadMetaDataDefinitions FALSE ends the start-up.
    BOOL LoadGuideTypes();
    BOOL LoadMetaDataDefinitions();

    // The auto-save copy that an earlier run left behind (its owner no longer runs):
    // its path and its key below the application's profile key ("Auto-save\0x...").
    BOOL FindOrphanAutoSave(CString& path, CString& key);
    void ShowStartupDialog();

    // Windows that get the idle command-update message, one per idle call. Registering a
    // window again moves it to the end.
    void RegisterWindow(CWnd* window);
    void UnregisterWindow(CWnd* window);

    // The build control's call-back (dispatch id 1): shows the font choice for the list
    // and answers 0 to stop the build, 1 to go on. A null list answers 1 at once.
    LONG SelectEmbeddedFonts(IDispatch* fontList);

    // Commands.
    void OnFileNew();
    void OnOpenRecentFile(UINT id);
    void OnAppAbout();

    // Automation: the dispatch table with SelectEmbeddedFonts, and the interface id of the
    // application's own dispatch interface.
    static const leaf::DispatchTable<CLeafcraftApp>& GetDispatchTable();
    leaf::Variant DispatchSelectEmbeddedFonts(const leaf::DispatchArguments& arguments);

    // The parsed command line (InitInstance parses the process's arguments into it when
    // empty; a test may fill it first).
    CLeafcraftCommandLine m_cmdInfo;
    void SetCommandLine(int argc, const char* const* argv) { m_cmdInfo.Parse(argc, argv); m_haveCmdLine = true; }
    // Whether the last InitInstance restored an auto-save copy.
    BOOL RestoredAutoSave() const { return m_restored; }

    CMainFrame* GetMainFrame() const;
    // The metadata definition file; empty: the program's path with the extension ".dat".
    CString m_metaDataPath;

    BOOL OnCmdMsg(UINT id, int code, void* extra, LRESULT* result = nullptr, bool probe = false) override;

protected:
    // Start-up steps that need a display or another area's window; virtual so that a
    // test can watch them.
    virtual BOOL CheckDisplayColours();

private:
    void RestoreAutoSave(const CString& path, const CString& key);
    static void DeleteAutoSaveCopy(const CString& path, const CString& key);
    static void DeleteAutoSaveEntry(HKEY autoSave, const std::string& name);

    std::unique_ptr<CMruMenuHook> m_mruHook;
    // The control-container manager every hosted control (browsers, the build control)
    // gets its site from, so that the browsers ask the program how to behave.
    CDocHostOccManager m_occManager;
    std::vector<std::unique_ptr<CWorkspaceInfo>> m_workspaces;
    bool m_haveCmdLine = false;
    BOOL m_restored = FALSE;
    // InitInstance went through: a start that failed ends the program with status 1.
    BOOL m_started = FALSE;
};

// The interface id of the application's dispatch interface, which the build driver hands
// to the build control as its call-back object.
extern const GUID IID_ILeafcraftApp;
