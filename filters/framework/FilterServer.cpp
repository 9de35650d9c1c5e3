#include "filters/framework/FilterServer.h"

#include <new>

#include "filters/framework/FilterApp.h"
#include "filters/framework/FilterClassFactory.h"
#include "filters/framework/FilterRegistration.h"

HRESULT FilterServerGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    try {
        CFilterApp* app = CFilterApp::GetApp();
        if (app == nullptr)
            return E_FAIL;
        if (clsid != app->GetCLSID())
            return CLASS_E_CLASSNOTAVAILABLE;
        CFilterClassFactory* factory = app->CreateClassFactory();
        if (factory == nullptr)
            return E_OUTOFMEMORY;
        factory->AddRef();
        HRESULT hr = factory->QueryInterface(riid, object);
        factory->Release();
        return hr;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

HRESULT FilterServerCanUnloadNow() {
    CFilterApp* app = nullptr;
    try {
        app = CFilterApp::GetApp();
    } catch (...) {
        return E_FAIL;
    }
    if (app == nullptr)
        return E_FAIL;
    return app->GetObjectCount() == 0 ? S_OK : S_FALSE;
}

HRESULT FilterServerRegister() {
    try {
        CFilterApp* app = CFilterApp::GetApp();
        if (app == nullptr)
            return E_FAIL;
        return RegisterFilterServer(CFilterRegistration::FromModule(*app));
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

HRESULT FilterServerUnregister() {
    try {
        CFilterApp* app = CFilterApp::GetApp();
        if (app == nullptr)
            return E_FAIL;
        UnregisterFilterServer(CFilterRegistration::FromModule(*app));
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}
