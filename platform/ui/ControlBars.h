#pragma once

// The frame's control bars. CToolBar: buttons by command id from a toolbar resource, with
// tooltips from the commands' "prompt\ntip" strings; a click sends WM_COMMAND to the
// frame; at idle (WM_IDLEUPDATECMDUI) each button's command-update runs through the
// frame's routing, so a disabled command's button cannot be pressed. CStatusBar: the
// message pane and text panes.

#include <vector>

#include "platform/ui/FrameWnd.h"

class QAction;

class CToolBar : public CWnd {
public:
    BOOL Create(CFrameWnd* parent, UINT id = AFX_IDW_TOOLBAR);
    BOOL LoadToolBar(UINT id);
    BOOL SetButtons(const UINT* ids, int count);   // 0: a separator
    int GetCount() const { return static_cast<int>(m_ids.size()); }
    UINT GetItemID(int index) const;
    int CommandToIndex(UINT id) const;
    QAction* GetAction(UINT id) const;
    // Presses a button as a person would (nothing happens while it is disabled).
    void PressButton(UINT id);

    void OnIdleUpdateCmdUI(BOOL disableIfNoHandler) override;

private:
    CFrameWnd* m_frame = nullptr;
    std::vector<UINT> m_ids;
    std::vector<QAction*> m_actions;
};

class CStatusBar : public CWnd {
public:
    BOOL Create(CFrameWnd* parent, UINT id = AFX_IDW_STATUS_BAR);
    // The panes: ID_SEPARATOR (0) is the message pane, any other id a pane showing the
    // string of that id ("CAP", "NUM", "SCRL"). FALSE before Create.
    BOOL SetIndicators(const UINT* ids, int count);
    int GetCount() const { return static_cast<int>(m_indicators.size()); }
    UINT GetItemID(int index) const;
    int CommandToIndex(UINT id) const;
    BOOL SetPaneText(int index, const char* text);
    CString GetPaneText(int index) const;

private:
    std::vector<UINT> m_indicators;
};
