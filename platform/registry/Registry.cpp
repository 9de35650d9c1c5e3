// The registry functions over the file-backed hives. A handle names a hive and a key
// path, never an in-memory node, so re-reading a hive (after another process changed
// it) never invalidates a handle; a handle whose key has since been deleted gives
// ERROR_KEY_DELETED.

#include "platform/registry/Registry.h"

#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/registry/HiveStore.h"
#include "platform/registry/HiveText.h"

using leaf::registry::Hive;
using leaf::registry::HiveStore;
using leaf::registry::RegistryNode;
using leaf::registry::RegistryValue;

struct RegistryKey__ {
    Hive hive;
    std::vector<std::string> path;  // key names below the hive's root
};

namespace {

using KeyLocation = RegistryKey__;

std::mutex g_handlesMutex;
std::unordered_map<HKEY, std::unique_ptr<RegistryKey__>> g_handles;

bool IsPredefined(HKEY key) {
    return key == HKEY_CLASSES_ROOT || key == HKEY_CURRENT_USER || key == HKEY_LOCAL_MACHINE ||
           key == HKEY_USERS;
}

bool Locate(HKEY key, KeyLocation& location) {
    if (key == HKEY_CLASSES_ROOT) {
        location = {Hive::LocalMachine, {"Software", "Classes"}};
    } else if (key == HKEY_CURRENT_USER) {
        location = {Hive::CurrentUser, {}};
    } else if (key == HKEY_LOCAL_MACHINE) {
        location = {Hive::LocalMachine, {}};
    } else if (key == HKEY_USERS) {
        location = {Hive::Users, {}};
    } else {
        std::lock_guard guard(g_handlesMutex);
        auto found = g_handles.find(key);
        if (found == g_handles.end())
            return false;
        location = *found->second;
    }
    return true;
}

HKEY NewHandle(KeyLocation location) {
    auto key = std::make_unique<RegistryKey__>(std::move(location));
    HKEY handle = key.get();
    std::lock_guard guard(g_handlesMutex);
    g_handles.emplace(handle, std::move(key));
    return handle;
}

// Splits a sub-key path at '\'. Null or empty means the key itself; a trailing '\' is
// ignored; an empty name inside the path, or a name that cannot be stored, is an error.
LONG SplitPath(const char* subKey, std::vector<std::string>& names) {
    names.clear();
    if (!subKey || !*subKey)
        return ERROR_SUCCESS;
    std::string_view path = subKey;
    if (path.back() == '\\')
        path.remove_suffix(1);
    for (;;) {
        size_t separator = path.find('\\');
        std::string_view name = path.substr(0, separator);
        if (name.empty() || !leaf::registry::IsStorableName(name))
            return ERROR_INVALID_PARAMETER;
        names.emplace_back(name);
        if (separator == std::string_view::npos)
            return ERROR_SUCCESS;
        path.remove_prefix(separator + 1);
    }
}

std::vector<std::string> Join(const std::vector<std::string>& base, const std::vector<std::string>& more) {
    std::vector<std::string> path = base;
    path.insert(path.end(), more.begin(), more.end());
    return path;
}

// Copies stored data out with the size conventions of the value functions.
LONG CopyData(std::string_view stored, BYTE* data, DWORD* dataSize) {
    if (!dataSize)
        return data ? ERROR_INVALID_PARAMETER : ERROR_SUCCESS;
    auto needed = static_cast<DWORD>(stored.size());
    if (!data) {
        *dataSize = needed;
        return ERROR_SUCCESS;
    }
    if (*dataSize < needed) {
        *dataSize = needed;
        return ERROR_MORE_DATA;
    }
    if (needed > 0)
        std::memcpy(data, stored.data(), needed);
    *dataSize = needed;
    return ERROR_SUCCESS;
}

// Copies a name into a character buffer of *size bytes; *size becomes the name's length
// without its NUL, also when the buffer is too small.
LONG CopyName(std::string_view stored, char* name, DWORD* size) {
    auto length = static_cast<DWORD>(stored.size());
    if (*size <= length) {
        *size = length;
        return ERROR_MORE_DATA;
    }
    std::memcpy(name, stored.data(), length);
    name[length] = '\0';
    *size = length;
    return ERROR_SUCCESS;
}

// Runs `read` on the node of an open key.
template <typename Read>
LONG ReadKey(HKEY key, Read read) {
    KeyLocation location;
    if (!Locate(key, location))
        return ERROR_INVALID_HANDLE;
    return HiveStore::Instance().Read(location.hive, [&](const RegistryNode& root) -> LONG {
        const RegistryNode* node = root.Find(location.path);
        return node ? read(*node) : ERROR_KEY_DELETED;
    });
}

// Runs `change` on the node of an open key under the hive's write lock.
template <typename Change>
LONG ChangeKey(HKEY key, Change change) {
    KeyLocation location;
    if (!Locate(key, location))
        return ERROR_INVALID_HANDLE;
    return HiveStore::Instance().Modify(location.hive, [&](RegistryNode& root, bool& changed) -> LONG {
        RegistryNode* node = root.Find(location.path);
        return node ? change(*node, changed) : ERROR_KEY_DELETED;
    });
}

}  // namespace

