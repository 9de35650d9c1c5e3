#include "platform/ui/Resources.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace leaf::ui {

bool ResourceSet::AddScript(std::string_view script, ResourceScriptError* error) {
    auto blocks = ParseResourceScript(script, error);
    if (!blocks) return false;
    for (ResourceNode& block : *blocks) {
        if (block.kind == "strings") {
            for (const ResourceNode& entry : block.children) {
                if (!entry.kind.empty() || !entry.hasId || !entry.hasText) {
                    if (error) *error = {entry.line, "a string entry is an id and a quoted text"};
                    return false;
                }
            }
        } else if (block.kind == "accelerators") {
            for (const ResourceNode& entry : block.children) {
                if (!entry.kind.empty() || !entry.hasId || !entry.hasText) {
                    if (error) *error = {entry.line, "an accelerator entry is a command id and a quoted key"};
                    return false;
                }
            }
        } else if (block.kind == "toolbar") {
            if (!block.hasId) {
                if (error) *error = {block.line, "\"toolbar\" needs an id"};
                return false;
            }
            for (const ResourceNode& entry : block.children) {
                if (entry.kind == "separator" || (entry.kind == "button" && entry.hasId)) continue;
                if (error) *error = {entry.line, "a toolbar holds \"button ID\" and \"separator\" lines"};
                return false;
            }
        } else if (!block.hasId) {
            if (error) *error = {block.line, "\"" + block.kind + "\" needs an id"};
            return false;
        } else if (block.kind != "dialog" && block.kind != "menu") {
            if (error) *error = {block.line, "\"" + block.kind + "\" cannot stand at the top"};
            return false;
        }
    }
    for (ResourceNode& block : *blocks) {
        if (block.kind == "strings") {
            for (const ResourceNode& entry : block.children) m_strings[static_cast<UINT>(entry.id)] = entry.text;
        } else if (block.kind == "accelerators") {
            auto& table = m_accelerators[static_cast<UINT>(block.id)];
            table.clear();
            for (const ResourceNode& entry : block.children)
                table.push_back({static_cast<UINT>(entry.id), entry.text});
        } else if (block.kind == "toolbar") {
            auto& buttons = m_toolbars[static_cast<UINT>(block.id)];
            buttons.clear();
            for (const ResourceNode& entry : block.children)
                buttons.push_back(entry.kind == "separator" ? 0u : static_cast<UINT>(entry.id));
        } else if (block.kind == "dialog") {
            m_dialogs[static_cast<UINT>(block.id)] = std::move(block);
        } else {
            m_menus[static_cast<UINT>(block.id)] = std::move(block);
        }
    }
    return true;
}

bool ResourceSet::AddScriptFile(const std::string& path, ResourceScriptError* error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (error) *error = {0, "cannot open " + path};
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    return AddScript(text.str(), error);
}

const std::vector<UINT>* ResourceSet::FindToolBar(UINT id) const {
    auto it = m_toolbars.find(id);
    return it == m_toolbars.end() ? nullptr : &it->second;
}

void ResourceSet::Clear() {
    m_toolbars.clear();
    m_strings.clear();
    m_dialogs.clear();
    m_menus.clear();
    m_accelerators.clear();
}

const std::string* ResourceSet::FindString(UINT id) const {
    auto it = m_strings.find(id);
    return it == m_strings.end() ? nullptr : &it->second;
}

const ResourceNode* ResourceSet::FindDialog(UINT id) const {
    auto it = m_dialogs.find(id);
    return it == m_dialogs.end() ? nullptr : &it->second;
}

const ResourceNode* ResourceSet::FindMenu(UINT id) const {
    auto it = m_menus.find(id);
    return it == m_menus.end() ? nullptr : &it->second;
}

const std::vector<AcceleratorEntry>* ResourceSet::FindAccelerators(UINT id) const {
    auto it = m_accelerators.find(id);
    return it == m_accelerators.end() ? nullptr : &it->second;
}

ResourceSet& Resources() {
    static ResourceSet set;
    return set;
}

EmbeddedResourceScript::EmbeddedResourceScript(const char* name, const char* script) {
    ResourceScriptError error;
    if (!Resources().AddScript(script, &error))
        std::fprintf(stderr, "resource script %s, line %d: %s\n", name, error.line, error.message.c_str());
}

BOOL LoadString(UINT id, CString& text) {
    const std::string* found = Resources().FindString(id);
    text = found ? CString(*found) : CString();
    return found ? TRUE : FALSE;
}

CString LoadResString(UINT id) {
    CString text;
    LoadString(id, text);
    return text;
}

CString FormatResStringV(UINT id, va_list args) {
    const std::string* format = Resources().FindString(id);
    CString text;
    if (format) text.FormatV(format->c_str(), args);
    return text;
}

CString FormatResString(UINT id, ...) {
    va_list args;
    va_start(args, id);
    CString text = FormatResStringV(id, args);
    va_end(args);
    return text;
}

}  // namespace leaf::ui
