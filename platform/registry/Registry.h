#pragma once

// The system registry: a tree of keys holding typed values, one tree (hive) per
// predefined root, with the platform's function-call interface. Strings are UTF-8;
// key paths use '\' between key names. Key and value names compare without regard
// to ASCII case and keep the case they were created with.
//
// Each hive is stored as a text file in the registry export syntax: HKEY_CURRENT_USER in
// the user's folder ($LEAF_REGISTRY, else $XDG_CONFIG_HOME/leafcraft/registry, else
// ~/.config/leafcraft/registry), the machine-wide hives in the same folder unless the
// running program lies in a tree with a registry of its own (see HiveStore.h). Every
// call sees what other processes have committed; writes are atomic and serialised
// between processes by a lock file beside the hive.
//
// Sizes are in bytes. String data is stored and returned with its terminating NUL,
// which the sizes count. A null data pointer asks for the size only; a buffer that is
// too small gives ERROR_MORE_DATA with the size needed.

#include "platform/base/Types.h"
#include "platform/registry/WinError.h"

struct RegistryKey__;
using HKEY = RegistryKey__*;
using PHKEY = HKEY*;
using REGSAM = DWORD;

// The predefined roots. HKEY_CLASSES_ROOT is a view of HKEY_LOCAL_MACHINE\Software\Classes.
inline HKEY const HKEY_CLASSES_ROOT = reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000000u));
inline HKEY const HKEY_CURRENT_USER = reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000001u));
inline HKEY const HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000002u));
inline HKEY const HKEY_USERS = reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000003u));

// Value types.
inline constexpr DWORD REG_NONE = 0;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_EXPAND_SZ = 2;
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;
inline constexpr DWORD REG_MULTI_SZ = 7;

// Access rights: accepted for the calls' shape; access is not enforced.
inline constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
inline constexpr REGSAM KEY_SET_VALUE = 0x0002;
inline constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
inline constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
inline constexpr REGSAM KEY_NOTIFY = 0x0010;
inline constexpr REGSAM KEY_READ = 0x20019;
inline constexpr REGSAM KEY_WRITE = 0x20006;
inline constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

inline constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
inline constexpr DWORD REG_CREATED_NEW_KEY = 1;
inline constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// Opens an existing key below `key` (a null or empty sub-key opens `key` itself again).
LONG RegOpenKeyEx(HKEY key, const char* subKey, DWORD options, REGSAM access, HKEY* result);
LONG RegOpenKey(HKEY key, const char* subKey, HKEY* result);

// Opens a key, creating it and every missing key on its path.
LONG RegCreateKeyEx(HKEY key, const char* subKey, DWORD reserved, char* keyClass, DWORD options,
                    REGSAM access, void* security, HKEY* result, DWORD* disposition);
LONG RegCreateKey(HKEY key, const char* subKey, HKEY* result);

LONG RegCloseKey(HKEY key);

// A null or empty value name means the key's default value.
LONG RegQueryValueEx(HKEY key, const char* valueName, DWORD* reserved, DWORD* type, BYTE* data,
                     DWORD* dataSize);
LONG RegSetValueEx(HKEY key, const char* valueName, DWORD reserved, DWORD type, const BYTE* data,
                   DWORD dataSize);

// The default value (REG_SZ) of a sub-key of `key` (of `key` itself when subKey is null
// or empty). RegSetValue creates the sub-key when missing; RegQueryValue of a key
// without a default value gives the empty string.
LONG RegQueryValue(HKEY key, const char* subKey, char* value, LONG* valueSize);
LONG RegSetValue(HKEY key, const char* subKey, DWORD type, const char* data, DWORD size);

// Enumeration by index, in the order of creation. Name sizes are in bytes: on input
// the buffer's size, on output the name's length without its NUL.
LONG RegEnumKey(HKEY key, DWORD index, char* name, DWORD nameSize);
LONG RegEnumKeyEx(HKEY key, DWORD index, char* name, DWORD* nameSize, DWORD* reserved, char* keyClass,
                  DWORD* classSize, void* lastWriteTime);
LONG RegEnumValue(HKEY key, DWORD index, char* name, DWORD* nameSize, DWORD* reserved, DWORD* type,
                  BYTE* data, DWORD* dataSize);

// Deletes a key that has no sub-keys (ERROR_ACCESS_DENIED when it has some).
LONG RegDeleteKey(HKEY key, const char* subKey);
LONG RegDeleteValue(HKEY key, const char* valueName);

// Counts and maximum lengths (names without their NUL, data in bytes). Any out
// parameter may be null.
LONG RegQueryInfoKey(HKEY key, char* keyClass, DWORD* classSize, DWORD* reserved, DWORD* subKeys,
                     DWORD* maxSubKeyLength, DWORD* maxClassLength, DWORD* values,
                     DWORD* maxValueNameLength, DWORD* maxValueLength, DWORD* securityDescriptorSize,
                     void* lastWriteTime);
