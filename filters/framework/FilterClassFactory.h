#pragma once

// The class factory of a filter module: makes the module's filter objects. A module
// either derives from CFilterClassFactory and overrides CreateObject, or uses
// TFilterClassFactory<CMyFilter> when the filter has a default constructor.

#include <new>

#include "common/InputFilter.h"
#include "filters/framework/FilterApp.h"
#include "platform/com/Unknown.h"

class CFilterClassFactory : public IClassFactory {
public:
    CFilterClassFactory() = default;
    virtual ~CFilterClassFactory() = default;
    CFilterClassFactory(const CFilterClassFactory&) = delete;
    CFilterClassFactory& operator=(const CFilterClassFactory&) = delete;

    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;
    // Aggregation is not offered; an outer object is ignored rather than refused.
    HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** object) override;
    // Has no effect: the module's live objects alone decide whether it may unload.
    HRESULT LockServer(BOOL lock) override;

protected:
    // A new filter object with a reference count of 0, or null when memory is short.
    virtual IInputFilter* CreateObject() = 0;

private:
    CFilterLiveObject m_live;
    ULONG m_refCount = 0;
};

template <class TFilter>
class TFilterClassFactory final : public CFilterClassFactory {
protected:
    IInputFilter* CreateObject() override { return new (std::nothrow) TFilter(); }
};
