#include "platform/registry/RegistryTree.h"

#include <algorithm>

#include "platform/base/CString.h"
#include "platform/registry/Registry.h"

namespace leaf::registry {

RegistryNode::~RegistryNode() {
    std::vector<std::unique_ptr<RegistryNode>> pending = std::move(m_children);
    while (!pending.empty()) {
        std::unique_ptr<RegistryNode> node = std::move(pending.back());
        pending.pop_back();
        for (auto& child : node->m_children)
            pending.push_back(std::move(child));
        node->m_children.clear();
    }
}

RegistryNode* RegistryNode::FindChild(std::string_view name) const {
    for (const auto& child : m_children)
        if (EqualsNoCase(child->m_name, name))
            return child.get();
    return nullptr;
}

RegistryNode& RegistryNode::ChildNamed(std::string_view name, bool* created) {
    RegistryNode* child = FindChild(name);
    if (created)
        *created = child == nullptr;
    if (child)
        return *child;
    m_children.push_back(std::make_unique<RegistryNode>(std::string(name)));
    return *m_children.back();
}

bool RegistryNode::RemoveChild(std::string_view name) {
    auto found = std::find_if(m_children.begin(), m_children.end(),
                              [&](const auto& child) { return EqualsNoCase(child->m_name, name); });
    if (found == m_children.end())
        return false;
    m_children.erase(found);
    return true;
}

const RegistryValue* RegistryNode::FindValue(std::string_view name) const {
    for (const auto& value : m_values)
        if (EqualsNoCase(value.name, name))
            return &value;
    return nullptr;
}

void RegistryNode::SetValue(std::string_view name, DWORD type, std::string data) {
    for (auto& value : m_values) {
        if (EqualsNoCase(value.name, name)) {
            value.type = type;
            value.data = std::move(data);
            return;
        }
    }
    m_values.push_back(RegistryValue{std::string(name), type, std::move(data)});
}

bool RegistryNode::RemoveValue(std::string_view name) {
    auto found = std::find_if(m_values.begin(), m_values.end(),
                              [&](const RegistryValue& value) { return EqualsNoCase(value.name, name); });
    if (found == m_values.end())
        return false;
    m_values.erase(found);
    return true;
}

RegistryNode* RegistryNode::Find(const std::vector<std::string>& path) {
    RegistryNode* node = this;
    for (const auto& name : path) {
        node = node->FindChild(name);
        if (!node)
            return nullptr;
    }
    return node;
}

const RegistryNode* RegistryNode::Find(const std::vector<std::string>& path) const {
    return const_cast<RegistryNode*>(this)->Find(path);
}

std::string NormalizeValueData(DWORD type, std::string_view data) {
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        std::string text(data.substr(0, data.find('\0')));
        text.push_back('\0');
        return text;
    }
    if (type == REG_MULTI_SZ) {
        std::string list;
        size_t start = 0;
        while (start < data.size()) {
            size_t end = data.find('\0', start);
            if (end == std::string_view::npos)
                end = data.size();
            if (end == start)
                break;  // the empty string closes the list
            list.append(data.substr(start, end - start));
            list.push_back('\0');
            start = end + 1;
        }
        list.push_back('\0');
        return list;
    }
    return std::string(data);
}

}  // namespace leaf::registry
