#pragma once

// Scratch files that a killed process cannot leave behind, or that the next run can tell
// for what they are.
//
// Where the file system allows it a scratch file is unnamed (O_TMPFILE): it goes with its
// last descriptor, however the process ends. Elsewhere a scratch file is named
// <prefix><process id>-<anything>, and RemoveStaleScratchFiles removes those whose
// process no longer runs.

#include <sys/types.h>

#include <string>
#include <string_view>

namespace leaf {

// True when no process with this id runs.
bool ProcessIsGone(pid_t pid);

// The process id in a scratch file's name: the digits right after prefix, followed by
// '-'. 0 when the name is not of that form.
pid_t ScratchFileOwner(std::string_view name, std::string_view prefix);

// Removes the regular files in folder named <prefix><pid>-... whose process no longer
// runs. The files of this process and of running ones, folders, links and any other
// names are left alone.
void RemoveStaleScratchFiles(const std::string& folder, std::string_view prefix);

// An unnamed file in folder, opened with flags (O_WRONLY or O_RDWR, plus others) and
// permission bits mode (less the umask); it gets a name only if it is linked in. -1 with
// errno set, EOPNOTSUPP where the file system has no unnamed files.
int CreateUnnamedFile(const std::string& folder, int flags, mode_t mode = 0600);

}  // namespace leaf
