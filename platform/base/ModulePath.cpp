#include "platform/base/ModulePath.h"

#include <dlfcn.h>
#include <link.h>
#include <stdlib.h>

#include <memory>

namespace leaf {

namespace {

std::string RealPath(const char* path) {
    std::unique_ptr<char, decltype(&free)> resolved(realpath(path, nullptr), &free);
    return resolved ? std::string(resolved.get()) : std::string();
}

}  // namespace

std::string GetModulePath(const void* addressInModule) {
    Dl_info info{};
    link_map* module = nullptr;
    if (dladdr1(addressInModule, &info, reinterpret_cast<void**>(&module), RTLD_DL_LINKMAP) == 0)
        return {};
    // The main program has no name in its link map (dladdr would report the name it was
    // started with, which may be relative to another folder): ask the kernel instead.
    if (!module || !module->l_name || !*module->l_name)
        return GetExecutablePath();
    return RealPath(module->l_name);
}

std::string GetExecutablePath() {
    return RealPath("/proc/self/exe");
}

}  // namespace leaf
