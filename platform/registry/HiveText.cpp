#include "platform/registry/HiveText.h"

#include <cstdio>
#include <vector>

#include "platform/base/CString.h"
#include "platform/base/HexDigit.h"
#include "platform/registry/Registry.h"

namespace leaf::registry {
namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kTrailer = "; end of registry hive";

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            // A last line without its line end was cut short.
            lines.push_back(text.substr(start));
            lines.push_back("\x01");  // never parses: marks the file as incomplete
            break;
        }
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

std::string_view TrimLeft(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    return text;
}

std::string_view TrimRight(std::string_view text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// Reads a quoted string with \\ and \" escapes from the front of `text`, leaving the
// rest in `text`.
bool ReadQuoted(std::string_view& text, std::string& result) {
    if (text.empty() || text.front() != '"')
        return false;
    result.clear();
    for (size_t i = 1; i < text.size(); ++i) {
        char ch = text[i];
        if (ch == '"') {
            text.remove_prefix(i + 1);
            return true;
        }
        if (ch == '\\') {
            if (i + 1 >= text.size() || (text[i + 1] != '\\' && text[i + 1] != '"'))
                return false;
            ch = text[++i];
        }
        result.push_back(ch);
    }
    return false;
}

// Parses the comma-separated bytes of hex data, following continuation lines.
bool ReadHexBytes(std::string_view text, const std::vector<std::string_view>& lines, size_t& lineIndex,
                  std::string& bytes) {
    bytes.clear();
    text = TrimRight(text);
    if (text.empty())
        return true;
    for (;;) {
        if (text.size() < 2)
            return false;
        int high = HexDigitValue(text[0]);
        int low = HexDigitValue(text[1]);
        if (high < 0 || low < 0)
            return false;
        bytes.push_back(static_cast<char>(high * 16 + low));
        text.remove_prefix(2);
        if (text.empty())
            return true;
        if (text.front() != ',')
            return false;
        text = TrimLeft(text.substr(1));
        if (text == "\\") {
            if (lineIndex + 1 >= lines.size())
                return false;
            text = TrimRight(TrimLeft(lines[++lineIndex]));
        }
    }
}

bool ParseValueLine(std::string_view line, const std::vector<std::string_view>& lines, size_t& lineIndex,
                    RegistryNode& key) {
    std::string name;
    if (line.front() == '@') {
        line.remove_prefix(1);
    } else if (!ReadQuoted(line, name)) {
        return false;
    }
    if (line.empty() || line.front() != '=')
        return false;
    line.remove_prefix(1);

    DWORD type = REG_SZ;
    std::string data;
    if (!line.empty() && line.front() == '"') {
        if (!ReadQuoted(line, data) || !TrimRight(line).empty())
            return false;
    } else if (line.starts_with("dword:")) {
        line = TrimRight(line.substr(6));
        if (line.size() != 8)
            return false;
        DWORD number = 0;
        for (char ch : line) {
            int digit = HexDigitValue(ch);
            if (digit < 0)
                return false;
            number = number * 16 + static_cast<DWORD>(digit);
        }
        type = REG_DWORD;
        for (int i = 0; i < 4; ++i)
            data.push_back(static_cast<char>((number >> (8 * i)) & 0xFF));
    } else if (line.starts_with("hex:")) {
        type = REG_BINARY;
        if (!ReadHexBytes(line.substr(4), lines, lineIndex, data))
            return false;
    } else if (line.starts_with("hex(")) {
        size_t close = line.find("):");
        if (close == std::string_view::npos || close == 4 || close > 12)
            return false;
        type = 0;
        for (char ch : line.substr(4, close - 4)) {
            int digit = HexDigitValue(ch);
            if (digit < 0)
                return false;
            type = type * 16 + static_cast<DWORD>(digit);
        }
        if (!ReadHexBytes(line.substr(close + 2), lines, lineIndex, data))
            return false;
    } else {
        return false;
    }
    key.SetValue(name, type, NormalizeValueData(type, data));
    return true;
}

RegistryNode* ParseSectionLine(std::string_view line, std::string_view rootName, RegistryNode& root) {
    line = TrimRight(line);
    if (line.size() < 2 || line.back() != ']')
        return nullptr;
    std::string_view path = line.substr(1, line.size() - 2);
    size_t separator = path.find('\\');
    if (!EqualsNoCase(path.substr(0, separator), rootName))
        return nullptr;
    size_t depth = 0;
    for (char ch : path)
        depth += ch == '\\' ? 1 : 0;
    if (depth > kMaxKeyDepth)
        return nullptr;
    RegistryNode* node = &root;
    while (separator != std::string_view::npos) {
        path.remove_prefix(separator + 1);
        separator = path.find('\\');
        std::string_view name = path.substr(0, separator);
        if (name.empty())
            return nullptr;
        node = &node->ChildNamed(name);
    }
    return node;
}

void AppendQuoted(std::string& out, std::string_view text) {
    out.push_back('"');
    for (char ch : text) {
        if (ch == '\\' || ch == '"')
            out.push_back('\\');
        out.push_back(ch);
    }
    out.push_back('"');
}

void AppendHex(std::string& out, std::string_view bytes) {
    static const char digits[] = "0123456789abcdef";
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0)
            out.push_back(',');
        auto byte = static_cast<unsigned char>(bytes[i]);
        out.push_back(digits[byte >> 4]);
        out.push_back(digits[byte & 0xF]);
    }
}

