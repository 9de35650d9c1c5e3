#include "filters/html/LinkedPaths.h"

#include <optional>

#include "platform/base/Path.h"

BOOL CLinkedPaths::Add(const CString& path, CString& entered) {
    // Only file paths are looked up on disk (web addresses and other links with a scheme
    // are no files of this machine). Two spellings that lead to one file on disk are one
    // file; two files whose names differ only in case are two.
    std::optional<std::string> onDisk;
    if (leaf::path::IsAbsolute(path.str()))
        onDisk = leaf::path::Resolve(path.str());
    const std::string key = onDisk ? *onDisk : leaf::ToLowerAscii(path.str());  // as path::CaseKey
    if (!m_keys.insert(key).second)
        return FALSE;
    entered = onDisk ? CString(*onDisk) : path;
    m_paths.push_back(entered);
    return TRUE;
}

BOOL CLinkedPaths::MarkOpened(const CString& path) {
    return m_opened.insert(leaf::path::CaseKey(path.str())).second ? TRUE : FALSE;
}
