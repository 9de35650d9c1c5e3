#include "studio/project/ProjectPath.h"

#include "platform/base/Archive.h"
#include "platform/base/File.h"
#include "platform/ui/Document.h"
#include "sdk/package/RelativePath.h"
#include "studio/project/PathHelpers.h"

namespace leaf {

CString StoreProjectPath(const CString& projectFile, const CString& path)
{
    if (path.IsEmpty()) return path;
    // Paths whose only common folder is the root stay absolute, as a path on another
    // drive would: moving the project then does not move what it points at.
    CString prefix;
    if (!CommonFolderPrefix(projectFile, path, prefix) || prefix.GetLength() <= 1) return path;
    CString relative;
    if (!MakeRelativePath(projectFile, path, relative)) return path;
    return relative;
}

BOOL LoadProjectPath(const CString& projectFile, const CString& stored, CString& path)
{
    if (stored.IsEmpty()) {
        path.Empty();
        return TRUE;
    }
    if (IsAbsolutePath(stored.c_str())) {
        path = stored;
        path.Replace('\\', '/');
        return TRUE;
    }
    return MakeAbsolutePath(projectFile, stored, path);
}

CString ArchiveFilePath(const CArchive& archive)
{
    CFile* file = archive.GetFile();
    CString path = file ? file->GetFilePath() : CString();
    if (path.IsEmpty()) {
        if (auto* source = dynamic_cast<const ArchivePathSource*>(archive.m_pDocument)) path = source->ArchivePath();
    }
    return path;
}

CString ReadProjectPath(CArchive& archive, BOOL& storedAbsolute)
{
    CString stored;
    archive >> stored;
    storedAbsolute = IsAbsolutePath(stored.c_str());
    CString path;
    if (!LoadProjectPath(ArchiveFilePath(archive), stored, path))
        throw CArchiveException(CArchiveException::genericException, ArchiveFilePath(archive).c_str());
    return path;
}

CString ReadPathAsStored(CArchive& archive)
{
    CString path;
    archive >> path;
    path.Replace('\\', '/');
    return path;
}

}  // namespace leaf
