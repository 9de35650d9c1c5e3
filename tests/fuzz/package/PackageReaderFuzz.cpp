// Reads arbitrary bytes as a package file, then checks that what was read writes a
// package that reads back and writes again to the very same bytes. A record that a
// package file cannot carry (a name that is no XML name, an attribute twice with two
// values) may refuse the first write, with a text that says why and no file left.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/base/File.h"
#include "sdk/package/PackageFile.h"
#include "sdk/package/PackageResults.h"
#include "tests/fuzz/FuzzScratchFile.h"

namespace {

const std::string& ScratchFolder()
{
    return leaf::fuzz::ScratchFolder("leaf-fuzz-package");
}

std::string ReadAll(const std::string& path)
{
    std::string contents;
    if (!leaf::ReadFileBytes(path, contents)) std::abort();
    return contents;
}

// Reads `from` into a fresh package and writes it to `to`; the file's text.
std::string ReadAndWrite(const std::string& from, const std::string& to)
{
    CPackageFile package;
    if (package.Read(from.c_str()) != S_OK) std::abort();
    if (package.Write(to.c_str()) != S_OK) std::abort();
    return ReadAll(to);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string input = ScratchFolder() + "/input.opf";
    FILE* file = std::fopen(input.c_str(), "wb");
    if (!file) std::abort();
    if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
    std::fclose(file);

    {
        CPackageFile package;
        if (package.Read(input.c_str()) != S_OK) std::abort();
        const std::string first = ScratchFolder() + "/first.opf";
        std::remove(first.c_str());
        const HRESULT written = package.Write(first.c_str());
        if (written == PKG_E_INVALIDRECORD) {
            FILE* left = std::fopen(first.c_str(), "rb");
            if (left != nullptr || package.GetLastWriteError().IsEmpty()) std::abort();
            return 0;
        }
        if (written != S_OK) std::abort();
    }
    const std::string second = ReadAndWrite(ScratchFolder() + "/first.opf", ScratchFolder() + "/second.opf");
    const std::string third = ReadAndWrite(ScratchFolder() + "/second.opf", ScratchFolder() + "/third.opf");
    if (second != third) {
        std::fprintf(stderr, "package files differ after a read and write:\n--- second\n%s\n--- third\n%s\n",
                     second.c_str(), third.c_str());
        std::abort();
    }
    return 0;
}
