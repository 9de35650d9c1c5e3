#pragma once

// Version blocks of modules, readable from the module file without loading it.
//
// A module declares its block once, in one source file:
//
//   LEAF_VERSION_BLOCK(
//       LEAF_VERSION_ENTRY("CompanyName", "Tallbrook Systems, Inc.")
//       LEAF_VERSION_ENTRY("FileVersion", "2, 0, 2, 0215")
//       LEAF_VERSION_ENTRY("OLESelfRegister", ""))
//
// The block is a byte string in the ELF section ".leafversion": the magic
// "LEAFVERSION1" and a NUL, then key NUL value NUL pairs, ended by an empty key.
// Keys and values are UTF-8. GetFileVersionInfo finds the section through the file's
// section headers; every offset and size read from the file is checked, so a truncated
// or damaged file gives "no version information", never a crash.
//
// The Win32-shaped calls (GetFileVersionInfoSize, GetFileVersionInfo, VerQueryValue)
// work on a copy of the block: VerQueryValue answers "\StringFileInfo\040904B0\<Key>"
// (any language block name is accepted), "\" (a VS_FIXEDFILEINFO made from the
// "FileVersion" and "ProductVersion" strings) and "\VarFileInfo\Translation".

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/base/Types.h"

#define LEAF_VERSION_SECTION ".leafversion"
#define LEAF_VERSION_MAGIC "LEAFVERSION1"
#define LEAF_VERSION_ENTRY(key, value) key "\0" value "\0"
#define LEAF_VERSION_BLOCK(entries)                                                         \
    extern "C" __attribute__((section(LEAF_VERSION_SECTION), used, aligned(1)))             \
    const char leafModuleVersionBlock[] = LEAF_VERSION_MAGIC "\0" entries;

namespace leaf {

class VersionInfo {
public:
    using Entry = std::pair<std::string, std::string>;

    VersionInfo() = default;
    explicit VersionInfo(std::vector<Entry> entries) : m_entries(std::move(entries)) {}

    // Parses a block (the section's bytes); nullopt when it is not a well-formed block.
    static std::optional<VersionInfo> Parse(std::span<const std::uint8_t> block);

    const std::vector<Entry>& Entries() const { return m_entries; }
    // The value of a key (ASCII letters compare without regard to case).
    std::optional<std::string> Query(std::string_view key) const;

private:
    std::vector<Entry> m_entries;
};

// The bytes of the version section of an ELF64 little-endian file image; nullopt when
// the image is not such a file or has no such section.
std::optional<std::span<const std::uint8_t>> FindVersionSection(std::span<const std::uint8_t> image);

// The version information of a module file; nullopt when it cannot be read or has none.
std::optional<VersionInfo> ReadFileVersionInfo(const std::string& path);

}  // namespace leaf

struct VS_FIXEDFILEINFO {
    DWORD dwSignature;  // 0xFEEF04BD
    DWORD dwStrucVersion;
    DWORD dwFileVersionMS;
    DWORD dwFileVersionLS;
    DWORD dwProductVersionMS;
    DWORD dwProductVersionLS;
    DWORD dwFileFlagsMask;
    DWORD dwFileFlags;
    DWORD dwFileOS;
    DWORD dwFileType;
    DWORD dwFileSubtype;
    DWORD dwFileDateMS;
    DWORD dwFileDateLS;
};

// The size of the buffer GetFileVersionInfo needs; 0 when the file has no version
// information. `handle` is set to 0.
DWORD GetFileVersionInfoSize(const char* path, DWORD* handle);
BOOL GetFileVersionInfo(const char* path, DWORD handle, DWORD length, void* data);
// Points *value into the block; *length is the value's size in bytes (a string's
// including its NUL). FALSE when the block has no such entry.
BOOL VerQueryValue(const void* block, const char* subBlock, void** value, UINT* length);
