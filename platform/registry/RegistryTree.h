#pragma once

// The in-memory form of one hive: a tree of keys, each with its values and sub-keys in
// the order they were created. Names compare without regard to ASCII case and keep the
// spelling they were created with.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/Types.h"

namespace leaf::registry {

struct RegistryValue {
    std::string name;  // "" is the key's default value
    DWORD type = 0;
    std::string data;  // the stored bytes (strings with their terminating NUL)
};

// How many keys deep a path below a hive's root may go. Deeper keys are refused when
// created, and a hive file holding one counts as damaged: a tree without a bound would
// make the text written for it grow with the square of its depth.
inline constexpr size_t kMaxKeyDepth = 512;

class RegistryNode {
public:
    explicit RegistryNode(std::string name = {}) : m_name(std::move(name)) {}
    // Frees the keys below without recursion, however deep they go.
    ~RegistryNode();
    RegistryNode(RegistryNode&&) = default;
    RegistryNode& operator=(RegistryNode&&) = default;

    const std::string& Name() const { return m_name; }

    RegistryNode* FindChild(std::string_view name) const;
    // Returns the existing child of that name, or appends a new one.
    RegistryNode& ChildNamed(std::string_view name, bool* created = nullptr);
    // Removes a child and everything below it; false when there is none.
    bool RemoveChild(std::string_view name);
    const std::vector<std::unique_ptr<RegistryNode>>& Children() const { return m_children; }

    const RegistryValue* FindValue(std::string_view name) const;
    // Replaces the value of that name (keeping its place and spelling) or appends it.
    void SetValue(std::string_view name, DWORD type, std::string data);
    bool RemoveValue(std::string_view name);
    const std::vector<RegistryValue>& Values() const { return m_values; }

    // The node at the end of a path of key names below this one, or null.
    RegistryNode* Find(const std::vector<std::string>& path);
    const RegistryNode* Find(const std::vector<std::string>& path) const;

private:
    std::string m_name;
    std::vector<RegistryValue> m_values;
    std::vector<std::unique_ptr<RegistryNode>> m_children;
};

// Brings value data into its stored form: string types end in exactly one NUL (text
// after an embedded NUL is dropped), a multi-string is a list of NUL-terminated strings
// closed by an empty one. Other types are kept byte for byte.
std::string NormalizeValueData(DWORD type, std::string_view data);

}  // namespace leaf::registry
