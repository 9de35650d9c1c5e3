#include "platform/ui/Menu.h"

#include <QAction>
#include <QFont>
#include <QMenu>
#include <QMenuBar>

#include "platform/ui/FrameworkStrings.h"
#include "platform/ui/PeopleService.h"
#include "platform/ui/Resources.h"
#include "platform/ui/Wnd.h"

using namespace leaf::ui;

namespace {

constexpr UINT kNotFound = static_cast<UINT>(-1);

// The default item of a popup: Qt's default action, in a bold font.
void ShowAsDefault(QMenu* menu, QAction* action) {
    QFont font = action->font();
    font.setBold(true);
    action->setFont(font);
    menu->setDefaultAction(action);
}

bool LoadItems(const ResourceNode& node, CMenu& menu) {
    for (const ResourceNode& child : node.children) {
        UINT state = (child.HasFlag("grayed") ? MF_GRAYED : 0) | (child.HasFlag("disabled") ? MF_DISABLED : 0) |
                     (child.HasFlag("checked") ? MF_CHECKED : 0);
        bool isDefault = child.HasFlag("default");
        if (child.kind == "separator") {
            menu.AppendMenu(MF_SEPARATOR);
        } else if (child.kind == "item") {
            if (!child.hasId) return false;
            menu.AppendMenu(MF_STRING | state, static_cast<UINT>(child.id), child.text.c_str());
            if (isDefault) menu.SetDefaultItem(menu.GetMenuItemCount() - 1, TRUE);
        } else if (child.kind == "popup") {
            auto popup = std::make_unique<CMenu>();
            if (!LoadItems(child, *popup)) return false;
            menu.AppendPopup(child.text.c_str(), std::move(popup), state);
            if (isDefault) menu.SetDefaultItem(menu.GetMenuItemCount() - 1, TRUE);
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace

CMenu::CMenu() = default;
CMenu::~CMenu() = default;

BOOL CMenu::LoadMenu(UINT id) {
    const ResourceNode* menuTemplate = Resources().FindMenu(id);
    return menuTemplate ? LoadFromTemplate(*menuTemplate) : FALSE;
}

BOOL CMenu::LoadFromTemplate(const ResourceNode& menuTemplate) {
    m_items.clear();
    if (LoadItems(menuTemplate, *this)) return TRUE;
    m_items.clear();
    return FALSE;
}

BOOL CMenu::CreateMenu() {
    m_items.clear();
    return TRUE;
}

BOOL CMenu::DestroyMenu() {
    m_items.clear();
    return TRUE;
}

UINT CMenu::GetMenuItemID(int position) const {
    if (position < 0 || position >= static_cast<int>(m_items.size())) return kNotFound;
    const Item& item = m_items[static_cast<size_t>(position)];
    if (item.popup) return kNotFound;
    return (item.state & MF_SEPARATOR) ? 0 : item.id;
}

CMenu* CMenu::GetSubMenu(int position) const {
    if (position < 0 || position >= static_cast<int>(m_items.size())) return nullptr;
    return m_items[static_cast<size_t>(position)].popup.get();
}

bool CMenu::Locate(UINT item, UINT flags, CMenu*& menu, size_t& position) {
    if (flags & MF_BYPOSITION) {
        if (item >= m_items.size()) return false;
        menu = this;
        position = item;
        return true;
    }
    for (size_t i = 0; i < m_items.size(); ++i) {
        if (!m_items[i].popup && !(m_items[i].state & MF_SEPARATOR) && m_items[i].id == item) {
            menu = this;
            position = i;
            return true;
        }
        if (m_items[i].popup && m_items[i].popup->Locate(item, flags, menu, position)) return true;
    }
    return false;
}

bool CMenu::Locate(UINT item, UINT flags, const CMenu*& menu, size_t& position) const {
    CMenu* found = nullptr;
    bool ok = const_cast<CMenu*>(this)->Locate(item, flags, found, position);
    menu = found;
    return ok;
}

UINT CMenu::GetMenuState(UINT item, UINT flags) const {
    const CMenu* menu = nullptr;
    size_t position = 0;
    if (!Locate(item, flags, menu, position)) return kNotFound;
    const Item& found = menu->m_items[position];
    if (found.popup) return (found.state | MF_POPUP) | (found.popup->GetMenuItemCount() << 8);
    return found.state;
}

int CMenu::GetMenuString(UINT item, CString& text, UINT flags) const {
    const CMenu* menu = nullptr;
    size_t position = 0;
    text.Empty();
    if (!Locate(item, flags, menu, position)) return 0;
    text = CString(menu->m_items[position].text);
    return text.GetLength();
}

CMenu::Item CMenu::MakeItem(UINT flags, UINT_PTR id, const char* text) {
    Item item;
    if (flags & MF_SEPARATOR) {
        item.state = MF_SEPARATOR;
        return item;
    }
    item.id = static_cast<UINT>(id);
    item.text = text ? text : "";
    item.state = flags & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_DEFAULT);
    return item;
}

BOOL CMenu::AppendMenu(UINT flags, UINT_PTR id, const char* text) {
    if (flags & MF_POPUP) return FALSE;   // sub-menus come through AppendPopup
    m_items.push_back(MakeItem(flags, id, text));
    return TRUE;
}

BOOL CMenu::AppendPopup(const char* text, std::unique_ptr<CMenu> popup, UINT flags) {
    return InsertPopup(static_cast<UINT>(-1), text, std::move(popup), flags);
}

BOOL CMenu::InsertMenu(UINT item, UINT flags, UINT_PTR id, const char* text) {
    if (flags & MF_POPUP) return FALSE;
    if ((flags & MF_BYPOSITION) && item >= m_items.size()) {
        m_items.push_back(MakeItem(flags, id, text));
        return TRUE;
    }
    CMenu* menu = nullptr;
    size_t position = 0;
    if (!Locate(item, flags, menu, position)) return FALSE;
    menu->m_items.insert(menu->m_items.begin() + static_cast<std::ptrdiff_t>(position), MakeItem(flags, id, text));
    return TRUE;
}

BOOL CMenu::InsertPopup(UINT position, const char* text, std::unique_ptr<CMenu> popup, UINT flags) {
    if (!popup) return FALSE;
    Item item;
    item.id = static_cast<UINT>(-1);
    item.text = text ? text : "";
    item.state = flags & (MF_GRAYED | MF_DISABLED | MF_DEFAULT);
    item.popup = std::move(popup);
    size_t at = std::min<size_t>(position, m_items.size());
    m_items.insert(m_items.begin() + static_cast<std::ptrdiff_t>(at), std::move(item));
    return TRUE;
}

BOOL CMenu::ModifyMenu(UINT item, UINT flags, UINT_PTR id, const char* text) {
    CMenu* menu = nullptr;
    size_t position = 0;
    if (!Locate(item, flags, menu, position) || (flags & MF_POPUP)) return FALSE;
    Item& found = menu->m_items[position];
    Item replacement = MakeItem(flags, id, text);
    if (found.popup && !(flags & MF_SEPARATOR)) {
        // A sub-menu keeps its items; only its text and state change.
        found.text = replacement.text;
        found.state = replacement.state;
        return TRUE;
    }
    found = std::move(replacement);
    return TRUE;
}

BOOL CMenu::RemoveMenu(UINT item, UINT flags) {
    CMenu* menu = nullptr;
    size_t position = 0;
    if (!Locate(item, flags, menu, position)) return FALSE;
    menu->m_items.erase(menu->m_items.begin() + static_cast<std::ptrdiff_t>(position));
    return TRUE;
}

UINT CMenu::EnableMenuItem(UINT item, UINT flags) {
    CMenu* menu = nullptr;
    size_t position = 0;
    if (!Locate(item, flags, menu, position)) return kNotFound;
    Item& found = menu->m_items[position];
    UINT previous = found.state & (MF_GRAYED | MF_DISABLED);
    found.state = (found.state & ~(MF_GRAYED | MF_DISABLED)) | (flags & (MF_GRAYED | MF_DISABLED));
    return previous;
}

UINT CMenu::CheckMenuItem(UINT item, UINT flags) {
    CMenu* menu = nullptr;
    size_t position = 0;
    if (!Locate(item, flags, menu, position)) return kNotFound;
    Item& found = menu->m_items[position];
    UINT previous = found.state & MF_CHECKED;
    found.state = (found.state & ~MF_CHECKED) | (flags & MF_CHECKED);
    return previous;
}

BOOL CMenu::SetDefaultItem(UINT item, BOOL byPosition) {
    size_t chosen = m_items.size();
    if (item != kNotFound) {
        // Only this menu's own items: each sub-menu has a default of its own.
        for (size_t i = 0; i < m_items.size() && chosen == m_items.size(); ++i) {
            const Item& candidate = m_items[i];
            if (byPosition ? i == item : (!candidate.popup && !(candidate.state & MF_SEPARATOR) && candidate.id == item))
                chosen = i;
        }
        if (chosen == m_items.size() || (m_items[chosen].state & MF_SEPARATOR)) return FALSE;
    }
    for (size_t i = 0; i < m_items.size(); ++i) {
        if (i == chosen) m_items[i].state |= MF_DEFAULT;
        else m_items[i].state &= ~MF_DEFAULT;
    }
    return TRUE;
}

UINT CMenu::GetDefaultItem(UINT flags, BOOL byPosition) const {
    for (size_t i = 0; i < m_items.size(); ++i) {
        const Item& item = m_items[i];
        if (!(item.state & MF_DEFAULT)) continue;
        if ((item.state & (MF_GRAYED | MF_DISABLED)) && !(flags & GMDI_USEDISABLED)) return kNotFound;
        if (item.popup && (flags & GMDI_GOINTOPOPUPS)) {
            UINT inner = item.popup->GetDefaultItem(flags, byPosition);
            if (inner != kNotFound) return inner;
        }
        if (byPosition) return static_cast<UINT>(i);
        return item.popup ? kNotFound : item.id;
    }
    return kNotFound;
}

void CMenu::UpdateForPopup(CWnd* owner, UINT index) {
    if (!owner) return;
    owner->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(this), index);
    for (UINT i = 0; i < GetMenuItemCount(); ++i) {
        UINT id = GetMenuItemID(static_cast<int>(i));
        if (id == 0 || id == kNotFound) continue;
        CMenuCmdUI update;
        update.m_nID = id;
        update.m_nIndex = i;
        update.m_nIndexMax = GetMenuItemCount();
        update.m_pMenu = this;
        update.DoUpdate(owner, TRUE);
        // A handler that added or removed items (the recent-file list) says where the
        // walk goes on.
        i = update.m_nIndex;
    }
}

void CMenu::Populate(QMenu* menu, CWnd* owner, bool tracking) {
    menu->clear();
    for (size_t i = 0; i < m_items.size(); ++i) {
        Item& item = m_items[i];
        if (item.state & MF_SEPARATOR) {
            menu->addSeparator();
            continue;
        }
        QString text = QString::fromStdString(item.text);
        bool enabled = !(item.state & (MF_GRAYED | MF_DISABLED));
        if (item.popup) {
            QMenu* sub = item.popup->CreateQMenu(menu, owner, tracking);
            sub->setTitle(text);
            sub->setEnabled(enabled);
            QAction* subAction = menu->addMenu(sub);
            if (item.state & MF_DEFAULT) ShowAsDefault(menu, subAction);
            continue;
        }
        QAction* action = menu->addAction(text);
        if (item.state & MF_DEFAULT) ShowAsDefault(menu, action);
        action->setData(item.id);
        action->setEnabled(enabled);
        action->setCheckable(item.state & MF_CHECKED);
        action->setChecked(item.state & MF_CHECKED);
        UINT id = item.id;
        QPointer<QWidget> ownerWidget = owner ? owner->GetWidget() : nullptr;
        QObject::connect(action, &QAction::hovered, action, [ownerWidget, id] {
            if (ownerWidget) CWnd::FromHandle(ownerWidget)->SendMessage(WM_SETMESSAGESTRING, id, 0);
        });
        if (!tracking) {
            QObject::connect(action, &QAction::triggered, action, [ownerWidget, id] {
                if (ownerWidget) CWnd::FromHandle(ownerWidget)->SendMessage(WM_COMMAND, MAKEWPARAM(id, 0), 0);
            });
        }
    }
}

QMenu* CMenu::CreateQMenu(QWidget* parent, CWnd* owner, bool tracking) {
    auto* menu = new QMenu(parent);
    menu->setProperty("leafTracking", tracking);
    QPointer<QWidget> ownerWidget = owner ? owner->GetWidget() : nullptr;
    // Filled each time it opens, after the owner has updated the model.
    QObject::connect(menu, &QMenu::aboutToShow, menu, [this, menu, ownerWidget] {
        CWnd* currentOwner = ownerWidget ? CWnd::FromHandle(ownerWidget) : nullptr;
        UpdateForPopup(currentOwner, 0);
        Populate(menu, currentOwner, menu->property("leafTracking").toBool());
    });
    // A closing menu leaves the message pane to its idle text again.
    QObject::connect(menu, &QMenu::aboutToHide, menu, [ownerWidget] {
        if (ownerWidget) CWnd::FromHandle(ownerWidget)->SendMessage(WM_SETMESSAGESTRING, AFX_IDS_IDLEMESSAGE, 0);
    });
    Populate(menu, owner, tracking);
    return menu;
}

void CMenu::FillMenuBar(QMenuBar* bar, CWnd* owner) {
    bar->clear();
    for (QMenu* old : bar->findChildren<QMenu*>(QString(), Qt::FindDirectChildrenOnly)) delete old;
    for (size_t i = 0; i < m_items.size(); ++i) {
        Item& item = m_items[i];
        QString text = QString::fromStdString(item.text);
        if (item.popup) {
            QMenu* sub = item.popup->CreateQMenu(bar, owner);
            sub->setTitle(text);
            sub->setEnabled(!(item.state & (MF_GRAYED | MF_DISABLED)));
            bar->addMenu(sub);
        } else if (!(item.state & MF_SEPARATOR)) {
            QAction* action = bar->addAction(text);
            UINT id = item.id;
            QPointer<QWidget> ownerWidget = owner ? owner->GetWidget() : nullptr;
            QObject::connect(action, &QAction::triggered, action, [ownerWidget, id] {
                if (ownerWidget) CWnd::FromHandle(ownerWidget)->SendMessage(WM_COMMAND, MAKEWPARAM(id, 0), 0);
            });
        }
    }
}

UINT CMenu::TrackPopupMenu(UINT flags, int x, int y, CWnd* owner, LPCRECT) {
    QWidget* parent = owner ? owner->GetWidget() : nullptr;
    if (!parent) return 0;
    QMenu menu(parent);
    menu.setProperty("leafTracking", true);
    UpdateForPopup(owner, 0);
    Populate(&menu, owner, true);
    UINT chosen = People().TrackPopupMenu(menu, QPoint(x, y));
    owner->SendMessage(WM_SETMESSAGESTRING, AFX_IDS_IDLEMESSAGE, 0);
    if (flags & TPM_RETURNCMD) return chosen;
    if (chosen) owner->SendMessage(WM_COMMAND, MAKEWPARAM(chosen, 0), 0);
    return chosen ? TRUE : FALSE;
}

void CMenuCmdUI::Enable(BOOL on) {
    m_enabled = on ? TRUE : FALSE;
    m_bEnableChanged = TRUE;
    if (m_pMenu) m_pMenu->EnableMenuItem(m_nIndex, MF_BYPOSITION | (on ? MF_ENABLED : MF_GRAYED));
}

void CMenuCmdUI::SetCheck(int check) {
    m_check = check;
    m_checkChanged = true;
    if (m_pMenu) m_pMenu->CheckMenuItem(m_nIndex, MF_BYPOSITION | (check ? MF_CHECKED : MF_UNCHECKED));
}

void CMenuCmdUI::SetText(const char* text) {
    m_text = text ? text : "";
    m_textChanged = true;
    if (!m_pMenu) return;
    UINT state = m_pMenu->GetMenuState(m_nIndex, MF_BYPOSITION);
    m_pMenu->ModifyMenu(m_nIndex, MF_BYPOSITION | (state & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_DEFAULT)), m_nID,
                        m_text.c_str());
}
