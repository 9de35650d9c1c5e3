#pragma once

// Creating objects by class identifier: the registry says which module serves a class
// (HKEY_CLASSES_ROOT\CLSID\{clsid}\InprocServer32, default value = the module's path);
// the module is loaded with dlopen, kept loaded, and asked through its exported
// DllGetClassObject. ProgIDs resolve through HKEY_CLASSES_ROOT\<ProgID>\CLSID.
//
// Errors: a class that is not registered gives REGDB_E_CLASSNOTREG; a module file that
// does not exist CO_E_DLLNOTFOUND; a module that cannot be loaded or lacks the entry
// point CO_E_ERRORINDLL.

#include <cstring>
#include <string>
#include <string_view>

#include "platform/base/Types.h"
#include "platform/com/Guid.h"
#include "platform/com/HResult.h"
#include "platform/com/Unknown.h"

using CLSCTX = DWORD;
inline constexpr CLSCTX CLSCTX_INPROC_SERVER = 0x1;
inline constexpr CLSCTX CLSCTX_INPROC_HANDLER = 0x2;
inline constexpr CLSCTX CLSCTX_LOCAL_SERVER = 0x4;
inline constexpr CLSCTX CLSCTX_REMOTE_SERVER = 0x10;
inline constexpr CLSCTX CLSCTX_INPROC = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER;
inline constexpr CLSCTX CLSCTX_SERVER = CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;
inline constexpr CLSCTX CLSCTX_ALL = CLSCTX_SERVER | CLSCTX_INPROC_HANDLER;

inline constexpr DWORD COINIT_APARTMENTTHREADED = 0x2;
inline constexpr DWORD COINIT_MULTITHREADED = 0x0;

// There is one apartment and no marshalling; these count their calls so that the
// shapes of start-up and shut-down code are kept (S_FALSE when already initialised).
HRESULT CoInitialize(void* reserved);
HRESULT CoInitializeEx(void* reserved, DWORD flags);
void CoUninitialize();
HRESULT OleInitialize(void* reserved);
void OleUninitialize();

HRESULT CoGetClassObject(REFCLSID clsid, DWORD context, void* serverInfo, REFIID riid, void** object);
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid, void** object);

// Follows CurVer when the ProgID has no CLSID key; CO_E_CLASSSTRING when unknown.
HRESULT CLSIDFromProgID(LPCOLESTR progId, LPCLSID clsid);
HRESULT CLSIDFromProgID(const char* progIdUtf8, LPCLSID clsid);
// The ProgID registered for a class (CoTaskMemAlloc'ed); REGDB_E_CLASSNOTREG when none.
HRESULT ProgIDFromCLSID(REFCLSID clsid, LPOLESTR* progId);

// Asks every loaded module whether it can be unloaded (DllCanUnloadNow) and unloads
// those that answer S_OK. Modules that lent out type library descriptions stay.
void CoFreeUnusedLibraries();

namespace leaf {

// The path of the in-process server registered for a class; "" when none.
std::string GetInprocServerPath(REFCLSID clsid);

// Loads a module (or finds it already loaded) and returns its handle; the module stays
// loaded until CoFreeUnusedLibraries unloads it. On failure returns null and sets
// `error` to CO_E_DLLNOTFOUND or CO_E_ERRORINDLL.
void* LoadComModule(const std::string& path, HRESULT& error);
// Keeps a loaded module for the life of the process.
void PinComModule(void* handle);

// The address of a module's exported function as a typed function pointer; null when
// the module does not export it.
void* FindModuleSymbol(void* handle, const char* name);
template <class Function>
Function FindModuleFunction(void* handle, const char* name) {
    void* symbol = FindModuleSymbol(handle, name);
    Function function = nullptr;
    static_assert(sizeof function == sizeof symbol);
    std::memcpy(&function, &symbol, sizeof function);
    return function;
}

}  // namespace leaf
