#include "sdk/compiler/PageLinkMapper.h"

#include <filesystem>
#include <utility>
#include <vector>

#include "common/ContentType.h"
#include "common/LinkEscape.h"
#include "common/StyleSheetUrls.h"
#include "common/WideBuffer.h"
#include "platform/base/Path.h"
#include "platform/base/TextEncoding.h"

namespace {

// Whether a link begins with a URL scheme ("http:", "mailto:") other than "file:".
bool HasWebScheme(const std::string& link) {
    return leaf::HasUrlScheme(link) && !leaf::StartsWithNoCase(link, "file:");
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

void CPageLinkMapper::SetPage(const std::string& pagePath, const std::string& sourcePath) {
    m_pageWorkFolder = leaf::path::FolderPart(pagePath);
    m_pageSourceFolder = leaf::path::FolderPart(sourcePath);
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
    // A file of exactly this name keeps its own place ("a.gif" is not "A.gif", which took
    // the name "A1.gif").
    std::error_code error;
    if (!workPath.empty() || std::filesystem::exists(sourcePath, error))
        return workPath;
    // Else the file that the name matches without regard to case, as the link walk found
    // it, and for a name that matches none the maps' lower-cased names.
    for (const std::string& other : {leaf::path::Resolve(sourcePath).value_or(std::string()),
                                     leaf::ToLowerAscii(sourcePath)}) {
        if (other.empty())
            continue;
        workPath = place(m_outsideItems, other);
        if (workPath.empty())
            workPath = place(m_convertedItems, other);
        if (!workPath.empty())
            return workPath;
    }
    return workPath;
}

std::string CPageLinkMapper::Map(const std::string& link, Kind kind) const {
    if (link.empty() || link[0] == '#' || HasWebScheme(link))
        return link;
    // The fragment is split off as written: an escaped '#' ("hash%231.txt") is part of
    // the name.
    CString pathPart;
    CString fragment;
    SplitFragment(CString(link), pathPart, fragment, FALSE);
    std::string path = leaf::path::Normalize(DecodeUrlEscapes(pathPart).str());
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
            return leaf::EscapeLinkPath(*copy) + fragment.str();
        const std::string* page = Find(m_convertedItems, path);
        if (page != nullptr && (kind == Kind::Hyperlink || SameExtension(path, *page)))
            return leaf::EscapeLinkPath(*page) + fragment.str();
        return link;
    }

    const std::string sourcePath =
        leaf::path::IsAbsolute(path) ? leaf::path::LexicallyNormal(path)
                                     : leaf::path::LexicallyNormal(m_pageSourceFolder + "/" + path);
    const std::string workPath = FindWorkPath(sourcePath, kind);
    if (workPath.empty())
        return link;
    const std::string relative = std::filesystem::path(workPath).lexically_relative(m_pageWorkFolder).string();
    return relative.empty() ? link : leaf::EscapeLinkPath(relative) + fragment.str();
}

std::string CPageLinkMapper::MapStyleUrls(const std::string& css) const {
    std::string mapped = css;
    const std::vector<leaf::StyleSheetUrl> urls = leaf::FindStyleSheetUrlSpans(css);
    for (auto url = urls.rbegin(); url != urls.rend(); ++url) {
        const std::string target = Map(url->target, Kind::Resource);
        if (target != url->target)
            mapped.replace(url->begin, url->end - url->begin,
                           leaf::QuotedStyleSheetString(target + url->fragment));
    }
    return mapped;
}
