#pragma once

// CLCSourceFile: one source file of a project, in reading order. The path is absolute in
// memory and stored relative to the project file where the two share a folder.

#include "platform/base/Archive.h"
#include "platform/base/CString.h"

class CLCSourceFile : public CObject {
public:
    DECLARE_SERIAL(CLCSourceFile)

    CLCSourceFile() = default;
    CLCSourceFile(const CString& path, const CString& title) : m_strPath(path), m_strTitle(title) {}

    void Serialize(CArchive& archive) override;

    CString m_strPath;
    CString m_strTitle;
    // Whether the path was stored absolute in the file it was loaded from (not written).
    BOOL m_bStoredAbsolute = FALSE;
};
