#pragma once

// What fuzz targets that read their input from a file share: a check that stops the run,
// and a file of the process's own, in a folder of its own, removed at exit.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace leaf::fuzz {

inline void Check(bool condition) {
    if (!condition)
        std::abort();
}

// "/tmp/<prefix>-XXXXXX/<name>", made once per process.
inline const std::string& ScratchFile(const char* prefix, const char* name) {
    static const std::string path = [&] {
        std::string folder = std::string("/tmp/") + prefix + "-XXXXXX";
        Check(mkdtemp(folder.data()) != nullptr);
        static std::string kept = folder;
        static std::string file = folder + "/" + name;
        std::atexit([] {
            unlink(file.c_str());
            rmdir(kept.c_str());
        });
        return file;
    }();
    return path;
}

}  // namespace leaf::fuzz
