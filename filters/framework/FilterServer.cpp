#include "filters/framework/FilterServer.h"

#include "filters/framework/FilterApp.h"
#include "filters/framework/FilterClassFactory.h"
#include "filters/framework/FilterRegistration.h"
#include "platform/com/ExceptionBarrier.h"

HRESULT FilterServerGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    return leaf::CallWithoutThrowing([&]() -> HRESULT {
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
    });
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
    return leaf::CallWithoutThrowing([]() -> HRESULT {
        CFilterApp* app = CFilterApp::GetApp();
        if (app == nullptr)
            return E_FAIL;
        return RegisterFilterServer(CFilterRegistration::FromModule(*app));
    });
}

HRESULT FilterServerUnregister() {
    return leaf::CallWithoutThrowing([]() -> HRESULT {
        CFilterApp* app = CFilterApp::GetApp();
        if (app == nullptr)
            return E_FAIL;
        UnregisterFilterServer(CFilterRegistration::FromModule(*app));
        return S_OK;
    });
}