void AppendValue(std::string& out, const RegistryValue& value) {
    if (value.name.empty())
        out.push_back('@');
    else
        AppendQuoted(out, value.name);
    out.push_back('=');
    std::string_view data = value.data;
    if (value.type == REG_SZ && data.find_first_of("\r\n") == std::string_view::npos) {
        AppendQuoted(out, data.substr(0, data.find('\0')));
    } else if (value.type == REG_DWORD && data.size() == 4) {
        DWORD number = 0;
        for (int i = 3; i >= 0; --i)
            number = (number << 8) | static_cast<unsigned char>(data[static_cast<size_t>(i)]);
        char text[16];
        std::snprintf(text, sizeof text, "dword:%08x", number);
        out += text;
    } else if (value.type == REG_BINARY) {
        out += "hex:";
        AppendHex(out, data);
    } else {
        char prefix[24];
        std::snprintf(prefix, sizeof prefix, "hex(%x):", value.type);
        out += prefix;
        AppendHex(out, data);
    }
    out.push_back('\n');
}

void AppendKey(std::string& out, const RegistryNode& node, const std::string& path) {
    out += '[';
    out += path;
    out += "]\n";
    for (const auto& value : node.Values())
        AppendValue(out, value);
    out.push_back('\n');
    for (const auto& child : node.Children())
        AppendKey(out, *child, path + '\\' + child->Name());
}

}  // namespace

std::optional<RegistryNode> ParseHiveText(std::string_view text, std::string_view rootName) {
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    std::vector<std::string_view> lines = SplitLines(text);
    if (lines.empty() || TrimRight(lines[0]) != kHeader)
        return std::nullopt;

    RegistryNode root{std::string(rootName)};
    RegistryNode* current = nullptr;
    bool complete = false;
    for (size_t index = 1; index < lines.size(); ++index) {
        std::string_view line = TrimLeft(lines[index]);
        if (TrimRight(line).empty())
            continue;
        if (complete)
            return std::nullopt;  // nothing may follow the closing line
        if (line.front() == ';') {
            complete = TrimRight(line) == kTrailer;
            continue;
        }
        if (line.front() == '[') {
            current = ParseSectionLine(line, rootName, root);
            if (!current)
                return std::nullopt;
            continue;
        }
        if ((line.front() != '@' && line.front() != '"') || !current)
            return std::nullopt;
        if (!ParseValueLine(line, lines, index, *current))
            return std::nullopt;
    }
    if (!complete)
        return std::nullopt;
    return root;
}

std::string FormatHiveText(const RegistryNode& root, std::string_view rootName) {
    std::string out(kHeader);
    out += "\n\n";
    AppendKey(out, root, std::string(rootName));
    out += kTrailer;
    out.push_back('\n');
    return out;
}

bool IsStorableName(std::string_view name) {
    return name.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

}  // namespace leaf::registry
