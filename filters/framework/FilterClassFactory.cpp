#include "filters/framework/FilterClassFactory.h"

HRESULT CFilterClassFactory::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    if (riid != IID_IUnknown && riid != IID_IClassFactory)
        return E_NOINTERFACE;
    *object = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
}

ULONG CFilterClassFactory::AddRef() {
    return ++m_refCount;
}

ULONG CFilterClassFactory::Release() {
    ULONG count = --m_refCount;
    if (count == 0)
        delete this;
    return count;
}

HRESULT CFilterClassFactory::CreateInstance(IUnknown*, REFIID riid, void** object) {
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    IInputFilter* filter = nullptr;
    try {
        filter = CreateObject();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    if (filter == nullptr)
        return E_OUTOFMEMORY;
    // The object's own QueryInterface decides; an interface it does not offer leaves the
    // count at 0 after the Release, which destroys it again.
    filter->AddRef();
    HRESULT hr = filter->QueryInterface(riid, object);
    filter->Release();
    return hr;
}

HRESULT CFilterClassFactory::LockServer(BOOL) {
    return S_OK;
}
