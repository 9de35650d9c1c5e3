// CLeafcraftSDKControl: discovery of the input filters, the extension map, the browse
// filter of file dialogs and the lookup of a file's filter.

#include <algorithm>
#include <string>
#include <vector>

#include "platform/com/ComRuntime.h"
#include "platform/registry/RegistryKey.h"
#include "platform/ui/Resources.h"
#include "sdk/LeafcraftSDK.h"
#include "sdk/control/LeafcraftSDKControl.h"
#include "sdk/control/SDKResourceIds.h"

namespace {

// The name a file manager gives files of an extension: the description of the class the
// extension is registered to (HKEY_CLASSES_ROOT\.ext -> class -> its default value), else
// the extension in capitals followed by " File", as for unregistered types.
std::string GetFileTypeName(const std::string& extension) {
    leaf::RegistryKey extensionKey = leaf::RegistryKey::Open(HKEY_CLASSES_ROOT, extension);
    if (extensionKey.IsOpen()) {
        std::optional<std::string> className = extensionKey.ReadString();
        if (className && !className->empty()) {
            leaf::RegistryKey classKey = leaf::RegistryKey::Open(HKEY_CLASSES_ROOT, *className);
            if (classKey.IsOpen()) {
                std::optional<std::string> description = classKey.ReadString();
                if (description && !description->empty())
                    return *description;
            }
        }
    }
    std::string name = extension.size() > 1 ? extension.substr(1) : extension;
    for (char& ch : name)
        ch = leaf::AsciiToUpper(ch);
    return name + " File";
}

bool EndsWithNoCase(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() && leaf::EqualsNoCase(text.substr(text.size() - suffix.size()), suffix);
}

}  // namespace

void CLeafcraftSDKControl::ReleaseFilters() {
    m_filters.clear();  // each ComPtr releases its filter
    m_filterClasses.clear();
    m_extensions.clear();
    m_browseFilter.Empty();
}

BOOL CLeafcraftSDKControl::LoadInputFilters() {
    CString keyPath = leaf::ui::LoadResString(IDS_FILTERS_KEY);
    leaf::RegistryKey filtersKey = leaf::RegistryKey::Open(HKEY_LOCAL_MACHINE, keyPath.str());
    if (!filtersKey.IsOpen())
        return FALSE;

    for (const std::string& progId : filtersKey.SubKeyNames()) {
        CLSID clsid;
        if (FAILED(CLSIDFromProgID(progId.c_str(), &clsid)))
            continue;
        leaf::ComPtr<IInputFilter> filter;
        if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IInputFilter, filter.ReceiveVoid())) ||
            !filter)
            continue;
        if (FAILED(filter->Initialize()))
            continue;  // the filter is unusable; released here
        m_filters[leaf::ToLowerAscii(progId)] = filter;
        m_filterClasses[leaf::ToLowerAscii(progId)] = clsid;
    }
    return m_filters.empty() ? FALSE : TRUE;
}

BOOL CLeafcraftSDKControl::LoadExtensionMap() {
    CString keyPath = leaf::ui::LoadResString(IDS_FILTER_EXTENSIONS_KEY);
    leaf::RegistryKey extensionsKey = leaf::RegistryKey::Open(HKEY_USERS, keyPath.str());
    if (!extensionsKey.IsOpen())
        return FALSE;

    for (const std::string& extension : extensionsKey.SubKeyNames()) {
        leaf::RegistryKey key = leaf::RegistryKey::Open(extensionsKey.Handle(), extension);
        if (!key.IsOpen())
            continue;
        std::optional<std::string> progId = key.ReadString();
        if (!progId)
            continue;
        std::string lowerProgId = leaf::ToLowerAscii(*progId);
        if (m_filters.count(lowerProgId) != 0)
            m_extensions[leaf::ToLowerAscii(extension)] = lowerProgId;
    }
    return m_extensions.empty() ? FALSE : TRUE;
}

void CLeafcraftSDKControl::BuildBrowseFilter() {
    // Type names in the order they first appear, each with its patterns.
    std::vector<std::pair<std::string, std::string>> groups;
    std::string allPatterns;
    for (const auto& [extension, progId] : m_extensions) {
        std::string pattern = "*" + extension;
        std::string typeName = GetFileTypeName(extension);
        if (!typeName.empty()) {
            auto group = std::find_if(groups.begin(), groups.end(),
                                      [&](const auto& entry) { return entry.first == typeName; });
            if (group == groups.end())
                groups.emplace_back(typeName, pattern);
            else
                group->second += ";" + pattern;
        }
        if (!allPatterns.empty())
            allPatterns += ";";
        allPatterns += pattern;
    }

    m_browseFilter = leaf::ui::FormatResString(IDS_BROWSE_SUPPORTED, allPatterns.c_str());
    for (auto& [typeName, patterns] : groups) {
        std::string name = typeName;
        if (EndsWithNoCase(name, " File"))
            name.resize(name.size() - 5);
        else if (EndsWithNoCase(name, " Files"))
            name.resize(name.size() - 6);
        m_browseFilter += leaf::ui::FormatResString(IDS_BROWSE_GROUP, name.c_str(), patterns.c_str());
    }
    m_browseFilter += leaf::ui::LoadResString(IDS_BROWSE_ALL_FILES);
}

LONG CLeafcraftSDKControl::FindFilterForFile(const CString& path, IInputFilter** filter) const {
    *filter = nullptr;
    // The extension runs from the last '.' of the whole path, so a dot in a folder name
    // counts when the file name has none.
    int dot = path.ReverseFind('.');
    if (dot < 0)
        return LCERR_INVALID_FILE;
    auto mapping = m_extensions.find(leaf::ToLowerAscii(path.Mid(dot).str()));
    if (mapping == m_extensions.end())
        return LCERR_INVALID_FILE_TYPE;
    auto loaded = m_filters.find(mapping->second);
    if (loaded == m_filters.end())
        return LCERR_UNEXPECTED;
    *filter = loaded->second.Get();
    return LCERR_NONE;
}

std::string CLeafcraftSDKControl::FindFilterProgId(const CString& path) const {
    IInputFilter* filter = nullptr;
    if (FindFilterForFile(path, &filter) != LCERR_NONE)
        return std::string();
    return m_extensions.find(leaf::ToLowerAscii(path.Mid(path.ReverseFind('.')).str()))->second;
}

CString CLeafcraftSDKControl::FilterErrorDetails(LONG code, const CString& path) const {
    if (code != LCERR_INVALID_FILE_TYPE)
        return path;
    return leaf::ui::FormatResString(IDS_UNSUPPORTED_TYPE, path.c_str(), path.Mid(path.ReverseFind('.')).c_str());
}
