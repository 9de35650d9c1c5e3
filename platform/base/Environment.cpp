#include "platform/base/Environment.h"

#include <unistd.h>

#include <cstdlib>
#include <memory>

namespace leaf {

std::string GetTempFolder() {
    std::string folder;
    for (const char* name : {"TMP", "TEMP", "TMPDIR"}) {
        const char* value = std::getenv(name);
        if (value && *value) {
            folder = value;
            break;
        }
    }
    if (folder.empty()) {
        std::unique_ptr<char, decltype(&free)> current(getcwd(nullptr, 0), &free);
        folder = current ? current.get() : ".";
    }
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

}  // namespace leaf
