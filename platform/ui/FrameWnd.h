#pragma once

// The frame, view and document shapes that command routing needs: a command goes to the
// active view, then the view's document, then the frame, then the application. The
// frame (a QMainWindow) carries the menu bar mirrored from a CMenu, accelerators, the
// status-bar prompts of menu items ("prompt\ntip" strings) and its control bars.

#include <QPointer>
#include <memory>
#include <vector>

#include "platform/ui/Document.h"
#include "platform/ui/Menu.h"
#include "platform/ui/View.h"
#include "platform/ui/Wnd.h"

class CControlBar;
class CFrameWnd;
class QMainWindow;
class QShortcut;

// Frame styles: the document's title goes into the caption, before the application's.
inline constexpr DWORD FWS_ADDTOTITLE = 0x00008000;
inline constexpr DWORD FWS_PREFIXTITLE = 0x00004000;

// Keyboard accelerators of a window: each key sequence sends WM_COMMAND (code 1) to the
// window while it is active; the window's command-update decides whether it runs.
class CAcceleratorTable {
public:
    BOOL Load(UINT id, CWnd* target);
    void Clear();
    size_t Size() const { return m_shortcuts.size(); }
    // The command of a key sequence ("Ctrl+N"), 0 when none.
    UINT CommandOf(const char* keys) const;

private:
    std::vector<std::unique_ptr<QShortcut>> m_shortcuts;
};

// CFrameWnd: a QMainWindow with the menu bar mirrored from a CMenu, accelerators, control
// bars, a client area of views, and a caption that follows the active document's title
// ("<document> - <application>"). LoadFrame makes the window from a resource id (the
// first field of string <id> is the frame's title; menu <id> and accelerators <id> when
// they exist), then sends WM_CREATE: OnCreate runs (derived frames add their bars there,
// after calling the base) and the base builds the client area with OnCreateClient, which
// by default makes a view of the creation context's view class (id AFX_IDW_PANE_FIRST).
// Closing the frame (WM_CLOSE, the close box, ID_APP_EXIT) asks the document
// (SaveModified) first; a refusal keeps the frame open.
class CFrameWnd : public CWnd {
public:
    CFrameWnd();
    ~CFrameWnd() override;

    // A bare frame window (no resources, no client); FALSE when it exists already.
    BOOL Create(const char* title = nullptr);
    // The frame from resource id `resourceId`: the window, title, menu, accelerators,
    // then WM_CREATE (OnCreate). FALSE when OnCreate answers -1 (the window is destroyed).
    virtual BOOL LoadFrame(UINT resourceId, DWORD style = FWS_ADDTOTITLE, CWnd* parent = nullptr,
                           CCreateContext* context = nullptr);
    QMainWindow* MainWindow() const;

    // WM_CREATE: -1 stops the creation. The base builds the client area (OnCreateClient).
    virtual int OnCreate(LPCREATESTRUCT createStruct);
    // Builds the client area: the default makes one view of the context's view class.
    virtual BOOL OnCreateClient(LPCREATESTRUCT createStruct, CCreateContext* context);
    // Creates a view of the context's view class as the frame's central widget (or, with
    // a parent other than the frame, inside it) with the id; null on failure.
    CWnd* CreateView(CCreateContext* context, UINT id = AFX_IDW_PANE_FIRST);
    // Lays the control bars and the client area out again.
    virtual void RecalcLayout(BOOL notify = TRUE);
    // Sends the initial update to every view of the frame and, with makeVisible, shows it.
    void InitialUpdateFrame(CDocument* document, BOOL makeVisible);

    // The menu bar: the frame owns the menu model.
    void SetMenu(std::unique_ptr<CMenu> menu);
    // Hands the current menu to the caller and leaves the frame without one.
    std::unique_ptr<CMenu> TakeMenu();
    CMenu* GetMenu() const { return m_menu.get(); }
    void DrawMenuBar();
    BOOL LoadAccelTable(UINT id) { return m_accelerators.Load(id, this); }
    const CAcceleratorTable& Accelerators() const { return m_accelerators; }

