#include "studio/workspace/MruMenuHook.h"

BOOL CMruMenuHook::Install(CWnd* mainWindow, CRecentFileList* recentFiles) {
    if (!mainWindow || !recentFiles) return FALSE;
    m_mainWindow = mainWindow;
    m_recentFiles = recentFiles;
    return HookWindow(mainWindow);
}

LRESULT CMruMenuHook::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITMENUPOPUP) {
        auto* popup = reinterpret_cast<CMenu*>(wParam);
        constexpr UINT kMissing = static_cast<UINT>(-1);
        bool holdsPlaceholder = popup && popup->GetMenuState(ID_FILE_MRU_FILE1, MF_BYCOMMAND) != kMissing;
        // The workspace views put menus of their own on the window, so the File popup
        // opened now may be a fresh one that still holds the placeholder, or one whose
        // placeholder was taken out (it still holds Exit). Only the popup being opened is
        // looked at: a menu remembered from before may have been destroyed since.
        bool emptiedFilePopup =
            m_removed && popup && !holdsPlaceholder && popup->GetMenuState(ID_APP_EXIT, MF_BYCOMMAND) != kMissing;
        if (holdsPlaceholder || emptiedFilePopup) {
            m_menu = popup;
            UpdateMenu();
        }
    }
    // The class library's own filling of the recent-file items follows.
    return CWndHook::WindowProc(message, wParam, lParam);
}

void CMruMenuHook::UpdateMenu() {
    if (!m_menu || !m_recentFiles) return;
    CString first;
    bool empty = !m_recentFiles->GetDisplayName(first, 0, nullptr, 0);
    bool hasPlaceholder = m_menu->GetMenuState(ID_FILE_MRU_FILE1, MF_BYCOMMAND) != static_cast<UINT>(-1);
    if (empty) {
        if (!hasPlaceholder) return;
        for (UINT i = 0; i < m_menu->GetMenuItemCount(); ++i)
            if (m_menu->GetMenuItemID(static_cast<int>(i)) == ID_FILE_MRU_FILE1) m_position = static_cast<int>(i);
        // The placeholder, then the separator that moved into its place.
        if (m_menu->RemoveMenu(ID_FILE_MRU_FILE1, MF_BYCOMMAND) &&
            m_menu->RemoveMenu(static_cast<UINT>(m_position), MF_BYPOSITION))
            m_removed = TRUE;
        return;
    }
    if (!hasPlaceholder && m_position >= 0) {
        // Back at the old place: separator, placeholder, separator (the one before the
        // old place is still there).
        UINT at = static_cast<UINT>(m_position > 0 ? m_position - 1 : 0);
        m_menu->InsertMenu(at, MF_BYPOSITION | MF_STRING, ID_FILE_MRU_FILE1, "");
        m_menu->InsertMenu(at, MF_BYPOSITION | MF_SEPARATOR, 0, "");
    }
}
