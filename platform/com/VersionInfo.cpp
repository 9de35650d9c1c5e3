#include "platform/com/VersionInfo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <functional>

namespace leaf {

namespace {

constexpr std::string_view kMagic(LEAF_VERSION_MAGIC "\0", sizeof(LEAF_VERSION_MAGIC));
constexpr std::string_view kSectionName(LEAF_VERSION_SECTION "\0", sizeof(LEAF_VERSION_SECTION));
// A version block is a few hundred bytes; anything much larger is not one of ours.
constexpr std::uint64_t kMaxBlockSize = 1 << 20;
constexpr std::uint64_t kElfHeaderSize = 64;
constexpr std::uint64_t kSectionHeaderSize = 64;
constexpr std::uint32_t kSectionNoBits = 8;

// Reads `size` bytes at `offset`; false when they are not all there.
using ReadAt = std::function<bool(std::uint64_t offset, std::size_t size, std::uint8_t* out)>;

std::uint64_t Little(const std::uint8_t* bytes, int count) {
    std::uint64_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = (value << 8) | bytes[i];
    return value;
}

bool InRange(std::uint64_t offset, std::uint64_t size, std::uint64_t total) {
    return offset <= total && size <= total - offset;
}

struct SectionHeader {
    std::uint32_t name;
    std::uint32_t type;
    std::uint64_t offset;
    std::uint64_t size;
    std::uint32_t link;
};

bool ReadSectionHeader(const ReadAt& read, std::uint64_t fileSize, std::uint64_t tableOffset,
                       std::uint64_t entrySize, std::uint64_t index, SectionHeader& header) {
    if (index > (fileSize / entrySize))
        return false;
    std::uint64_t at = tableOffset + index * entrySize;
    if (at < tableOffset || !InRange(at, kSectionHeaderSize, fileSize))
        return false;
    std::uint8_t bytes[kSectionHeaderSize];
    if (!read(at, sizeof bytes, bytes))
        return false;
    header.name = static_cast<std::uint32_t>(Little(bytes + 0, 4));
    header.type = static_cast<std::uint32_t>(Little(bytes + 4, 4));
    header.offset = Little(bytes + 24, 8);
    header.size = Little(bytes + 32, 8);
    header.link = static_cast<std::uint32_t>(Little(bytes + 40, 4));
    return true;
}

// The offset and size of the version section, every number checked against the file.
std::optional<std::pair<std::uint64_t, std::uint64_t>> LocateVersionSection(const ReadAt& read,
                                                                             std::uint64_t fileSize) {
    if (fileSize < kElfHeaderSize)
        return std::nullopt;
    std::uint8_t elf[kElfHeaderSize];
    if (!read(0, sizeof elf, elf))
        return std::nullopt;
    if (std::memcmp(elf, "\x7F" "ELF", 4) != 0 || elf[4] != 2 /* 64-bit */ || elf[5] != 1 /* little-endian */)
        return std::nullopt;
    std::uint64_t tableOffset = Little(elf + 0x28, 8);
    std::uint64_t entrySize = Little(elf + 0x3A, 2);
    std::uint64_t count = Little(elf + 0x3C, 2);
    std::uint64_t namesIndex = Little(elf + 0x3E, 2);
    if (tableOffset == 0 || entrySize < kSectionHeaderSize)
        return std::nullopt;
    SectionHeader first{};
    if (!ReadSectionHeader(read, fileSize, tableOffset, entrySize, 0, first))
        return std::nullopt;
    if (count == 0)  // more sections than the header's field holds: the count is in section 0
        count = first.size;
    if (namesIndex == 0xFFFF)
        namesIndex = first.link;
    count = std::min<std::uint64_t>(count, (fileSize - std::min(fileSize, tableOffset)) / entrySize);
    if (namesIndex >= count)
        return std::nullopt;
    SectionHeader names{};
    if (!ReadSectionHeader(read, fileSize, tableOffset, entrySize, namesIndex, names) || names.type == kSectionNoBits ||
        !InRange(names.offset, names.size, fileSize))
        return std::nullopt;
    for (std::uint64_t i = 1; i < count; ++i) {
        SectionHeader section{};
        if (!ReadSectionHeader(read, fileSize, tableOffset, entrySize, i, section))
            return std::nullopt;
        if (section.name >= names.size || names.size - section.name < kSectionName.size())
            continue;
        char name[kSectionName.size()];
        if (!read(names.offset + section.name, sizeof name, reinterpret_cast<std::uint8_t*>(name)))
            return std::nullopt;
        if (std::string_view(name, sizeof name) != kSectionName)
            continue;
        if (section.type == kSectionNoBits || section.size > kMaxBlockSize ||
            !InRange(section.offset, section.size, fileSize))
            return std::nullopt;
        return std::make_pair(section.offset, section.size);
    }
    return std::nullopt;
}

char FoldAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool KeysEqual(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (FoldAscii(a[i]) != FoldAscii(b[i]))
            return false;
    return true;
}

}  // namespace

std::optional<VersionInfo> VersionInfo::Parse(std::span<const std::uint8_t> block) {
    std::string_view text(reinterpret_cast<const char*>(block.data()), block.size());
    if (text.substr(0, kMagic.size()) != kMagic)
        return std::nullopt;
    text.remove_prefix(kMagic.size());
    auto next = [&](std::string& out) {
        std::size_t end = text.find('\0');
        if (end == std::string_view::npos)
            return false;
        out.assign(text.substr(0, end));
        text.remove_prefix(end + 1);
        return true;
    };
    std::vector<Entry> entries;
    while (!text.empty()) {
        std::string key, value;
        if (!next(key))
            return std::nullopt;
        if (key.empty())
            break;
        if (!next(value))
            return std::nullopt;
        entries.emplace_back(std::move(key), std::move(value));
    }
    return VersionInfo(std::move(entries));
}

std::optional<std::string> VersionInfo::Query(std::string_view key) const {
    for (const Entry& entry : m_entries)
        if (KeysEqual(entry.first, key))
            return entry.second;
    return std::nullopt;
}

std::optional<std::span<const std::uint8_t>> FindVersionSection(std::span<const std::uint8_t> image) {
    ReadAt read = [&](std::uint64_t offset, std::size_t size, std::uint8_t* out) {
        if (!InRange(offset, size, image.size()))
            return false;
        std::memcpy(out, image.data() + offset, size);
        return true;
    };
    auto location = LocateVersionSection(read, image.size());
    if (!location)
        return std::nullopt;
    return image.subspan(location->first, location->second);
}

std::optional<VersionInfo> ReadFileVersionInfo(const std::string& path) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::optional<VersionInfo> result;
    struct stat info {};
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        std::uint64_t fileSize = static_cast<std::uint64_t>(info.st_size);
        ReadAt read = [&](std::uint64_t offset, std::size_t size, std::uint8_t* out) {
            if (!InRange(offset, size, fileSize))
                return false;
            std::size_t done = 0;
            while (done < size) {
                ssize_t got = pread(fd, out + done, size - done, static_cast<off_t>(offset + done));
                if (got <= 0)
                    return false;
                done += static_cast<std::size_t>(got);
            }
            return true;
        };
        if (auto location = LocateVersionSection(read, fileSize)) {
            std::vector<std::uint8_t> block(location->second);
            if (read(location->first, block.size(), block.data()))
                result = VersionInfo::Parse(block);
        }
    }
    close(fd);
    return result;
}

}  // namespace leaf

