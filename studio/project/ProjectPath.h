#pragma once

// How the project records store paths: relative to the project file where the two share
// a folder below the root, else absolute.

#include "platform/base/CString.h"
#include "platform/base/Types.h"

class CArchive;

namespace leaf {

// The text to store for a path: empty for an empty path; the path relative to the
// project file when they share a folder other than the root; else the path unchanged.
CString StoreProjectPath(const CString& projectFile, const CString& path);

// The absolute path of a stored text: empty stays empty, an absolute text is taken as it
// is (a "\" in it becomes "/"), a relative one is resolved against the project file's
// folder. FALSE when it cannot be resolved (it climbs above the root).
BOOL LoadProjectPath(const CString& projectFile, const CString& stored, CString& path);

// A document that knows the path of the project file it reads or writes while its archive
// runs over a file that does not (a file collected in memory and put in place at the end).
class ArchivePathSource {
public:
    virtual ~ArchivePathSource() = default;
    virtual CString ArchivePath() const = 0;
};

// The path of the file an archive reads or writes: the file's own, else the one its
// document names ("" when neither has one).
CString ArchiveFilePath(const CArchive& archive);

// Reads a path as stored by StoreProjectPath: sets storedAbsolute and resolves it;
// throws the archive's generic exception when it cannot be resolved.
CString ReadProjectPath(CArchive& archive, BOOL& storedAbsolute);

// Reads a path that older records stored as it was, not relative to anything: only its
// separators are made native.
CString ReadPathAsStored(CArchive& archive);

}  // namespace leaf
