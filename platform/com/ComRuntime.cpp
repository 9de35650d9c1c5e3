#include "platform/com/ComRuntime.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <cstring>
#include <map>
#include <optional>

#include "platform/base/TextEncoding.h"
#include "platform/com/Bstr.h"
#include "platform/com/ComRegistry.h"
#include "platform/registry/RegistryKey.h"

namespace {

using GetClassObjectFunction = HRESULT (*)(REFCLSID, REFIID, void**);
using CanUnloadNowFunction = HRESULT (*)();

int g_comInitCount = 0;
int g_oleInitCount = 0;

struct LoadedModule {
    void* handle = nullptr;
    bool pinned = false;
};

// Modules loaded for classes, by path as registered. Kept for the life of the process
// unless CoFreeUnusedLibraries finds them unused.
std::map<std::string, LoadedModule>& LoadedModules() {
    static std::map<std::string, LoadedModule> modules;
    return modules;
}

std::optional<std::string> ReadClassesRootString(const std::string& subKey) {
    return leaf::comreg::ReadString(subKey);
}

bool KeyExists(const std::string& subKey) {
    return leaf::RegistryKey::Open(HKEY_CLASSES_ROOT, subKey).IsOpen();
}

std::string ClassKey(REFCLSID clsid) { return "CLSID\\" + leaf::GuidToString(clsid); }

HRESULT ResolveProgId(const std::string& progId, LPCLSID clsid) {
    std::string current = progId;
    // CurVer may point to another ProgID; a short chain is all a registration makes,
    // and the limit keeps a loop in a damaged registry from hanging the caller.
    for (int hops = 0; hops < 8 && !current.empty(); ++hops) {
        if (std::optional<std::string> text = ReadClassesRootString(current + "\\CLSID")) {
            std::optional<GUID> guid = leaf::ParseGuid(std::string_view(*text));
            if (!guid)
                return CO_E_CLASSSTRING;
            *clsid = *guid;
            return S_OK;
        }
        std::optional<std::string> next = ReadClassesRootString(current + "\\CurVer");
        if (!next)
            break;
        current = *next;
    }
    return CO_E_CLASSSTRING;
}

}  // namespace

HRESULT CoInitialize(void*) { return ++g_comInitCount == 1 ? S_OK : S_FALSE; }

HRESULT CoInitializeEx(void* reserved, DWORD) { return CoInitialize(reserved); }

void CoUninitialize() {
    if (g_comInitCount > 0)
        --g_comInitCount;
}

HRESULT OleInitialize(void* reserved) {
    CoInitialize(reserved);
    return ++g_oleInitCount == 1 ? S_OK : S_FALSE;
}

void OleUninitialize() {
    if (g_oleInitCount > 0)
        --g_oleInitCount;
    CoUninitialize();
}

namespace leaf {

std::string GetInprocServerPath(REFCLSID clsid) {
    return ReadClassesRootString(ClassKey(clsid) + "\\InprocServer32").value_or(std::string());
}

void* LoadComModule(const std::string& path, HRESULT& error) {
    error = S_OK;
    auto& modules = LoadedModules();
    if (auto found = modules.find(path); found != modules.end())
        return found->second.handle;
    if (path.empty()) {
        error = CO_E_DLLNOTFOUND;
        return nullptr;
    }
    struct stat info {};
    if (path.find('/') != std::string::npos && stat(path.c_str(), &info) != 0) {
        error = CO_E_DLLNOTFOUND;
        return nullptr;
    }
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        // A bare name is searched for; not finding it is a missing file too.
        error = path.find('/') == std::string::npos ? CO_E_DLLNOTFOUND : CO_E_ERRORINDLL;
        return nullptr;
    }
    modules[path].handle = handle;
    return handle;
}

void* FindModuleSymbol(void* handle, const char* name) { return handle ? dlsym(handle, name) : nullptr; }

void PinComModule(void* handle) {
    for (auto& [path, module] : LoadedModules())
        if (module.handle == handle)
            module.pinned = true;
}

}  // namespace leaf

HRESULT CoGetClassObject(REFCLSID clsid, DWORD context, void*, REFIID riid, void** object) {
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    if ((context & CLSCTX_INPROC) == 0)
        return REGDB_E_CLASSNOTREG;
    std::optional<std::string> path = ReadClassesRootString(ClassKey(clsid) + "\\InprocServer32");
    if (!path)
        return REGDB_E_CLASSNOTREG;
    HRESULT error = S_OK;
    void* handle = leaf::LoadComModule(*path, error);
    if (handle == nullptr)
        return error;
    auto getClassObject = leaf::FindModuleFunction<GetClassObjectFunction>(handle, "DllGetClassObject");
    if (getClassObject == nullptr)
        return CO_E_ERRORINDLL;
    return getClassObject(clsid, riid, object);
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid, void** object) {
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    leaf::ComPtr<IClassFactory> factory;
    HRESULT hr = CoGetClassObject(clsid, context, nullptr, IID_IClassFactory, factory.ReceiveVoid());
    if (FAILED(hr))
        return hr;
    if (!factory)
        return E_UNEXPECTED;
    return factory->CreateInstance(outer, riid, object);
}

HRESULT CLSIDFromProgID(LPCOLESTR progId, LPCLSID clsid) {
    if (clsid == nullptr)
        return E_INVALIDARG;
    *clsid = GUID_NULL;
    if (progId == nullptr || *progId == 0)
        return CO_E_CLASSSTRING;
    return ResolveProgId(leaf::Utf16ToUtf8(progId), clsid);
}

HRESULT CLSIDFromProgID(const char* progIdUtf8, LPCLSID clsid) {
    if (clsid == nullptr)
        return E_INVALIDARG;
    *clsid = GUID_NULL;
    if (progIdUtf8 == nullptr || *progIdUtf8 == 0)
        return CO_E_CLASSSTRING;
    return ResolveProgId(progIdUtf8, clsid);
}

HRESULT ProgIDFromCLSID(REFCLSID clsid, LPOLESTR* progId) {
    if (progId == nullptr)
        return E_INVALIDARG;
    *progId = nullptr;
    std::optional<std::string> text = ReadClassesRootString(ClassKey(clsid) + "\\ProgID");
    if (!text || text->empty())
        return KeyExists(ClassKey(clsid)) ? REGDB_E_KEYMISSING : REGDB_E_CLASSNOTREG;
    std::u16string value = leaf::Utf8ToUtf16(*text);
    auto* copy = static_cast<LPOLESTR>(CoTaskMemAlloc((value.size() + 1) * sizeof(OLECHAR)));
    if (copy == nullptr)
        return E_OUTOFMEMORY;
    std::memcpy(copy, value.c_str(), (value.size() + 1) * sizeof(OLECHAR));
    *progId = copy;
    return S_OK;
}

void CoFreeUnusedLibraries() {
    auto& modules = LoadedModules();
    for (auto it = modules.begin(); it != modules.end();) {
        LoadedModule& module = it->second;
        auto canUnload = leaf::FindModuleFunction<CanUnloadNowFunction>(module.handle, "DllCanUnloadNow");
        if (!module.pinned && canUnload != nullptr && canUnload() == S_OK) {
            dlclose(module.handle);
            it = modules.erase(it);
        } else {
            ++it;
        }
    }
}
