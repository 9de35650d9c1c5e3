#include "platform/ui/CmdTarget.h"

#include "platform/com/Dispatch.h"
#include "platform/ui/Wnd.h"

void CCmdUI::Enable(BOOL on) {
    m_enabled = on ? TRUE : FALSE;
    m_bEnableChanged = TRUE;
    if (m_pOther) m_pOther->EnableWindow(on);
}

void CCmdUI::SetCheck(int check) {
    m_check = check;
    m_checkChanged = true;
    if (m_pOther) m_pOther->SetCheckState(check);
}

void CCmdUI::SetText(const char* text) {
    m_text = text ? text : "";
    m_textChanged = true;
    if (m_pOther) m_pOther->SetWindowText(m_text.c_str());
}

BOOL CCmdUI::DoUpdate(CCmdTarget* target, BOOL disableIfNoHandler) {
    if (!target) return FALSE;
    m_bEnableChanged = FALSE;
    BOOL handled = target->OnCmdMsg(m_nID, CN_UPDATE_COMMAND_UI, this);
    if (!handled && disableIfNoHandler && !m_bEnableChanged) {
        // No update handler: the item is available exactly when a command handler exists.
        BOOL hasHandler = target->OnCmdMsg(m_nID, CN_COMMAND, this, nullptr, true);
        Enable(hasHandler);
    }
    return handled;
}

BOOL CCmdTarget::OnCmdMsg(UINT id, int code, void* extra, LRESULT* result, bool probe) {
    if (code == CN_UPDATE_COMMAND_UI) {
        auto* ui = static_cast<CCmdUI*>(extra);
        std::function<void(CCmdUI*)> handler;
        if (auto it = m_updates.find(id); it != m_updates.end()) handler = it->second;
        for (const UpdateRange& range : m_updateRanges)
            if (!handler && id >= range.first && id <= range.last) handler = range.handler;
        if (!handler) return FALSE;
        if (probe || !ui) return TRUE;
        ui->m_bContinueRouting = FALSE;
        handler(ui);
        return ui->m_bContinueRouting ? FALSE : TRUE;
    }
    if (code == CN_NOTIFY) {
        auto* header = static_cast<NMHDR*>(extra);
        if (!header) return FALSE;
        auto it = m_notifies.find({id, header->code});
        if (it == m_notifies.end()) return FALSE;
        if (probe) return TRUE;
        LRESULT ignored = 0;
        auto handler = it->second;   // a copy: the handler may change the tables
        handler(header, result ? result : &ignored);
        return TRUE;
    }
    if (code == CN_EVENT) {
        auto* event = static_cast<AFX_EVENT*>(extra);
        auto it = m_events.find({id, event ? event->m_dispid : 0});
        if (it == m_events.end()) return FALSE;
        if (probe || !event) return TRUE;
        auto handler = it->second;   // a copy: the handler may change the tables
        BOOL handled = handler(event->m_pDispParams);
        event->m_bHandled = event->m_bHandled || handled;
        return handled;
    }
    if (code == CN_COMMAND) {
        if (auto it = m_commands.find(id); it != m_commands.end()) {
            if (probe) return TRUE;
            auto handler = it->second;
            handler();
            return TRUE;
        }
        for (const Range& range : m_commandRanges) {
            if (id >= range.first && id <= range.last) {
                if (probe) return TRUE;
                auto handler = range.handler;
                handler(id);
                return TRUE;
            }
        }
    }
    auto it = m_controls.find({id, static_cast<UINT>(code)});
    if (it == m_controls.end()) return FALSE;
    if (probe) return TRUE;
    auto handler = it->second;
    handler();
    return TRUE;
}

IDispatch* CCmdTarget::GetIDispatch(BOOL addRef) {
    if (!m_automation) return nullptr;
    IDispatch* dispatch = m_automation->Dispatch();
    if (addRef && dispatch) dispatch->AddRef();
    return dispatch;
}

BOOL CCmdTarget::ExecuteCommand(UINT id) {
    CCmdUI state;
    state.m_nID = id;
    OnCmdMsg(id, CN_UPDATE_COMMAND_UI, &state);
    if (!state.m_enabled) return FALSE;
    return OnCmdMsg(id, CN_COMMAND, nullptr);
}

void CCmdTarget::MapCommand(UINT id, std::function<void()> handler) { m_commands[id] = std::move(handler); }

void CCmdTarget::MapCommandRange(UINT first, UINT last, std::function<void(UINT)> handler) {
    m_commandRanges.push_back({first, last, std::move(handler)});
}

void CCmdTarget::MapControl(UINT id, UINT code, std::function<void()> handler) {
    m_controls[{id, code}] = std::move(handler);
}

void CCmdTarget::MapUpdateUI(UINT id, std::function<void(CCmdUI*)> handler) { m_updates[id] = std::move(handler); }

void CCmdTarget::MapUpdateUIRange(UINT first, UINT last, std::function<void(CCmdUI*)> handler) {
    m_updateRanges.push_back({first, last, std::move(handler)});
}

void CCmdTarget::MapEvent(UINT controlId, long dispid, std::function<BOOL(DISPPARAMS*)> handler) {
    m_events[{controlId, dispid}] = std::move(handler);
}

void CCmdTarget::MapNotify(UINT id, UINT code, std::function<void(NMHDR*, LRESULT*)> handler) {
    m_notifies[{id, code}] = std::move(handler);
}
