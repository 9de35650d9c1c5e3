#pragma once

// CLinkedPaths: the paths that the walk through one source's links has met, keyed
// without regard to case, in the order in which they were first met. Each path is kept
// in the spelling found on disk when the file exists, else as the link wrote it. The
// set also remembers which pages the walk has opened, so that no page is read twice.

#include <string>
#include <unordered_set>
#include <vector>

#include "platform/base/CString.h"

class CLinkedPaths {
public:
    // Enters a resolved link target. TRUE when it was new; `entered` is then the path as
    // it is kept (the spelling on disk where the file exists).
    BOOL Add(const CString& path, CString& entered);

    // TRUE the first time a page is named (letter case aside), FALSE afterwards.
    BOOL MarkOpened(const CString& path);

    // Every path entered, in the order of entry.
    const std::vector<CString>& GetPaths() const { return m_paths; }

private:
    std::unordered_set<std::string> m_keys;
    std::vector<CString> m_paths;
    std::unordered_set<std::string> m_opened;
};
