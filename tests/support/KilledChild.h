#pragma once

// A child process killed with SIGKILL part-way through its work, as a crash or a kill
// from outside would end a build: what it left on disk is what the next run finds.

#include <sys/types.h>

#include <functional>

namespace leaf::test {

// Forks a child that runs `work`; the child is killed with SIGKILL and reaped once `work`
// calls the function it is given (which never returns: the child dies there, part-way
// through), or else once `work` returns. Returns the dead child's process id, or 0 when
// the child could not be started or died otherwise. `work` runs in the child only:
// nothing it changes in memory reaches this process.
using KillHere = std::function<void()>;
pid_t RunUntilKilled(const std::function<void(const KillHere&)>& work);
pid_t RunUntilKilled(const std::function<void()>& work);

}  // namespace leaf::test