namespace {

// The buffer of GetFileVersionInfo: a header, the fixed information, the translation,
// then the entries as key NUL value NUL pairs ended by an empty key.
struct BlockHeader {
    std::uint32_t totalSize;
    std::uint32_t signature;
    VS_FIXEDFILEINFO fixed;
    std::uint32_t translation;
};
constexpr std::uint32_t kBlockSignature = 0x4C564942;  // "LVIB"
constexpr DWORD kFixedSignature = 0xFEEF04BD;

bool KeysEqualIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] - 'A' + 'a') : a[i];
        char y = b[i] >= 'A' && b[i] <= 'Z' ? static_cast<char>(b[i] - 'A' + 'a') : b[i];
        if (x != y)
            return false;
    }
    return true;
}

// "2, 0, 2, 0215" or "2.0.2.215" as two 32-bit words.
void ParseVersionNumbers(const std::string& text, DWORD& high, DWORD& low) {
    unsigned parts[4] = {0, 0, 0, 0};
    int index = 0;
    bool inNumber = false;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            if (index < 4)
                parts[index] = (parts[index] * 10 + static_cast<unsigned>(c - '0')) & 0xFFFF;
            inNumber = true;
        } else if (inNumber) {
            ++index;
            inNumber = false;
        }
    }
    high = (parts[0] << 16) | parts[1];
    low = (parts[2] << 16) | parts[3];
}

