#pragma once

// CMenu: a menu as data (items with a command id, text with "&" mnemonics and "\t" key
// text, separators, sub-menus, grayed and checked states), loaded from a "menu"
// template and edited by command or by position. The model is mirrored onto QMenuBar
// and QMenu: each time a popup opens its owner window gets WM_INITMENUPOPUP, then every
// item's command-update runs through the owner's command routing, and the popup is
// rebuilt from the model. A chosen item sends WM_COMMAND to the owner; a hovered item
// sends WM_SETMESSAGESTRING (the status prompt).

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/CmdTarget.h"
#include "platform/ui/ResourceScript.h"

class CWnd;
class QMenu;
class QMenuBar;
class QWidget;

class CMenu {
public:
    CMenu();
    ~CMenu();
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    BOOL LoadMenu(UINT id);   // from the resources; FALSE when there is no such menu
    BOOL LoadFromTemplate(const leaf::ui::ResourceNode& menuTemplate);
    BOOL CreateMenu();        // empty
    BOOL CreatePopupMenu() { return CreateMenu(); }
    BOOL DestroyMenu();

    UINT GetMenuItemCount() const { return static_cast<UINT>(m_items.size()); }
    // The item's command; 0 for a separator, (UINT)-1 for a sub-menu or a bad position.
    UINT GetMenuItemID(int position) const;
    CMenu* GetSubMenu(int position) const;
    // MF_* state bits of the item; (UINT)-1 when there is none.
    UINT GetMenuState(UINT item, UINT flags) const;
    int GetMenuString(UINT item, CString& text, UINT flags) const;

    BOOL AppendMenu(UINT flags, UINT_PTR id = 0, const char* text = nullptr);
    BOOL AppendPopup(const char* text, std::unique_ptr<CMenu> popup, UINT flags = 0);
    // Inserts before the item (by command, searching sub-menus, or by position; a
    // position past the end appends).
    BOOL InsertMenu(UINT item, UINT flags, UINT_PTR id = 0, const char* text = nullptr);
    BOOL InsertPopup(UINT position, const char* text, std::unique_ptr<CMenu> popup, UINT flags = 0);
    BOOL ModifyMenu(UINT item, UINT flags, UINT_PTR id = 0, const char* text = nullptr);
    BOOL RemoveMenu(UINT item, UINT flags);
    BOOL DeleteMenu(UINT item, UINT flags) { return RemoveMenu(item, flags); }
    // Both return the previous state (MF_GRAYED/MF_DISABLED, MF_CHECKED) or (UINT)-1.
    UINT EnableMenuItem(UINT item, UINT flags);
    UINT CheckMenuItem(UINT item, UINT flags);
    // The menu's default item (one per menu, shown bold), by command or by position
    // among this menu's own items; (UINT)-1 takes the default away. FALSE when there is
    // no such item.
    BOOL SetDefaultItem(UINT item, BOOL byPosition = FALSE);
    // The default item's command (or position with byPosition); (UINT)-1 when there is
    // none, or when it is disabled and GMDI_USEDISABLED is not given. With
    // GMDI_GOINTOPOPUPS a default sub-menu answers with its own default item.
    UINT GetDefaultItem(UINT flags, BOOL byPosition = FALSE) const;

    // Shows the menu as a popup at a screen point for `owner` and returns the chosen
    // command: with TPM_RETURNCMD the id (0 when nothing was chosen) and nothing is sent;
    // otherwise WM_COMMAND goes to the owner and the result is TRUE when an item was chosen.
    // The choice goes through the people seam, so a test script makes it.
    UINT TrackPopupMenu(UINT flags, int x, int y, CWnd* owner, LPCRECT rect = nullptr);

    // Qt mirrors.
    void FillMenuBar(QMenuBar* bar, CWnd* owner);
    // A popup mirror; `tracking` popups report the choice to the caller instead of sending it.
    QMenu* CreateQMenu(QWidget* parent, CWnd* owner, bool tracking = false);
    // Runs WM_INITMENUPOPUP and the command-update of every item for `owner`.
    void UpdateForPopup(CWnd* owner, UINT index);

private:
    struct Item {
        UINT id = 0;
        std::string text;
        UINT state = 0;   // MF_GRAYED, MF_DISABLED, MF_CHECKED, MF_SEPARATOR, MF_POPUP
        std::unique_ptr<CMenu> popup;
    };
    // The menu and position of an item by command (searching sub-menus) or position.
    bool Locate(UINT item, UINT flags, CMenu*& menu, size_t& position);
    bool Locate(UINT item, UINT flags, const CMenu*& menu, size_t& position) const;
    static Item MakeItem(UINT flags, UINT_PTR id, const char* text);
    void Populate(QMenu* menu, CWnd* owner, bool tracking);

    std::vector<Item> m_items;
};

// Command-update record of a menu item: it edits the menu model.
class CMenuCmdUI : public CCmdUI {
public:
    void Enable(BOOL on = TRUE) override;
    void SetCheck(int check = 1) override;
    void SetText(const char* text) override;
};
