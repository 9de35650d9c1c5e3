#include "tests/outside/word/WordServerTestSupport.h"

#include <dlfcn.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "tests/support/TempFolder.h"

namespace leaf::test {

HRESULT RegisterWordServer(const std::string& officeProgram) {
    setenv("LEAF_SOFFICE", officeProgram.c_str(), 1);
    std::string path = std::filesystem::canonical(BinDir() + "/WordServer.so").string();
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr)
        return E_FAIL;
    void* symbol = dlsym(module, "DllRegisterServer");
    if (symbol == nullptr)
        return E_FAIL;
    HRESULT (*registerServer)() = nullptr;
    std::memcpy(&registerServer, &symbol, sizeof registerServer);
    return registerServer();
}

std::string InstalledOfficeProgram() {
    for (const char* name : {"soffice", "libreoffice"}) {
        for (const char* folder : {"/usr/bin", "/usr/local/bin", "/opt/libreoffice/program"}) {
            std::string candidate = std::string(folder) + "/" + name;
            if (std::filesystem::exists(candidate))
                return candidate;
        }
    }
    return std::string();
}

}  // namespace leaf::test
