#pragma once

// Runs a program as a child process, as a person or a script would, and collects what it
// wrote to standard output and standard error. The child inherits the environment (so
// the test's own LEAF_REGISTRY).

#include <string>
#include <vector>

namespace buildbooktest {

struct ChildResult {
    bool started = false;
    int exitStatus = -1;  // -1 when the child did not exit normally
    std::string out;
    std::string err;
};

// `program` is a path, or a name looked up in PATH. The child starts in
// `workingFolder` when one is given, else in this process's folder.
ChildResult RunChild(const std::string& program, const std::vector<std::string>& arguments,
                     const std::string& workingFolder = "");

}  // namespace buildbooktest
