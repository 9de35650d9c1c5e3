#pragma once

// CMruMenuHook: hides the empty recent-file entry of the main window's File menu. While
// the recent-file list is empty the placeholder item (57616, "Recent File") and the
// separator after it are taken out of the menu; once the list has entries again the
// separator and the placeholder come back at their old place, and the class library's
// filling of the recent-file items follows.

#include "platform/ui/Menu.h"
#include "platform/ui/RecentFileList.h"
#include "platform/ui/WndHook.h"

class CMruMenuHook : public CWndHook {
public:
    // FALSE when either argument is null or hooking fails.
    BOOL Install(CWnd* mainWindow, CRecentFileList* recentFiles);
    // The popup that holds (or held) the placeholder; null before it was first opened.
    CMenu* GetMenu() const { return m_menu; }
    BOOL IsRemoved() const { return m_removed; }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    virtual void UpdateMenu();

private:
    CWnd* m_mainWindow = nullptr;
    CRecentFileList* m_recentFiles = nullptr;
    CMenu* m_menu = nullptr;
    int m_position = -1;
    BOOL m_removed = FALSE;
};
