#pragma once

// A child process killed with SIGKILL part-way through its work, as a crash or a kill
// from outside would end a build: what it left on disk is what the next run finds.

#include <sys/types.h>

#include <functional>

namespace leaf::test {

// Forks a child that runs `work` and then waits to be killed; once the work is done the
// child is killed with SIGKILL and reaped. Returns the dead child's process id, or 0
// when the child could not be started or did not finish its work (it is killed then too).
// `work` runs in the child only: nothing it changes in memory reaches this process.
pid_t RunUntilKilled(const std::function<void()>& work);

}  // namespace leaf::test
