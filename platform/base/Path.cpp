#include "platform/base/Path.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <vector>

#include "platform/base/CString.h"

namespace leaf::path {

namespace {

bool Exists(const std::string& path) {
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}

bool IsFolder(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::vector<std::string_view> SplitComponents(std::string_view path) {
    std::vector<std::string_view> components;
    size_t start = 0;
    while (start <= path.size()) {
        size_t slash = path.find('/', start);
        if (slash == std::string_view::npos)
            slash = path.size();
        if (slash > start)
            components.push_back(path.substr(start, slash - start));
        start = slash + 1;
    }
    return components;
}

// The entry of folder whose name equals name without regard to ASCII case; the first
// in sorted order when several do.
std::optional<std::string> FindNoCase(const std::string& folder, std::string_view name) {
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return std::nullopt;
    std::optional<std::string> best;
    while (const dirent* entry = readdir(dir)) {
        std::string_view candidate = entry->d_name;
        if (EqualsNoCase(candidate, name) && (!best || candidate < *best))
            best = std::string(candidate);
    }
    closedir(dir);
    return best;
}

}  // namespace

std::string Normalize(std::string_view path) {
    std::string result(path);
    std::replace(result.begin(), result.end(), '\\', '/');
    return result;
}

std::string Join(std::string_view folder, std::string_view name) {
    if (folder.empty() || IsAbsolute(name))
        return std::string(name);
    if (name.empty())
        return std::string(folder);
    std::string result(folder);
    if (result.back() != '/')
        result += '/';
    return result + std::string(name);
}

std::string FolderPart(std::string_view path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string_view::npos)
        return {};
    if (slash == 0)
        return "/";
    return std::string(path.substr(0, slash));
}

std::string FilePart(std::string_view path) {
    const size_t slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string Extension(std::string_view path) {
    const std::string file = FilePart(path);
    const size_t dot = file.rfind('.');
    return dot == std::string::npos ? std::string() : file.substr(dot);
}

bool IsAbsolute(std::string_view path) {
    return !path.empty() && path.front() == '/';
}

bool IsUnderFolder(std::string_view folder, std::string_view path, bool ignoreCase) {
    while (folder.size() > 1 && folder.back() == '/')
        folder.remove_suffix(1);
    if (folder.empty() || path.size() < folder.size())
        return false;
    const std::string_view head = path.substr(0, folder.size());
    if (ignoreCase ? !EqualsNoCase(head, folder) : head != folder)
        return false;
    if (folder == "/")
        return true;
    return path.size() == folder.size() || path[folder.size()] == '/';
}

std::optional<std::string> Resolve(std::string_view path) {
    if (path.empty())
        return std::nullopt;
    const std::string exact(path);
    if (Exists(exact))
        return exact;

    // Walk the components, keeping each one that exists as written and matching the
    // others without regard to case.
    std::string resolved = IsAbsolute(path) ? "/" : "";
    const std::vector<std::string_view> components = SplitComponents(path);
    for (size_t i = 0; i < components.size(); ++i) {
        const std::string_view component = components[i];
        const std::string parent = resolved.empty() ? "." : resolved;
        std::string next = Join(resolved, component);
        if (component != "." && component != ".." && !Exists(next)) {
            std::optional<std::string> match = FindNoCase(parent, component);
            if (!match)
                return std::nullopt;
            next = Join(resolved, *match);
        }
        // Every component but the last must be a folder to look into.
        if (i + 1 < components.size() && !IsFolder(next))
            return std::nullopt;
        resolved = std::move(next);
    }
    if (!path.empty() && path.back() == '/' && resolved.back() != '/')
        resolved += '/';
    return Exists(resolved) ? std::optional<std::string>(resolved) : std::nullopt;
}

std::string CaseKey(std::string_view path) {
    if (IsAbsolute(path)) {
        if (std::optional<std::string> onDisk = Resolve(path))
            return *onDisk;
    }
    return ToLowerAscii(std::string(path));
}

std::string LexicallyNormal(std::string_view path) {
    const bool absolute = IsAbsolute(path);
    const bool trailingSlash = path.size() > 1 && path.back() == '/';
    std::vector<std::string_view> kept;
    for (std::string_view component : SplitComponents(path)) {
        if (component == ".")
            continue;
        if (component == "..") {
            if (!kept.empty() && kept.back() != "..")
                kept.pop_back();
            else if (!absolute)
                kept.push_back(component);  // a relative path may climb above its start
            continue;
        }
        kept.push_back(component);
    }
    std::string result = absolute ? "/" : "";
    for (size_t i = 0; i < kept.size(); ++i) {
        if (i > 0)
            result += '/';
        result += kept[i];
    }
    if (result.empty())
        return ".";
    if (trailingSlash && result.back() != '/')
        result += '/';
    return result;
}

}  // namespace leaf::path
