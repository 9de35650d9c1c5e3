#pragma once

// CLinkedPaths: the paths that the walk through one source's links has met, in the order
// in which they were first met. A path that leads to a file on disk is keyed and kept by
// the spelling found there (an exact name wins, so "FAQ.html" and "faq.html" are two
// files when both exist); any other path is keyed without regard to case and kept as
// the link wrote it. The set also remembers which pages the walk has opened, so that no
// page is read twice.

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