LONG RegOpenKeyEx(HKEY key, const char* subKey, DWORD options, REGSAM access, HKEY* result) {
    if (!result)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    KeyLocation location;
    if (!Locate(key, location))
        return ERROR_INVALID_HANDLE;
    std::vector<std::string> names;
    if (LONG error = SplitPath(subKey, names); error != ERROR_SUCCESS)
        return error;
    LONG error = ReadKey(key, [&](const RegistryNode& node) -> LONG {
        return node.Find(names) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    });
    if (error == ERROR_SUCCESS)
        *result = NewHandle({location.hive, Join(location.path, names)});
    return error;
}

LONG RegOpenKey(HKEY key, const char* subKey, HKEY* result) {
    return RegOpenKeyEx(key, subKey, 0, KEY_ALL_ACCESS, result);
}

LONG RegCreateKeyEx(HKEY key, const char* subKey, DWORD reserved, char* keyClass, DWORD options,
                    REGSAM access, void* security, HKEY* result, DWORD* disposition) {
    if (!result)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    KeyLocation location;
    if (!Locate(key, location))
        return ERROR_INVALID_HANDLE;
    std::vector<std::string> names;
    if (LONG error = SplitPath(subKey, names); error != ERROR_SUCCESS)
        return error;
    // A key deeper than a hive file can hold is refused rather than stored unreadably.
    if (location.path.size() + names.size() > leaf::registry::kMaxKeyDepth)
        return ERROR_INVALID_PARAMETER;
    bool createdAny = false;
    LONG error = ChangeKey(key, [&](RegistryNode& node, bool& changed) -> LONG {
        RegistryNode* current = &node;
        for (const auto& name : names) {
            bool created = false;
            current = &current->ChildNamed(name, &created);
            createdAny = createdAny || created;
        }
        changed = createdAny;
        return ERROR_SUCCESS;
    });
    if (error != ERROR_SUCCESS)
        return error;
    if (disposition)
        *disposition = createdAny ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    *result = NewHandle({location.hive, Join(location.path, names)});
    return ERROR_SUCCESS;
}

LONG RegCreateKey(HKEY key, const char* subKey, HKEY* result) {
    return RegCreateKeyEx(key, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, result,
                          nullptr);
}

