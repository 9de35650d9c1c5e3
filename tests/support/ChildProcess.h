#pragma once

// Running a program as a child process, as a person, a script or an installer would:
// no shell, standard input from /dev/null, the environment inherited (so the test's own
// LEAF_REGISTRY). Used to run the built programs of build/bin, regsvr above all.

#include <string>
#include <vector>

namespace leaf::test {

struct ChildResult {
    bool started = false;
    int exitStatus = -1;  // -1 when the child did not start or did not exit normally
    std::string out;      // standard output (and standard error too when merged)
    std::string err;      // standard error, when kept apart
};

// Where a captured child's standard error goes.
enum class ErrorOutput {
    Apart,   // into `err`
    Merged,  // into `out`, interleaved with standard output as written
};

// Runs `program` (a path, or a name looked up in PATH) with the arguments, waits for it
// and collects what it wrote. The child starts in `workingFolder` when one is given, else
// in this process's folder.
ChildResult RunChild(const std::string& program, const std::vector<std::string>& arguments,
                     const std::string& workingFolder = "", ErrorOutput errors = ErrorOutput::Apart);

// Runs `program` like RunChild, its output going to this process's own; its exit status,
// or -1 when it could not start or did not exit normally.
int RunProgram(const std::string& program, const std::vector<std::string>& arguments);

// build/bin/regsvr.
std::string RegsvrPath();

// Runs regsvr with the arguments; what it wrote to standard output and standard error
// comes back together in `out`.
ChildResult RunRegsvr(const std::vector<std::string>& arguments);

// Registers (or unregisters) a module with `regsvr -s [-u] MODULE`, into the test's
// registry. MODULE is a path when it holds a '/', else the name of a module in
// build/bin. True when regsvr exited with 0.
bool RegisterModule(const std::string& pathOrBinName, bool unregister = false);

}  // namespace leaf::test
