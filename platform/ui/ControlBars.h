#pragma once

// The frame's control bars, on QMainWindow's tool bars and status bar.
//
// CControlBar: the bar style (CBRS_*) and the sides it may dock on. CToolBar: a QToolBar
// with buttons by command id from a toolbar resource. A click sends WM_COMMAND to the
// frame; at idle (WM_IDLEUPDATECMDUI) each button's command-update runs through the
// frame's routing, so a disabled command's button cannot be pressed. With CBRS_TOOLTIPS a
// button shows the tip half of its "prompt\ntip" string; with CBRS_FLYBY the frame's
// message pane shows the prompt half while the pointer is over the button. CBRS_GRIPPER
// gives the bar its handle (Qt moves a bar only by its handle); TBSTYLE_FLAT makes the
// buttons flat until the pointer is over them. The bar's caption (its window text) is
// the title it shows when it floats.
//
// CStatusBar: the message pane (ID_SEPARATOR at index 0) and indicator panes. An
// indicator's text is the string of its id ("CAP", "NUM", "SCRL"); its pane is as wide
// as that text. At idle each indicator's command-update runs through the frame: an
// indicator that is disabled (SBPS_DISABLED) keeps its text and width but shows nothing.

#include <vector>

#include <QPointer>

#include "platform/ui/FrameWnd.h"

class QAction;
class QLabel;

class CControlBar : public CWnd {
public:
    DWORD GetBarStyle() const { return m_dwStyle; }
    virtual void SetBarStyle(DWORD style);
    // The sides (CBRS_ALIGN_*) the bar may dock on, when the frame accepts them too; 0:
    // the bar stays where it is and cannot float.
    void EnableDocking(DWORD dockStyle);
    DWORD GetDockStyle() const { return m_dwDockStyle; }
    CFrameWnd* GetDockingFrame() const { return m_frame; }
    // The sides the bar may be put on now: its own dock style and the frame's together.
    DWORD GetAllowedDockSides() const;
    // Applies the docking rules again (the frame calls it when its own change).
    virtual void OnDockingChanged() {}
    // Puts the bar on one side of its frame (CFrameWnd::DockControlBar checks the side).
    virtual BOOL DockOn(DWORD) { return FALSE; }

protected:
    CFrameWnd* m_frame = nullptr;
    DWORD m_dwStyle = 0;
    DWORD m_dwDockStyle = 0;
};

class CToolBar : public CControlBar {
public:
    BOOL Create(CFrameWnd* parent, DWORD style = WS_CHILD | WS_VISIBLE | CBRS_TOP, UINT id = AFX_IDW_TOOLBAR);
    BOOL CreateEx(CFrameWnd* parent, DWORD controlStyle = TBSTYLE_FLAT,
                  DWORD style = WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP, UINT id = AFX_IDW_TOOLBAR);
    BOOL LoadToolBar(UINT id);
    BOOL SetButtons(const UINT* ids, int count);   // 0: a separator
    int GetCount() const { return static_cast<int>(m_ids.size()); }
    UINT GetItemID(int index) const;
    int CommandToIndex(UINT id) const;
    // The button's rectangle in the bar; empty for a bad index.
    void GetItemRect(int index, LPRECT rect) const;
    // The height of the bar while it lies horizontally.
    void SetHeight(int height);
    int GetHeight() const { return m_height; }
    QAction* GetAction(UINT id) const;
    // Presses a button as a person would (nothing happens while it is disabled).
    void PressButton(UINT id);

    void SetBarStyle(DWORD style) override;
    void OnDockingChanged() override;
    BOOL DockOn(DWORD side) override;
    void OnIdleUpdateCmdUI(BOOL disableIfNoHandler) override;

    // The fly-by prompt of the button under the pointer (the filter of its buttons).
    void OnButtonHover(UINT id, bool entered);

private:
    void ApplyButtonStyle();
    void ApplyHeight();

    DWORD m_controlStyle = 0;
    int m_height = 0;
    std::vector<UINT> m_ids;
    std::vector<QAction*> m_actions;
    QObject* m_buttonFilter = nullptr;
};

class CStatusBar : public CControlBar {
public:
    BOOL Create(CFrameWnd* parent, DWORD style = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, UINT id = AFX_IDW_STATUS_BAR);
    // The panes: ID_SEPARATOR (0) first is the message pane, any other id an indicator
    // showing the string of that id. FALSE before Create.
    BOOL SetIndicators(const UINT* ids, int count);
    int GetCount() const { return static_cast<int>(m_panes.size()); }
    UINT GetItemID(int index) const;
    int CommandToIndex(UINT id) const;
    // The pane's text (kept while the pane is disabled); FALSE for a bad index.
    BOOL SetPaneText(int index, const char* text, BOOL update = TRUE);
    CString GetPaneText(int index) const;
    // SBPS_* of the pane; SBPS_DISABLED hides its text.
    UINT GetPaneStyle(int index) const;
    void SetPaneStyle(int index, UINT style);
    // The label of an indicator pane (null for the message pane or a bad index).
    QLabel* PaneLabel(int index) const;

    void OnIdleUpdateCmdUI(BOOL disableIfNoHandler) override;

private:
    struct Pane {
        UINT id = ID_SEPARATOR;
        UINT style = SBPS_NORMAL;
        CString text;
        QPointer<QLabel> label;   // null for the message pane
    };
    void ShowPane(const Pane& pane);

    std::vector<Pane> m_panes;
};
