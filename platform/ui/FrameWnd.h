#pragma once

// The frame, view and document shapes that command routing needs: a command goes to the
// active view, then the view's document, then the frame, then the application. The
// frame (a QMainWindow) carries the menu bar mirrored from a CMenu, accelerators, the
// status-bar prompts of menu items ("prompt\ntip" strings) and its control bars.

#include <QPointer>
#include <memory>
#include <vector>

#include "platform/ui/Menu.h"
#include "platform/ui/Wnd.h"

class CDocument;
class CFrameWnd;
class QMainWindow;
class QShortcut;

class CDocument : public CCmdTarget {
public:
    void SetModifiedFlag(BOOL modified = TRUE) { m_modified = modified; }
    BOOL IsModified() const { return m_modified; }
    const CString& GetTitle() const { return m_title; }
    virtual void SetTitle(const char* title) { m_title = title ? title : ""; }
    const CString& GetPathName() const { return m_path; }
    virtual void SetPathName(const char* path) { m_path = path ? path : ""; }

private:
    BOOL m_modified = FALSE;
    CString m_title;
    CString m_path;
};

class CView : public CWnd {
public:
    CDocument* GetDocument() const { return m_pDocument; }
    void SetDocument(CDocument* document) { m_pDocument = document; }
    // The view first, then its document.
    BOOL OnCmdMsg(UINT id, int code, void* extra, LRESULT* result = nullptr, bool probe = false) override;

protected:
    CDocument* m_pDocument = nullptr;
};

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

class CFrameWnd : public CWnd {
public:
    CFrameWnd();
    ~CFrameWnd() override;

    BOOL Create(const char* title = nullptr);
    QMainWindow* MainWindow() const;

    // The menu bar: the frame owns the menu model.
    void SetMenu(std::unique_ptr<CMenu> menu);
    CMenu* GetMenu() const { return m_menu.get(); }
    void DrawMenuBar();
    BOOL LoadAccelTable(UINT id) { return m_accelerators.Load(id, this); }
    const CAcceleratorTable& Accelerators() const { return m_accelerators; }

    CView* GetActiveView() const { return m_activeView; }
    void SetActiveView(CView* view) { m_activeView = view; }
    CDocument* GetActiveDocument() const { return m_activeView ? m_activeView->GetDocument() : nullptr; }

    // The status prompt of a command: the first part of its string resource.
    virtual void GetMessageString(UINT id, CString& message) const;
    void SetMessageText(const char* text);
    CString GetMessageText() const;

    BOOL OnCmdMsg(UINT id, int code, void* extra, LRESULT* result = nullptr, bool probe = false) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    std::unique_ptr<CMenu> m_menu;
    CView* m_activeView = nullptr;
    CAcceleratorTable m_accelerators;
};

// The "prompt" or "tip" half of a command's "prompt\ntip" string.
CString CommandPrompt(UINT id);
CString CommandTip(UINT id);
