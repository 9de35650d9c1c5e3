// regsvr: registers an in-process server module by calling its DllRegisterServer, or
// unregisters it (-u) by calling DllUnregisterServer. The registry is the usual one:
// $LEAF_REGISTRY, else the machine-wide hives of regsvr's own build when it is run from
// one, else the user's.
//
//   regsvr [-u] [-s] MODULE.so
//
// Exit status 0 on success; otherwise a message on standard error says what failed (no
// such file, not loadable, missing entry point, or the HRESULT the module returned).

#include <dlfcn.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/com/ComRuntime.h"
#include "platform/com/HResult.h"

namespace {

enum ExitCode { kSuccess = 0, kBadArguments = 1, kNoModule = 2, kNoEntryPoint = 3, kServerFailed = 4 };

using RegisterFunction = HRESULT (*)();

int Usage() {
    std::fprintf(stderr, "usage: regsvr [-u] [-s] MODULE.so\n"
                         "  -u  unregister instead of register\n"
                         "  -s  print nothing on success\n");
    return kBadArguments;
}

}  // namespace

int main(int argc, char** argv) {
    bool unregister = false;
    bool silent = false;
    std::string modulePath;
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        if (argument == "-u" || argument == "/u")
            unregister = true;
        else if (argument == "-s" || argument == "/s")
            silent = true;
        else if (!argument.empty() && argument[0] == '-')
            return Usage();
        else if (modulePath.empty())
            modulePath = argument;
        else
            return Usage();
    }
    if (modulePath.empty())
        return Usage();

    struct stat info {};
    if (stat(modulePath.c_str(), &info) != 0) {
        std::fprintf(stderr, "regsvr: %s: no such file\n", modulePath.c_str());
        return kNoModule;
    }
    // A path without a separator would make dlopen search the library path.
    std::string loadPath = modulePath.find('/') == std::string::npos ? "./" + modulePath : modulePath;
    void* module = dlopen(loadPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        const char* reason = dlerror();
        std::fprintf(stderr, "regsvr: %s: cannot load the module: %s\n", modulePath.c_str(),
                     reason ? reason : "unknown error");
        return kNoModule;
    }
    const char* entryName = unregister ? "DllUnregisterServer" : "DllRegisterServer";
    auto entry = leaf::FindModuleFunction<RegisterFunction>(module, entryName);
    if (entry == nullptr) {
        std::fprintf(stderr, "regsvr: %s: the module does not export %s\n", modulePath.c_str(), entryName);
        dlclose(module);
        return kNoEntryPoint;
    }
    HRESULT hr = entry();
    dlclose(module);
    if (FAILED(hr)) {
        std::fprintf(stderr, "regsvr: %s: %s failed with 0x%08X\n", modulePath.c_str(), entryName,
                     static_cast<unsigned>(hr));
        return kServerFailed;
    }
    if (!silent)
        std::printf("regsvr: %s: %s succeeded\n", modulePath.c_str(), entryName);
    return kSuccess;
}
