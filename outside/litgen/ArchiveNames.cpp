#include "outside/litgen/ArchiveNames.h"

#include "platform/base/TextEncoding.h"

namespace litgen {

namespace {

bool IsForbidden(char32_t ch) {
    switch (ch) {
    case '"': case '*': case ':': case '<': case '>': case '?': case '\\': case '|': case '#':
        return true;
    default:
        break;
    }
    return ch < 0x20 || (ch >= 0x7F && ch <= 0x9F) || (ch >= 0xE000 && ch <= 0xF8FF) ||
           (ch >= 0xFDD0 && ch <= 0xFDEF) || (ch >= 0xFFF0 && ch <= 0xFFFF) || (ch >= 0xE0000 && ch <= 0xE0FFF) ||
           ch >= 0xF0000 || (ch & 0xFFFE) == 0xFFFE;
}

// Calls `visit(codePoint, bytes)` for each character of UTF-8 text.
template <class Visit>
void ForEachCharacter(std::string_view text, Visit visit) {
    const std::u16string units = leaf::Utf8ToUtf16(text);
    for (size_t at = 0; at < units.size(); ++at) {
        char32_t ch = units[at];
        if (ch >= 0xD800 && ch <= 0xDBFF && at + 1 < units.size() && units[at + 1] >= 0xDC00 && units[at + 1] <= 0xDFFF) {
            ch = 0x10000 + ((ch - 0xD800) << 10) + (units[at + 1] - 0xDC00);
            ++at;
        }
        visit(ch);
    }
}

}  // namespace

bool IsSafeArchiveName(std::string_view path) {
    bool safe = true;
    ForEachCharacter(path, [&](char32_t ch) { safe = safe && !IsForbidden(ch); });
    for (size_t dot = path.find('.'); safe && dot != std::string_view::npos; dot = path.find('.', dot + 1))
        safe = dot + 1 < path.size() && path[dot + 1] != '/';
    return safe;
}

std::string SafeArchiveName(std::string_view path) {
    std::string safe;
    safe.reserve(path.size());
    ForEachCharacter(path, [&](char32_t ch) {
        if (IsForbidden(ch))
            safe += '_';
        else
            leaf::AppendUtf8(safe, ch);
    });
    // The dots that end a folder's or file's name go ("tile.gif." is "tile.gif"); a name of
    // dots only is "_".
    std::string trimmed;
    size_t start = 0;
    while (start <= safe.size()) {
        size_t end = safe.find('/', start);
        if (end == std::string::npos)
            end = safe.size();
        std::string_view part = std::string_view(safe).substr(start, end - start);
        while (!part.empty() && part.back() == '.')
            part.remove_suffix(1);
        if (start > 0)
            trimmed += '/';
        trimmed += part.empty() && end > start ? std::string_view("_") : part;
        start = end + 1;
    }
    return trimmed;
}

std::string NumberedName(std::string_view path, int number) {
    const size_t slash = path.rfind('/');
    const size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
    size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || dot <= nameStart)
        dot = path.size();
    return std::string(path.substr(0, dot)) + "-" + std::to_string(number) + std::string(path.substr(dot));
}

}  // namespace litgen
