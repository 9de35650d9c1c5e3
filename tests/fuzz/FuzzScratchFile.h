#pragma once

// What fuzz targets that read their input from a file share: a check that stops the run,
// and a folder of the process's own under the temporary folder (TMPDIR, else /tmp),
// removed with everything in it at exit.

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "tests/fuzz/FuzzCheck.h"

namespace leaf::fuzz {

// "<temporary folder>/<prefix>-XXXXXX", made once per process; later calls return the
// same folder whatever prefix they give.
inline const std::string& ScratchFolder(const char* prefix) {
    static const std::string folder = [&] {
        const char* root = std::getenv("TMPDIR");
        std::string pattern = std::string(root && *root ? root : "/tmp") + "/" + prefix + "-XXXXXX";
        Check(mkdtemp(pattern.data()) != nullptr);
        static std::string kept = pattern;
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(kept, ignored);
        });
        return pattern;
    }();
    return folder;
}

// A file named `name` in the scratch folder.
inline std::string ScratchFile(const char* prefix, const char* name) {
    return ScratchFolder(prefix) + "/" + name;
}

}  // namespace leaf::fuzz
