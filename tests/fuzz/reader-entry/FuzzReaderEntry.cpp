// Arbitrary bytes as a desktop entry and as one "Exec" value: the command read from them
// never holds an empty argument (a program of no name would be started).

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "outside/reader/DesktopApplications.h"
#include "tests/fuzz/FuzzCheck.h"

using leaf::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    for (const std::vector<std::string>& command :
         {reader::LaunchCommandFromEntry(text), reader::SplitExecValue(text)})
        for (const std::string& argument : command)
            Check(!argument.empty());
    return 0;
}