std::vector<std::uint8_t> BuildBlock(const leaf::VersionInfo& info) {
    BlockHeader header{};
    header.signature = kBlockSignature;
    header.fixed.dwSignature = kFixedSignature;
    header.fixed.dwStrucVersion = 0x00010000;
    ParseVersionNumbers(info.Query("FileVersion").value_or(""), header.fixed.dwFileVersionMS,
                        header.fixed.dwFileVersionLS);
    ParseVersionNumbers(info.Query("ProductVersion").value_or(""), header.fixed.dwProductVersionMS,
                        header.fixed.dwProductVersionLS);
    header.translation = 0x04B00409;  // US English, Unicode
    std::string entries;
    for (const auto& [key, value] : info.Entries()) {
        entries.append(key).push_back('\0');
        entries.append(value).push_back('\0');
    }
    entries.push_back('\0');
    header.totalSize = static_cast<std::uint32_t>(sizeof header + entries.size());
    std::vector<std::uint8_t> block(header.totalSize);
    std::memcpy(block.data(), &header, sizeof header);
    std::memcpy(block.data() + sizeof header, entries.data(), entries.size());
    return block;
}

}  // namespace

DWORD GetFileVersionInfoSize(const char* path, DWORD* handle) {
    if (handle != nullptr)
        *handle = 0;
    if (path == nullptr)
        return 0;
    std::optional<leaf::VersionInfo> info = leaf::ReadFileVersionInfo(path);
    return info ? static_cast<DWORD>(BuildBlock(*info).size()) : 0;
}

BOOL GetFileVersionInfo(const char* path, DWORD, DWORD length, void* data) {
    if (path == nullptr || data == nullptr)
        return FALSE;
    std::optional<leaf::VersionInfo> info = leaf::ReadFileVersionInfo(path);
    if (!info)
        return FALSE;
    std::vector<std::uint8_t> block = BuildBlock(*info);
    if (length < block.size())
        return FALSE;
    std::memcpy(data, block.data(), block.size());
    return TRUE;
}

BOOL VerQueryValue(const void* block, const char* subBlock, void** value, UINT* length) {
    if (block == nullptr || subBlock == nullptr || value == nullptr)
        return FALSE;
    *value = nullptr;
    if (length != nullptr)
        *length = 0;
    const auto* bytes = static_cast<const std::uint8_t*>(block);
    BlockHeader header;
    std::memcpy(&header, bytes, sizeof header);
    if (header.signature != kBlockSignature || header.totalSize < sizeof header)
        return FALSE;
    std::string_view path(subBlock);
    auto* base = const_cast<std::uint8_t*>(bytes);
    if (path == "\\" || path.empty()) {
        *value = base + offsetof(BlockHeader, fixed);
        if (length != nullptr)
            *length = sizeof(VS_FIXEDFILEINFO);
        return TRUE;
    }
    if (KeysEqualIgnoringCase(path, "\\VarFileInfo\\Translation")) {
        *value = base + offsetof(BlockHeader, translation);
        if (length != nullptr)
            *length = sizeof header.translation;
        return TRUE;
    }
    constexpr std::string_view prefix = "\\StringFileInfo\\";
    if (path.size() <= prefix.size() || !KeysEqualIgnoringCase(path.substr(0, prefix.size()), prefix))
        return FALSE;
    std::string_view rest = path.substr(prefix.size());
    std::size_t slash = rest.find('\\');
    if (slash == std::string_view::npos)
        return FALSE;
    std::string_view key = rest.substr(slash + 1);
    // Walk the entries inside the block's recorded size.
    const char* at = reinterpret_cast<const char*>(bytes + sizeof header);
    const char* end = reinterpret_cast<const char*>(bytes + header.totalSize);
    while (at < end) {
        const char* keyEnd = static_cast<const char*>(std::memchr(at, 0, static_cast<std::size_t>(end - at)));
        if (keyEnd == nullptr || keyEnd == at)
            return FALSE;
        const char* valueStart = keyEnd + 1;
        if (valueStart >= end)
            return FALSE;
        const char* valueEnd =
            static_cast<const char*>(std::memchr(valueStart, 0, static_cast<std::size_t>(end - valueStart)));
        if (valueEnd == nullptr)
            return FALSE;
        if (KeysEqualIgnoringCase(std::string_view(at, static_cast<std::size_t>(keyEnd - at)), key)) {
            *value = const_cast<char*>(valueStart);
            if (length != nullptr)
                *length = static_cast<UINT>(valueEnd - valueStart + 1);
            return TRUE;
        }
        at = valueEnd + 1;
    }
    return FALSE;
}
