#pragma once

// Starting a program from a command line, without a shell: the line is cut into the
// program and its arguments by the platform's rules and the program is started through
// the people seam (PeopleService::StartProcess, QProcess::startDetached), so no text of
// the line is ever read by a shell.

#include <string>
#include <string_view>
#include <vector>

#include "platform/base/CString.h"

namespace leaf::ui {

// Cuts a command line into arguments: blanks and tabs separate them; double quotes group
// (and a doubled quote inside a quoted part is one quote); 2n backslashes before a quote
// give n backslashes, 2n+1 give n and a literal quote; other backslashes are themselves.
std::vector<std::string> CommandLineToArgs(std::string_view commandLine);

// Starts the program the line names with the rest of the line as its arguments. FALSE
// when the line names no program or the program cannot be started.
BOOL StartCommandLine(const char* commandLine);

}  // namespace leaf::ui

// The platform's call: greater than 31 when the program started, else 2 (not found).
UINT WinExec(const char* commandLine, UINT show);
