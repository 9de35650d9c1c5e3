#include "platform/base/Environment.h"

#include <cstdlib>

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
    // Without any of them the system's temporary folder is used, never the current
    // folder, where temporary files would be left among the user's own.
    if (folder.empty())
        folder = "/tmp";
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

}  // namespace leaf
