#include "studio/workspace/SourceListLogic.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "platform/base/LocalTime.h"
#include "platform/base/Path.h"
#include "platform/registry/RegistryKey.h"
#include "platform/ui/shell/CommandLine.h"
#include "studio/workspace/SourceFileInfo.h"

namespace leaf {

namespace {

// The longest cell text the comparison reads.
constexpr int kCompareLength = 149;

std::string Lower(std::string text) {
    for (char& ch : text) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return text;
}

bool IsDigit(char ch) { return ch >= '0' && ch <= '9'; }

int ToInt(const std::string& text) {
    CString trimmed(text);
    trimmed.Trim();
    return std::atoi(trimmed.c_str());
}

// The first run of decimal digits: its start and length (length 0 when none).
void FirstDigitRun(const std::string& text, size_t& start, size_t& length) {
    start = 0;
    length = 0;
    while (start < text.size() && !IsDigit(text[start])) ++start;
    while (start + length < text.size() && IsDigit(text[start + length])) ++length;
}

// Smart sort's text: numbers padded to a common width, then the extension's four
// characters in front, so HTML pages sort first and numbered files numerically.
void PrepareSmart(std::string& a, std::string& b) {
    size_t startA, lengthA, startB, lengthB;
    FirstDigitRun(a, startA, lengthA);
    FirstDigitRun(b, startB, lengthB);
    if (lengthA > 0 && lengthB > 0 && startA + lengthA < a.size() && startB + lengthB < b.size()) {
        if (lengthA < lengthB) a.insert(startA, lengthB - lengthA, '0');
        else if (lengthB < lengthA) b.insert(startB, lengthA - lengthB, '0');
    }
    for (std::string* text : {&a, &b}) {
        size_t dot = text->rfind('.');
        if (dot == std::string::npos) continue;
        std::string extension = text->substr(dot);
        std::string lower = Lower(extension);
        if (lower == ".htm" || lower == ".html") extension = ".000";
        else if (extension.size() > 4) extension.resize(4);
        else extension.append(4 - extension.size(), '_');
        text->replace(dot, std::string::npos, extension);
        text->insert(0, extension);
    }
}

// The date column "mm/dd/yy hh:mm AM" as "yyyy/mm/dd HH:MM", which sorts in time order;
// a text of another shape stays as it is.
std::string SortableDate(const std::string& text) {
    int month, day, year, hour, minute;
    char half[3] = {};
    if (std::sscanf(text.c_str(), "%2d/%2d/%2d %2d:%2d %2s", &month, &day, &year, &hour, &minute, half) != 6)
        return text;
    std::string marker = Lower(half);
    if (hour == 12) hour = 0;
    if (marker == "pm") hour += 12;
    int fullYear = year < 70 ? 2000 + year : 1900 + year;
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d/%02d/%02d %02d:%02d", fullYear, month, day, hour, minute);
    return buffer;
}

}  // namespace

std::vector<ColumnSpec> ParseColumnSpecs(const char* text) {
    std::vector<ColumnSpec> columns;
    std::string all = text ? text : "";
    size_t start = 0;
    while (start <= all.size()) {
        size_t separator = all.find("||", start);
        std::string entry = all.substr(start, separator == std::string::npos ? std::string::npos : separator - start);
        ColumnSpec column;
        size_t last = entry.rfind('|');
        if (last == std::string::npos) {
            column.heading = entry;
        } else {
            size_t before = last == 0 ? std::string::npos : entry.rfind('|', last - 1);
            if (before == std::string::npos) {
                column.heading = entry.substr(0, last);
                column.format = ToInt(entry.substr(last + 1));
            } else {
                column.heading = entry.substr(0, before);
                column.format = ToInt(entry.substr(before + 1, last - before - 1));
                column.width = ToInt(entry.substr(last + 1));
            }
        }
        column.heading.Trim();
        columns.push_back(column);
        if (separator == std::string::npos) break;
        start = separator + 2;
    }
    return columns;
}

CString DisplayPath(const CString& path, const CString& folder) {
    std::string shown = path.str();
    if (!folder.IsEmpty() && path::IsUnderFolder(folder.str(), shown, true)) {
        std::string base = folder.str();
        while (base.size() > 1 && base.back() == '/') base.pop_back();
        shown = shown.size() > base.size() ? shown.substr(base.size()) : std::string();
        if (!shown.empty() && shown.front() == '/') shown.erase(0, 1);
    }
    std::replace(shown.begin(), shown.end(), '\\', '/');
    return CString(shown);
}

CString FormatSizeColumn(unsigned long long bytes) {
    CString text = GroupDigits(KilobytesRoundedUp(bytes));
    text += "KB";
    return text;
}

CString FormatDateColumn(time_t when) { return CString(FormatLocalTime(when, "%m/%d/%y %I:%M %p")); }

int SortColumn(int key) {
    switch (key) {
        case kSortSmart:
        case kSortFileName: return 1;
        case kSortTitle: return 0;
        case kSortSize: return 2;
        case kSortType: return 3;
        case kSortDate: return 4;
        default: return -1;
    }
}

int CompareSourceTexts(const CString& first, const CString& second, int sortValue) {
    int key = SortKey(sortValue);
    std::string a = first.str().substr(0, kCompareLength);
    std::string b = second.str().substr(0, kCompareLength);
    if (SortColumn(key) < 0) a.clear(), b.clear();
    if (key == kSortSmart) {
        PrepareSmart(a, b);
    } else if (key == kSortSize) {
        if (a.size() < b.size()) a.insert(0, b.size() - a.size(), '0');
        else if (b.size() < a.size()) b.insert(0, a.size() - b.size(), '0');
    } else if (key == kSortDate) {
        a = SortableDate(a);
        b = SortableDate(b);
    }
    int result = CompareNoCase(a, b);
    result = result < 0 ? -1 : result > 0 ? 1 : 0;
    return SortDescending(sortValue) ? -result : result;
}

std::vector<int> SmartSortOrder(const std::vector<int>& order, const std::vector<CString>& paths) {
    enum Group {
        front,
        frontMatter,
        chapters,
        appendices,
        chapterNotes,
        chapterEndnotes,
        appendixNotes,
        appendixEndnotes,
        backMatter,
        other,
        groupCount
    };
    auto containsAny = [](const std::string& name, std::initializer_list<const char*> words) {
        for (const char* word : words)
            if (name.find(word) != std::string::npos) return true;
        return false;
    };
    auto classify = [&](const CString& path) -> Group {
        std::string lowerPath = Lower(path.str());
        bool html = lowerPath.size() >= 4 && (lowerPath.ends_with(".htm") || lowerPath.ends_with(".html"));
        if (!html) return other;
        std::string name = Lower(path::FilePart(path::Normalize(path.str())));
        if (containsAny(name, {"home", "title", "start"})) return front;
        if (containsAny(name, {"about", "pref", "content", "toc", "intro", "ack", "auth", "dedic", "epigr", "overv",
                               "fore", "prolog"}))
            return frontMatter;
        if (name.find("ch") != std::string::npos) {
            if (name.find("footnote") != std::string::npos) return chapterNotes;
            if (name.find("endnote") != std::string::npos) return chapterEndnotes;
            return chapters;
        }
        if (name.find("app") != std::string::npos) {
            if (name.find("footnote") != std::string::npos) return appendixNotes;
            if (name.find("endnote") != std::string::npos) return appendixEndnotes;
            return appendices;
        }
        if (containsAny(name, {"index", "gloss", "foot", "end", "epi", "pro"})) return backMatter;
        size_t dot = name.rfind('.');
        if (dot != std::string::npos && dot > 0 && IsDigit(name[dot - 1])) {
            if (name.find("footnote") != std::string::npos) return chapterNotes;
            if (name.find("endnote") != std::string::npos) return chapterEndnotes;
            return chapters;
        }
        return other;
    };
    std::vector<std::vector<int>> groups(groupCount);
    for (int item : order) {
        Group group = item >= 0 && static_cast<size_t>(item) < paths.size() ? classify(paths[item]) : other;
        groups[group].push_back(item);
    }
    std::vector<int> result;
    result.reserve(order.size());
    for (const std::vector<int>& group : groups) result.insert(result.end(), group.begin(), group.end());
    return result;
}

BOOL LoadShellVerbs(const CString& path, std::vector<ShellVerb>& verbs) {
    verbs.clear();
    std::string extension = path::Extension(path.str());
    if (extension.empty()) return FALSE;
    RegistryKey extensionKey = RegistryKey::Open(HKEY_CLASSES_ROOT, extension);
    std::optional<std::string> type = extensionKey.IsOpen() ? extensionKey.ReadString() : std::nullopt;
    if (!type || type->empty()) return FALSE;
    RegistryKey shellKey = RegistryKey::Open(HKEY_CLASSES_ROOT, *type + "\\shell");
    if (!shellKey.IsOpen()) return FALSE;
    std::string defaultVerb = shellKey.ReadString().value_or("");
    for (const std::string& verb : shellKey.SubKeyNames()) {
        RegistryKey verbKey = RegistryKey::Open(shellKey.Handle(), verb);
        RegistryKey commandKey = RegistryKey::Open(shellKey.Handle(), verb + "\\command");
        if (!verbKey.IsOpen() || !commandKey.IsOpen()) continue;
        std::optional<std::string> command = commandKey.ReadString();
        std::optional<std::string> text = verbKey.ReadString();
        if (!command || !text || text->empty()) continue;
        ShellVerb entry{CString(*text), CString(*command)};
        if (verb == defaultVerb) verbs.insert(verbs.begin(), entry);
        else verbs.push_back(entry);
    }
    return TRUE;
}

CString VerbCommandLine(const CString& commandTemplate, const CString& path) {
    std::string line = commandTemplate.str();
    size_t placeholder = line.find("%1");
    if (placeholder == std::string::npos) placeholder = line.find("%I");
    if (placeholder != std::string::npos) return CString(line.replace(placeholder, 2, path.str()));
    return CString(line + " \"" + path.str() + "\"");
}

std::vector<std::string> SplitCommandLine(const CString& commandLine) {
    return ui::CommandLineToArgs(commandLine.str());
}

CString FilterExtensions(const CString& browseFilter) {
    std::string filter = browseFilter.str();
    size_t first = filter.find('|');
    if (first == std::string::npos) return {};
    size_t second = filter.find('|', first + 1);
    std::string patterns = filter.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
    std::string result;
    size_t start = 0;
    while (start <= patterns.size()) {
        size_t semicolon = patterns.find(';', start);
        std::string pattern = patterns.substr(start, semicolon == std::string::npos ? std::string::npos : semicolon - start);
        if (pattern.starts_with("*.") && pattern != "*.*") {
            if (!result.empty()) result += ' ';
            result += pattern.substr(1);
        }
        if (semicolon == std::string::npos) break;
        start = semicolon + 1;
    }
    return CString(result);
}

}  // namespace leaf
