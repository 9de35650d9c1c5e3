// The four entry points of a filter module. Every filter module compiles this file into
// itself (leaf_add_filter_module does so), since the exports of a static library that
// nothing references would be dropped at link time.

#include "filters/framework/FilterServer.h"

LEAF_EXPORT_C HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
    return FilterServerGetClassObject(clsid, riid, object);
}

LEAF_EXPORT_C HRESULT DllCanUnloadNow() {
    return FilterServerCanUnloadNow();
}

LEAF_EXPORT_C HRESULT DllRegisterServer() {
    return FilterServerRegister();
}

LEAF_EXPORT_C HRESULT DllUnregisterServer() {
    return FilterServerUnregister();
}
