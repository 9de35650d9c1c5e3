// Command lines come from the registry (the verbs of file types) and from settings: the
// splitter must never fail on any input, and quoting its results again must give them back.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/shell/CommandLine.h"

namespace {

// Quotes one argument so that the splitter reads it back unchanged.
std::string Quote(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) return argument;
    std::string quoted = "\"";
    size_t backslashes = 0;
    for (char ch : argument) {
        if (ch == '\\') {
            ++backslashes;
            continue;
        }
        if (ch == '"') {
            quoted.append(backslashes * 2 + 1, '\\');
        } else {
            quoted.append(backslashes, '\\');
        }
        backslashes = 0;
        quoted += ch;
    }
    quoted.append(backslashes * 2, '\\');
    quoted += '"';
    return quoted;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view line(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> arguments = leaf::ui::CommandLineToArgs(line);
    std::string again;
    for (const std::string& argument : arguments) {
        if (!again.empty()) again += ' ';
        again += Quote(argument);
    }
    if (leaf::ui::CommandLineToArgs(again) != arguments) std::abort();
    return 0;
}
