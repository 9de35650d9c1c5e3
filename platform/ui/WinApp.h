#pragma once

// CWinApp: the application object. One per program, constructed before the program's
// entry code runs; AfxGetApp() reaches it. It carries the application's name (the title
// of message boxes), its per-user profile in the registry, the main window, the windows
// registered for idle-time command update, and idle processing: OnIdle(count) runs each
// time the Qt event loop is about to wait, with the count starting at 0 for a new idle
// period and growing while OnIdle asks for more; once it answers FALSE the next wait
// starts a new period.

#include <QPointer>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/registry/Profile.h"
#include "platform/ui/CmdTarget.h"
#include "platform/ui/RecentFileList.h"

class CDocTemplate;
class CDocument;
class CWnd;
class QWidget;

class CWinApp : public CCmdTarget {
public:
    explicit CWinApp(const char* appName = nullptr);
    ~CWinApp() override;

    // The application's name; a null name at construction takes the program file's name.
    const char* m_pszAppName = nullptr;
    const char* m_pszRegistryKey = nullptr;
    const char* m_pszHelpFilePath = nullptr;
    CWnd* m_pMainWnd = nullptr;

    void SetAppName(const char* name);
    CWnd* GetMainWnd() const { return m_pMainWnd; }
    QWidget* GetMainWidget() const;

    // Profile: HKEY_CURRENT_USER\Software\<key>\<application name>\<section>. Without a
    // registry key nothing is read (defaults) or written (FALSE).
    void SetRegistryKey(const char* key);
    UINT GetProfileInt(const char* section, const char* entry, int defaultValue) const;
    CString GetProfileString(const char* section, const char* entry, const char* defaultValue = nullptr) const;
    BOOL WriteProfileInt(const char* section, const char* entry, int value);
    BOOL WriteProfileString(const char* section, const char* entry, const char* value);
    leaf::Profile* GetProfile() const { return m_profile.get(); }

    virtual BOOL InitInstance() { return TRUE; }
    virtual int ExitInstance() { return 0; }
    // Runs the event loop until the program quits, with idle processing.
    virtual int Run();
    // Whether Run's event loop runs (a modal window's loop may run inside it).
    BOOL IsRunning() const { return m_running; }

    // Idle processing: count 0 updates the main window's bars and controls and asks for
    // more; later calls update one registered window each (WM_IDLEUPDATECMDUI, wParam 0)
    // and answer TRUE while windows remain, FALSE when the idle work is done.
    virtual BOOL OnIdle(LONG count);
    // Drives OnIdle from the event loop's about-to-wait signal (Run does this itself).
    void InstallIdleProcessing();

    // Windows that get the idle command-update message, one per idle call.
    void RegisterWindow(CWnd* window);
    void UnregisterWindow(CWnd* window);
    size_t RegisteredWindowCount() const { return m_registered.size(); }

    // Documents. The application owns its templates; OnFileNew and OnFileOpen are the
    // class library's File New (57600) and File Open (57601) commands, OnOpenRecentFile
    // the recent-file commands (57616-57631), OnAppExit ID_APP_EXIT (57665); they are in
    // the application's command map from its construction.
    void AddDocTemplate(CDocTemplate* docTemplate);
    CDocTemplate* GetFirstDocTemplate() const { return m_templates.empty() ? nullptr : m_templates.front().get(); }
    const std::vector<std::unique_ptr<CDocTemplate>>& GetDocTemplates() const { return m_templates; }
    void OnFileNew();
    void OnFileOpen();
    // The recent-file command `id`: opens that entry; an entry that fails to open is
    // dropped from the list. TRUE when the command was a recent-file command.
    BOOL OnOpenRecentFile(UINT id);
    void OnAppExit();
    // Opens a file with the first template (its document replaces the open one when it
    // agrees to go); null on failure.
    virtual CDocument* OpenDocumentFile(const char* path);
    // The file dialog (open or save) of the document commands: `path` is the initial name
    // in, the chosen path out; the filter of `docTemplate`, or of every template when null.
    virtual BOOL DoPromptFileName(CString& path, UINT titleId, DWORD flags, BOOL openFileDialog,
                                  CDocTemplate* docTemplate);
    // Asks every template's documents to save; FALSE when one refuses.
    BOOL SaveAllModified();
    void CloseAllDocuments(BOOL endSession);

    // The recent-file list: LoadStdProfileSettings makes it with `maxMRU` entries (0: none)
    // and reads it from the profile section "Recent File List" (File1..FileN).
    void LoadStdProfileSettings(UINT maxMRU = 4);
    virtual void AddToRecentFileList(const char* path);
    CRecentFileList* m_pRecentFileList = nullptr;

    // The application's own map first; then the class library's document commands
    // (File New, File Open, the recent files and their menu, Exit), so that a derived
    // application's handlers for the same ids win.
    BOOL OnCmdMsg(UINT id, int code, void* extra, LRESULT* result = nullptr, bool probe = false) override;

    // Every message box of the program passes here (AfxMessageBox).
    virtual int DoMessageBox(const char* text, UINT type, UINT helpId);
    // Help requests: the program's help file, the command and the context number.
    virtual void WinHelp(DWORD data, UINT command = 0x0001);

private:
    void IdleStep();

    std::vector<std::unique_ptr<CDocTemplate>> m_templates;
    std::unique_ptr<CRecentFileList> m_recentFiles;

    std::string m_appName;
    std::string m_registryKey;
    std::unique_ptr<leaf::Profile> m_profile;
    std::vector<QPointer<QWidget>> m_registered;
    size_t m_idleIndex = 0;
    LONG m_idleCount = 0;
    bool m_idleInstalled = false;
    bool m_inIdle = false;
    bool m_running = false;
    std::unique_ptr<QObject> m_idleContext;
};

CWinApp* AfxGetApp();
// The application's main window (null without an application or main window).
CWnd* AfxGetMainWnd();
// The program's entry: makes the Qt application, runs the application object's
// InitInstance and, when that succeeds, its event loop. Returns the exit code.
int AfxWinMain(int argc, char** argv);
// The application's name; "" without an application object.
const char* AfxGetAppName();
