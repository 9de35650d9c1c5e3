#pragma once

// Starting the desktop's own helper programs (xdg-mime, xdg-open, gio, an application's
// command): started with an argument list, never through a shell, looked up in PATH,
// standard input from /dev/null.

#include <string>
#include <vector>

namespace reader {

// A program of that name in one of PATH's folders that can be run; "" when there is none.
std::string FindOnPath(const std::string& name);

// Runs the command (the first element is the program, looked up in PATH when it holds
// no '/') and waits for it. With `output` given, the child's standard output is
// collected there; otherwise it goes where this program's own goes. The exit status, or
// -1 when the program could not be started or did not exit normally.
int RunAndWait(const std::vector<std::string>& command, std::string* output = nullptr);

}  // namespace reader
