// The owner mark of a scratch folder, as anyone who can write in the temporary folder
// may have planted it: read as a process id only when it is decimal digits and a line
// end, and a folder is stale (and removed) only then, never while its owner runs.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/base/ScratchFolder.h"
#include "tests/fuzz/FuzzScratchFile.h"

namespace {

// The id the mark names by the plain rule, 0 when it names none.
long long ExpectedOwner(const std::string& text) {
    if (text.size() < 2 || text.size() > 16 || text.back() != '\n')
        return 0;
    long long pid = 0;
    for (size_t at = 0; at + 1 < text.size(); ++at) {
        if (text[at] < '0' || text[at] > '9')
            return 0;
        pid = pid * 10 + (text[at] - '0');
        if (pid > 0x7FFFFFFF)
            return 0;
    }
    return pid;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string parent = leaf::fuzz::ScratchFolder("leaf-fuzz-mark");
    const std::string folder = parent + "/work.1";
    std::filesystem::create_directories(folder);
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::ofstream(folder + "/" + leaf::kScratchFolderMark, std::ios::binary | std::ios::trunc) << text;

    const long long owner = leaf::ScratchFolderMarkOwner(folder);
    leaf::fuzz::Check(owner == ExpectedOwner(text));
    if (owner == 0 || owner == getpid())
        leaf::fuzz::Check(!leaf::IsStaleScratchFolder(folder));

    leaf::RemoveStaleScratchFolders(parent, [](std::string_view name) { return name == "work.1"; });
    const bool removed = !std::filesystem::exists(folder);
    if (owner == 0 || owner == getpid())
        leaf::fuzz::Check(!removed);
    return 0;
}
