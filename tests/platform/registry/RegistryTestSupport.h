#pragma once

#include <string>
#include <vector>

#include "platform/registry/Registry.h"

namespace leaf::test {

// The bytes of a value, or the error of reading it.
struct QueriedValue {
    LONG result = ERROR_SUCCESS;
    DWORD type = REG_NONE;
    std::string data;
};

inline QueriedValue QueryValue(HKEY key, const char* name) {
    QueriedValue value;
    DWORD size = 0;
    value.result = RegQueryValueEx(key, name, nullptr, &value.type, nullptr, &size);
    if (value.result != ERROR_SUCCESS)
        return value;
    value.data.resize(size);
    value.result = RegQueryValueEx(key, name, nullptr, &value.type, reinterpret_cast<BYTE*>(value.data.data()),
                                   &size);
    value.data.resize(size);
    return value;
}

inline LONG SetValue(HKEY key, const char* name, DWORD type, const std::string& data) {
    return RegSetValueEx(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                         static_cast<DWORD>(data.size()));
}

inline LONG SetDword(HKEY key, const char* name, DWORD value) {
    return RegSetValueEx(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

inline std::string Bytes(std::initializer_list<int> bytes) {
    std::string data;
    for (int byte : bytes)
        data.push_back(static_cast<char>(byte));
    return data;
}

}  // namespace leaf::test
