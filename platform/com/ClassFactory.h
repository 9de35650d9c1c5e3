#pragma once

// leaf::ClassFactory<T>: the IClassFactory of one of our own classes. CreateInstance
// makes a new T (reference count 0), asks it for the requested interface and releases
// the creation reference, so an interface the object lacks destroys it again.
//
// Aggregation is refused with CLASS_E_NOAGGREGATION unless T opts in by providing
//   static HRESULT CreateAggregated(IUnknown* outer, REFIID riid, void** object);

#include <new>

#include "platform/com/ComObject.h"
#include "platform/com/Unknown.h"

namespace leaf {

using CreateFactoryFunction = IClassFactory* (*)();

template <class T>
class ClassFactory final : public ComObject<ClassFactory<T>, IClassFactory> {
public:
    HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
        if (object == nullptr)
            return E_POINTER;
        *object = nullptr;
        if (outer != nullptr) {
            if constexpr (requires { T::CreateAggregated(outer, riid, object); })
                return T::CreateAggregated(outer, riid, object);
            else
                return CLASS_E_NOAGGREGATION;
        }
        T* instance = new (std::nothrow) T();
        if (instance == nullptr)
            return E_OUTOFMEMORY;
        instance->AddRef();
        HRESULT hr = instance->QueryInterface(riid, object);
        instance->Release();
        return hr;
    }

    HRESULT LockServer(BOOL lock) override {
        ModuleLock::LockServer(lock != FALSE);
        return S_OK;
    }
};

template <class T>
IClassFactory* CreateClassFactory() {
    return new (std::nothrow) ClassFactory<T>();
}

}  // namespace leaf
