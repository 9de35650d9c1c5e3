#include "filters/framework/SimpleFilterObject.h"

HRESULT CSimpleFilterObject::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    if (riid != IID_IUnknown && riid != IID_IInputFilter)
        return E_NOINTERFACE;
    *object = static_cast<IInputFilter*>(this);
    AddRef();
    return S_OK;
}

ULONG CSimpleFilterObject::AddRef() {
    return ++m_refCount;
}

ULONG CSimpleFilterObject::Release() {
    ULONG count = --m_refCount;
    if (count == 0)
        delete this;
    return count;
}
