#include "platform/ui/shell/CommandLine.h"

#include "platform/ui/PeopleService.h"

namespace leaf::ui {

std::vector<std::string> CommandLineToArgs(std::string_view line) {
    std::vector<std::string> arguments;
    size_t i = 0;
    while (true) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        if (i >= line.size()) break;
        std::string argument;
        bool quoted = false;
        while (i < line.size() && (quoted || (line[i] != ' ' && line[i] != '\t'))) {
            if (line[i] == '\\') {
                size_t count = 0;
                while (i < line.size() && line[i] == '\\') ++count, ++i;
                if (i < line.size() && line[i] == '"') {
                    argument.append(count / 2, '\\');
                    if (count % 2 == 1) {
                        argument += '"';
                        ++i;
                    }
                } else {
                    argument.append(count, '\\');
                }
            } else if (line[i] == '"') {
                if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
                    argument += '"';
                    i += 2;
                } else {
                    quoted = !quoted;
                    ++i;
                }
            } else {
                argument += line[i++];
            }
        }
        arguments.push_back(std::move(argument));
    }
    return arguments;
}

BOOL StartCommandLine(const char* commandLine) {
    std::vector<std::string> arguments = CommandLineToArgs(commandLine ? commandLine : "");
    if (arguments.empty() || arguments.front().empty()) return FALSE;
    std::string program = arguments.front();
    arguments.erase(arguments.begin());
    return People().StartProcess(program, arguments) ? TRUE : FALSE;
}

}  // namespace leaf::ui

UINT WinExec(const char* commandLine, UINT) { return leaf::ui::StartCommandLine(commandLine) ? 33 : 2; }
