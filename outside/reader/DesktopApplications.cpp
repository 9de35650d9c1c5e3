#include "outside/reader/DesktopApplications.h"

#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "outside/reader/ChildProcess.h"

namespace reader {

namespace {

bool IsFile(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string Trimmed(const std::string& text) {
    std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return std::string();
    std::size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

std::vector<std::string> SplitList(const std::string& list) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(':', start);
        if (end == std::string::npos)
            end = list.size();
        if (end > start)
            parts.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

// The folders that hold desktop entries, most important first.
std::vector<std::string> ApplicationFolders() {
    std::vector<std::string> folders;
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    if (dataHome != nullptr && *dataHome == '/')
        folders.push_back(std::string(dataHome) + "/applications");
    else if (home != nullptr && *home != '\0')
        folders.push_back(std::string(home) + "/.local/share/applications");
    const char* dataDirs = std::getenv("XDG_DATA_DIRS");
    std::string dirs = dataDirs != nullptr && *dataDirs != '\0' ? dataDirs : "/usr/local/share:/usr/share";
    for (const std::string& folder : SplitList(dirs))
        if (folder.front() == '/')
            folders.push_back(folder + "/applications");
    return folders;
}

// The field codes that stand for files or URLs, or for data of the entry itself.
bool IsFieldCode(char code) {
    switch (code) {
    case 'f': case 'F': case 'u': case 'U': case 'd': case 'D': case 'n': case 'N':
    case 'i': case 'c': case 'k': case 'v': case 'm':
        return true;
    default:
        return false;
    }
}

// One argument with its field codes left out; "%%" becomes "%". A lone '%' at the end
// or before an unknown letter is kept as written.
std::string WithoutFieldCodes(const std::string& argument) {
    std::string result;
    for (std::size_t i = 0; i < argument.size(); ++i) {
        if (argument[i] == '%' && i + 1 < argument.size()) {
            if (argument[i + 1] == '%') {
                result += '%';
                ++i;
                continue;
            }
            if (IsFieldCode(argument[i + 1])) {
                ++i;
                continue;
            }
        }
        result += argument[i];
    }
    return result;
}

// Undoes the escapes of a desktop entry's string values (\s, \n, \t, \r and \\); the
// quoting of the command line is read afterwards.
std::string UnescapeValue(const std::string& value) {
    std::string result;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            result += value[i];
            continue;
        }
        switch (value[++i]) {
        case 's': result += ' '; break;
        case 'n': result += '\n'; break;
        case 't': result += '\t'; break;
        case 'r': result += '\r'; break;
        case '\\': result += '\\'; break;
        default: result += '\\'; result += value[i];
        }
    }
    return result;
}

}  // namespace

std::string DefaultApplicationFor(const std::string& mediaType) {
    std::string answer;
    if (RunAndWait({"xdg-mime", "query", "default", mediaType}, &answer) != 0)
        return std::string();
    // The first line names the entry; anything that is no desktop file id counts as none.
    std::string id = Trimmed(answer.substr(0, answer.find('\n')));
    const std::string suffix = ".desktop";
    if (id.size() <= suffix.size() || id.compare(id.size() - suffix.size(), suffix.size(), suffix) != 0 ||
        id.find('/') != std::string::npos)
        return std::string();
    return id;
}

std::string FindDesktopEntry(const std::string& desktopId) {
    if (desktopId.empty() || desktopId.find('/') != std::string::npos || desktopId.front() == '.')
        return std::string();
    for (const std::string& folder : ApplicationFolders()) {
        std::string direct = folder + "/" + desktopId;
        if (IsFile(direct))
            return direct;
        // "a-b-c.desktop" may also lie at "a/b-c.desktop", "a-b/c.desktop" or "a/b/c.desktop":
        // each '-' of the id may stand for a sub-folder (ids with very many are not split).
        std::vector<std::size_t> dashes;
        for (std::size_t dash = desktopId.find('-'); dash != std::string::npos; dash = desktopId.find('-', dash + 1))
            dashes.push_back(dash);
        if (dashes.size() > 12)
            continue;
        for (unsigned mask = 1; mask < (1u << dashes.size()); ++mask) {
            std::string nested = desktopId;
            for (std::size_t bit = 0; bit < dashes.size(); ++bit)
                if ((mask & (1u << bit)) != 0)
                    nested[dashes[bit]] = '/';
            std::string candidate = folder + "/" + nested;
            if (IsFile(candidate))
                return candidate;
        }
    }
    return std::string();
}

std::vector<std::string> SplitExecValue(const std::string& value) {
    std::vector<std::string> arguments;
    std::string current;
    bool inArgument = false;
    bool quoted = false;
    for (std::size_t i = 0; i < value.size(); ++i) {
        char ch = value[i];
        if (quoted) {
            if (ch == '"') {
                quoted = false;
            } else if (ch == '\\' && i + 1 < value.size() &&
                       (value[i + 1] == '"' || value[i + 1] == '`' || value[i + 1] == '$' || value[i + 1] == '\\')) {
                current += value[++i];
            } else {
                current += ch;
            }
        } else if (ch == ' ' || ch == '\t') {
            if (inArgument)
                arguments.push_back(WithoutFieldCodes(current));
            current.clear();
            inArgument = false;
        } else if (ch == '"') {
            quoted = true;
            inArgument = true;
        } else {
            current += ch;
            inArgument = true;
        }
    }
    if (inArgument)
        arguments.push_back(WithoutFieldCodes(current));
    // A field code that stood alone leaves an empty argument: it goes.
    std::vector<std::string> command;
    for (std::string& argument : arguments)
        if (!argument.empty())
            command.push_back(std::move(argument));
    return command;
}

std::vector<std::string> LaunchCommandFromEntry(const std::string& entryText) {
    bool inMainGroup = false;
    std::size_t start = 0;
    while (start < entryText.size()) {
        std::size_t end = entryText.find('\n', start);
        if (end == std::string::npos)
            end = entryText.size();
        std::string line = entryText.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty() && line.front() == '[') {
            inMainGroup = line == "[Desktop Entry]";
            continue;
        }
        std::size_t equals = line.find('=');
        if (!inMainGroup || equals == std::string::npos || Trimmed(line.substr(0, equals)) != "Exec")
            continue;
        return SplitExecValue(UnescapeValue(Trimmed(line.substr(equals + 1))));
    }
    return {};
}

std::vector<std::string> ReadLaunchCommand(const std::string& entryPath) {
    std::ifstream entry(entryPath, std::ios::binary);
    if (!entry)
        return {};
    std::string text((std::istreambuf_iterator<char>(entry)), std::istreambuf_iterator<char>());
    return LaunchCommandFromEntry(text);
}

}  // namespace reader