LONG RegCloseKey(HKEY key) {
    if (IsPredefined(key))
        return ERROR_SUCCESS;
    std::lock_guard guard(g_handlesMutex);
    return g_handles.erase(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LONG RegQueryValueEx(HKEY key, const char* valueName, DWORD* reserved, DWORD* type, BYTE* data,
                     DWORD* dataSize) {
    if (data && !dataSize)
        return ERROR_INVALID_PARAMETER;
    std::string_view name = valueName ? valueName : "";
    return ReadKey(key, [&](const RegistryNode& node) -> LONG {
        const RegistryValue* value = node.FindValue(name);
        if (!value)
            return ERROR_FILE_NOT_FOUND;
        if (type)
            *type = value->type;
        return CopyData(value->data, data, dataSize);
    });
}

LONG RegSetValueEx(HKEY key, const char* valueName, DWORD reserved, DWORD type, const BYTE* data,
                   DWORD dataSize) {
    std::string_view name = valueName ? valueName : "";
    if (!leaf::registry::IsStorableName(name) || (!data && dataSize > 0))
        return ERROR_INVALID_PARAMETER;
    if (type == REG_DWORD && dataSize != sizeof(DWORD))
        return ERROR_INVALID_PARAMETER;
    std::string stored = leaf::registry::NormalizeValueData(
        type, std::string_view(reinterpret_cast<const char*>(data), data ? dataSize : 0));
    return ChangeKey(key, [&](RegistryNode& node, bool& changed) -> LONG {
        const RegistryValue* existing = node.FindValue(name);
        changed = !existing || existing->type != type || existing->data != stored;
        if (changed)
            node.SetValue(name, type, stored);
        return ERROR_SUCCESS;
    });
}

LONG RegQueryValue(HKEY key, const char* subKey, char* value, LONG* valueSize) {
    if ((value && !valueSize) || (valueSize && *valueSize < 0))
        return ERROR_INVALID_PARAMETER;
    std::vector<std::string> names;
    if (LONG error = SplitPath(subKey, names); error != ERROR_SUCCESS)
        return error;
    return ReadKey(key, [&](const RegistryNode& node) -> LONG {
        const RegistryNode* target = node.Find(names);
        if (!target)
            return ERROR_FILE_NOT_FOUND;
        std::string_view stored(std::string_view("\0", 1));  // no default value: ""
        if (const RegistryValue* defaultValue = target->FindValue("")) {
            if (defaultValue->type != REG_SZ && defaultValue->type != REG_EXPAND_SZ)
                return ERROR_INVALID_DATA;
            stored = defaultValue->data;
        }
        DWORD size = valueSize ? static_cast<DWORD>(*valueSize) : 0;
        LONG error = CopyData(stored, reinterpret_cast<BYTE*>(value), valueSize ? &size : nullptr);
        if (valueSize)
            *valueSize = static_cast<LONG>(size);
        return error;
    });
}

LONG RegSetValue(HKEY key, const char* subKey, DWORD type, const char* data, DWORD size) {
    // As on the original platform, the size is not used: the string runs to its NUL.
    if (type != REG_SZ || !data)
        return ERROR_INVALID_PARAMETER;
    HKEY target = nullptr;
    if (LONG error = RegCreateKey(key, subKey, &target); error != ERROR_SUCCESS)
        return error;
    LONG error = RegSetValueEx(target, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(data),
                               static_cast<DWORD>(std::strlen(data) + 1));
    RegCloseKey(target);
    return error;
}

LONG RegEnumKey(HKEY key, DWORD index, char* name, DWORD nameSize) {
    return RegEnumKeyEx(key, index, name, &nameSize, nullptr, nullptr, nullptr, nullptr);
}

LONG RegEnumKeyEx(HKEY key, DWORD index, char* name, DWORD* nameSize, DWORD* reserved, char* keyClass,
                  DWORD* classSize, void* lastWriteTime) {
    if (!name || !nameSize)
        return ERROR_INVALID_PARAMETER;
    return ReadKey(key, [&](const RegistryNode& node) -> LONG {
        if (index >= node.Children().size())
            return ERROR_NO_MORE_ITEMS;
        if (LONG error = CopyName(node.Children()[index]->Name(), name, nameSize); error != ERROR_SUCCESS)
            return error;
        // Keys have no class names and no write times here.
        if (keyClass && classSize && *classSize > 0)
            keyClass[0] = '\0';
        if (classSize)
            *classSize = 0;
        if (lastWriteTime)
            std::memset(lastWriteTime, 0, 8);  // a FILETIME
        return ERROR_SUCCESS;
    });
}

LONG RegEnumValue(HKEY key, DWORD index, char* name, DWORD* nameSize, DWORD* reserved, DWORD* type,
                  BYTE* data, DWORD* dataSize) {
    if (!name || !nameSize || (data && !dataSize))
        return ERROR_INVALID_PARAMETER;
    return ReadKey(key, [&](const RegistryNode& node) -> LONG {
        if (index >= node.Values().size())
            return ERROR_NO_MORE_ITEMS;
        const RegistryValue& value = node.Values()[index];
        if (type)
            *type = value.type;
        LONG nameResult = CopyName(value.name, name, nameSize);
        LONG dataResult = CopyData(value.data, data, dataSize);
        return nameResult != ERROR_SUCCESS ? nameResult : dataResult;
    });
}

LONG RegDeleteKey(HKEY key, const char* subKey) {
    if (!subKey)
        return ERROR_INVALID_PARAMETER;
    KeyLocation location;
    if (!Locate(key, location))
        return ERROR_INVALID_HANDLE;
    std::vector<std::string> names;
    if (LONG error = SplitPath(subKey, names); error != ERROR_SUCCESS)
        return error;
    std::vector<std::string> path = Join(location.path, names);
    if (path.empty() || leaf::registry::IsStandardKey(location.hive, path))
        return ERROR_ACCESS_DENIED;
    return HiveStore::Instance().Modify(location.hive, [&](RegistryNode& root, bool& changed) -> LONG {
        if (!root.Find(location.path))
            return ERROR_KEY_DELETED;
        std::vector<std::string> parentPath(path.begin(), path.end() - 1);
        RegistryNode* parent = root.Find(parentPath);
        RegistryNode* target = parent ? parent->FindChild(path.back()) : nullptr;
        if (!target)
            return ERROR_FILE_NOT_FOUND;
        if (!target->Children().empty())
            return ERROR_ACCESS_DENIED;
        parent->RemoveChild(path.back());
        changed = true;
        return ERROR_SUCCESS;
    });
}

LONG RegDeleteValue(HKEY key, const char* valueName) {
    std::string_view name = valueName ? valueName : "";
    return ChangeKey(key, [&](RegistryNode& node, bool& changed) -> LONG {
        changed = node.RemoveValue(name);
        return changed ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    });
}

LONG RegQueryInfoKey(HKEY key, char* keyClass, DWORD* classSize, DWORD* reserved, DWORD* subKeys,
                     DWORD* maxSubKeyLength, DWORD* maxClassLength, DWORD* values,
                     DWORD* maxValueNameLength, DWORD* maxValueLength, DWORD* securityDescriptorSize,
                     void* lastWriteTime) {
    return ReadKey(key, [&](const RegistryNode& node) -> LONG {
        size_t longestKey = 0;
        for (const auto& child : node.Children())
            longestKey = std::max(longestKey, child->Name().size());
        size_t longestName = 0;
        size_t longestData = 0;
        for (const auto& value : node.Values()) {
            longestName = std::max(longestName, value.name.size());
            longestData = std::max(longestData, value.data.size());
        }
        if (keyClass && classSize && *classSize > 0)
            keyClass[0] = '\0';
        if (classSize)
            *classSize = 0;
        if (subKeys)
            *subKeys = static_cast<DWORD>(node.Children().size());
        if (maxSubKeyLength)
            *maxSubKeyLength = static_cast<DWORD>(longestKey);
        if (maxClassLength)
            *maxClassLength = 0;
        if (values)
            *values = static_cast<DWORD>(node.Values().size());
        if (maxValueNameLength)
            *maxValueNameLength = static_cast<DWORD>(longestName);
        if (maxValueLength)
            *maxValueLength = static_cast<DWORD>(longestData);
        if (securityDescriptorSize)
            *securityDescriptorSize = 0;
        if (lastWriteTime)
            std::memset(lastWriteTime, 0, 8);
        return ERROR_SUCCESS;
    });
}
