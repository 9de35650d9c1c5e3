#include "sdk/compiler/PageLinkMapper.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <utility>
#include <vector>

#include "common/ContentType.h"
#include "common/StyleSheetUrls.h"
#include "common/WideBuffer.h"
#include "platform/base/Path.h"
#include "platform/base/TextEncoding.h"

namespace {

// Whether a link begins with a URL scheme ("http:", "mailto:") other than "file:".
bool HasWebScheme(const std::string& link) {
    const size_t colon = link.find(':');
    if (colon == std::string::npos || colon == 0 || !std::isalpha(static_cast<unsigned char>(link[0])))
        return false;
    const bool scheme = std::all_of(link.begin(), link.begin() + static_cast<std::ptrdiff_t>(colon), [](char ch) {
        return std::isalnum(static_cast<unsigned char>(ch)) || ch == '+' || ch == '-' || ch == '.';
    });
    return scheme && !leaf::StartsWithNoCase(link, "file:");
}

// The part of path below folder, compared without regard to case as the control places
// items; false when path does not lie below it.
bool Below(const std::string& folder, const std::string& path, std::string& rest) {
    if (folder.empty() || path.size() <= folder.size() + 1 || path[folder.size()] != '/' ||
        !leaf::StartsWithNoCase(path, folder))
        return false;
    rest = path.substr(folder.size() + 1);
    return true;
}

// Whether a work path keeps the source's extension: the file was renamed, not converted.
bool SameExtension(const std::string& source, const std::string& work) {
    return leaf::EqualsNoCase(leaf::path::Extension(source), leaf::path::Extension(work));
}

std::string Quoted(const std::string& value) {
    std::string quoted = "\"";
    for (char ch : value) {
        if (ch == '"' || ch == '\\')
            quoted += '\\';
        quoted += ch;
    }
    return quoted + '"';
}

}  // namespace

CPageLinkMapper::CPageLinkMapper(const WorkPathMap* outsideItems, const WorkPathMap* convertedItems,
                                 std::string sourceFolder, std::string workFolder)
    : m_outsideItems(outsideItems),
      m_convertedItems(convertedItems),
      m_sourceFolder(std::move(sourceFolder)),
      m_workFolder(std::move(workFolder)) {
    while (m_sourceFolder.size() > 1 && m_sourceFolder.back() == '/')
        m_sourceFolder.pop_back();
    while (m_workFolder.size() > 1 && m_workFolder.back() == '/')
        m_workFolder.pop_back();
}

void CPageLinkMapper::SetPage(const std::string& pagePath) {
    m_pageWorkFolder.clear();
    m_pageSourceFolder.clear();
    if (m_sourceFolder.empty() || m_workFolder.empty())
        return;
    const std::string folder = leaf::path::FolderPart(pagePath);
    std::string rest;
    if (leaf::EqualsNoCase(folder, m_workFolder)) {
        m_pageWorkFolder = m_workFolder;
        m_pageSourceFolder = m_sourceFolder;
    } else if (Below(m_workFolder, folder, rest)) {
        m_pageWorkFolder = folder;
        m_pageSourceFolder = m_sourceFolder + "/" + rest;
    }
}

const std::string* CPageLinkMapper::Find(const WorkPathMap* map, const std::string& key) {
    if (map == nullptr)
        return nullptr;
    // The exact name first: two files whose names differ only in case are two items.
    auto found = map->find(key);
    if (found == map->end())
        found = map->find(leaf::ToLowerAscii(key));
    return found == map->end() ? nullptr : &found->second;
}

std::string CPageLinkMapper::FindWorkPath(const std::string& sourcePath, Kind kind) const {
    const auto place = [&](const WorkPathMap* map, const std::string& key) -> std::string {
        if (map == nullptr)
            return {};
        const auto found = map->find(key);
        if (found == map->end() || (kind == Kind::Resource && !SameExtension(key, found->second)))
            return {};
        if (map == m_outsideItems || !leaf::path::IsAbsolute(found->second))
            return leaf::path::Join(m_workFolder, found->second);
        return found->second;
    };
    std::string workPath = place(m_outsideItems, sourcePath);
    if (workPath.empty())
        workPath = place(m_convertedItems, sourcePath);
    // A file of exactly this name keeps its own place: the maps' lower-cased names belong
    // to files spelt otherwise ("a.gif" is not "A.gif", which took the name "A1.gif").
    std::error_code error;
    if (!workPath.empty() || std::filesystem::exists(sourcePath, error))
        return workPath;
    const std::string lower = leaf::ToLowerAscii(sourcePath);
    workPath = place(m_outsideItems, lower);
    return workPath.empty() ? place(m_convertedItems, lower) : workPath;
}

std::string CPageLinkMapper::Map(const std::string& link, Kind kind) const {
    if (link.empty() || link[0] == '#' || HasWebScheme(link))
        return link;
    CString pathPart;
    CString fragment;
    SplitFragment(DecodeUrlEscapes(CString(link)), pathPart, fragment, FALSE);
    std::string path = leaf::path::Normalize(pathPart.str());
    if (leaf::StartsWithNoCase(path, "file:")) {
        // "file:///art/a.gif" names the absolute path "/art/a.gif".
        path.erase(0, 5);
        const size_t slashes = path.find_first_not_of('/');
        path = "/" + (slashes == std::string::npos ? std::string() : path.substr(slashes));
    }
    if (path.empty())
        return link;

    if (m_pageWorkFolder.empty()) {
        // No place for the page: the maps answer for the link as written.
        if (const std::string* copy = Find(m_outsideItems, path))
            return *copy + fragment.str();
        const std::string* page = Find(m_convertedItems, path);
        if (page != nullptr && (kind == Kind::Hyperlink || SameExtension(path, *page)))
            return *page + fragment.str();
        return link;
    }

    const std::string sourcePath =
        leaf::path::IsAbsolute(path) ? leaf::path::LexicallyNormal(path)
                                     : leaf::path::LexicallyNormal(m_pageSourceFolder + "/" + path);
    const std::string workPath = FindWorkPath(sourcePath, kind);
    if (workPath.empty())
        return link;
    const std::string relative = std::filesystem::path(workPath).lexically_relative(m_pageWorkFolder).string();
    return relative.empty() ? link : relative + fragment.str();
}

std::string CPageLinkMapper::MapStyleUrls(const std::string& css) const {
    std::string mapped = css;
    const std::vector<leaf::StyleSheetUrl> urls = leaf::FindStyleSheetUrlSpans(css);
    for (auto url = urls.rbegin(); url != urls.rend(); ++url) {
        const std::string target = Map(url->target, Kind::Resource);
        if (target != url->target)
            mapped.replace(url->begin, url->end - url->begin, Quoted(target + url->fragment));
    }
    return mapped;
}