    CView* GetActiveView() const;
    // Makes the view active (notifying both views unless `notify` is FALSE).
    void SetActiveView(CView* view, BOOL notify = TRUE);
    virtual CDocument* GetActiveDocument() const;
    // The frame itself (a frame is its own top-level frame here).
    CFrameWnd* GetTopLevelFrame() { return this; }

    // The caption. The frame's title is the application part; the document's title is
    // put before it while FWS_ADDTOTITLE is set.
    const CString& GetTitle() const { return m_strTitle; }
    void SetTitle(const char* title);
    virtual void OnUpdateFrameTitle(BOOL addToTitle);
    void UpdateFrameTitleForDocument(const char* documentName);
    DWORD GetFrameStyle() const { return m_frameStyle; }

    // Control bars: shows or hides the bar with that id (AFX_IDW_TOOLBAR, AFX_IDW_STATUS_BAR).
    // View > Toolbar and View > Status Bar do it for the frame's bars, with a check mark
    // while the bar shows.
    void ShowControlBar(UINT barId, BOOL show);
    void ShowControlBar(CControlBar* bar, BOOL show, BOOL delay);
    BOOL IsControlBarVisible(UINT barId) const;
    // The bar object with that id, null when the frame has none.
    CControlBar* GetControlBar(UINT barId) const;
    // The sides (CBRS_ALIGN_*) on which the frame accepts docked bars; bars that allow
    // docking may then be put there.
    void EnableDocking(DWORD dockStyle);
    DWORD GetDockStyle() const { return m_dockStyle; }
    // Docks the bar on a side: AFX_IDW_DOCKBAR_TOP, _BOTTOM, _LEFT or _RIGHT, or with 0
    // the first side (top, bottom, left, right) of the bar's own alignment that both the
    // bar and the frame allow. A side that either does not allow leaves the bar alone.
    void DockControlBar(CControlBar* bar, UINT dockBarId = 0, LPCRECT rect = nullptr);

    // The status prompt of a command: the first part of its string resource.
    virtual void GetMessageString(UINT id, CString& message) const;
    void SetMessageText(const char* text);
    CString GetMessageText() const;

    // Closing: asks the active document; DestroyWindow when it agrees.
    virtual void OnClose();
    // The session ends (WM_ENDSESSION with `ending` TRUE): the main window closes the
    // program's documents without asking and goes, and the program with it.
    virtual void OnEndSession(BOOL ending);
    // File drops: opens each dropped file through the application (OpenDocumentFile).
    void OnDropFiles(HDROP drop) override;

    BOOL OnCmdMsg(UINT id, int code, void* extra, LRESULT* result = nullptr, bool probe = false) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // The frame's application title (first field of the resource string).
    CString m_strTitle;

    // Deleted with its window: set for frames a template creates by class; a frame made
    // by code is owned by its maker.
    BOOL m_bAutoDelete = FALSE;

protected:
    void OnDestroy() override;
    void PostNcDestroy() override;

private:
    void MapStandardCommands();

    std::unique_ptr<CMenu> m_menu;
    CView* m_activeView = nullptr;
    QPointer<QWidget> m_activeViewWidget;
    CAcceleratorTable m_accelerators;
    UINT m_resourceId = 0;
    DWORD m_frameStyle = FWS_ADDTOTITLE | FWS_PREFIXTITLE;
    DWORD m_dockStyle = 0;
    bool m_closing = false;
};

// The frame that holds a window (the nearest ancestor frame, or the window itself).
CFrameWnd* GetParentFrameOf(const CWnd* window);

// The "prompt" or "tip" half of a command's "prompt\ntip" string.
CString CommandPrompt(UINT id);
CString CommandTip(UINT id);
