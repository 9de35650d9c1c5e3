#pragma once

// Scratch folders that the next run can tell for a killed process's leftovers.
//
// A folder cannot be unnamed as a scratch file can, so the process that makes one marks
// it: a file ".leafcraft-owner" inside holds the owner's process id, and the owner keeps
// that file locked (flock) for as long as it holds the ScratchFolderOwner. A folder is
// stale when its mark is a regular file of that form, nobody holds its lock and its
// process no longer runs; only then may RemoveStaleScratchFolders delete it. A folder
// without the mark (the user's, or one made before marks existed) is never touched.

#include <sys/types.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace leaf {

inline constexpr const char* kScratchFolderMark = ".leafcraft-owner";

// The mark of one scratch folder, held by the process that made it.
class ScratchFolderOwner {
public:
    ScratchFolderOwner() = default;
    ~ScratchFolderOwner();
    ScratchFolderOwner(const ScratchFolderOwner&) = delete;
    ScratchFolderOwner& operator=(const ScratchFolderOwner&) = delete;
    ScratchFolderOwner(ScratchFolderOwner&& other) noexcept;
    ScratchFolderOwner& operator=(ScratchFolderOwner&& other) noexcept;

    // Writes this process's mark into folder and locks it. False (and no mark) when the
    // folder refuses the file or is marked by someone else already.
    bool Claim(const std::string& folder);
    // Unlocks the mark and leaves it in the folder: the folder stays this process's
    // until the process ends, and is stale after.
    void Unlock();
    // Removes the mark (so the folder can be removed when empty) and unlocks it.
    void Release();

    bool IsHeld() const { return m_fd >= 0; }

private:
    int m_fd = -1;
    std::string m_mark;
};

// The process id in folder's mark; 0 when it has no mark of the right form.
pid_t ScratchFolderMarkOwner(const std::string& folder);

// True when folder is marked, its mark is unlocked and its process no longer runs.
bool IsStaleScratchFolder(const std::string& folder);

// True when folder's mark is locked: its owner (another process, or another owner in this
// one) is using the folder now, and it must not be deleted or taken over.
bool IsHeldScratchFolder(const std::string& folder);

// Deletes (with DeleteTree, which never follows links and spares protectedFolders) every
// folder directly in parent whose name nameMatches accepts and that is stale. Links,
// files and folders that are not stale are left alone.
void RemoveStaleScratchFolders(const std::string& parent, const std::function<bool(std::string_view)>& nameMatches,
                               const std::vector<std::string>& protectedFolders = {});

}  // namespace leaf
