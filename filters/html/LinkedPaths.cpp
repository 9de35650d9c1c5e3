#include "filters/html/LinkedPaths.h"

#include <optional>

#include "platform/base/Path.h"

BOOL CLinkedPaths::Add(const CString& path, CString& entered) {
    const std::string key = leaf::ToLowerAscii(path.str());
    if (!m_keys.insert(key).second)
        return FALSE;
    entered = path;
    // Only file paths are looked up on disk: web addresses and other links with a scheme
    // are no files of this machine.
    if (leaf::path::IsAbsolute(path.str())) {
        if (std::optional<std::string> onDisk = leaf::path::Resolve(path.str()))
            entered = CString(*onDisk);
    }
    // Two spellings that lead to one file on disk are one file.
    const std::string onDiskKey = leaf::ToLowerAscii(entered.str());
    if (onDiskKey != key && !m_keys.insert(onDiskKey).second)
        return FALSE;
    m_paths.push_back(entered);
    return TRUE;
}

BOOL CLinkedPaths::MarkOpened(const CString& path) {
    return m_opened.insert(leaf::ToLowerAscii(path.str())).second ? TRUE : FALSE;
}
