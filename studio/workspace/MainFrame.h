#pragma once

// CMainFrame: the main window of leafstudio. A two-pane splitter (the workspace icon
// column on the left, the current workspace view on the right), toolbar and status bar,
// the menu with the workspace items, the one build control instance that lives as long as
// the window (hidden child, control id 100), the auto-save timer that keeps a copy of the
// open project in the temporary folder, and the program-wide commands: package import,
// Build eBook with its checks, Launch Reader, banners, workspace switching and Options.
//
// Auto-save: under the application's profile key, "Auto-save" holds one sub-key per
// running main frame, named "0x%.8X" after the frame's instance number, with the value
// "Path" (the current copy, or empty) and "Lock" (a lock file that the frame holds while
// it runs, so that the next start can tell a copy left by a crash from a running one).

#include <memory>

#include "platform/ui/ControlBars.h"
#include "platform/ui/FrameWnd.h"
#include "studio/project/AutoSaveHost.h"
#include "studio/workspace/AutoSaveLock.h"

class CLeafcraftBaseView;
class CLeafcraftIconView;
class CLeafcraftSDK;
class CBuildWizardSheet;
class CSplitterWnd;

class CMainFrame : public CFrameWnd, public leaf::AutoSaveHost {
public:
    DECLARE_DYNCREATE(CMainFrame)

    static constexpr UINT ID_AUTOSAVE_TIMER = 100;
    static constexpr UINT kAutoSaveTick = 6000;   // ms; the counter counts seconds in steps of 6
    static constexpr UINT IDC_SDK_CONTROL = 100;

    // Commands of the frame.
    static constexpr UINT ID_FILE_IMPORT_PACKAGE = 40010;
    static constexpr UINT ID_FILE_BUILD_EBOOK = 40001;
    static constexpr UINT ID_FILE_LAUNCH_READER = 40002;
    static constexpr UINT ID_VIEW_BANNERS = 41000;
    static constexpr UINT ID_TOOLS_OPTIONS = 42000;
    static constexpr UINT ID_FILE_PRINT = 57607;

    CMainFrame();
    ~CMainFrame() override;

    // Window creation: the build control (a failure there shows 10111/10112 and fails
    // the creation), toolbar 100, status bar, menu 100 with the workspace items, and the
    // auto-save timer.
    int OnCreate(LPCREATESTRUCT createStruct) override;
    // Builds the two panes: the icon column and the view of workspace 0; FALSE when the
    // workspace list is empty or a pane fails.
    BOOL OnCreateClient(LPCREATESTRUCT createStruct, CCreateContext* context) override;
    // Puts menu `menuId` (with the workspace items) on the window; the workspace views
    // swap their own menus in and the frame's back with it.
    void SetWorkspaceMenu(UINT menuId);
    // Puts a loaded menu on the window and remembers which menu it is.
    void InstallMenu(std::unique_ptr<CMenu> menu, UINT menuId);
    UINT GetWorkspaceMenuId() const { return m_menuId; }

    CLeafcraftIconView* GetIconView() const;
    CLeafcraftBaseView* GetWorkspaceView() const;
    int GetCurrentWorkspace() const { return m_currentWorkspace; }
    // Runs the workspace command of the first workspace whose view has that class.
    void ActivateWorkspace(const CRuntimeClass* viewClass);
    // Switches to the workspace with that command (50000 + index).
    void OnSelectWorkspace(UINT id);

    void GetMessageString(UINT id, CString& message) const override;

    // Auto-save: takes a fresh copy of the active document, deletes the previous one and
    // restarts the timer; DeleteAutoSave stops the timer and removes copy and key.
    void AutoSave();
    void DeleteAutoSave();
    // The document's requests (leaf::AutoSaveHost).
    void TakeAutoSaveCopy() override { AutoSave(); }
    void StopAutoSave() override { DeleteAutoSave(); }
    // "Auto-save\0x%.8X": the profile section of this frame.
    CString GetAutoSaveKey() const;
    // The frame's number in its key name.
    DWORD GetInstanceId() const { return m_instanceId; }
    // The temporary folder (no trailing separator): auto-save copies, the details report.
    const CString& GetTempFolder() const { return m_tempFolder; }

    // The build control that lives with the window; null when it could not be made.
    CLeafcraftSDK* GetSDKControl() const { return m_sdk.get(); }
    // The Build eBook wizard while it runs (the font call-back shows its dialog over it).
    CBuildWizardSheet* GetCurrentBuildWizard() const { return m_buildWizard; }
    BOOL IsReaderFound() const { return m_readerFound; }
    // While set, the icon column's first switch does not ask the old view to validate.
    BOOL m_bSkipValidation = FALSE;

    // Commands.
    void OnImportPackage();
    void OnBuildEBook();
    void OnLaunchReader();
    void OnToggleBanners();
    void OnOptions();
    void OnUpdateBuildEBook(CCmdUI* ui);
    void OnUpdateLaunchReader(CCmdUI* ui);
    void OnUpdateBanners(CCmdUI* ui);
    void OnUpdateWorkspace(CCmdUI* ui);
    void OnUpdatePrint(CCmdUI* ui);
    // The toolbar's context menu (sub-menu 3 of menu 120) at a screen point.
    void OnContextMenu(CWnd* window, POINT point);

    CToolBar& GetToolBar() { return m_toolBar; }
    CStatusBar& GetStatusBar() { return m_statusBar; }

    void OnTimer(UINT_PTR id) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnDestroy() override;
    // The session ends: nothing is asked; a changed project gets a fresh auto-save copy,
    // which stays (with its entry) for the restore offer at the next start.
    void OnEndSession(BOOL ending) override;

private:
    BOOL CreateSDKControl();
    void CreateLockFile();
    void ReleaseLockFile();
    BOOL CheckGuideLinks();
    void WarnUnicodeSources();
    BOOL ReplaceWorkspaceView(int index);

    CToolBar m_toolBar;
    CStatusBar m_statusBar;
    std::unique_ptr<CSplitterWnd> m_splitter;
    UINT m_menuId = 100;
    int m_autoSaveCounter = 0;
    int m_currentWorkspace = -1;
    BOOL m_readerFound = FALSE;
    CString m_tempFolder;
    std::unique_ptr<CLeafcraftSDK> m_sdk;
    CBuildWizardSheet* m_buildWizard = nullptr;
    DWORD m_instanceId = 0;
    leaf::AutoSaveLock m_lock;
    // Set when the session ended with a changed project: its copy is kept.
    bool m_keepAutoSaveCopy = false;
};
